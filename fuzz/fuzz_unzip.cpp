// An update archive from the server: the input is the zip file, unpacked
// flat into a fresh folder. A refused archive must leave the folder empty;
// an accepted one exactly the files it reports.

#include "update/install/SafeUnzip.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir base;
    const QString folder = base.filePath(QStringLiteral("Installation"));
    if (!UpdateInstall::PrepareEmptyFolder(folder))
        std::abort();
    UpdateInstall::UnzipLimits limits;
    limits.MaxEntries = 64;
    limits.MaxTotalBytes = 1 << 20;
    const auto result = UpdateInstall::UnzipFlat(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), folder, limits);
    QStringList present = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList reported = result.ok() ? result.Files : QStringList();
    present.sort();
    reported.sort();
    if (present != reported)
        std::abort();
    return 0;
}
