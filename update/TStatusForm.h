#pragma once

#include "update/UpdateListFile.h"
#include "update/UpdatePlatform.h"
#include "update/install/InstallLauncher.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class HttpClient;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPainter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

// The update wizard: welcome, check, result, download, install, finish, and a
// settings page for the automatic check. Created once by the update component
// and shown modally any number of times.
//
// The archive download runs inside Button_NextClick while the window keeps
// handling events, so the handlers below are re-entered during a transfer;
// Downloading, CancelRequested and DownloadAborted carry the state between them.
class TStatusForm : public QDialog {
    Q_OBJECT
public:
    explicit TStatusForm(const UpdatePlatform &platform, QWidget *parent = nullptr);
    ~TStatusForm() override;

    static const char *const StepNames[6];
    static const char *const CheckResultTexts[2];    // [update available]
    static const char *const DownloadResultTexts[2]; // [not aborted]

    // Inputs, set by the update component before each showing.
    QString RegistryKey;
    QString ProgramName;
    QString ZIPFileName;
    double ProgramDate = 0; // days since 30.12.1899, with the time of day
    bool HKCU = false;

    // State of the wizard.
    QString UpdateListFileName;
    bool Downloading = false;
    bool UpdateAvailable = false;
    int CurrentStep = 0;
    bool CancelRequested = false;
    bool DownloadAborted = false;
    bool InstallPrepared = false;
    QElapsedTimer DownloadStartTime;
    QString TempDir;
    UpdateListFile UpdateList;
    bool UpdateListOpen = false;

    // Beyond the classic fields: the showing ended with "Beenden" after a check
    // without update; the program is to end once the wizard is closed; the last
    // archive transfer broke off without the user asking.
    bool CheckEndedWithoutUpdate = false;
    bool TerminateRequested = false;
    bool DownloadFailed = false;
    // How long an aborted download's partial file is kept.
    int AbortDeleteDelayMs = 3000;
    // Largest update list accepted from the server.
    static constexpr qint64 MaxUpdateListSize = 1024 * 1024;
    // Largest archive accepted (the largest packed archive step 5 unpacks).
    qint64 MaxArchiveSize = qint64(256) << 20;
    // The longest the check for the update list may take, in milliseconds.
    int CheckDeadlineMs = 60000;

    // Controls.
    QWidget *PaintBox_Process;
    QLabel *Panel_Title;
    QStackedWidget *Pages;
    QFrame *Bevel1;
    QPushButton *Button_Settings;
    QStackedWidget *Notebook_StdButtons;
    QPushButton *Button_Cancel;
    QPushButton *Button_Next;
    QPushButton *Button_SettingsCancel;
    QPushButton *Button_SettingsSave;
    HttpClient *HTTP;
    QLabel *Image_Icon1, *Label2;
    QLabel *Label4;
    QPushButton *Button_Check;
    QLabel *Label_CheckResult;
    QLabel *Label_Download;
    QProgressBar *Status;
    QLabel *PerCent, *StatusLabel, *TimeLeft, *Icon;
    QPushButton *CancelDownload;
    QLabel *Image_Icon2, *Label3;
    QCheckBox *CheckBox_Restart;
    QLabel *Image_Icon3, *Label5;
    QGroupBox *GroupBox1;
    QRadioButton *RadioButton_NoAutoUpdt, *RadioButton_AutoUpdt;
    QLabel *Label1, *Label6, *Label_AutoUpdt1, *Label_AutoUpdt2;
    QSpinBox *SpinEdit_AutoUpdt;

    // Handlers.
    void FormShow();
    void PaintBox_ProcessPaint(QPainter &canvas, int width, int height);
    void Button_NextClick();
    void Button_CheckClick();
    void CancelDownloadClick();
    void Button_CancelClick();
    void OnUpdateTimer(qint64 total, qint64 received);
    void HTTPFailure(const QString &command);
    void HTTPConnectionFailed();
    void Button_SettingsClick();
    void Button_SettingsSaveClick();
    void Button_SettingsCancelClick();
    void RadioButton_UpdtClick();
    void FormClose();
    // Runs once, at the latest when the window is destroyed at program end.
    void FormDestroy();

    // Operations.
    void DownloadFile(const QString &localFile);
    QString GetNews() const;
    double ReadServerDate() const;
    QString MakeTempFileName() const;
    static QString NewsToBulletList(const QString &news, double programDate);
    static QString FormatByteSize(int decimals, bool longNames, qint64 size);

    // The page that belongs to the current step (the install page while a
    // failed preparation keeps the wizard at step 5).
    int PageOfCurrentStep() const;

    // Test seams.
    const UpdatePlatform &platform() const { return platform_; }
    bool checking() const { return checking_; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void runDownload();
    void showStandardButtons();
    bool PrepareInstallation();
    void StartInstallation();
    void showInstallError(const QString &message);
    void deletePartialFileNow();
    void removeUpdateListFile();

    UpdatePlatform platform_;
    bool checking_ = false;
    bool closeAfterTransfer_ = false;
    bool destroyed_ = false;
    QString partialFile_;
    QString installScript_;
    QString installLog_;
    QTimer partialFileTimer_;
    // Held from step 5 on; handed to the installation's launcher.
    UpdateInstall::InstallLock installLock_;
};
