#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace lanvex::platform {

// Keys of the whole desktop: each reaches the program whichever window has the focus. X11 grabs
// them on the root window, Windows registers them for the thread, Wayland asks the desktop's
// GlobalShortcuts portal, which may let the user choose other keys.
class GlobalHotkeys : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The desktop's way of taking keys; nothing where it has none. Made when first needed: it
    // opens the window system's library or the portal's session.
    static std::unique_ptr<GlobalHotkeys> Make();

    // Takes `keys` in place of those taken before; keys[i] then activates i. `names[i]` names the
    // key for a desktop that lists them (the portal). A key that cannot be taken is refused().
    virtual void SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>& names) = 0;

Q_SIGNALS:
    void activated(int index);
    // keys[index] could not be taken: another program holds it, or the desktop refused it.
    void refused(int index, const QString& reason);
};

// One key with its modifiers, as the systems register a hotkey.
struct HotkeyChord
{
    Qt::KeyboardModifiers modifiers;
    Qt::Key key;
};
// The chord of a sequence of one key; nothing for an empty sequence or one of several keys.
std::optional<HotkeyChord> ChordOf(const QKeySequence& keys);

} // namespace lanvex::platform
