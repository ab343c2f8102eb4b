#include "listview/SiteListView.h"
#include "store/SiteListModel.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

using lanvex::listview::SiteListView;
namespace lv = lanvex::listview;

namespace {

const QColor kButton(200, 200, 200);
const QColor kHighlight(0, 0, 128);
const QColor kInfoBk(255, 255, 225);
const QColor kMid(128, 128, 128);
const QColor kRed(255, 0, 0);

// A list of `count` entries in a window, with the scroll bar set up the way site loading sets it.
struct Fixture
{
    lanvex::store::SiteListModel model;
    QWidget window;
    SiteListView* view = nullptr;
    QScrollBar* vscroll = nullptr;

    explicit Fixture(int count, int curSite = 0)
    {
        model.SiteCount = count;
        model.CurSiteIndex = curSite;
        for (int i = 0; i < count; ++i)
            model.SiteNames.push_back(i == 0 ? lanvex::store::kCurrentSettingsName : "Site " + std::to_string(i));
        model.SiteProfiles.resize(static_cast<std::size_t>(count));

        view = new SiteListView(&window);
        view->move(8, 24);
        QPalette pal = view->palette();
        pal.setColor(QPalette::Button, kButton);
        pal.setColor(QPalette::Highlight, kHighlight);
        pal.setColor(QPalette::ToolTipBase, kInfoBk);
        pal.setColor(QPalette::Mid, kMid);
        view->setPalette(pal);
        vscroll = new QScrollBar(Qt::Vertical, &window);
        vscroll->setGeometry(8 + view->width(), 24, 17, view->height());
        view->setModel(&model);
        view->setScrollBar(vscroll);
        window.resize(260, 320);
        if (count > 7) {
            vscroll->setRange(1, count - 6);
            vscroll->setPageStep(std::min(count - 6, 7));
            vscroll->setValue(1);
        } else {
            vscroll->hide();
        }
        view->DrawSiteList();
    }

    // The window with `top` as the first visible entry (through the scroll bar when there is one).
    void scrollTo(int top)
    {
        if (model.SiteCount > 7) {
            vscroll->setValue(top + 1);
        } else {
            view->setTopIndex(top);
            view->DrawSiteList();
        }
        QCOMPARE(view->TopIndex(), model.SiteCount > 7 ? top : 0);
    }

    QImage picture() const { return view->grab().toImage(); }
    // A pixel of the drawing area, in twips of the list.
    QColor at(const QImage& image, int xTwips, int yTwips) const
    {
        // On a high-DPI screen one logical pixel covers several image pixels; take the first.
        return image.pixelColor(view->toWidget(xTwips, yTwips) * image.devicePixelRatio());
    }
};

// Glyph edges are blended with the box, so text pixels are compared with some slack.
bool nearly(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 48 && std::abs(a.green() - b.green()) < 48
        && std::abs(a.blue() - b.blue()) < 48;
}

int rowTop(int row)
{
    return lv::kFirstRowTop + lv::kRowPitch * row;
}

} // namespace

class TestSiteListView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void click_data();
    void click();
    void hover_data();
    void hover();
    void hoverWithRealPointer();
    void keys_data();
    void keys();
    void scrollBar();
    void wheel();
    void rowLook_data();
    void rowLook();
    void boxGeometryAndWindowRule();
    void icons_data();
    void icons();
};

