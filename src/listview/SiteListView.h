#pragma once

#include <QWidget>

class QScrollBar;

namespace lanvex::store {
struct SiteListModel;
}

namespace lanvex::listview {

// picList: the site list, drawn by the program from the view state.
class SiteListView : public QWidget
{
    Q_OBJECT
public:
    explicit SiteListView(QWidget* parent = nullptr);

    void setModel(const store::SiteListModel* model); // not owned; entries, SiteCount, CurSiteIndex
    void setScrollBar(QScrollBar* vscroll); // VScroll, a sibling the window places
    QScrollBar* scrollBar() const;

    int TopIndex() const;
    void setTopIndex(int index);
    int SelIndex() const;
    void setSelIndex(int index);
    int HoverIndex() const;
    void setHoverIndex(int index);

    void DrawSiteList(); // the whole visible window, from scratch
    void DrawSiteItem(int index); // one row
    int EntryAt(int yTwips) const; // hit-test, -1 for none

Q_SIGNALS:
    void siteSelected(int index); // SelIndex was set by mouse or keys; the window runs SelectSite(index)

private:
    const store::SiteListModel* m_model = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    int m_topIndex = 0;
    int m_selIndex = -1;
    int m_hoverIndex = -1;
};

} // namespace lanvex::listview
