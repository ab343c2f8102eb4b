// The window as Windows shows it, under Wine on an X display: the native window's title and client
// area, its pixels as they reach the screen, and mouse and keys sent as Windows messages.
#include "../gui/WindowTestSupport.h"
#include "LanvexResources.h"
#include "editor/SiteEditor.h"
#include "gui/ImageButton.h"
#include "gui/MainWindow.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <windows.h>

using namespace lanvex;

namespace {

struct Fixture
{
    Fixture()
    {
        folder.WriteSites(
            { gui::test::StaticSite("总部办公室", "10.10.1.20"), gui::test::StaticSite("上海分公司", "10.20.1.20") });
        const std::string network = folder.WriteNetwork(
            gui::test::Network({ gui::test::StaticAdapter("Intel(R) Ethernet Connection I219-LM", "192.168.1.10") }));
        connector = std::make_unique<net::sim::SimulatedConnector>(network);
        printers = std::make_unique<net::sim::SimulatedPrinters>(network);
        window = std::make_unique<gui::MainWindow>(*connector, *printers, messages);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the window did not appear");
        window->activateWindow();
    }
    HWND hwnd() const { return reinterpret_cast<HWND>(window->winId()); }
    template <typename T> T* find(const char* name) const { return window->findChild<T*>(QString::fromLatin1(name)); }

    // A left click as Windows delivers it, at a point of a control.
    void click(const QWidget* control, QPoint at) const
    {
        const QPoint p = control->mapTo(window.get(), at);
        const LPARAM where = MAKELPARAM(p.x(), p.y());
        PostMessageW(hwnd(), WM_MOUSEMOVE, 0, where);
        PostMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(hwnd(), WM_LBUTTONUP, 0, where);
        QTest::qWait(200);
    }
    void key(WPARAM virtualKey) const
    {
        const UINT scanCode = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
        PostMessageW(hwnd(), WM_KEYDOWN, virtualKey, 1 | (LPARAM(scanCode) << 16));
        PostMessageW(hwnd(), WM_KEYUP, virtualKey, 1 | (LPARAM(scanCode) << 16) | (LPARAM(3) << 30));
        QTest::qWait(200);
    }

    gui::test::TestFolder folder;
    gui::test::RecordingMessages messages;
    std::unique_ptr<net::ServiceConnector> connector;
    std::unique_ptr<printer::PrinterSource> printers;
    std::unique_ptr<gui::MainWindow> window;
};

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8
        && std::abs(qBlue(a) - qBlue(b)) <= 8;
}

} // namespace

class TestWindowsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nativeWindowAndItsPixels()
    {
        Fixture f;
        wchar_t title[64] = {};
        GetWindowTextW(f.hwnd(), title, 64);
        QCOMPARE(QString::fromWCharArray(title),
                 QStringLiteral("Lanvex  V%1.%2.%3")
                     .arg(LANVEX_VERSION_MAJOR)
                     .arg(LANVEX_VERSION_MINOR)
                     .arg(LANVEX_VERSION_REVISION));
        RECT client {};
        QVERIFY(GetClientRect(f.hwnd(), &client));
        QCOMPARE(QSize(client.right - client.left, client.bottom - client.top), QSize(639, 501));

        // What the screen shows: the window's pixels as Wine drew them on the display.
        QTest::qWait(300);
        const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(f.window->winId())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(639, 501));
        QVERIFY(QDir().mkpath(QStringLiteral(LANVEX_SCREENSHOT_DIR)));
        QVERIFY(shot.save(QStringLiteral(LANVEX_SCREENSHOT_DIR "/windows-main-window.png")));

        // The banner at its place, pixel for pixel from the PNG rendered at build time.
        const QWidget* banner = f.window->childAt(10, 10);
        QVERIFY(banner != nullptr);
        const QImage art = QImage(QString::fromLatin1(resources::kBanner)).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(art.size(), QSize(283, 68));
        QCOMPARE(banner->size(), art.size());
        const QPoint origin = banner->mapTo(f.window.get(), QPoint(0, 0));
        int differing = 0;
        for (int y = 2; y < art.height(); y += 6) {
            for (int x = 2; x < art.width(); x += 6)
                differing += Near(shot.pixel(origin + QPoint(x, y)), art.pixel(x, y)) ? 0 : 1;
        }
        QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 banner pixels differ").arg(differing)));

        // Entry 0 is selected: its box is the highlight colour with a red top edge; entry 1 is plain.
        const auto* list = f.find<listview::SiteListView>("picList");
        const auto at = [&](int row, double yTwips) {
            const double x = list->ScaleWidth() - 400;
            const double y = listview::kFirstRowTop + listview::kRowPitch * row + yTwips;
            return shot.pixel(list->mapTo(f.window.get(), list->toWidget(x, y)));
        };
        QCOMPARE(at(0, 400), list->palette().color(listview::kHighlightRole).rgb());
        QCOMPARE(at(1, 400), list->palette().color(listview::kBtnFaceRole).rgb());
        const QRgb edge = at(0, listview::kBoxInset);
        QVERIFY(qRed(edge) > 200 && qGreen(edge) < 60 && qBlue(edge) < 60);
    }

    // A click on a site and a click on Save write the settings file; F4 applies the site over the
    // simulated service and shows the summary; Esc closes the window.
    void clickSaveApplyAndClose()
    {
        Fixture f;
        auto* list = f.find<listview::SiteListView>("picList");
        const int rowTop = listview::kFirstRowTop + listview::kRowPitch * 1;
        f.click(list, list->toWidget(1500, rowTop + 200));
        QCOMPARE(list->SelIndex(), 1);
        auto* editor = f.find<editor::SiteEditor>("FrameSite");
        QCOMPARE(editor->txtName->text(), QStringLiteral("总部办公室"));

        editor->txtIP->selectAll();
        QTest::keyClicks(editor->txtIP, QStringLiteral("10.10.1.99"));
        f.click(f.find<gui::ImageButton>("imgIP1"), QPoint(16, 16));
        QCOMPARE(store::ReadIniString("总部办公室", "IP", ""), std::string("10.10.1.99"));
        QCOMPARE(store::ReadIniString("上海分公司", "IP", ""), std::string("10.20.1.20"));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text, QStringLiteral("保存成功!"));

        f.key(VK_F4);
        QTRY_COMPARE_WITH_TIMEOUT(f.messages.shown.size(), std::size_t(2), 10000);
        QCOMPARE(f.messages.shown[1].title, QStringLiteral("温馨提示"));
        QCOMPARE(f.messages.shown[1].text,
                 QStringLiteral("更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。"));
        const QJsonArray calls = f.folder.ReadNetwork()["calls"].toArray();
        QCOMPARE(
            QJsonDocument(calls).toJson(QJsonDocument::Compact),
            QByteArray(R"([{"Index":1,"args":["10.10.1.99"],"method":"ProbeAddress","result":0},)"
                       R"({"Index":1,"args":[["10.10.1.99"],["255.255.255.0"]],"method":"EnableStatic",)"
                       R"("result":0},{"Index":1,"args":[["10.10.1.1"],[1]],"method":"SetGateways","result":0}])"));

        f.key(VK_ESCAPE);
        QTRY_VERIFY(!f.window->isVisible());
    }
};

QTEST_MAIN(TestWindowsWindow)
#include "tst_WindowsWindow.moc"