void TestSiteListView::click_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("top");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("expected");

    QTest::newRow("above the rows") << 20 << 0 << 119.0 << int(Qt::LeftButton) << -1;
    QTest::newRow("first twip of row 0") << 20 << 0 << 120.0 << int(Qt::LeftButton) << 0;
    QTest::newRow("last twip of row 0") << 20 << 0 << 599.0 << int(Qt::LeftButton) << 0;
    QTest::newRow("first twip of row 1") << 20 << 0 << 600.0 << int(Qt::LeftButton) << 1;
    QTest::newRow("half twip rounds into row 1") << 20 << 0 << 599.5 << int(Qt::LeftButton) << 1;
    QTest::newRow("last twip of row 6") << 20 << 0 << 3479.0 << int(Qt::LeftButton) << 6;
    QTest::newRow("half below 3480 rounds to an eighth row") << 20 << 0 << 3479.5 << int(Qt::LeftButton) << -1;
    QTest::newRow("3480 is an eighth row") << 20 << 0 << 3480.0 << int(Qt::LeftButton) << -1;
    QTest::newRow("row 6 scrolled") << 20 << 5 << 3479.0 << int(Qt::LeftButton) << 11;
    QTest::newRow("right button selects") << 20 << 5 << 700.0 << int(Qt::RightButton) << 6;
    QTest::newRow("last entry") << 3 << 0 << 1559.0 << int(Qt::LeftButton) << 2;
    QTest::newRow("row after the last entry") << 3 << 0 << 1560.0 << int(Qt::LeftButton) << -1;
    // Whole pixels go through real mouse events: 3465 twips is the last pixel row of row 6.
    QTest::newRow("pixel: row 6") << 20 << 13 << 3465.0 << int(Qt::LeftButton) << 19;
    QTest::newRow("pixel: below the rows") << 20 << 0 << 3480.0 << int(Qt::RightButton) << -1;
}

void TestSiteListView::click()
{
    QFETCH(int, count);
    QFETCH(int, top);
    QFETCH(double, y);
    QFETCH(int, button);
    QFETCH(int, expected);

    Fixture f(count);
    f.scrollTo(top);
    f.view->setSelIndex(-1);
    QSignalSpy selected(f.view, &SiteListView::siteSelected);
    QCOMPARE(f.view->EntryAt(y), expected);
    if (QByteArray(QTest::currentDataTag()).startsWith("pixel")) {
        QTest::mouseClick(f.view, Qt::MouseButton(button), {}, f.view->toWidget(1500, y));
    } else {
        f.view->MouseDownAt(1500, y);
    }
    QCOMPARE(f.view->SelIndex(), expected);
    QCOMPARE(selected.count(), expected < 0 ? 0 : 1);
    if (expected >= 0)
        QCOMPARE(selected.at(0).at(0).toInt(), expected);
}

void TestSiteListView::hover_data()
{
    QTest::addColumn<QPoint>("from"); // twips
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("expected");

    const QPoint row1(1500, rowTop(1));
    const QPoint row2(1500, rowTop(2) + 100);
    QTest::newRow("row 1 to row 2") << row1 << row2 << 2;
    QTest::newRow("to the last twip of row 3") << row2 << QPoint(1500, rowTop(3) + 479) << 3;
    QTest::newRow("onto an empty row keeps it") << row2 << QPoint(1500, rowTop(5)) << 2;
    QTest::newRow("band below the rows keeps it") << row2 << QPoint(1500, 3900) << 2;
    QTest::newRow("top margin clears") << row2 << QPoint(1500, 120) << -1;
    QTest::newRow("just below the top margin") << row2 << QPoint(1500, 121) << 0;
    QTest::newRow("left edge clears") << row2 << QPoint(30, 1000) << -1;
    QTest::newRow("just right of the left edge") << row2 << QPoint(31, rowTop(3)) << 3;
    QTest::newRow("right edge clears") << row2 << QPoint(lv::kOuterWidth - 30, 1000) << -1;
    QTest::newRow("just left of the right edge") << row2 << QPoint(lv::kOuterWidth - 31, 1000) << 1;
    QTest::newRow("bottom edge clears") << row2 << QPoint(1500, lv::kOuterHeight - 120) << -1;
    QTest::newRow("just above the bottom edge") << row2 << QPoint(1500, lv::kOuterHeight - 121) << 2;
}

void TestSiteListView::hover()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, expected);

    Fixture f(4);
    QSignalSpy selected(f.view, &SiteListView::siteSelected);
    f.view->MouseMoveAt(from.x(), from.y());
    f.view->MouseMoveAt(to.x(), to.y());
    QCOMPARE(f.view->HoverIndex(), expected);
    QCOMPARE(f.view->SelIndex(), 0); // hovering never selects
    QCOMPARE(selected.count(), 0);
}

