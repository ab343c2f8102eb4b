#include "platform/GlobalHotkeys.h"

namespace lanvex::platform {

std::optional<HotkeyChord> ChordOf(const QKeySequence& keys)
{
    if (keys.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = keys[0];
    if (combination.key() == Qt::Key_unknown || combination.key() == 0)
        return std::nullopt;
    return HotkeyChord { combination.keyboardModifiers() & ~Qt::KeypadModifier, combination.key() };
}

} // namespace lanvex::platform
