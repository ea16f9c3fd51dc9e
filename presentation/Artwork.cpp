#include "presentation/Artwork.h"

#include <QFile>

namespace Artwork {

QImage load(const QString &name, qreal devicePixelRatio)
{
    const QString base = QStringLiteral(":/assets/") + name;
    if (devicePixelRatio > 1.0) {
        const QString large = base + QStringLiteral("@2x.png");
        if (QFile::exists(large)) {
            QImage img(large);
            if (!img.isNull()) {
                img.setDevicePixelRatio(2.0);
                return img;
            }
        }
    }
    const QString path = base + QStringLiteral(".png");
    return QFile::exists(path) ? QImage(path) : QImage();
}

} // namespace Artwork
