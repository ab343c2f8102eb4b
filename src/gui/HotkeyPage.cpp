#include "gui/HotkeyPage.h"

#include "platform/GlobalHotkeys.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace lanvex::gui {

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("HotkeyPage", text);
}

class HotkeyPage : public AdvancedPage
{
public:
    explicit HotkeyPage(QWidget* parent)
        : AdvancedPage(parent)
    {
        setObjectName(QStringLiteral("pageHotkey"));
        hotkey_ = MakeField("txtHotkey", this);
        hotkey_->setPlaceholderText(QStringLiteral("Ctrl+Alt+1"));
        auto* note = new QLabel(
            translated(QT_TRANSLATE_NOOP("HotkeyPage", "主窗口或托盘图标运行时，按下快捷键即应用此办公位置。")), this);
        note->setWordWrap(true);
        auto* layout = new QFormLayout(this);
        layout->addRow(translated(QT_TRANSLATE_NOOP("HotkeyPage", "快捷键：")), hotkey_);
        layout->addRow(note);
    }

    QString Title() const override { return translated(QT_TRANSLATE_NOOP("HotkeyPage", "快捷键")); }

    void Load(const store::SiteProfile& site) override { hotkey_->setText(QString::fromStdString(site.Extras.Hotkey)); }

    // Kept in Qt's own spelling, so "ctrl+alt+1" and "Ctrl+Alt+1" are one key.
    void Store(store::SiteProfile& site) const override
    {
        const std::optional<QKeySequence> keys = ParseHotkey(hotkey_->text());
        site.Extras.Hotkey = keys ? keys->toString(QKeySequence::PortableText).toStdString() : std::string();
    }

    std::optional<QString> Validate(const store::SiteProfile&) override
    {
        if (hotkey_->text().trimmed().isEmpty() || ParseHotkey(hotkey_->text()))
            return std::nullopt;
        hotkey_->setFocus();
        return translated(QT_TRANSLATE_NOOP(
            "HotkeyPage", "快捷键无效。请写成 Ctrl+Alt+1 这样的一个组合键，其中至少有 Ctrl、Alt 或 Win 键之一。"));
    }

private:
    QLineEdit* hotkey_ = nullptr;
};

} // namespace

AdvancedPage* MakeHotkeyPage(QWidget* parent)
{
    return new HotkeyPage(parent);
}

std::optional<QKeySequence> ParseHotkey(const QString& text)
{
    const QKeySequence keys = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    const std::optional<platform::HotkeyChord> chord = platform::ChordOf(keys);
    if (!chord || !(chord->modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return std::nullopt;
    // A modifier alone is no hotkey.
    if (chord->key == Qt::Key_Control || chord->key == Qt::Key_Alt || chord->key == Qt::Key_Meta
        || chord->key == Qt::Key_Shift)
        return std::nullopt;
    return keys;
}

} // namespace lanvex::gui
