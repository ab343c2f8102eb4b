#pragma once

#include <QFont>

namespace lanvex::gui {

// The window's face: the desktop's Chinese user-interface face, 宋体. Where it is not installed,
// one CJK face stands in for it everywhere, so Latin and Chinese characters come from one font, the
// captions fit, and start-up opens a single font file.
inline constexpr int kWindowPointSize = 9;

QFont WindowFont(int pointSize);

} // namespace lanvex::gui
