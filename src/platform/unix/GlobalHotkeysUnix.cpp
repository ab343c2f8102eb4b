// Hotkeys on X11: each key is grabbed on the root window (the core protocol's GrabKey) on Qt's own
// connection, so its presses arrive in Qt's event loop and are picked out by a native event
// filter. libxcb is opened when the first hotkey is set, not at start-up; Qt's X11 platform has it
// loaded already. On Wayland the desktop's GlobalShortcuts portal takes them (PortalHotkeys).
#include "platform/GlobalHotkeys.h"
#include "platform/unix/PortalHotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <qguiapplication_platform.h>
#include <type_traits>
#include <vector>
#include <xcb/xcb.h>

namespace lanvex::platform {

namespace {

// The modifiers of a hotkey; Caps Lock and Num Lock (Mod2 nearly everywhere) may be on as well.
constexpr std::uint16_t kHotkeyModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr std::uint16_t kLockVariants[] = { 0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 };

// The functions of libxcb a grab needs, looked up once.
struct Xcb
{
    decltype(&xcb_get_setup) getSetup = nullptr;
    decltype(&xcb_setup_roots_iterator) rootsIterator = nullptr;
    decltype(&xcb_grab_key_checked) grabKeyChecked = nullptr;
    decltype(&xcb_ungrab_key) ungrabKey = nullptr;
    decltype(&xcb_request_check) requestCheck = nullptr;
    decltype(&xcb_get_keyboard_mapping) keyboardMapping = nullptr;
    decltype(&xcb_get_keyboard_mapping_reply) keyboardMappingReply = nullptr;
    decltype(&xcb_get_keyboard_mapping_keysyms) keysyms = nullptr;
    decltype(&xcb_flush) flush = nullptr;

    static const Xcb* Open()
    {
        static const Xcb loaded = [] {
            Xcb xcb;
            void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
            if (!library)
                return xcb;
            const auto find = [library](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
            };
            find(xcb.getSetup, "xcb_get_setup");
            find(xcb.rootsIterator, "xcb_setup_roots_iterator");
            find(xcb.grabKeyChecked, "xcb_grab_key_checked");
            find(xcb.ungrabKey, "xcb_ungrab_key");
            find(xcb.requestCheck, "xcb_request_check");
            find(xcb.keyboardMapping, "xcb_get_keyboard_mapping");
            find(xcb.keyboardMappingReply, "xcb_get_keyboard_mapping_reply");
            find(xcb.keysyms, "xcb_get_keyboard_mapping_keysyms");
            find(xcb.flush, "xcb_flush");
            return xcb;
        }();
        return loaded.getSetup && loaded.rootsIterator && loaded.grabKeyChecked && loaded.ungrabKey
                && loaded.requestCheck && loaded.keyboardMapping && loaded.keyboardMappingReply && loaded.keysyms
                && loaded.flush
            ? &loaded
            : nullptr;
    }
};

// The X keysym of a Qt key: Latin-1 keys share their codes (letters as the lower case), the
// function and cursor keys have their own block.
std::uint32_t KeysymOf(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint32_t>(key - Qt::Key_A + 'a');
    if (key >= 0x20 && key <= 0x7e)
        return static_cast<std::uint32_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + static_cast<std::uint32_t>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return 0xff1b;
    case Qt::Key_Tab:
        return 0xff09;
    case Qt::Key_Backspace:
        return 0xff08;
    case Qt::Key_Return:
        return 0xff0d;
    case Qt::Key_Enter:
        return 0xff8d;
    case Qt::Key_Insert:
        return 0xff63;
    case Qt::Key_Delete:
        return 0xffff;
    case Qt::Key_Pause:
        return 0xff13;
    case Qt::Key_Print:
        return 0xff61;
    case Qt::Key_Home:
        return 0xff50;
    case Qt::Key_Left:
        return 0xff51;
    case Qt::Key_Up:
        return 0xff52;
    case Qt::Key_Right:
        return 0xff53;
    case Qt::Key_Down:
        return 0xff54;
    case Qt::Key_PageUp:
        return 0xff55;
    case Qt::Key_PageDown:
        return 0xff56;
    case Qt::Key_End:
        return 0xff57;
    default:
        return 0;
    }
}

std::uint16_t ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    std::uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

class X11Hotkeys : public GlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    X11Hotkeys(const Xcb& xcb, xcb_connection_t* connection)
        : m_xcb(xcb)
        , m_connection(connection)
        , m_root(xcb.rootsIterator(xcb.getSetup(connection)).data->root)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~X11Hotkeys() override
    {
        ungrabAll();
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>&) override
    {
        ungrabAll();
        for (std::size_t i = 0; i < keys.size(); ++i)
            grab(static_cast<int>(i), keys[i]);
        m_xcb.flush(m_connection);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        for (const Grab& grab : m_grabs) {
            if (grab.keycode == press->detail && grab.modifiers == (press->state & kHotkeyModifiers)) {
                Q_EMIT activated(grab.index);
                return true;
            }
        }
        return false;
    }

private:
    struct Grab
    {
        int index;
        xcb_keycode_t keycode;
        std::uint16_t modifiers;
    };

