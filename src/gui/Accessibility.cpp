#include "gui/Accessibility.h"

#include "gui/ImageButton.h"
#include "gui/StatusLine.h"
#include "listview/SiteListView.h"
#include "store/SiteListModel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QWindow>
#include <map>

namespace lanvex::gui {

namespace {

using listview::SiteListView;

QString Tr(const char* text)
{
    return QCoreApplication::translate("Accessibility", text);
}

// An image button: a push button named by its tooltip, pressed as a click is.
class ImageButtonAccessible : public QAccessibleWidget
{
public:
    explicit ImageButtonAccessible(ImageButton* button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString& action) override
    {
        if (action == pressAction())
            static_cast<ImageButton*>(widget())->Press();
    }
};

// The status line: a status bar whose name is the text it shows.
class StatusLineAccessible : public QAccessibleWidget
{
public:
    explicit StatusLineAccessible(StatusLine* line)
        : QAccessibleWidget(line, QAccessible::StatusBar)
    { }

    QString text(QAccessible::Text kind) const override
    {
        const QString& shown = static_cast<const StatusLine*>(widget())->Text();
        if ((kind == QAccessible::Name || kind == QAccessible::Value) && !shown.isEmpty())
            return shown;
        return QAccessibleWidget::text(kind);
    }
};

// One entry of the site list. It has no object of its own: it reads the list's model each time.
class SiteItemAccessible : public QAccessibleInterface
{
public:
    SiteItemAccessible(SiteListView* list, int index)
        : m_list(list)
        , m_index(index)
    { }

    bool isValid() const override { return m_list && m_list->model() && m_index < m_list->model()->SiteCount; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_list.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override { }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        const store::SiteListModel& model = *m_list->model();
        if (kind == QAccessible::Name && static_cast<std::size_t>(m_index) < model.SiteNames.size())
            return QString::fromStdString(model.SiteNames[static_cast<std::size_t>(m_index)]);
        if (kind != QAccessible::Description)
            return {};
        // What the icon's marks say to the eye.
        QStringList marks;
        if (m_index == model.CurSiteIndex)
            marks << Tr(QT_TRANSLATE_NOOP("Accessibility", "当前生效"));
        if (m_list->IsMarkedEntry(m_index))
            marks << Tr(QT_TRANSLATE_NOOP("Accessibility", "与所在网络匹配"));
        if (store::IsManagedEntry(model, m_index))
            marks << Tr(QT_TRANSLATE_NOOP("Accessibility", "单位下发，只读"));
        return marks.join(QStringLiteral(", "));
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const store::SiteListModel& model = *m_list->model();
        state.selectable = true;
        state.focusable = true;
        state.selected = m_list->SelIndex() == m_index;
        state.focused = state.selected && m_list->hasFocus();
        // The live site is the checked one, as in the tray's menu.
        state.checkable = true;
        state.checked = m_index == model.CurSiteIndex;
        state.readOnly = store::IsManagedEntry(model, m_index);
        state.disabled = !m_list->isEnabled();
        const QRect row = m_list->RowRect(m_index);
        state.invisible = !m_list->isVisible();
        state.offscreen = !m_list->rect().intersects(row);
        return state;
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect row = m_list->RowRect(m_index);
        return QRect(m_list->mapToGlobal(row.topLeft()), row.size());
    }

    QVector<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation) const override
    {
        return {};
    }

private:
    QPointer<SiteListView> m_list;
    int m_index;
};

// The site list: a list with one item per entry, from the current settings on.
class SiteListAccessible : public QAccessibleWidget
{
public:
    explicit SiteListAccessible(SiteListView* list)
        : QAccessibleWidget(list, QAccessible::List)
    {
        // The selection told as the item that takes the focus.
        QObject::connect(list, &SiteListView::siteSelected, list, [list](int index) {
            if (!QAccessible::isActive())
                return;
            QAccessibleEvent focus(list, QAccessible::Focus);
            focus.setChild(index);
            QAccessible::updateAccessibility(&focus);
        });
    }
    ~SiteListAccessible() override
    {
        for (const auto& [index, id] : m_items)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override
    {
        const store::SiteListModel* model = list()->model();
        return model ? std::max(model->SiteCount, 0) : 0;
    }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // The same interface each time an item is asked for, as Qt's registry wants.
        const auto found = m_items.find(index);
        if (found != m_items.end())
            return QAccessible::accessibleInterface(found->second);
        auto* item = new SiteItemAccessible(list(), index);
        m_items.emplace(index, QAccessible::registerAccessibleInterface(item));
        return item;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (const auto& [index, id] : m_items)
            if (QAccessible::accessibleInterface(id) == child)
                return index;
        return -1;
    }

    QAccessibleInterface* focusChild() const override
    {
        return list()->hasFocus() ? child(list()->SelIndex()) : nullptr;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint at = list()->mapFromGlobal(QPoint(x, y));
        for (int index = list()->TopIndex(); index < childCount(); ++index)
            if (list()->RowRect(index).contains(at))
                return child(index);
        return nullptr;
    }

private:
    SiteListView* list() const { return static_cast<SiteListView*>(widget()); }

    mutable std::map<int, QAccessible::Id> m_items;
};

QAccessibleInterface* MakeInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("lanvex::gui::ImageButton"))
        return new ImageButtonAccessible(static_cast<ImageButton*>(object));
    if (className == QLatin1String("lanvex::gui::StatusLine"))
        return new StatusLineAccessible(static_cast<StatusLine*>(object));
    if (className == QLatin1String("lanvex::listview::SiteListView"))
        return new SiteListAccessible(static_cast<SiteListView*>(object));
    return nullptr;
}

} // namespace

void InstallAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(MakeInterface);
        return true;
    }();
    (void)installed;
}

} // namespace lanvex::gui