void TestSiteListView::hoverWithRealPointer()
{
    Fixture f(5);
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QTest::mouseMove(f.view, f.view->toWidget(1500, rowTop(3) + 200));
    QTRY_COMPARE(f.view->HoverIndex(), 3);
    QImage image = f.picture();
    QCOMPARE(f.at(image, 30, rowTop(3) + 30), kRed);
    QCOMPARE(f.at(image, 3000, rowTop(3) + 60), kMid);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.view, &leave);
    QCOMPARE(f.view->HoverIndex(), -1);
    image = f.picture();
    QCOMPARE(f.at(image, 30, rowTop(3) + 30), kButton);
    QCOMPARE(f.at(image, 30, rowTop(0) + 30), kRed); // entry 0 is still selected
}

void TestSiteListView::keys_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("sel");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("expectedTop");
    QTest::addColumn<int>("expectedSel");
    QTest::addColumn<QList<int>>("selections"); // siteSelected, in order

    const int up = Qt::Key_Up;
    const int down = Qt::Key_Down;
    QTest::newRow("up at the top row scrolls") << 20 << 5 << 5 << QList<int> { up } << 4 << 5 << QList<int> {};
    QTest::newRow("second up selects") << 20 << 5 << 5 << QList<int> { up, up } << 4 << 4 << QList<int> { 4 };
    QTest::newRow("down at the bottom row scrolls") << 20 << 5 << 11 << QList<int> { down } << 6 << 11 << QList<int> {};
    QTest::newRow("second down selects") << 20 << 5 << 11 << QList<int> { down, down } << 6 << 12 << QList<int> { 12 };
    QTest::newRow("up at the first entry") << 20 << 0 << 0 << QList<int> { up } << 0 << 0 << QList<int> {};
    QTest::newRow("down at the last entry") << 20 << 13 << 19 << QList<int> { down } << 13 << 19 << QList<int> {};
    QTest::newRow("down past the last of three") << 3 << 0 << 2 << QList<int> { down } << 0 << 2 << QList<int> {};
    QTest::newRow("down with nothing selected") << 3 << 0 << -1 << QList<int> { down } << 0 << 0 << QList<int> { 0 };
    QTest::newRow("selection below the window moves up")
        << 20 << 0 << 10 << QList<int> { up, up } << 0 << 8 << QList<int> { 9, 8 };
    QTest::newRow("selection above the window scrolls")
        << 20 << 8 << 3 << QList<int> { up, up } << 6 << 3 << QList<int> {};
    QTest::newRow("down from above the window selects")
        << 20 << 8 << 3 << QList<int> { down } << 8 << 4 << QList<int> { 4 };
    QTest::newRow("other keys are ignored")
        << 20 << 5 << 7 << QList<int> { Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Home } << 5 << 7 << QList<int> {};
}

void TestSiteListView::keys()
{
    QFETCH(int, count);
    QFETCH(int, top);
    QFETCH(int, sel);
    QFETCH(QList<int>, keys);
    QFETCH(int, expectedTop);
    QFETCH(int, expectedSel);
    QFETCH(QList<int>, selections);

    Fixture f(count);
    f.scrollTo(top);
    f.view->setSelIndex(sel);
    QSignalSpy selected(f.view, &SiteListView::siteSelected);
    for (int key : keys)
        QTest::keyClick(f.view, Qt::Key(key));
    QCOMPARE(f.view->TopIndex(), expectedTop);
    QCOMPARE(f.view->SelIndex(), expectedSel);
    QList<int> seen;
    for (const QList<QVariant>& args : selected)
        seen.append(args.at(0).toInt());
    QCOMPARE(seen, selections);
    if (count > 7)
        QCOMPARE(f.vscroll->value(), expectedTop + 1);
}

