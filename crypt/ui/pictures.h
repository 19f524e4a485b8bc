// Crypt's own pictures, drawn in code so they stay sharp at any screen scale:
// the clock digits and separator, and the solid and faded rating keys.
#pragma once

#include <QPixmap>

namespace kuvo::pictures {

inline constexpr QSize kDigitSize{15, 20};
inline constexpr QSize kSeparatorSize{7, 20};
inline constexpr QSize kKeySize{32, 32};

// For the current screen scale; the same digit always gives the same pixmap.
QPixmap digit(int value);
QPixmap separator();
QPixmap key(bool solid, QSize size = kKeySize);

} // namespace kuvo::pictures
