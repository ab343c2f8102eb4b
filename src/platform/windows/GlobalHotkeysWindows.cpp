// Hotkeys on Windows: RegisterHotKey for the window's thread. WM_HOTKEY comes as a thread message,
// which Qt's event dispatcher hands to the native event filters.
#include "platform/GlobalHotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <vector>
#include <windows.h>

namespace lanvex::platform {

namespace {

// The ids of the thread's hotkeys start here, clear of any other code's.
constexpr int kFirstId = 0x4c00;

// The virtual key of a Qt key; 0 when it has none.
UINT VirtualKeyOf(Qt::Key key)
{
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    default:
        break;
    }
    // Punctuation: the key that types the character on this keyboard.
    if (key > 0x20 && key < 0x7f) {
        const SHORT scan = VkKeyScanW(static_cast<WCHAR>(key));
        return scan == -1 ? 0 : static_cast<UINT>(scan & 0xff);
    }
    return 0;
}

UINT ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    UINT flags = MOD_NOREPEAT;
    if (modifiers & Qt::ShiftModifier)
        flags |= MOD_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MOD_CONTROL;
    if (modifiers & Qt::AltModifier)
        flags |= MOD_ALT;
    if (modifiers & Qt::MetaModifier)
        flags |= MOD_WIN;
    return flags;
}

class WindowsHotkeys : public GlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    WindowsHotkeys() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~WindowsHotkeys() override
    {
        unregisterAll();
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>&) override
    {
        unregisterAll();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const int index = static_cast<int>(i);
            const std::optional<HotkeyChord> chord = ChordOf(keys[i]);
            const UINT key = chord ? VirtualKeyOf(chord->key) : 0;
            if (key == 0) {
                Q_EMIT refused(index, QStringLiteral("the keyboard has no such key"));
                continue;
            }
            if (!RegisterHotKey(nullptr, kFirstId + index, ModifiersOf(chord->modifiers), key)) {
                Q_EMIT refused(index,
                               GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED
                                   ? QStringLiteral("another program holds it")
                                   : QStringLiteral("Windows refused it"));
                continue;
            }
            m_ids.push_back(kFirstId + index);
        }
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_dispatcher_MSG" && eventType != "windows_generic_MSG")
            return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->hwnd != nullptr)
            return false;
        const int id = static_cast<int>(msg->wParam);
        for (const int held : m_ids) {
            if (held == id) {
                Q_EMIT activated(id - kFirstId);
                return true;
            }
        }
        return false;
    }

private:
    void unregisterAll()
    {
        for (const int id : m_ids)
            UnregisterHotKey(nullptr, id);
        m_ids.clear();
    }

    std::vector<int> m_ids;
};

} // namespace

std::unique_ptr<GlobalHotkeys> GlobalHotkeys::Make()
{
    return std::make_unique<WindowsHotkeys>();
}

} // namespace lanvex::platform
