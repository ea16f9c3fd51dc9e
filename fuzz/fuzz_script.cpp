// The installation script of an update archive: the input is Update.bat,
// adapted to folders whose names hold blanks, quotes and "$".

#include "update/install/InstallScript.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&content);
    file.open(QIODevice::ReadOnly);
    const auto lines = UpdateInstall::ReadScriptLines(file, 1 << 20);
    if (!lines)
        return 0;
    UpdateInstall::ScriptPaths paths;
    paths.ProgramFolder = QStringLiteral("/opt/Kiel wanz's $HOME/");
    paths.ProgramFile = paths.ProgramFolder + QStringLiteral("kielwanz");
    paths.TempDir = QStringLiteral("/tmp/kielwanz-1000/Installation \"%s\"/");
    paths.ScriptPath = paths.TempDir + QStringLiteral("Update.bat");
    UpdateInstall::AdaptScript(*lines, paths, size % 2 == 0);
    return 0;
}
