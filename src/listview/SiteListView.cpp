#include "listview/SiteListView.h"

#include "Artwork.h"
#include "LanvexResources.h"
#include "store/SiteListModel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <qdrawutil.h>

namespace lanvex::listview {

namespace {

constexpr int kIconPixels = 32; // the icons' natural size
constexpr int kBadgePixels = 14; // a mark drawn over the icon's lower right corner

// Draws `artwork` once at the widget's pixel ratio into `drawn`, or keeps what is there.
const QPixmap& drawnOnce(QPixmap& drawn, const char* artwork, int pixels, qreal ratio)
{
    if (drawn.isNull() || drawn.devicePixelRatio() != ratio) {
        drawn = QPixmap(QSize(pixels, pixels) * ratio);
        drawn.setDevicePixelRatio(ratio);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        resources::Artwork(QString::fromLatin1(artwork)).Render(painter, QRectF(0, 0, pixels, pixels));
    }
    return drawn;
}

constexpr double toPixels(double twips)
{
    return twips / kTwipsPerPixel;
}

} // namespace

SiteListView::SiteListView(QWidget* parent)
    : QWidget(parent)
{
    lanvexInitResources();

    setObjectName(QStringLiteral("picList"));
    setAccessibleName(tr("IP设置列表"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tracking stands in for pointer capture: every move over the list arrives, and leaving it
    // arrives as a leave event.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
}

SiteListView::~SiteListView() = default;

QSize SiteListView::sizeHint() const
{
    return { kOuterWidth / kTwipsPerPixel, kOuterHeight / kTwipsPerPixel };
}

void SiteListView::setModel(const store::SiteListModel* model)
{
    m_model = model;
    update();
}

void SiteListView::setScrollBar(QScrollBar* vscroll)
{
    disconnect(m_valueConnection);
    disconnect(m_sliderConnection);
    m_scrollBar = vscroll;
    if (vscroll == nullptr)
        return;
    m_valueConnection = connect(vscroll, &QScrollBar::valueChanged, this, &SiteListView::ScrollChanged);
    // While the thumb is dragged the list follows it, also when the bar does not track.
    m_sliderConnection = connect(vscroll, &QScrollBar::sliderMoved, this, &SiteListView::ScrollChanged);
}

int SiteListView::siteCount() const
{
    return m_model == nullptr ? 0 : m_model->SiteCount;
}

bool SiteListView::isVisibleEntry(int index) const
{
    return index >= 0 && index >= m_topIndex && index <= m_topIndex + kVisibleRows - 1 && index < siteCount();
}

QRect SiteListView::drawingArea() const
{
    return rect().adjusted(kFramePixels, kFramePixels, -kFramePixels, -kFramePixels);
}

int SiteListView::ScaleWidth() const
{
    return drawingArea().width() * kTwipsPerPixel;
}

QPointF SiteListView::toTwips(QPointF widgetPos) const
{
    return (widgetPos - QPointF(drawingArea().topLeft())) * kTwipsPerPixel;
}

QPoint SiteListView::toWidget(double xTwips, double yTwips) const
{
    return drawingArea().topLeft()
        + QPoint(static_cast<int>(std::floor(toPixels(xTwips))), static_cast<int>(std::floor(toPixels(yTwips))));
}

QRect SiteListView::rowRect(int index) const
{
    const int y0 = kFirstRowTop + kRowPitch * (index - m_topIndex);
    const QRect area = drawingArea();
    return QRect(area.left(), area.top() + static_cast<int>(toPixels(y0)), area.width(),
                 static_cast<int>(toPixels(kRowPitch)));
}

void SiteListView::DrawSiteList()
{
    if (siteCount() >= 1) {
        if (siteCount() <= kVisibleRows)
            m_topIndex = 0;
        else if (m_topIndex < 0)
            m_topIndex = 0;
    }
    update();
}

void SiteListView::DrawSiteItem(int index)
{
    if (!isVisibleEntry(index))
        return;
    update(rowRect(index));
}

int SiteListView::EntryAt(int yTwips) const
{
    return EntryAt(static_cast<double>(yTwips));
}

int SiteListView::EntryAt(double yTwips) const
{
    if (!(yTwips >= kFirstRowTop && yTwips <= kLastHitY))
        return -1;
    // Round to the nearest twip, halves to even (the default rounding mode), then drop the remainder.
    const long row = std::lrint(yTwips - kFirstRowTop) / kRowPitch;
    if (row >= kVisibleRows)
        return -1;
    const long entry = m_topIndex + row;
    if (entry < 0 || entry >= siteCount())
        return -1;
    return static_cast<int>(entry);
}

void SiteListView::select(int index)
{
    m_selIndex = index;
    if (index < 0 || index >= siteCount())
        return;
    DrawSiteList();
    Q_EMIT siteSelected(index);
}

void SiteListView::MouseDownAt(double /*xTwips*/, double yTwips)
{
    const int entry = EntryAt(yTwips);
    if (entry >= 0)
        select(entry);
}

void SiteListView::MouseMoveAt(double xTwips, double yTwips)
{
    // The inner rectangle is measured against the outer size of the list.
    const double outerWidth = static_cast<double>(width()) * kTwipsPerPixel;
    const double outerHeight = static_cast<double>(height()) * kTwipsPerPixel;
    const bool inside = xTwips > kBoxInset && xTwips < outerWidth - kBoxInset && yTwips > kFirstRowTop
        && yTwips < outerHeight - kFirstRowTop;
    if (!inside) {
        PointerLeft();
        return;
    }
    // Over an empty row or the band below the rows the last entry passed over stays highlighted.
    const int entry = EntryAt(yTwips);
    if (entry < 0)
        return;
    const int old = m_hoverIndex;
    m_hoverIndex = entry;
    if (old >= 0)
        DrawSiteItem(old);
    DrawSiteItem(entry);
}

void SiteListView::PointerLeft()
{
    m_hoverIndex = -1;
    DrawSiteList();
}

bool SiteListView::KeyDown(int qtKey)
{
    if (qtKey == Qt::Key_Up) {
        if (m_selIndex > m_topIndex) {
            select(m_selIndex - 1);
        } else if (m_scrollBar != nullptr && m_scrollBar->value() > m_scrollBar->minimum()) {
            // The change handler scrolls; the selection stays on its entry.
            m_scrollBar->setValue(m_scrollBar->value() - 1);
        }
        return true;
    }
    if (qtKey == Qt::Key_Down) {
        if (m_selIndex < m_topIndex + kVisibleRows - 1) {
            if (m_selIndex + 1 < siteCount())
                select(m_selIndex + 1);
        } else if (m_scrollBar != nullptr && m_scrollBar->value() < m_scrollBar->maximum()) {
            m_scrollBar->setValue(m_scrollBar->value() + 1);
        }
        return true;
    }
    return false;
}

void SiteListView::ScrollChanged(int value)
{
    if (siteCount() < 1) {
        m_topIndex = 0;
        return;
    }
    m_topIndex = value - 1;
    DrawSiteList();
    // The arrow keys act on the list again after the scroll bar was used.
    setFocus(Qt::OtherFocusReason);
}

void SiteListView::WheelTurned(int angle, int pixels)
{
    constexpr int kAnglePerRow = 120;
    constexpr int kPixelsPerRow = kRowPitch / kTwipsPerPixel;
    int& rest = pixels != 0 ? m_wheelPixels : m_wheelAngle;
    const int delta = pixels != 0 ? pixels : angle;
    const int perRow = pixels != 0 ? kPixelsPerRow : kAnglePerRow;
    // A turn the other way starts afresh rather than first paying back the part row.
    if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0))
        rest = 0;
    rest += delta;
    const int rows = rest / perRow;
    rest -= rows * perRow;
    if (rows == 0 || m_scrollBar == nullptr || m_scrollBar->isHidden())
        return;
    // The bar's range keeps the window from scrolling past the last page; its change handler
    // moves TopIndex and redraws.
    const int target = std::clamp(m_scrollBar->value() - rows, m_scrollBar->minimum(), m_scrollBar->maximum());
    if (target == m_scrollBar->value())
        rest = 0;
    m_scrollBar->setValue(target);
}

void SiteListView::wheelEvent(QWheelEvent* event)
{
    WheelTurned(event->angleDelta().y(), event->pixelDelta().y());
    event->accept();
}

void SiteListView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), true, nullptr);
    const QRect area = drawingArea();
    painter.setClipRect(area);
    painter.fillRect(area, palette().color(kBtnFaceRole));
    const int count = siteCount();
    if (count < 1)
        return;
    painter.translate(area.topLeft());
    const int last = count > kVisibleRows ? m_topIndex + kVisibleRows - 1 : count - 1;
    for (int i = m_topIndex; i <= last; ++i)
        paintItem(painter, i);
}