void TestSiteListView::scrollBar()
{
    Fixture f(20);
    f.window.show();
    QApplication::setActiveWindow(&f.window);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.vscroll->setFocus();

    // Dragging the thumb follows it continuously, whether or not the bar tracks.
    for (bool tracking : { true, false }) {
        f.vscroll->setTracking(tracking);
        f.vscroll->setSliderDown(true);
        for (int pos : { 3, 9, 14 }) {
            f.vscroll->setSliderPosition(pos);
            QCOMPARE(f.view->TopIndex(), pos - 1);
        }
        f.vscroll->setSliderDown(false);
        f.vscroll->setValue(1);
        QCOMPARE(f.view->TopIndex(), 0);
    }
    QVERIFY(f.view->hasFocus());

    // A click in the trough moves by up to seven rows.
    f.vscroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(f.view->TopIndex(), 7);
    f.vscroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(f.view->TopIndex(), 13);

    // The picture follows: row 0 shows entry 13, the one the pointer clicks there.
    f.view->MouseDownAt(1500, rowTop(0));
    QCOMPARE(f.view->SelIndex(), 13);
    QCOMPARE(f.at(f.picture(), 30, rowTop(0) + 30), kRed);

    // With no entries a change only resets the window.
    f.model.SiteCount = 0;
    f.view->ScrollChanged(5);
    QCOMPARE(f.view->TopIndex(), 0);
}

