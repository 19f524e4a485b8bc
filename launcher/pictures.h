// The launcher's pictures, drawn in code so they stay sharp at any scale.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kuvo::launcher {

// The product picture: a padlock on a blue tile (about window, window icons).
QPixmap productPicture(int size);
QIcon productIcon();

// The tray icon's built-in picture: a small window with a row of dots.
QIcon trayPicture();

// The wizard's column picture: a shield with a keyhole.
QPixmap wizardPicture(int size);

} // namespace kuvo::launcher
