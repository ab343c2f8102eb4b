#include "listview/SiteListView.h"

#include "store/SiteListModel.h"

#include <QScrollBar>

namespace lanvex::listview {

SiteListView::SiteListView(QWidget* parent)
    : QWidget(parent)
{ }

void SiteListView::setModel(const store::SiteListModel* model)
{
    m_model = model;
    update();
}

void SiteListView::setScrollBar(QScrollBar* vscroll)
{
    m_scrollBar = vscroll;
}

QScrollBar* SiteListView::scrollBar() const
{
    return m_scrollBar;
}

int SiteListView::TopIndex() const
{
    return m_topIndex;
}
void SiteListView::setTopIndex(int index)
{
    m_topIndex = index;
}
int SiteListView::SelIndex() const
{
    return m_selIndex;
}
void SiteListView::setSelIndex(int index)
{
    m_selIndex = index;
}
int SiteListView::HoverIndex() const
{
    return m_hoverIndex;
}
void SiteListView::setHoverIndex(int index)
{
    m_hoverIndex = index;
}

void SiteListView::DrawSiteList()
{
    update();
}
void SiteListView::DrawSiteItem(int)
{
    update();
}
int SiteListView::EntryAt(int) const
{
    return -1;
}

} // namespace lanvex::listview
