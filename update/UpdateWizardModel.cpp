#include "update/UpdateWizardModel.h"

#include "game/Format.h"
#include "update/UpdateDates.h"
#include "update/UpdateLog.h"
#include "update/UpdateSettingsStore.h"
#include "update/install/PrepareInstall.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <limits>

const char *const UpdateWizardModel::StepNames[6] = {
    "Willkommen",   "Auf neue Updates prüfen",      "Ergebnis der Prüfung", "Download der Updates",
    "Installieren", "Abschließen der Installation",
};

const char *const UpdateWizardModel::CheckResultTexts[2] = {
    "Es stehen keine neuen Updates zur Verfügung. Klicken Sie auf \"Beenden\", um den Assistenten zu "
    "verlassen.",
    "Es stehen neue Updates zum Download bereit.\r\n\r\nDie Updates beheben folgende Probleme bzw. stellen "
    "folgende neue Funktionen zur Verfügung:\r\n%s\r\n\r\nKlicken Sie auf \"Weiter\", um die Updates jetzt "
    "herunterzuladen.",
};

const char *const UpdateWizardModel::DownloadResultTexts[2] = {
    "Der Download wurde nicht vollendet.\r\n\r\nKlicken Sie auf \"Erneut versuchen\", um den Download "
    "erneut zu starten.\r\nKlicken Sie auf \"Abbrechen\", um den Assistenten zu beenden.",
    "Die Update-Dateien wurden erfolgreich heruntergeladen. Klicken Sie auf \"Weiter\", um die Updates zu "
    "installieren.",
};

const char *const UpdateWizardModel::WindowTitle = "Updates installieren";

const char *const UpdateWizardModel::InstallText =
    "Das Update kann jetzt installiert werden.\r\nKlicken Sie auf \"Weiter\", um den Vorgang fortzusetzen "
    "und "
    "die Installation durchzuführen.\r\n\r\nAktivieren Sie das Kontrollfeld \"Programm automatisch neu "
    "starten\", um die Anwendung nach der Installation sofort neu zu starten.";

