#include "update/install/PrepareInstall.h"

#include "game/Format.h"
#include "update/install/InstallScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace UpdateInstall {

namespace {

const QString ScriptName = QStringLiteral("Update.bat");
const QString LogName = QStringLiteral("Update.log");

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

PrepareResult fail(PrepareStatus status, PrepareError error, const QString &message)
{
    PrepareResult result;
    result.Status = status;
    result.Error = error;
    result.Message = message;
    return result;
}

const QString TryLater =
    QStringLiteral(" Klicken Sie auf \"Abbrechen\" und versuchen Sie es später noch einmal.");

// Paths may hold anything a folder name can; they are shown cut and with
// their control characters made visible.
QString shownPath(const QString &path)
{
    return OutsideText(QDir::toNativeSeparators(path), 260);
}

QString fileCannotBeOpened(const QString &path)
{
    return FormatText(QStringLiteral("Datei %s kann nicht geöffnet werden"), {shownPath(path)});
}

QString fileCannotBeCreated(const QString &path)
{
    return FormatText(QStringLiteral("Datei %s kann nicht erstellt werden"), {shownPath(path)});
}

PrepareResult refuseSignature(SignatureCheck check)
{
    switch (check) {
    case SignatureCheck::Missing:
        return fail(PrepareStatus::PageError, PrepareError::SignatureMissing,
                    QStringLiteral("Das Update ist nicht signiert und wird aus Sicherheitsgründen nicht "
                                   "installiert.") +
                        TryLater);
    case SignatureCheck::BadKey:
        return fail(
            PrepareStatus::PageError, PrepareError::SignatureKeyInvalid,
            QStringLiteral("Der Prüfschlüssel für Updates in diesem Programm ist ungültig. Das Update "
                           "wird nicht installiert. Klicken Sie auf \"Abbrechen\"."));
    default:
        return fail(PrepareStatus::PageError, PrepareError::SignatureInvalid,
                    QStringLiteral("Die Signatur des Updates ist ungültig: Das Archiv wurde verändert oder "
                                   "stammt nicht vom Hersteller. Es wird aus Sicherheitsgründen nicht "
                                   "installiert.") +
                        TryLater);
    }
}

PrepareResult refuseArchive(const UnzipResult &unzip)
{
    switch (unzip.Error) {
    case UnzipError::TooLarge:
        return fail(PrepareStatus::PageError, PrepareError::ArchiveTooLarge,
                    QStringLiteral("Das Update-Archiv ist zu groß und wird nicht installiert.") + TryLater);
    case UnzipError::BadEntry:
    case UnzipError::LinkEntry:
        return fail(PrepareStatus::PageError, PrepareError::ArchiveHostile,
                    FormatText(QStringLiteral("Das Update-Archiv enthält einen unzulässigen Eintrag (\"%s\") "
                                              "und wird aus Sicherheitsgründen nicht installiert."),
                               {OutsideText(unzip.Detail)}) +
                        TryLater);
    case UnzipError::Encrypted:
        return fail(PrepareStatus::PageError, PrepareError::ArchiveEncrypted,
                    QStringLiteral("Das Update-Archiv ist verschlüsselt und kann nicht entpackt werden.") +
                        TryLater);
    case UnzipError::NoSpace:
        return fail(PrepareStatus::PageError, PrepareError::NoSpace,
                    QStringLiteral("Zum Entpacken des Updates ist nicht genügend Speicherplatz frei.") +
                        TryLater);
    case UnzipError::WriteFailed:
        return fail(PrepareStatus::MessageBox, PrepareError::WriteFailed, fileCannotBeCreated(unzip.Detail));
    default:
        return fail(PrepareStatus::PageError, PrepareError::ArchiveDamaged,
                    QStringLiteral("Das Update-Archiv ist beschädigt und kann nicht entpackt werden.") +
                        TryLater);
    }
}

bool refusalDiscardsArchive(PrepareError error)
{
    switch (error) {
    case PrepareError::ArchiveDamaged:
    case PrepareError::ArchiveTooLarge:
    case PrepareError::ArchiveHostile:
    case PrepareError::ArchiveEncrypted:
    case PrepareError::SignatureMissing:
    case PrepareError::SignatureInvalid:
        return true;
    default:
        return false;
    }
}

PrepareResult unpackAndAdapt(const InstallRequest &request, QByteArrayView archive, const QString &folder)
{
    if (request.PublicKey.trimmed().size() > 0) {
        // Before anything of the archive is looked at.
        const SignatureCheck check = VerifyUpdateSignature(
            SignedUpdateMessage(request.ProgramName, request.ListDate, archive), request.Signature,
            request.PublicKey);
        if (check != SignatureCheck::Valid)
            return refuseSignature(check);
    }
    if (!PrepareEmptyFolder(folder))
        return fail(
            PrepareStatus::MessageBox, PrepareError::FolderFailed,
            FormatText(QStringLiteral("Der Ordner %s kann nicht angelegt werden."), {shownPath(folder)}));
    const UnzipResult unzip = UnzipFlat(archive, folder, request.Limits);
    if (!unzip.ok())
        return refuseArchive(unzip);

    const QString scriptPath = folder + ScriptName;
    QFile scriptFile(scriptPath);
    const QFileInfo scriptInfo(scriptPath);
    if (scriptInfo.isSymLink() || !scriptInfo.isFile() || !scriptFile.open(QIODevice::ReadOnly))
        return fail(PrepareStatus::MessageBox, PrepareError::ScriptMissing, fileCannotBeOpened(scriptPath));
    const std::optional<QList<QByteArray>> lines = ReadScriptLines(scriptFile, request.MaxScriptBytes);
    scriptFile.close();
    if (!lines) {
        return fail(PrepareStatus::MessageBox, PrepareError::ScriptFormat,
                    FormatText(QStringLiteral("Format '%s' ungültig oder nicht kompatibel mit Argument"),
                               {FormatText(QStringLiteral("%s: größer als %d KB"),
                                           {ScriptName, request.MaxScriptBytes / 1024})}));
    }

    const ScriptPaths paths{withSlash(request.ProgramFolder), request.ProgramFile, folder, scriptPath};
    const ScriptAdaptation adapted = AdaptScript(*lines, paths, request.Restart);
    if (!adapted.Ok) {
        return fail(PrepareStatus::MessageBox,
                    adapted.FormatError ? PrepareError::ScriptFormat : PrepareError::ScriptMalformed,
                    adapted.Message);
    }

    // Written beside and renamed over the old one: the script is never seen
    // half-written.
    QSaveFile out(scriptPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(PrepareStatus::MessageBox, PrepareError::WriteFailed, fileCannotBeCreated(scriptPath));
    for (const QByteArray &line : adapted.Lines) {
        out.write(line);
        out.write("\n");
    }
    if (!out.commit())
        return fail(PrepareStatus::MessageBox, PrepareError::WriteFailed, fileCannotBeCreated(scriptPath));

    PrepareResult result;
    result.Status = PrepareStatus::Prepared;
    result.ScriptPath = scriptPath;
    return result;
}

} // namespace

QString InstallFolder(const QString &tempDir)
{
    return withSlash(tempDir) + QStringLiteral("Installation/");
}

QString ArchiveMissingText()
{
    return QStringLiteral("Die Installationsdateien wurden nicht gefunden. Klicken Sie auf \"Abbrechen\" und "
                          "versuchen Sie es später noch einmal.");
}

PrepareResult PrepareInstallation(const InstallRequest &request)
{
    const QString folder = InstallFolder(request.TempDir);
    const QString badPath =
        PathWithLineBreak({request.ProgramFolder, request.ProgramFile, folder, folder + ScriptName});
    if (!badPath.isEmpty())
        return fail(PrepareStatus::MessageBox, PrepareError::FolderNameUnusable,
                    FolderNameRefusedText(badPath));

    if (!QFileInfo(request.ArchivePath).isFile())
        return fail(PrepareStatus::PageError, PrepareError::ArchiveMissing, ArchiveMissingText());

    // Read once, rather than mapped (a file that shrank under a mapping would
    // crash the program): the bytes checked are the very bytes unpacked.
    QFile archiveFile(request.ArchivePath);
    if (!archiveFile.open(QIODevice::ReadOnly))
        return fail(PrepareStatus::PageError, PrepareError::ArchiveUnreadable,
                    fileCannotBeOpened(request.ArchivePath));
    const QByteArray archive = archiveFile.size() > request.MaxArchiveBytes
                                   ? QByteArray()
                                   : archiveFile.read(request.MaxArchiveBytes + 1);
    const bool tooLarge =
        archiveFile.size() > request.MaxArchiveBytes || archive.size() > request.MaxArchiveBytes;
    const bool readFailed = archiveFile.error() != QFileDevice::NoError;
    archiveFile.close();
    if (tooLarge) {
        QFile::remove(request.ArchivePath);
        return fail(PrepareStatus::PageError, PrepareError::ArchiveTooLarge,
                    QStringLiteral("Das Update-Archiv ist zu groß und wird nicht installiert.") + TryLater);
    }
    if (readFailed)
        return fail(PrepareStatus::PageError, PrepareError::ArchiveUnreadable,
                    fileCannotBeOpened(request.ArchivePath));

    PrepareResult result = unpackAndAdapt(request, archive, folder);
    if (!result.prepared()) {
        // Nothing half-prepared stays for a later run to pick up.
        if (result.Error != PrepareError::FolderFailed && QFileInfo(folder).isDir())
            PrepareEmptyFolder(folder);
        if (refusalDiscardsArchive(result.Error))
            QFile::remove(request.ArchivePath);
        return result;
    }
    result.LogPath = withSlash(request.TempDir) + LogName;
    QFile::remove(request.ArchivePath);
    return result;
}

} // namespace UpdateInstall
