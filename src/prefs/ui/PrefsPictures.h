#pragma once

#include <QPixmap>

// The pictures of the password prompt and the about box, drawn rather than shipped.
namespace PrefsPictures {
QPixmap programIcon();  // the catalogue drawer: the program's own icon
QPixmap blinkA();       // the two pictures the about box's window icon alternates between
QPixmap blinkB();
QPixmap lockClosed();  // the prompt while it waits
QPixmap lockOpen();    // the prompt once the password is right
}  // namespace PrefsPictures
