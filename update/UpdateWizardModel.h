#pragma once

#include "update/HttpClient.h"
#include "update/UpdateListFile.h"
#include "update/UpdatePlatform.h"
#include "update/install/InstallLauncher.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

// The update wizard without its window: the steps welcome, check, result,
// download, install and finish, the settings page for the automatic check,
// and what each button does. The window (UpdateWizard) shows `view()` after
// every `changed()` and passes on the user's clicks.
//
// Transfers run while the event loop of the modal window goes on; their end
// arrives as a signal of the HTTP client, so no handler runs inside another.
class UpdateWizardModel : public QObject {
    Q_OBJECT
public:
    static const char *const StepNames[6];
    static const char *const CheckResultTexts[2];    // [update available]
    static const char *const DownloadResultTexts[2]; // [complete]
    static const char *const WindowTitle;
    static const char *const InstallText;
    static constexpr int SettingsPage = 6;
    static constexpr int DefaultInterval = 7;
    // Largest update list accepted from the server.
    static constexpr qint64 MaxUpdateListSize = 1024 * 1024;

    // Set by the update component before each showing.
    struct Inputs {
        QString programName;               // the program's section in the update list
        QString settingsSection;           // the section of UpdateSettings.ini
        QString archiveFileName;           // the downloaded archive, in the private temporary folder
        double programDate = 0;            // days since 30.12.1899, with the time of day
        bool settingsInUserFolder = false; // see UpdatePlatform::settingsFile()
    };

    // What the window shows; texts with CR LF as the program keeps them.
    struct View {
        int page = 0; // the page of the step, or SettingsPage
        QString title;
        bool settingsShown = false;
        QString nextCaption;
        bool nextEnabled = true;
        bool cancelEnabled = true;
        bool checkEnabled = true;
        QString checkResult;
        QString downloadText;
        QString cancelDownloadCaption;
        bool cancelDownloadVisible = true;
        int barMaximum = 100, barValue = 0;
        int listStep = 0; // the step the step list highlights
        QString percent, status, timeLeft;
        QString installText;
        bool installFailed = false; // the install page shows an error
    };

    // The automatic check as the settings page shows it.
    struct Schedule {
        bool never = false;
        int interval = DefaultInterval;
    };

    explicit UpdateWizardModel(const UpdatePlatform &platform, QObject *parent = nullptr);
    ~UpdateWizardModel() override;

    void setInputs(const Inputs &inputs) { inputs_ = inputs; }
    const Inputs &inputs() const { return inputs_; }
    // The window that questions and notices belong to.
    void setDialogParent(QWidget *parent) { dialogParent_ = parent; }
    const UpdatePlatform &platform() const { return platform_; }

    const View &view() const { return view_; }
    int step() const { return step_; }
    bool checking() const { return checking_; }
    bool downloading() const { return downloading_; }
    // The program is to end once the wizard is closed.
    bool terminateRequested() const { return terminateRequested_; }

    // A new showing starts at the welcome page.
    void start();
    // "Weiter >" / "Beenden".
    void next();
    // "Jetzt auf neue Updates prüfen".
    void check();
    // "Download abbrechen" / "Erneut versuchen".
    void cancelDownload();
    // "Abbrechen".
    void cancel();
    // The window is about to close (close box, "Abbrechen"); false while a
    // download runs: it is stopped first (if the user agrees), the window
    // closes once it has.
    bool mayClose();
    void setRestart(bool restart) { restart_ = restart; }

    // "Einstellungen", its "Speichern" and "Abbrechen".
    Schedule openSettings();
    void saveSettings(const Schedule &schedule);
    void closeSettings();

    // Program end: the next check day, and the prepared installation started.
    // Runs once.
    void programEnds();

    static QString NewsToBulletList(const QString &news, double programDate);
    static QString FormatByteSize(int decimals, bool longNames, qint64 size);

signals:
    void changed();
    // The window is to close as by its close box.
    void closeWanted();
    // The window is to close with "Beenden" of the last step.
    void accepted();

private:
    // The tests shorten the limits below and put the model at a step that
    // only a server, an archive or minutes would otherwise reach; setters for
    // that would be hooks nothing but the tests calls.
    friend struct UpdateWizardModelTest;

    void enterStep();
    void checkEnded(bool read);
    void startDownload();
    void downloadEnded(HttpClient::Result result);
    void onProgress(qint64 total, qint64 received);
    void onTransferEnded(HttpClient::Result result);
    bool prepareInstallation();
    void showStepPage();
    int pageOfCurrentStep() const;
    QString news() const;
    double serverDate() const;
    QString makeTempFileName() const;
    void removeUpdateListFile();
    void deletePartialFileNow();
    void warn(const QString &text, const QString &title);

    UpdatePlatform platform_;
    Inputs inputs_;
    View view_;
    QWidget *dialogParent_ = nullptr;
    HttpClient *http_;

    int step_ = 0;
    bool shown_ = false;
    bool updateAvailable_ = false;
    bool checking_ = false;
    bool downloading_ = false;
    bool cancelRequested_ = false;
    bool downloadAborted_ = false;
    bool downloadFailed_ = false;
    bool closeAfterTransfer_ = false;
    bool installPrepared_ = false;
    bool checkEndedWithoutUpdate_ = false;
    bool terminateRequested_ = false;
    bool restart_ = true;
    bool ended_ = false;

    QString tempDir_;
    QString updateListFileName_;
    UpdateListFile updateList_;
    bool updateListOpen_ = false;
    QElapsedTimer downloadStart_;
    QString partialFile_;
    QTimer partialFileTimer_;
    QString installScript_;
    QString installLog_;
    // Held from step 5 on; handed to the installation's launcher.
    UpdateInstall::InstallLock installLock_;

    // How long an aborted download's partial file is kept.
    int abortDeleteDelayMs_ = 3000;
    // Largest archive accepted (the largest packed archive step 5 unpacks).
    qint64 maxArchiveSize_ = qint64(256) << 20;
    // The longest the check for the update list may take, in milliseconds.
    int checkDeadlineMs_ = 60000;
};
