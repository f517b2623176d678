#pragma once

#include <QRect>

namespace hc {

// The number of palette colours of a display with `bitsPerPixel` bits per pixel: 2 to the
// power of the depth for a palette display (8 bits or fewer), and none (0) for a display of
// more than 8 bits per pixel, which has no palette. A depth of 0 or less (unknown) reports
// none as well.
int paletteColoursForDepth(int bitsPerPixel);

// The palette colours of the primary screen (see paletteColoursForDepth()). Only a display
// that reports none shows the student program's pictures properly. Without any screen the
// result is 0. Needs a QGuiApplication.
int displayPaletteColours();

// The rectangle of the whole desktop: the primary screen's full geometry in logical pixels,
// task bars and panels included. Empty without any screen. Needs a QGuiApplication.
QRect desktopRect();

} // namespace hc