namespace {

const char *const DownloadText =
    "Die Updates werden jetzt heruntergeladen. Bitten warten Sie, bis der Download abgeschlossen ist, oder "
    "klicken Sie auf \"Download abbrechen\", wenn Sie die Updates zu einer anderen Zeit herunterladen "
    "wollen.";
const char *const NoConnectionText = "Es besteht keine Internetverbindung.";
const char *const NoConnectionTitle = "Internetverbindung erforderlich";
const char *const CancelQuestion = "Soll der Download wirklich abgebrochen werden?";
const char *const CancelTitle = "Bestätigung";
const char *const SettingsNotSavedText = "Die Einstellungen konnten nicht gespeichert werden.";
const char *const SettingsNotSavedTitle = "Einstellungen";
const char *const SettingsTitle = "Einstellungen";
const char *const InstallBusyText =
    "Ein anderes laufendes Kielwanz bereitet gerade ein Update vor, oder ein vorbereitetes Update wird "
    "gerade installiert. Versuchen Sie es später noch einmal.";

const char *const NextCaption = "Weiter >";
const char *const FinishCaption = "Beenden";
const char *const CancelDownloadCaption = "Download ab&brechen";
const char *const RetryCaption = "Erneut versuchen";
const char *const NoNewsText = "\"keine Angaben gefunden\"";

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString timeText(double seconds)
{
    const qint64 s = seconds > 0 && seconds < 1e9 ? qint64(seconds + 0.5) : 0;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

UpdateWizardModel::UpdateWizardModel(const UpdatePlatform &platform, QObject *parent)
    : QObject(parent), platform_(platform), http_(new HttpClient(this))
{
    http_->setObjectName(QStringLiteral("HTTP"));
    http_->baseUrl = QUrl(platform_.serverAddress);
    http_->timeoutMs = 10000;
    http_->trustedCertificates = platform_.trustedCertificates;
    connect(http_, &HttpClient::progress, this, &UpdateWizardModel::onProgress);
    connect(http_, &HttpClient::finished, this, &UpdateWizardModel::onTransferEnded);
    partialFileTimer_.setSingleShot(true);
    connect(&partialFileTimer_, &QTimer::timeout, this, &UpdateWizardModel::deletePartialFileNow);
    view_.title = text(StepNames[0]);
    view_.nextCaption = text(NextCaption);
    view_.installText = text(InstallText);
    view_.downloadText = text(DownloadText);
    view_.cancelDownloadCaption = text(CancelDownloadCaption);
}

UpdateWizardModel::~UpdateWizardModel()
{
    programEnds();
}

void UpdateWizardModel::warn(const QString &message, const QString &title)
{
    platform_.warn(dialogParent_, message, title);
}

void UpdateWizardModel::start()
{
    tempDir_ = platform_.tempDir();
    step_ = 0;
    shown_ = true;
    view_.page = 0;
    view_.listStep = 0;
    view_.title = text(StepNames[0]);
    view_.settingsShown = false;
    view_.cancelEnabled = true;
    view_.nextEnabled = true;
    view_.nextCaption = text(NextCaption);
    view_.checkEnabled = true;
    // A run of an earlier showing leaves nothing behind on the pages.
    view_.installText = text(InstallText);
    view_.installFailed = false;
    installPrepared_ = false;
    installLock_.release();
    updateAvailable_ = false;
    checking_ = false;
    cancelRequested_ = false;
    downloadAborted_ = false;
    checkEndedWithoutUpdate_ = false;
    terminateRequested_ = false;
    downloadFailed_ = false;
    closeAfterTransfer_ = false;
    emit changed();
}

int UpdateWizardModel::pageOfCurrentStep() const
{
    // A failed preparation keeps the wizard at step 5 on the install page.
    if (step_ == 5 && !installPrepared_)
        return 4;
    return qBound(0, step_, 5);
}

void UpdateWizardModel::next()
{
    ++step_;
    switch (step_) {
    case 1:
        view_.nextEnabled = false;
        break;
    case 2:
        if (updateAvailable_) {
            view_.checkResult =
                FormatText(text(CheckResultTexts[1]), {NewsToBulletList(news(), inputs_.programDate)});
        } else {
            view_.nextCaption = text(FinishCaption);
            view_.cancelEnabled = false;
            view_.checkResult = text(CheckResultTexts[0]);
        }
        view_.nextEnabled = true;
        break;
    case 3:
        if (!updateAvailable_) {
            checkEndedWithoutUpdate_ = true;
            emit closeWanted();
            return;
        }
        break;
    case 4:
        break;
    case 5:
        if (!prepareInstallation()) {
            emit changed();
            return;
        }
        break;
    default:
        // Only a prepared installation ends the program; after a failed
        // step 5 the game goes on.
        terminateRequested_ = installPrepared_;
        shown_ = false;
        emit accepted();
        return;
    }
    if (!view_.settingsShown) {
        view_.page = step_;
        view_.title = text(StepNames[step_]);
    }
    view_.listStep = step_;
    emit changed();
    if (step_ == 3 && updateAvailable_)
        startDownload();
}

void UpdateWizardModel::check()
{
    if (checking_)
        return;
    if (!platform_.internetConnected()) {
        qCWarning(lcUpdate) << "no network connection: update check not started";
        warn(text(NoConnectionText), text(NoConnectionTitle));
        return;
    }
    updateAvailable_ = true;
    checking_ = true;
    view_.checkEnabled = false;
    updateListOpen_ = false;
    updateListFileName_ = makeTempFileName();
    if (updateListFileName_.isEmpty()) {
        qCWarning(lcUpdate) << "no temporary file for the update list in" << tempDir_;
        checkEnded(false);
        return;
    }
    // The check shows no progress: a server that trickles must not keep it
    // going for ever.
    http_->maxBodySize = MaxUpdateListSize;
    http_->deadlineMs = checkDeadlineMs_;
    http_->get(QStringLiteral("Updates.ini"), updateListFileName_);
    http_->maxBodySize = 0;
    http_->deadlineMs = 0;
    emit changed();
}

void UpdateWizardModel::onTransferEnded(HttpClient::Result result)
{
    if (checking_)
        checkEnded(result == HttpClient::Result::Ok);
    else if (downloading_)
        downloadEnded(result);
}

void UpdateWizardModel::checkEnded(bool received)
{
    bool read = false;
    if (received) {
        read = updateList_.load(updateListFileName_);
        if (!read)
            qCWarning(lcUpdate) << "update list unreadable:" << updateListFileName_;
    } else if (shown_) {
        qCWarning(lcUpdate) << "update list not received from"
                            << http_->addressOf(QStringLiteral("Updates.ini")) << "status"
                            << http_->lastStatus();
    }
    // The list is kept in memory; its file is not needed any more.
    removeUpdateListFile();
    if (!read)
        updateAvailable_ = false;
    checking_ = false;
    view_.checkEnabled = true;
    if (!shown_) {
        // The wizard was closed while the list was on its way.
        updateAvailable_ = false;
        emit changed();
        return;
    }
    if (!updateAvailable_) {
        emit changed();
        warn(text(NoConnectionText), text(NoConnectionTitle));
        return;
    }
    updateListOpen_ = true;
    updateAvailable_ = updateList_.sectionPresent(inputs_.programName) && serverDate() >= inputs_.programDate;
    next();
}

QString UpdateWizardModel::makeTempFileName() const
{
    if (tempDir_.isEmpty())
        return {};
    QTemporaryFile file(tempDir_ + QStringLiteral("$XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

void UpdateWizardModel::removeUpdateListFile()
{
    if (!updateListFileName_.isEmpty())
        QFile::remove(updateListFileName_);
}

QString UpdateWizardModel::news() const
{
    return updateList_.readString(inputs_.programName, QStringLiteral("News"), text(NoNewsText));
}

double UpdateWizardModel::serverDate() const
{
    if (updateListOpen_) {
        if (const auto date = UpdateDates::parseGermanDate(
                updateList_.readString(inputs_.programName, QStringLiteral("Date"))))
            return UpdateDates::fromDate(*date);
    }
    return UpdateDates::fromDate(platform_.today());
}

QString UpdateWizardModel::NewsToBulletList(const QString &news, double programDate)
{
    const QDate programDay = UpdateDates::toDate(programDate);
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QString bullets;
    for (const QString &line : news.split(lineBreak)) {
        if (line.trimmed().isEmpty())
            continue;
        // Only a line that begins with a date and a colon can be too old; any
        // other line is shown as it stands.
        const qsizetype colon = line.indexOf(u':');
        if (colon >= 0) {
            const auto date = UpdateDates::parseGermanDate(QStringView(line).left(colon));
            if (date && programDay.isValid() && *date < programDay)
                continue;
        }
        bullets += QStringLiteral("- ") + line + QStringLiteral("\r\n");
    }
    return bullets;
}

QString UpdateWizardModel::FormatByteSize(int decimals, bool longNames, qint64 size)
{
    static const char *const shortNames[5] = {"Byte", "KB", "MB", "GB", "TB"};
    static const char *const fullNames[5] = {"Byte", "Kilobyte", "Megabyte", "Gigabyte", "Terrabyte"};
    double value = double(size);
    int unit = 0;
    while (value >= 1024 && unit <= 4) {
        value /= 1024;
        ++unit;
    }
    if (unit == 5) {
        value *= 1024;
        unit = 4;
    }
    const int digits = int(QString::number(qRound64(value)).size()) + decimals;
    QString number = QString::number(value, 'g', qMax(1, digits));
    number.replace(u'.', u',');
    return number + u' ' + text(longNames ? fullNames[unit] : shortNames[unit]);
}

void UpdateWizardModel::startDownload()
{
    view_.nextEnabled = false;
    view_.cancelDownloadCaption = text(CancelDownloadCaption);
    view_.cancelDownloadVisible = true;
    view_.downloadText = text(DownloadText);
    view_.barMaximum = 100;
    view_.barValue = 0;
    view_.percent.clear();
    view_.status.clear();
    view_.timeLeft.clear();
    if (!updateListOpen_ || tempDir_.isEmpty()) {
        downloadFailed_ = true;
        downloadEnded(HttpClient::Result::Failed);
        return;
    }
    // A partial file of an earlier attempt waiting for deletion is replaced now.
    if (partialFileTimer_.isActive())
        deletePartialFileNow();
    downloadFailed_ = false;
    downloadStart_.start();
    downloading_ = true;
    http_->maxBodySize = maxArchiveSize_;
    http_->get(QStringLiteral("Updates/") +
                   updateList_.readString(inputs_.programName, QStringLiteral("File")),
               tempDir_ + inputs_.archiveFileName);
    http_->maxBodySize = 0;
    emit changed();
}

void UpdateWizardModel::downloadEnded(HttpClient::Result result)
{
    if (downloading_) {
        downloading_ = false;
        if (result == HttpClient::Result::Aborted)
            downloadAborted_ = true;
        else if (result != HttpClient::Result::Ok)
            downloadFailed_ = true;
        if (downloadAborted_ || downloadFailed_) {
            partialFile_ = tempDir_ + inputs_.archiveFileName;
            // A broken transfer's rest goes at once: it may be large, and the
            // temporary folder is often small.
            partialFileTimer_.start(downloadAborted_ ? abortDeleteDelayMs_ : 0);
        }
    }
    const bool complete = !downloadAborted_ && !downloadFailed_;
    if (downloadFailed_)
        qCWarning(lcUpdate) << "archive download failed:" << inputs_.archiveFileName << "status"
                            << http_->lastStatus();
    view_.downloadText = text(DownloadResultTexts[complete ? 1 : 0]);
    if (!complete) {
        view_.cancelDownloadCaption = text(RetryCaption);
    } else {
        view_.cancelDownloadVisible = false;
        view_.nextEnabled = true;
    }
    emit changed();
    if (closeAfterTransfer_) {
        closeAfterTransfer_ = false;
        emit closeWanted();
    }
}

void UpdateWizardModel::deletePartialFileNow()
{
    partialFileTimer_.stop();
    if (!partialFile_.isEmpty())
        QFile::remove(partialFile_);
    partialFile_.clear();
}

void UpdateWizardModel::onProgress(qint64 total, qint64 received)
{
    if (!downloading_)
        return; // the update list's transfer shows no progress
    double remaining = 0;
    if (downloadStart_.isValid() && total > 0 && received > 0) {
        const double elapsed = downloadStart_.elapsed() / 1000.0;
        remaining = double(total) / double(received) * elapsed - elapsed;
    }
    if (total > 0) {
        // The bar counts in ints; large archives are scaled down.
        int shift = 0;
        while ((total >> shift) > std::numeric_limits<int>::max())
            ++shift;
        view_.barMaximum = int(total >> shift);
        view_.barValue = int(qMin(received, total) >> shift);
    } else {
        view_.barMaximum = 1;
        view_.barValue = 1;
    }
    view_.percent =
        total == 0 ? QStringLiteral("100 %")
                   : QString::number(qRound(double(received) / double(total) * 100)) + QStringLiteral(" %");
    view_.status = FormatByteSize(1, false, received) + QStringLiteral(" von ") +
                   FormatByteSize(1, false, total) + QStringLiteral(" gedownloadet");
    view_.timeLeft = QStringLiteral("verbleibende Zeit: ") + timeText(remaining);
    if (cancelRequested_) {
        http_->abort();
        downloadAborted_ = true;
    }
    emit changed();
}

void UpdateWizardModel::cancelDownload()
{
    if (downloading_) {
        platform_.beep();
        if (platform_.confirm(dialogParent_, text(CancelQuestion), text(CancelTitle))) {
            cancelRequested_ = true;
            // Stop at once even when the server has gone quiet.
            http_->abort();
        }
        return;
    }
    step_ = 2;
    downloadAborted_ = false;
    cancelRequested_ = false;
    next();
}

void UpdateWizardModel::cancel()
{
    if (downloading_) {
        cancelDownload();
        if (!cancelRequested_)
            return;
    }
    emit closeWanted();
}

bool UpdateWizardModel::mayClose()
{
    if (downloading_) {
        cancelDownload();
        if (cancelRequested_)
            closeAfterTransfer_ = true; // the close goes ahead once the transfer has stopped
        return false;
    }
    if (checking_)
        http_->abort();
    // After a failed step 5 (a bad archive) the wizard leads back into the
    // game; only an "OnlyUpdate" start ends the program then.
    if (step_ == 5 && installPrepared_)
        terminateRequested_ = true;
    shown_ = false;
    return true;
}

UpdateWizardModel::Schedule UpdateWizardModel::openSettings()
{
    const UpdateSettingsStore store(platform_.settingsFile(inputs_.settingsInUserFolder),
                                    inputs_.settingsSection);
    Schedule schedule;
    schedule.never = store.valueExists(QStringLiteral("NoUpdate"));
    schedule.interval = store.readInteger(QStringLiteral("UpdateInterval")).value_or(DefaultInterval);
    view_.settingsShown = true;
    view_.title = text(SettingsTitle);
    view_.page = SettingsPage;
    emit changed();
    return schedule;
}

void UpdateWizardModel::saveSettings(const Schedule &schedule)
{
    UpdateSettingsStore store(platform_.settingsFile(inputs_.settingsInUserFolder), inputs_.settingsSection);
    if (schedule.never) {
        store.deleteValue(QStringLiteral("UpdateInterval"));
        store.writeString(QStringLiteral("NoUpdate"), QString());
    } else {
        store.deleteValue(QStringLiteral("NoUpdate"));
        store.writeInteger(QStringLiteral("UpdateInterval"), schedule.interval);
    }
    QString error;
    if (!store.save(&error)) {
        qCWarning(lcUpdate) << "update settings not saved:" << error;
        warn(text(SettingsNotSavedText), text(SettingsNotSavedTitle));
    }
    closeSettings();
}

void UpdateWizardModel::closeSettings()
{
    view_.title = text(StepNames[pageOfCurrentStep()]);
    view_.page = pageOfCurrentStep();
    view_.settingsShown = false;
    emit changed();
}

void UpdateWizardModel::programEnds()
{
    if (ended_)
        return;
    ended_ = true;
    removeUpdateListFile();
    if (partialFileTimer_.isActive())
        deletePartialFileNow();
    if (installPrepared_ || checkEndedWithoutUpdate_) {
        UpdateSettingsStore store(platform_.settingsFile(inputs_.settingsInUserFolder),
                                  inputs_.settingsSection);
        const std::optional<qint32> stored = store.readInteger(QStringLiteral("UpdateInterval"));
        const int interval = stored && *stored >= 1 ? *stored : DefaultInterval;
        store.writeDate(QStringLiteral("Update"), UpdateDates::fromDate(platform_.today()) + interval - 1);
        QString error;
        if (!store.save(&error))
            qCWarning(lcUpdate) << "next check day not saved:" << error;
    }
    if (installPrepared_) {
        if (platform_.startInstallation &&
            !platform_.startInstallation(installScript_, installLog_, installLock_.fd()))
            qCWarning(lcUpdate) << "installation could not be started:" << installScript_;
        installLock_.release(); // the launcher holds it from here on
    }
}

// ---- Step 5 -----------------------------------------------------------------

bool UpdateWizardModel::prepareInstallation()
{
    // One copy of the program at a time prepares and installs: another
    // copy's prepared installation in this folder is left alone.
    switch (installLock_.tryLock(tempDir_)) {
    case UpdateInstall::InstallLock::Outcome::Locked:
        break;
    case UpdateInstall::InstallLock::Outcome::Busy:
        warn(text(InstallBusyText), text(WindowTitle));
        --step_; // "Weiter >" tries again
        return false;
    case UpdateInstall::InstallLock::Outcome::Failed:
        qCWarning(lcUpdate) << "install lock not created in" << tempDir_;
        warn(FormatText(QStringLiteral("Datei %s kann nicht erstellt werden"),
                        {OutsideText(UpdateInstall::InstallLock::fileName(tempDir_), 260)}),
             text(WindowTitle));
        --step_;
        return false;
    }
    UpdateInstall::InstallRequest request;
    request.ArchivePath = tempDir_ + inputs_.archiveFileName;
    request.ProgramFile = platform_.programFilePath;
    request.ProgramFolder = QFileInfo(platform_.programFilePath).absolutePath();
    request.TempDir = tempDir_;
    request.Restart = restart_;
    request.Signature = updateList_.readString(inputs_.programName, QStringLiteral("Signature"));
    request.ProgramName = inputs_.programName;
    request.ListDate = updateList_.readString(inputs_.programName, QStringLiteral("Date"));
    const UpdateInstall::PrepareResult result = UpdateInstall::PrepareInstallation(request);
    switch (result.Status) {
    case UpdateInstall::PrepareStatus::Prepared:
        installScript_ = result.ScriptPath;
        installLog_ = result.LogPath;
        installPrepared_ = true;
        view_.nextCaption = text(FinishCaption);
        view_.cancelEnabled = false;
        return true;
    case UpdateInstall::PrepareStatus::PageError:
        installLock_.release();
        qCWarning(lcUpdate).noquote() << "installation not prepared:" << result.Message;
        view_.installText = result.Message;
        view_.installFailed = true;
        view_.nextEnabled = false;
        return false;
    case UpdateInstall::PrepareStatus::MessageBox:
        // The wizard stays on the install page; "Weiter >" then closes it.
        installLock_.release();
        qCWarning(lcUpdate).noquote() << "installation not prepared:" << result.Message;
        warn(result.Message, text(WindowTitle));
        return false;
    }
    installLock_.release();
    return false;
}
