#pragma once

#include <QString>
#include <array>

namespace kestrova {

// The image extensions the station looks for, in the order every search tries them.
inline const std::array<QString, 7> ImageExtensions = {
    QStringLiteral(".tif"), QStringLiteral(".bmp"), QStringLiteral(".png"), QStringLiteral(".jpg"),
    QStringLiteral(".pcx"), QStringLiteral(".pcd"), QStringLiteral(".tga")};

} // namespace kestrova