void SiteListView::paintItem(QPainter& painter, int index)
{
    if (!isVisibleEntry(index))
        return;
    QColor outline;
    QColor interior;
    QColor text;
    if (index == m_hoverIndex) {
        outline = QColor(kHighlightFrame);
        interior = palette().color(kInactiveCaptionRole);
        text = palette().color(kInfoBkRole);
    } else if (index == m_selIndex) {
        outline = QColor(kHighlightFrame);
        interior = palette().color(kHighlightRole);
        text = palette().color(kInfoBkRole);
    } else {
        outline = palette().color(kBtnFaceRole);
        interior = outline;
        text = palette().color(kHighlightRole);
    }

    const int y0 = kFirstRowTop + kRowPitch * (index - m_topIndex);
    // A box form line covers both corner points: a one-pixel outline around a solid interior.
    const QRectF box(QPointF(toPixels(kBoxInset), toPixels(y0 + kBoxInset)),
                     QPointF(toPixels(ScaleWidth() - kBoxInset) + 1, toPixels(y0 + kBoxBottom) + 1));
    painter.fillRect(box, outline);
    painter.fillRect(box.adjusted(1, 1, -1, -1), interior);

    const QPointF iconTopLeft(toPixels(kIconLeft), toPixels(y0));
    painter.drawPixmap(iconTopLeft, icon(index == m_model->CurSiteIndex));
    if (store::IsManagedEntry(*m_model, index))
        painter.drawPixmap(iconTopLeft + QPointF(kIconPixels - kBadgePixels, kIconPixels - kBadgePixels),
                           managedBadge());
    if (IsMarkedEntry(index))
        painter.drawPixmap(iconTopLeft + QPointF(0, kIconPixels - kBadgePixels), matchBadge());

    if (static_cast<std::size_t>(index) >= m_model->SiteNames.size())
        return;
    painter.setPen(text);
    painter.setFont(font());
    const QPointF textTopLeft(toPixels(kTextLeft), toPixels(y0 + kTextTop));
    painter.drawText(
        QRectF(textTopLeft, QSizeF(toPixels(ScaleWidth()) - textTopLeft.x(), painter.fontMetrics().height())),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
        QString::fromStdString(m_model->SiteNames[static_cast<std::size_t>(index)]));
}

const QPixmap& SiteListView::icon(bool current)
{
    return drawnOnce(m_icons[current ? 0 : 1], current ? resources::kCurSiteIcon : resources::kSiteIcon, kIconPixels,
                     devicePixelRatioF());
}

const QPixmap& SiteListView::managedBadge()
{
    return drawnOnce(m_managedBadge, resources::kManagedBadge, kBadgePixels, devicePixelRatioF());
}

const QPixmap& SiteListView::matchBadge()
{
    return drawnOnce(m_matchBadge, resources::kMatchBadge, kBadgePixels, devicePixelRatioF());
}

void SiteListView::mousePressEvent(QMouseEvent* event)
{
    const QPointF twips = toTwips(event->position());
    MouseDownAt(twips.x(), twips.y());
    event->accept();
}

void SiteListView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF twips = toTwips(event->position());
    MouseMoveAt(twips.x(), twips.y());
}

void SiteListView::leaveEvent(QEvent* event)
{
    PointerLeft();
    QWidget::leaveEvent(event);
}

void SiteListView::keyPressEvent(QKeyEvent* event)
{
    if (KeyDown(event->key()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

} // namespace lanvex::listview