namespace {

void turnWheel(SiteListView* view, QPoint angle, QPoint pixels = {})
{
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    QWheelEvent event(at, view->mapToGlobal(at), pixels, angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

} // namespace

// Over the list the wheel scrolls like the scroll bar: a notch is a row, never past the last page.
void TestSiteListView::wheel()
{
    Fixture f(20);
    turnWheel(f.view, QPoint(0, -120));
    QCOMPARE(f.view->TopIndex(), 1);
    QCOMPARE(f.vscroll->value(), 2);
    turnWheel(f.view, QPoint(0, -360));
    QCOMPARE(f.view->TopIndex(), 4);
    turnWheel(f.view, QPoint(0, 120));
    QCOMPARE(f.view->TopIndex(), 3);
    // The picture follows: the first row shows the entry a click there selects.
    f.view->MouseDownAt(1500, rowTop(0));
    QCOMPARE(f.view->SelIndex(), 3);

    // A long turn stops at the last page; the wheel turned back moves at once.
    turnWheel(f.view, QPoint(0, -120 * 40));
    QCOMPARE(f.view->TopIndex(), 13);
    turnWheel(f.view, QPoint(0, -120));
    QCOMPARE(f.view->TopIndex(), 13);
    turnWheel(f.view, QPoint(0, 120));
    QCOMPARE(f.view->TopIndex(), 12);

    // Finer wheels and touchpads add up to whole rows; a turn back starts afresh.
    turnWheel(f.view, QPoint(0, 60));
    QCOMPARE(f.view->TopIndex(), 12);
    turnWheel(f.view, QPoint(0, 60));
    QCOMPARE(f.view->TopIndex(), 11);
    turnWheel(f.view, QPoint(0, 60));
    turnWheel(f.view, QPoint(0, -60));
    QCOMPARE(f.view->TopIndex(), 11);
    for (int i = 0; i < 3; ++i)
        turnWheel(f.view, QPoint(0, 40), QPoint(0, 20));
    QCOMPARE(f.view->TopIndex(), 10); // 60 pixels: one row of 32, the rest kept
    turnWheel(f.view, QPoint(0, 10), QPoint(0, 4));
    QCOMPARE(f.view->TopIndex(), 9);

    // With everything in view there is nothing to scroll.
    Fixture few(7);
    turnWheel(few.view, QPoint(0, -360));
    QCOMPARE(few.view->TopIndex(), 0);
    QCOMPARE(few.view->EntryAt(rowTop(6)), 6);
}

void TestSiteListView::rowLook_data()
{
    QTest::addColumn<int>("sel");
    QTest::addColumn<int>("hover");
    QTest::addColumn<QColor>("outline");
    QTest::addColumn<QColor>("interior");
    QTest::addColumn<QColor>("text");

    QTest::newRow("ordinary") << -1 << -1 << kButton << kButton << kHighlight;
    QTest::newRow("selected") << 3 << -1 << kRed << kHighlight << kInfoBk;
    QTest::newRow("hovered") << -1 << 3 << kRed << kMid << kInfoBk;
    QTest::newRow("hovered and selected") << 3 << 3 << kRed << kMid << kInfoBk;
    QTest::newRow("another row selected") << 2 << 4 << kButton << kButton << kHighlight;
}

void TestSiteListView::rowLook()
{
    QFETCH(int, sel);
    QFETCH(int, hover);
    QFETCH(QColor, outline);
    QFETCH(QColor, interior);
    QFETCH(QColor, text);

    Fixture f(6);
    f.model.SiteNames[3] = "IIIIIIII"; // solid stems, so some text pixels carry the full colour
    f.view->setSelIndex(sel);
    f.view->setHoverIndex(hover);
    f.view->DrawSiteList();
    const QImage image = f.picture();
    const int y0 = rowTop(3);
    QCOMPARE(f.at(image, 30, y0 + 200), outline);
    QCOMPARE(f.at(image, 2000, y0 + 30), outline);
    QCOMPARE(f.at(image, 2000, y0 + 60), interior);

    const qreal dpr = image.devicePixelRatio();
    const QRect textArea(f.view->toWidget(lv::kTextLeft, y0 + lv::kTextTop) * dpr, QSize(60, 14) * dpr);
    int textPixels = 0;
    for (int y = textArea.top(); y <= textArea.bottom(); ++y)
        for (int x = textArea.left(); x <= textArea.right(); ++x)
            textPixels += nearly(image.pixelColor(x, y), text) ? 1 : 0;
    QVERIFY2(textPixels > 10, qPrintable(QString::number(textPixels)));
}

void TestSiteListView::boxGeometryAndWindowRule()
{
    // Eight entries scrolled by one: entry 1 in row 0, entry 0 out of sight.
    Fixture f(8);
    f.scrollTo(1);
    f.view->setSelIndex(1);
    f.view->DrawSiteList();
    QImage image = f.picture();
    const int right = f.view->ScaleWidth() - 30;
    QCOMPARE(f.view->ScaleWidth(), lv::kOuterWidth - 2 * lv::kFramePixels * lv::kTwipsPerPixel);
    QCOMPARE(f.at(image, 30, 200), kRed);
    QCOMPARE(f.at(image, 15, 200), kButton);
    QCOMPARE(f.at(image, right, 200), kRed);
    QCOMPARE(f.at(image, right + 15, 200), kButton);
    QCOMPARE(f.at(image, 1500, 120 + 30), kRed);
    QCOMPARE(f.at(image, 1500, 120 + 15), kButton);
    QCOMPARE(f.at(image, 1500, 120 + 450), kRed);
    QCOMPARE(f.at(image, 1500, 120 + 465), kButton);
    QCOMPARE(f.view->EntryAt(rowTop(6)), 7);

    // Seven entries always start at entry 0, whatever the window was.
    Fixture seven(7);
    seven.view->setTopIndex(4);
    seven.view->DrawSiteList();
    QCOMPARE(seven.view->TopIndex(), 0);
    QCOMPARE(seven.view->EntryAt(rowTop(6)), 6);

    // No entries: an empty list.
    Fixture empty(0);
    image = empty.picture();
    for (int row = 0; row < 7; ++row)
        QCOMPARE(empty.at(image, 30, rowTop(row) + 30), kButton);
    QCOMPARE(empty.view->EntryAt(rowTop(0)), -1);
}

void TestSiteListView::icons_data()
{
    QTest::addColumn<int>("curSite");
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("live");

    QTest::newRow("entry 0 while live") << 0 << 0 << true;
    QTest::newRow("entry 0 with no adapter") << -1 << 0 << false;
    QTest::newRow("a saved site") << 0 << 2 << false;
}

void TestSiteListView::icons()
{
    QFETCH(int, curSite);
    QFETCH(int, entry);
    QFETCH(bool, live);

    Fixture f(3, curSite);
    f.view->setSelIndex(-1);
    f.view->DrawSiteList();
    const QImage image = f.picture();
    // Icon pixel (25, 20) is the live badge's green and clear in the pin; (16, 11) is the pin's centre.
    const int x0 = lv::kIconLeft;
    const int y0 = rowTop(entry);
    const int px = lv::kTwipsPerPixel;
    QCOMPARE(f.at(image, x0 + 25 * px, y0 + 20 * px), live ? QColor(0x2E, 0x9E, 0x4F) : kButton);
    QCOMPARE(f.at(image, x0 + 16 * px, y0 + 11 * px) == QColor(0x1B, 0x4F, 0x8A), !live);
}

QTEST_MAIN(TestSiteListView)
#include "tst_SiteListView.moc"
