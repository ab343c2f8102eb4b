// Renders the whole window offscreen over a known settings file and simulated adapters, saves
// the picture under the build folder and checks the pixels that prove the list's looks.
#include "WindowTestSupport.h"
#include "gui/MainWindow.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>

using namespace lanvex;

namespace {

// Twips of the list's drawing area for a point in the window's picture.
QPoint InWindow(const listview::SiteListView* list, const QWidget* window, double xTwips, double yTwips)
{
    return list->mapTo(window, list->toWidget(xTwips, yTwips));
}

bool NearlyRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

} // namespace

class TestScreenshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mainWindow()
    {
        gui::test::TestFolder folder;
        std::vector<store::SiteProfile> sites { gui::test::StaticSite("总部办公室", "10.10.1.20"),
                                                gui::test::StaticSite("上海分公司", "10.20.1.20"),
                                                gui::test::StaticSite("实验室", "192.168.50.7") };
        sites.emplace_back().Name = "家里";
        sites.back().DHCPEnabled = true;
        folder.WriteSites(sites);
        QJsonObject wireless = gui::test::StaticAdapter("Realtek RTL8822CE 802.11ac PCIe Adapter", "172.16.4.37");
        wireless["DHCPEnabled"] = true;
        const std::string network = folder.WriteNetwork(gui::test::Network(
            { gui::test::StaticAdapter("Intel(R) Ethernet Connection I219-LM", "192.168.1.10"), wireless }));
        net::sim::SimulatedConnector connector(network);
        net::sim::SimulatedPrinters printers(network);
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(gui::test::WaitForService(window));

        // Entry 2 selected with the mouse, the pointer resting over entry 1.
        auto* list = window.findChild<listview::SiteListView*>("picList");
        const auto rowTop = [](int row) { return listview::kFirstRowTop + listview::kRowPitch * row; };
        list->MouseDownAt(1500, rowTop(2) + 200);
        list->MouseMoveAt(1500, rowTop(1) + 200);
        QCOMPARE(list->SelIndex(), 2);
        QCOMPARE(list->HoverIndex(), 1);
        QCOMPARE(window.findChild<QLineEdit*>("txtName")->text(), QStringLiteral("上海分公司"));

        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal scale = shot.devicePixelRatio();
        const QString folderPath = QStringLiteral(LANVEX_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(folderPath));
        QVERIFY(shot.save(folderPath
                          + (scale > 1 ? QStringLiteral("/main-window@2x.png") : QStringLiteral("/main-window.png"))));
        auto pixel = [&](QPoint logical) { return shot.pixel((QPointF(logical) * scale).toPoint()); };

        // Box interiors, right of the names: hover, selection, and an ordinary row with no box.
        const int probeX = list->ScaleWidth() - 400;
        const QPalette colours = list->palette();
        QCOMPARE(pixel(InWindow(list, &window, probeX, rowTop(1) + 400)),
                 colours.color(listview::kInactiveCaptionRole).rgb());
        QCOMPARE(pixel(InWindow(list, &window, probeX, rowTop(2) + 400)),
                 colours.color(listview::kHighlightRole).rgb());
        QCOMPARE(pixel(InWindow(list, &window, probeX, rowTop(3) + 400)), colours.color(listview::kBtnFaceRole).rgb());
        // Red frames on the top edge of the hovered and the selected box, none on an ordinary row.
        auto redEdge = [&](int row) {
            const QPoint edge = InWindow(list, &window, probeX, rowTop(row) + listview::kBoxInset);
            return NearlyRed(pixel(edge)) || NearlyRed(pixel(edge + QPoint(0, 1)));
        };
        QVERIFY(redEdge(1) && redEdge(2) && !redEdge(3));

        // Entry 0 holds the adapter's live settings and wears the other icon.
        auto icon = [&](int row) {
            const QPoint topLeft = InWindow(list, &window, listview::kIconLeft, rowTop(row));
            return shot.copy(QRect(topLeft * scale, QSize(32, 32) * scale));
        };
        QCOMPARE(window.Model().CurSiteIndex, 0);
        QVERIFY(icon(0) != icon(3));
        QCOMPARE(icon(3), icon(4));
        QVERIFY(icon(3).pixel(16 * scale, 12 * scale) != colours.color(listview::kBtnFaceRole).rgb());

        // The banner is drawn: its picture has more than the window's own colour.
        const QWidget* banner = window.findChild<QWidget*>("banner");
        const QImage bannerShot
            = shot.copy(QRect(banner->mapTo(&window, QPoint(0, 0)) * scale, banner->size() * scale));
        QVERIFY(bannerShot.pixel(bannerShot.width() / 2, bannerShot.height() / 2) != bannerShot.pixel(0, 0)
                || bannerShot.pixel(bannerShot.width() / 4, bannerShot.height() / 2) != bannerShot.pixel(0, 0));

        // The chosen tab.
        const QWidget* tab = window.findChild<QWidget*>("lblTab0");
        QCOMPARE(pixel(tab->mapTo(&window, QPoint(2, 2))), window.palette().color(QPalette::Highlight).rgb());
    }
};

QTEST_MAIN(TestScreenshot)
#include "tst_Screenshot.moc"
