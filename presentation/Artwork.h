#pragma once

#include <QImage>
#include <QString>

// The program's pictures from the resources (":/assets/<name>.png"). On a
// screen with more than one device pixel per logical pixel the double-size
// variant "<name>@2x.png" is taken when there is one; it comes with a device
// pixel ratio of 2, so painters draw it at the picture's logical size.
namespace Artwork {

// A null image when the picture is missing.
QImage load(const QString &name, qreal devicePixelRatio);

} // namespace Artwork