    void grab(int index, const QKeySequence& keys)
    {
        const std::optional<HotkeyChord> chord = ChordOf(keys);
        const std::uint32_t keysym = chord ? KeysymOf(chord->key) : 0;
        const xcb_keycode_t keycode = keysym ? keycodeOf(keysym) : 0;
        if (keycode == 0) {
            Q_EMIT refused(index, QStringLiteral("the keyboard has no such key"));
            return;
        }
        const Grab wanted { index, keycode, ModifiersOf(chord->modifiers) };
        for (const Grab& held : m_grabs) {
            if (held.keycode == wanted.keycode && held.modifiers == wanted.modifiers) {
                Q_EMIT refused(index, QStringLiteral("another site has the same key"));
                return;
            }
        }
        for (const std::uint16_t lock : kLockVariants) {
            const xcb_void_cookie_t cookie = m_xcb.grabKeyChecked(m_connection, 1, m_root, wanted.modifiers | lock,
                                                                  keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = m_xcb.requestCheck(m_connection, cookie)) {
                std::free(error);
                // BadAccess: another client grabbed it first. What was taken goes back.
                for (const std::uint16_t taken : kLockVariants) {
                    if (taken == lock)
                        break;
                    m_xcb.ungrabKey(m_connection, keycode, m_root, wanted.modifiers | taken);
                }
                Q_EMIT refused(index, QStringLiteral("another program holds it"));
                return;
            }
        }
        m_grabs.push_back(wanted);
    }

    void ungrabAll()
    {
        for (const Grab& grab : m_grabs)
            for (const std::uint16_t lock : kLockVariants)
                m_xcb.ungrabKey(m_connection, grab.keycode, m_root, grab.modifiers | lock);
        m_grabs.clear();
        m_xcb.flush(m_connection);
    }

    // The first keycode whose unshifted or shifted symbol is `keysym`.
    xcb_keycode_t keycodeOf(std::uint32_t keysym)
    {
        const xcb_setup_t* setup = m_xcb.getSetup(m_connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t* reply = m_xcb.keyboardMappingReply(
            m_connection, m_xcb.keyboardMapping(m_connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
            nullptr);
        if (!reply)
            return 0;
        const xcb_keysym_t* symbols = m_xcb.keysyms(reply);
        const int perCode = reply->keysyms_per_keycode;
        xcb_keycode_t found = 0;
        for (int code = 0; code < count && found == 0; ++code)
            for (int level = 0; level < std::min(perCode, 2) && found == 0; ++level)
                if (symbols[code * perCode + level] == keysym)
                    found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
        std::free(reply);
        return found;
    }

    const Xcb& m_xcb;
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    std::vector<Grab> m_grabs;
};

// Wayland: the portal's shortcuts.
class WaylandHotkeys : public GlobalHotkeys
{
public:
    WaylandHotkeys()
    {
        connect(&m_portal, &PortalShortcuts::activated, this, &GlobalHotkeys::activated);
        connect(&m_portal, &PortalShortcuts::refused, this, &GlobalHotkeys::refused);
    }
    void SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>& names) override
    {
        m_portal.SetKeys(keys, names);
    }

private:
    PortalShortcuts m_portal;
};

} // namespace

std::unique_ptr<GlobalHotkeys> GlobalHotkeys::Make()
{
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return std::make_unique<WaylandHotkeys>();
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const Xcb* xcb = Xcb::Open();
    if (!x11 || !x11->connection() || !xcb)
        return nullptr;
    return std::make_unique<X11Hotkeys>(*xcb, x11->connection());
}

} // namespace lanvex::platform
