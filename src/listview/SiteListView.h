#pragma once

#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <memory>

namespace lanvex::store {
struct SiteListModel;
}

namespace lanvex::listview {

// Geometry of the list in twips (15 per logical pixel), measured from the top-left corner of the
// drawing area inside the sunken border.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kVisibleRows = 7;
inline constexpr int kRowPitch = 480;
inline constexpr int kFirstRowTop = 120;
inline constexpr int kLastHitY = kFirstRowTop + kVisibleRows * kRowPitch; // 3480
inline constexpr int kBoxInset = 30;
inline constexpr int kBoxBottom = 450;
inline constexpr int kIconLeft = 120;
inline constexpr int kTextLeft = 630;
inline constexpr int kTextTop = 120;
inline constexpr int kOuterWidth = 3255; // picList in the window layout
inline constexpr int kOuterHeight = 4095;
inline constexpr int kFramePixels = 2; // the sunken border, in logical pixels

// Palette roles standing in for the Windows system colours the list uses.
// COLOR_INACTIVECAPTION has no role of its own; Mid is the scheme's mid-tone, which is what the
// classic inactive caption (grey) is, and it stays distinct from Highlight (the selection).
inline constexpr QPalette::ColorRole kBtnFaceRole = QPalette::Button; // COLOR_BTNFACE
inline constexpr QPalette::ColorRole kHighlightRole = QPalette::Highlight; // COLOR_HIGHLIGHT
inline constexpr QPalette::ColorRole kInfoBkRole = QPalette::ToolTipBase; // COLOR_INFOBK
inline constexpr QPalette::ColorRole kInactiveCaptionRole = QPalette::Mid; // COLOR_INACTIVECAPTION
inline constexpr QRgb kHighlightFrame = qRgb(255, 0, 0); // the one fixed colour

// picList: the site list, drawn by the program from the view state.
class SiteListView : public QWidget
{
    Q_OBJECT
public:
    explicit SiteListView(QWidget* parent = nullptr);
    ~SiteListView() override;

    void setModel(const store::SiteListModel* model); // not owned; entries, SiteCount, CurSiteIndex
    const store::SiteListModel* model() const { return m_model; }
    void setScrollBar(QScrollBar* vscroll); // VScroll, a sibling the window places
    QScrollBar* scrollBar() const { return m_scrollBar.data(); }

    // The view state. The setters only store: callers redraw with DrawSiteList or DrawSiteItem.
    int TopIndex() const { return m_topIndex; }
    void setTopIndex(int index) { m_topIndex = index; }
    int SelIndex() const { return m_selIndex; }
    void setSelIndex(int index) { m_selIndex = index; }
    int HoverIndex() const { return m_hoverIndex; }
    void setHoverIndex(int index) { m_hoverIndex = index; }

    // Which entries carry the mark of the chosen adapter's network beside their icon; asked for the
    // rows being drawn only. Callers redraw when its answers change.
    void setMatchMark(std::function<bool(int index)> marked) { m_marked = std::move(marked); }
    bool IsMarkedEntry(int index) const { return m_marked && m_marked(index); }

    void DrawSiteList(); // the whole visible window, from scratch
    void DrawSiteItem(int index); // one row
    int EntryAt(int yTwips) const; // hit-test, -1 for none
    QRect RowRect(int index) const { return rowRect(index); } // where entry `index` is drawn
    int EntryAt(double yTwips) const;

    // The list's handlers with the pointer in twips of the drawing area; the Qt events land here.
    void MouseDownAt(double xTwips, double yTwips);
    void MouseMoveAt(double xTwips, double yTwips);
    void PointerLeft();
    bool KeyDown(int qtKey); // Up and Down; false for every other key
    void ScrollChanged(int value);
    // The wheel: whole rows up (positive) or down, through the scroll bar like its arrows.
    // `angle` in eighths of a degree (one notch, 120, is one row), `pixels` from a touchpad
    // (a row pitch of pixels is one row); parts of a row are kept for the next turn.
    void WheelTurned(int angle, int pixels);

    int ScaleWidth() const; // inner width in twips
    QRect drawingArea() const;
    QPointF toTwips(QPointF widgetPos) const;
    QPoint toWidget(double xTwips, double yTwips) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void siteSelected(int index); // SelIndex was set by mouse or keys; the window runs SelectSite(index)

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int siteCount() const;
    bool isVisibleEntry(int index) const;
    QRect rowRect(int index) const;
    void paintItem(QPainter& painter, int index);
    const QPixmap& icon(bool current);
    const QPixmap& managedBadge();
    const QPixmap& matchBadge();
    void select(int index);

    const store::SiteListModel* m_model = nullptr;
    QPointer<QScrollBar> m_scrollBar;
    QMetaObject::Connection m_valueConnection;
    QMetaObject::Connection m_sliderConnection;
    // "CURSITE" and "SITE", drawn once for the screen's pixel ratio and copied into every row.
    QPixmap m_icons[2];
    QPixmap m_managedBadge; // the padlock over the icon of an organisation's site
    QPixmap m_matchBadge; // the tick over the icon of a site of the chosen adapter's network
    std::function<bool(int)> m_marked;
    int m_topIndex = 0;
    int m_selIndex = 0;
    int m_hoverIndex = -1;
    int m_wheelAngle = 0; // eighths of a degree not yet scrolled
    int m_wheelPixels = 0; // touchpad pixels not yet scrolled
};

} // namespace lanvex::listview
