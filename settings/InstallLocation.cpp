#include "settings/InstallLocation.h"

#include <QDir>
#include <QFileInfo>

namespace InstallLocation {

bool IsSystemInstallation(const QString &programFolder)
{
    // Through links, so that a folder reached by another name counts too.
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::cleanPath(programFolder) : canonical;
    return path == u"/usr" || path.startsWith(u"/usr/");
}

} // namespace InstallLocation
