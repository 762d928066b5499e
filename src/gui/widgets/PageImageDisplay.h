#pragma once

#include <QImage>

namespace kestrova {

class PageImage;

// A page image as the screen shows it. A 1-bit page is copied bit for bit; other depths go
// through a BMP file in the temporary directory. A null image when the page cannot be shown.
QImage DisplayImageOf(const PageImage& page);

} // namespace kestrova
