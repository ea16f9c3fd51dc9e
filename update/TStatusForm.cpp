#include "update/TStatusForm.h"

#include "game/Format.h"
#include "presentation/BlendColor.h"
#include "update/HttpClient.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"
#include "update/install/PrepareInstall.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTemporaryFile>

#include <cstdint>
#include <limits>

const char *const TStatusForm::StepNames[6] = {
    "Willkommen",   "Auf neue Updates prüfen",      "Ergebnis der Prüfung", "Download der Updates",
    "Installieren", "Abschließen der Installation",
};

const char *const TStatusForm::CheckResultTexts[2] = {
    "Es stehen keine neuen Updates zur Verfügung. Klicken Sie auf \"Beenden\", um den Assistenten zu "
    "verlassen.",
    "Es stehen neue Updates zum Download bereit.\r\n\r\nDie Updates beheben folgende Probleme bzw. stellen "
    "folgende neue Funktionen zur Verfügung:\r\n%s\r\n\r\nKlicken Sie auf \"Weiter\", um die Updates jetzt "
    "herunterzuladen.",
};

const char *const TStatusForm::DownloadResultTexts[2] = {
    "Der Download wurde nicht vollendet.\r\n\r\nKlicken Sie auf \"Erneut versuchen\", um den Download "
    "erneut zu starten.\r\nKlicken Sie auf \"Abbrechen\", um den Assistenten zu beenden.",
    "Die Update-Dateien wurden erfolgreich heruntergeladen. Klicken Sie auf \"Weiter\", um die Updates zu "
    "installieren.",
};

namespace {

const char *const WelcomeText =
    "In regelmäßigen Abständen sollte im Internet nach Programmverbesserungen und -updates gesucht werden, "
    "um möglichen Programmfehlern vorzubeugen.\r\nKlicken Sie auf \"Weiter\", um jetzt nach neuen Updates zu "
    "suchen, oder auf \"Abbrechen\", um zu einem anderen Zeitpunkt nach Programmverbesserungen zu "
    "suchen.\r\n\r\nKlicken Sie auf \"Einstellungen\", um festzulegen, ob und in welchen Abständen Sie zum "
    "Suchen nach Updates aufgefordert werden möchten.";
const char *const CheckText = "Stellen Sie sicher, dass eine Internetverbindung besteht, und klicken Sie auf "
                              "\"Jetzt auf neue Updates prüfen\".";
const char *const DownloadText =
    "Die Updates werden jetzt heruntergeladen. Bitten warten Sie, bis der Download abgeschlossen ist, oder "
    "klicken Sie auf \"Download abbrechen\", wenn Sie die Updates zu einer anderen Zeit herunterladen "
    "wollen.";
const char *const InstallText =
    "Das Update kann jetzt installiert werden.\r\nKlicken Sie auf \"Weiter\", um den Vorgang fortzusetzen "
    "und "
    "die Installation durchzuführen.\r\n\r\nAktivieren Sie das Kontrollfeld \"Programm automatisch neu "
    "starten\", um die Anwendung nach der Installation sofort neu zu starten.";
const char *const FinishText =
    "Die Installation wurde vorbereitet.\r\nKlicken SIe auf \"Beenden\", um die alten Dateien zu ersetzen. "
    "Ein "
    "Neustart des Computers ist nicht erforderlich.\r\n\r\nWenn Sie nicht die Option zum automatischen "
    "Neustart "
    "des Programms aktiviert haben, müssen Sie das Programm nach der Installation manuell neu starten.";
const char *const NoUpdateChoiceText =
    "Wenn Sie diese Option aktivieren, werden Sie nicht automatisch zum Suchen nach neuen Updates "
    "aufgefordert. Sie haben dann aber immer noch die Möglichkeit, über die Tastenkombination Strg+U die "
    "Suche nach Updates zu starten.";
const char *const AutoUpdateChoiceText =
    "Aktivieren Sie diese Option, um in festgelegten Abständen automatisch zum Suchen nach neuen Updates "
    "aufgefordert zu werden. Dies geschieht dann jeweils unmittelbar nach dem Starten des Programms.";
const char *const NoConnectionText = "Es besteht keine Internetverbindung.";
const char *const NoConnectionTitle = "Internetverbindung erforderlich";
const char *const CancelQuestion = "Soll der Download wirklich abgebrochen werden?";
const char *const CancelTitle = "Bestätigung";
const char *const SettingsNotSavedText = "Die Einstellungen konnten nicht gespeichert werden.";
const char *const SettingsNotSavedTitle = "Einstellungen";
const char *const InstallBusyText =
    "Ein anderes laufendes Kielwanz bereitet gerade ein Update vor, oder ein vorbereitetes Update wird "
    "gerade installiert. Versuchen Sie es später noch einmal.";

const char *const NextCaption = "Weiter >";
const char *const FinishCaption = "Beenden";
const char *const CancelDownloadCaption = "Download ab&brechen";
const char *const RetryCaption = "Erneut versuchen";
const char *const NoNewsText = "\"keine Angaben gefunden\"";

constexpr int SettingsPage = 6;
constexpr int StandardButtons = 0;
constexpr int SettingsButtons = 1;
constexpr int DefaultInterval = 7;

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Texts are kept with CR LF as the program writes them; labels break at LF.
QString shown(const QString &s)
{
    QString out = s;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

QLabel *label(QWidget *parent, const QString &caption, const QRect &geometry, bool wrap = true)
{
    auto *l = new QLabel(caption, parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(geometry);
    return l;
}

QPushButton *button(QWidget *parent, const QString &caption, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setGeometry(geometry);
    b->setAutoDefault(true); // Enter presses the focused button, else the default one
    return b;
}

QLabel *iconImage(QWidget *parent, QStyle::StandardPixmap which, const QPoint &at)
{
    auto *l = new QLabel(parent);
    l->setGeometry(QRect(at, QSize(32, 32)));
    l->setPixmap(parent->style()->standardIcon(which).pixmap(32, 32));
    return l;
}

QString timeText(double seconds)
{
    const qint64 s = seconds > 0 && seconds < 1e9 ? qint64(seconds + 0.5) : 0;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// The step list on the left, painted by the wizard.
class StepList : public QWidget {
public:
    StepList(TStatusForm *form, QWidget *parent) : QWidget(parent), form_(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter canvas(this);
        form_->PaintBox_ProcessPaint(canvas, width(), height());
    }

private:
    TStatusForm *form_;
};

} // namespace

TStatusForm::TStatusForm(const UpdatePlatform &platform, QWidget *parent)
    : QDialog(parent), platform_(platform)
{
    // FormCreate
    setWindowTitle(QStringLiteral("Updates installieren"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(658, 353);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont face(QStringLiteral("Verdana"));
    face.setPixelSize(11);
    setFont(face);

    PaintBox_Process = new StepList(this, this);
    PaintBox_Process->setGeometry(0, 0, 225, 353);

    Panel_Title = new QLabel(this);
    Panel_Title->setGeometry(232, 8, 417, 41);
    Panel_Title->setAlignment(Qt::AlignCenter);
    Panel_Title->setTextFormat(Qt::PlainText);
    Panel_Title->setAutoFillBackground(true);
    QPalette titlePal = Panel_Title->palette();
    titlePal.setColor(QPalette::Window, WinColorToQColor(0xC56A31));
    titlePal.setColor(QPalette::WindowText, Qt::white);
    Panel_Title->setPalette(titlePal);
    QFont titleFont(QStringLiteral("Verdana"));
    titleFont.setPixelSize(19);
    titleFont.setBold(true);
    Panel_Title->setFont(titleFont);

    Pages = new QStackedWidget(this);
    Pages->setGeometry(232, 56, 417, 249);

    // 0: welcome
    auto *page = new QWidget;
    Image_Icon1 = iconImage(page, QStyle::SP_MessageBoxInformation, QPoint(8, 8));
    Label2 = label(page, shown(text(WelcomeText)), QRect(56, 8, 353, 233));
    Pages->addWidget(page);
    // 1: check
    page = new QWidget;
    Label4 = label(page, text(CheckText), QRect(8, 8, 401, 57));
    Button_Check = button(page, QStringLiteral("Jetzt auf neue Updates prüfen"), QRect(8, 96, 185, 25));
    Pages->addWidget(page);
    // 2: result
    page = new QWidget;
    Label_CheckResult = label(page, QString(), QRect(8, 8, 401, 233));
    Pages->addWidget(page);
    // 3: download
    page = new QWidget;
    Label_Download = label(page, text(DownloadText), QRect(8, 8, 401, 89));
    Status = new QProgressBar(page);
    Status->setGeometry(52, 112, 337, 25);
    Status->setRange(0, 100);
    Status->setValue(0);
    Status->setTextVisible(false);
    PerCent = label(page, QString(), QRect(52, 144, 337, 16), false);
    PerCent->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont percentFont(QStringLiteral("MS Sans Serif"));
    percentFont.setPixelSize(11);
    PerCent->setFont(percentFont);
    StatusLabel = label(page, QString(), QRect(52, 168, 337, 16), false);
    TimeLeft = label(page, QString(), QRect(52, 192, 337, 16), false);
    Icon = new QLabel(page);
    Icon->setGeometry(8, 160, 33, 33);
    Icon->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown).pixmap(32, 32));
    CancelDownload = button(page, text(CancelDownloadCaption), QRect(240, 216, 155, 25));
    Pages->addWidget(page);
    // 4: install
    page = new QWidget;
    Image_Icon2 = iconImage(page, QStyle::SP_MessageBoxInformation, QPoint(8, 8));
    Label3 = label(page, shown(text(InstallText)), QRect(56, 8, 353, 177));
    CheckBox_Restart = new QCheckBox(QStringLiteral("Programm automatisch neu starten"), page);
    CheckBox_Restart->move(56, 224);
    CheckBox_Restart->setChecked(true);
    Pages->addWidget(page);
    // 5: finish
    page = new QWidget;
    Image_Icon3 = iconImage(page, QStyle::SP_MessageBoxInformation, QPoint(8, 8));
    Label5 = label(page, shown(text(FinishText)), QRect(56, 8, 353, 233));
    Pages->addWidget(page);
    // 6: settings
    page = new QWidget;
    GroupBox1 = new QGroupBox(
        QStringLiteral("Wie oft wollen Sie zum Suchen nach Updates aufgefordert werden?"), page);
    GroupBox1->setGeometry(8, 8, 401, 233);
    RadioButton_NoAutoUpdt =
        new QRadioButton(QStringLiteral("Niemals automatisch zum Updaten auffordern"), GroupBox1);
    RadioButton_NoAutoUpdt->move(16, 24);
    Label1 = label(GroupBox1, text(NoUpdateChoiceText), QRect(40, 40, 353, 73));
    RadioButton_AutoUpdt = new QRadioButton(
        QStringLiteral("Regelmäßig in bestimmten Abständen zum Updaten auffordern"), GroupBox1);
    RadioButton_AutoUpdt->move(16, 112);
    RadioButton_AutoUpdt->setChecked(true);
    Label6 = label(GroupBox1, text(AutoUpdateChoiceText), QRect(40, 128, 353, 57));
    Label_AutoUpdt1 = label(GroupBox1, QStringLiteral("Alle"), QRect(40, 192, 28, 16), false);
    SpinEdit_AutoUpdt = new QSpinBox(GroupBox1);
    SpinEdit_AutoUpdt->setGeometry(70, 188, 49, 22);
    SpinEdit_AutoUpdt->setRange(1, 365);
    SpinEdit_AutoUpdt->setValue(DefaultInterval);
    Label_AutoUpdt2 =
        label(GroupBox1, QStringLiteral("Tage an Updates erinnern"), QRect(122, 192, 260, 16), false);
    Pages->addWidget(page);

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(232, 312, 417, 2);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    Button_Settings = button(this, QStringLiteral("Einstellungen"), QRect(240, 320, 97, 25));

    Notebook_StdButtons = new QStackedWidget(this);
    Notebook_StdButtons->setGeometry(456, 314, 193, 37);
    page = new QWidget;
    Button_Cancel = button(page, QStringLiteral("Abbrechen"), QRect(6, 6, 83, 25));
    Button_Next = button(page, text(NextCaption), QRect(100, 6, 83, 25));
    Notebook_StdButtons->addWidget(page);
    page = new QWidget;
    Button_SettingsCancel = button(page, QStringLiteral("Abbrechen"), QRect(6, 6, 83, 25));
    Button_SettingsSave = button(page, QStringLiteral("Speichern"), QRect(100, 6, 83, 25));
    Notebook_StdButtons->addWidget(page);
    showStandardButtons();

    HTTP = new HttpClient(this);
    HTTP->Host = QUrl(platform_.serverAddress);
    HTTP->TimeOut = 10000;
    connect(HTTP, &HttpClient::failure, this, &TStatusForm::HTTPFailure);
    connect(HTTP, &HttpClient::connectionFailed, this, &TStatusForm::HTTPConnectionFailed);

    connect(Button_Next, &QPushButton::clicked, this, &TStatusForm::Button_NextClick);
    connect(Button_Check, &QPushButton::clicked, this, &TStatusForm::Button_CheckClick);
    connect(CancelDownload, &QPushButton::clicked, this, &TStatusForm::CancelDownloadClick);
    connect(Button_Cancel, &QPushButton::clicked, this, &TStatusForm::Button_CancelClick);
    connect(Button_Settings, &QPushButton::clicked, this, &TStatusForm::Button_SettingsClick);
    connect(Button_SettingsSave, &QPushButton::clicked, this, &TStatusForm::Button_SettingsSaveClick);
    connect(Button_SettingsCancel, &QPushButton::clicked, this, &TStatusForm::Button_SettingsCancelClick);
    connect(RadioButton_AutoUpdt, &QRadioButton::toggled, this, &TStatusForm::RadioButton_UpdtClick);

    partialFileTimer_.setSingleShot(true);
    connect(&partialFileTimer_, &QTimer::timeout, this, &TStatusForm::deletePartialFileNow);

    Downloading = false;
}

TStatusForm::~TStatusForm()
{
    FormDestroy();
}

void TStatusForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TStatusForm::FormShow()
{
    TempDir = platform_.tempDir();
    QFont bold = PerCent->font();
    bold.setBold(true);
    PerCent->setFont(bold);
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
    }
    CurrentStep = 0;
    Pages->setCurrentIndex(0);
    showStandardButtons();
    Button_Settings->setVisible(true);
    Button_Cancel->setEnabled(true);
    Button_Next->setEnabled(true);
    Button_Next->setText(text(NextCaption));
    InstallPrepared = false;
    installLock_.release();
    UpdateAvailable = false;
    CancelRequested = false;
    DownloadAborted = false;
    // A run of an earlier showing leaves nothing behind on the pages.
    CheckEndedWithoutUpdate = false;
    TerminateRequested = false;
    DownloadFailed = false;
    closeAfterTransfer_ = false;
    Label3->setText(shown(text(InstallText)));
    Image_Icon2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Panel_Title->setText(text(StepNames[0]));
    PaintBox_Process->update();
}

void TStatusForm::PaintBox_ProcessPaint(QPainter &canvas, int width, int height)
{
    for (int x = 0; x <= width; ++x) {
        canvas.setPen(WinColorToQColor(BlendColor(0xE6B79B, 0xFFFFFF, x, width)));
        canvas.drawLine(x, 0, x, height - 1);
    }
    QFont f = font();
    f.setPointSize(10);
    for (int i = 0; i < 6; ++i) {
        f.setBold(i == CurrentStep);
        f.setItalic(i == CurrentStep);
        canvas.setFont(f);
        canvas.setPen(Qt::black);
        canvas.drawText(QRect(16, 16 + 56 * i, width - 16, 56), Qt::AlignLeft | Qt::AlignTop,
                        text(StepNames[i]));
    }
}

int TStatusForm::PageOfCurrentStep() const
{
    if (CurrentStep == 5 && !InstallPrepared)
        return 4;
    return qBound(0, CurrentStep, 5);
}

void TStatusForm::showStandardButtons()
{
    Notebook_StdButtons->setCurrentIndex(StandardButtons);
    Button_SettingsSave->setDefault(false);
    Button_Next->setDefault(true);
}

void TStatusForm::Button_NextClick()
{
    ++CurrentStep;
    switch (CurrentStep) {
    case 1:
        Button_Next->setEnabled(false);
        break;
    case 2:
        if (UpdateAvailable) {
            Label_CheckResult->setText(
                shown(FormatText(text(CheckResultTexts[1]), {NewsToBulletList(GetNews(), ProgramDate)})));
        } else {
            Button_Next->setText(text(FinishCaption));
            Button_Cancel->setEnabled(false);
            Label_CheckResult->setText(shown(text(CheckResultTexts[0])));
        }
        Button_Next->setEnabled(true);
        break;
    case 3:
        if (!UpdateAvailable) {
            CheckEndedWithoutUpdate = true;
            close();
            return;
        }
        break;
    case 4:
        break;
    case 5:
        if (!PrepareInstallation())
            return;
        break;
    default:
        // Only a prepared installation ends the program; after a failed
        // step 5 the game goes on.
        TerminateRequested = InstallPrepared;
        done(QDialog::Accepted);
        return;
    }
    if (Pages->currentIndex() != SettingsPage) {
        Pages->setCurrentIndex(CurrentStep);
        Panel_Title->setText(text(StepNames[CurrentStep]));
    }
    PaintBox_Process->update();
    if (CurrentStep == 3 && UpdateAvailable)
        runDownload();
}

void TStatusForm::Button_CheckClick()
{
    if (checking_)
        return;
    if (!platform_.internetConnected()) {
        platform_.warn(this, text(NoConnectionText), text(NoConnectionTitle));
        return;
    }
    UpdateAvailable = true;
    checking_ = true;
    Button_Check->setEnabled(false);

    UpdateListOpen = false;
    UpdateListFileName = MakeTempFileName();
    bool read = false;
    if (!UpdateListFileName.isEmpty()) {
        // The check shows no progress: a server that trickles must not keep
        // it going for ever.
        HTTP->MaxBodySize = MaxUpdateListSize;
        HTTP->Deadline = CheckDeadlineMs;
        const HttpClient::Result result = HTTP->Get(QStringLiteral("Updates.ini"), UpdateListFileName);
        HTTP->MaxBodySize = 0;
        HTTP->Deadline = 0;
        read = result == HttpClient::Result::Ok && UpdateList.load(UpdateListFileName);
    }
    // The list is kept in memory; its file is not needed any more.
    removeUpdateListFile();
    if (!read)
        UpdateAvailable = false;
    checking_ = false;
    Button_Check->setEnabled(true);

    if (!isVisible()) {
        // The wizard was closed while the list was on its way.
        UpdateAvailable = false;
        return;
    }
    if (!UpdateAvailable) {
        platform_.warn(this, text(NoConnectionText), text(NoConnectionTitle));
        return;
    }
    UpdateListOpen = true;
    UpdateAvailable = UpdateList.sectionPresent(ProgramName) && ReadServerDate() >= ProgramDate;
    Button_NextClick();
}

QString TStatusForm::MakeTempFileName() const
{
    if (TempDir.isEmpty())
        return {};
    QTemporaryFile file(TempDir + QStringLiteral("$XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

void TStatusForm::removeUpdateListFile()
{
    if (!UpdateListFileName.isEmpty())
        QFile::remove(UpdateListFileName);
}

QString TStatusForm::GetNews() const
{
    return UpdateList.readString(ProgramName, QStringLiteral("News"), text(NoNewsText));
}

double TStatusForm::ReadServerDate() const
{
    if (UpdateListOpen) {
        if (const auto date =
                UpdateDates::parseGermanDate(UpdateList.readString(ProgramName, QStringLiteral("Date"))))
            return UpdateDates::fromDate(*date);
    }
    return UpdateDates::fromDate(platform_.today());
}

QString TStatusForm::NewsToBulletList(const QString &news, double programDate)
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

QString TStatusForm::FormatByteSize(int decimals, bool longNames, qint64 size)
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

void TStatusForm::runDownload()
{
    Button_Next->setEnabled(false);
    CancelDownload->setText(text(CancelDownloadCaption));
    CancelDownload->setVisible(true);
    Label_Download->setText(text(DownloadText));
    Status->setRange(0, 100);
    Status->setValue(0);
    PerCent->clear();
    StatusLabel->clear();
    TimeLeft->clear();

    DownloadFile(TempDir + ZIPFileName);

    const bool complete = !DownloadAborted && !DownloadFailed;
    Label_Download->setText(shown(text(DownloadResultTexts[complete ? 1 : 0])));
    if (!complete) {
        CancelDownload->setText(text(RetryCaption));
    } else {
        CancelDownload->setVisible(false);
        Button_Next->setEnabled(true);
    }
    if (closeAfterTransfer_) {
        closeAfterTransfer_ = false;
        close();
    }
}

void TStatusForm::DownloadFile(const QString &localFile)
{
    if (!UpdateListOpen || TempDir.isEmpty()) {
        DownloadFailed = true;
        return;
    }
    // A partial file of an earlier attempt waiting for deletion is replaced now.
    if (partialFileTimer_.isActive())
        deletePartialFileNow();
    DownloadFailed = false;
    DownloadStartTime.start();
    const QMetaObject::Connection report =
        connect(HTTP, &HttpClient::work, this, &TStatusForm::OnUpdateTimer);
    Downloading = true;
    HTTP->MaxBodySize = MaxArchiveSize;
    const HttpClient::Result result = HTTP->Get(
        QStringLiteral("Updates/") + UpdateList.readString(ProgramName, QStringLiteral("File")), localFile);
    HTTP->MaxBodySize = 0;
    Downloading = false;
    disconnect(report);
    if (result == HttpClient::Result::Aborted)
        DownloadAborted = true;
    else if (result != HttpClient::Result::Ok)
        DownloadFailed = true;
    if (DownloadAborted || DownloadFailed) {
        partialFile_ = localFile;
        // A broken transfer's rest goes at once: it may be large, and the
        // temporary folder is often small.
        partialFileTimer_.start(DownloadAborted ? AbortDeleteDelayMs : 0);
    }
}

void TStatusForm::deletePartialFileNow()
{
    partialFileTimer_.stop();
    if (!partialFile_.isEmpty())
        QFile::remove(partialFile_);
    partialFile_.clear();
}

void TStatusForm::OnUpdateTimer(qint64 total, qint64 received)
{
    double remaining = 0;
    if (DownloadStartTime.isValid() && total > 0 && received > 0) {
        const double elapsed = DownloadStartTime.elapsed() / 1000.0;
        remaining = double(total) / double(received) * elapsed - elapsed;
    }
    if (total > 0) {
        // The bar counts in ints; large archives are scaled down.
        int shift = 0;
        while ((total >> shift) > std::numeric_limits<int>::max())
            ++shift;
        Status->setRange(0, int(total >> shift));
        Status->setValue(int(qMin(received, total) >> shift));
    } else {
        Status->setRange(0, 1);
        Status->setValue(1);
    }
    PerCent->setText(total == 0 ? QStringLiteral("100 %")
                                : QString::number(qRound(double(received) / double(total) * 100)) +
                                      QStringLiteral(" %"));
    StatusLabel->setText(FormatByteSize(1, false, received) + QStringLiteral(" von ") +
                         FormatByteSize(1, false, total) + QStringLiteral(" gedownloadet"));
    TimeLeft->setText(QStringLiteral("verbleibende Zeit: ") + timeText(remaining));
    if (CancelRequested) {
        HTTP->Abort();
        DownloadAborted = true;
    }
}

void TStatusForm::CancelDownloadClick()
{
    if (Downloading) {
        platform_.beep();
        if (platform_.confirm(this, text(CancelQuestion), text(CancelTitle))) {
            CancelRequested = true;
            // Stop at once even when the server has gone quiet.
            HTTP->Abort();
        }
        return;
    }
    CurrentStep = 2;
    DownloadAborted = false;
    CancelRequested = false;
    Button_NextClick();
}

void TStatusForm::Button_CancelClick()
{
    if (Downloading) {
        CancelDownloadClick();
        if (!CancelRequested)
            return;
    }
    close();
}

void TStatusForm::closeEvent(QCloseEvent *event)
{
    // FormCloseQuery
    if (Downloading) {
        CancelDownloadClick();
        if (CancelRequested)
            closeAfterTransfer_ = true; // the close goes ahead once the transfer has stopped
        event->ignore();
        return;
    }
    if (checking_)
        HTTP->Abort();
    FormClose();
    event->accept();
    done(QDialog::Rejected);
}

void TStatusForm::reject()
{
    // Esc: the cancel button of the buttons shown.
    if (Notebook_StdButtons->currentIndex() == SettingsButtons)
        Button_SettingsCancel->click();
    else if (Button_Cancel->isEnabled())
        Button_Cancel->click();
}

void TStatusForm::FormClose()
{
    // After a failed step 5 (a bad archive) the wizard leads back into the
    // game; only an "OnlyUpdate" start ends the program then.
    if (CurrentStep == 5 && InstallPrepared)
        TerminateRequested = true;
}

void TStatusForm::HTTPFailure(const QString &command)
{
    // A broken archive transfer is the download page's business; only the
    // check decides whether an update is available.
    if (Downloading) {
        DownloadFailed = true;
        return;
    }
    if (command == u"GET")
        UpdateAvailable = false;
}

void TStatusForm::HTTPConnectionFailed()
{
    if (Downloading) {
        DownloadFailed = true;
        return;
    }
    UpdateAvailable = false;
}

void TStatusForm::Button_SettingsClick()
{
    const UpdateSettingsStore store(platform_.settingsFile(HKCU), RegistryKey);
    if (store.valueExists(QStringLiteral("NoUpdate")))
        RadioButton_NoAutoUpdt->setChecked(true);
    else
        RadioButton_AutoUpdt->setChecked(true);
    SpinEdit_AutoUpdt->setValue(
        store.readInteger(QStringLiteral("UpdateInterval")).value_or(DefaultInterval));
    RadioButton_UpdtClick();
    Button_Settings->setVisible(false);
    Panel_Title->setText(QStringLiteral("Einstellungen"));
    Notebook_StdButtons->setCurrentIndex(SettingsButtons);
    Button_Next->setDefault(false);
    Button_SettingsSave->setDefault(true);
    Pages->setCurrentIndex(SettingsPage);
}

void TStatusForm::RadioButton_UpdtClick()
{
    const bool regular = RadioButton_AutoUpdt->isChecked();
    Label_AutoUpdt1->setEnabled(regular);
    SpinEdit_AutoUpdt->setEnabled(regular);
    Label_AutoUpdt2->setEnabled(regular);
}

void TStatusForm::Button_SettingsSaveClick()
{
    UpdateSettingsStore store(platform_.settingsFile(HKCU), RegistryKey);
    if (RadioButton_NoAutoUpdt->isChecked()) {
        store.deleteValue(QStringLiteral("UpdateInterval"));
        store.writeString(QStringLiteral("NoUpdate"), QString());
    } else {
        store.deleteValue(QStringLiteral("NoUpdate"));
        store.writeInteger(QStringLiteral("UpdateInterval"), SpinEdit_AutoUpdt->value());
    }
    if (!store.save())
        platform_.warn(this, text(SettingsNotSavedText), text(SettingsNotSavedTitle));
    Button_SettingsCancelClick();
}

void TStatusForm::Button_SettingsCancelClick()
{
    Panel_Title->setText(text(StepNames[PageOfCurrentStep()]));
    Pages->setCurrentIndex(PageOfCurrentStep());
    showStandardButtons();
    Button_Settings->setVisible(true);
}

void TStatusForm::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    removeUpdateListFile();
    if (partialFileTimer_.isActive())
        deletePartialFileNow();
    if (InstallPrepared || CheckEndedWithoutUpdate) {
        UpdateSettingsStore store(platform_.settingsFile(HKCU), RegistryKey);
        const std::optional<qint32> stored = store.readInteger(QStringLiteral("UpdateInterval"));
        const int interval = stored && *stored >= 1 ? *stored : DefaultInterval;
        store.writeDate(QStringLiteral("Update"), UpdateDates::fromDate(platform_.today()) + interval - 1);
        store.save();
    }
    if (InstallPrepared)
        StartInstallation();
}

// ---- Step 5 and program end -------------------------------------------------

bool TStatusForm::PrepareInstallation()
{
    // One copy of the program at a time prepares and installs: another
    // copy's prepared installation in this folder is left alone.
    switch (installLock_.tryLock(TempDir)) {
    case UpdateInstall::InstallLock::Outcome::Locked:
        break;
    case UpdateInstall::InstallLock::Outcome::Busy:
        platform_.warn(this, text(InstallBusyText), windowTitle());
        --CurrentStep; // "Weiter >" tries again
        return false;
    case UpdateInstall::InstallLock::Outcome::Failed:
        platform_.warn(this,
                       FormatText(QStringLiteral("Datei %s kann nicht erstellt werden"),
                                  {OutsideText(UpdateInstall::InstallLock::fileName(TempDir), 260)}),
                       windowTitle());
        --CurrentStep;
        return false;
    }
    UpdateInstall::InstallRequest request;
    request.ArchivePath = TempDir + ZIPFileName;
    request.ProgramFile = platform_.programFilePath;
    request.ProgramFolder = QFileInfo(platform_.programFilePath).absolutePath();
    request.TempDir = TempDir;
    request.Restart = CheckBox_Restart->isChecked();
    request.Signature = UpdateList.readString(ProgramName, QStringLiteral("Signature"));
    request.ProgramName = ProgramName;
    request.ListDate = UpdateList.readString(ProgramName, QStringLiteral("Date"));
    const UpdateInstall::PrepareResult result = UpdateInstall::PrepareInstallation(request);
    switch (result.Status) {
    case UpdateInstall::PrepareStatus::Prepared:
        installScript_ = result.ScriptPath;
        installLog_ = result.LogPath;
        InstallPrepared = true;
        Button_Next->setText(text(FinishCaption));
        Button_Cancel->setEnabled(false);
        return true;
    case UpdateInstall::PrepareStatus::PageError:
        installLock_.release();
        showInstallError(result.Message);
        return false;
    case UpdateInstall::PrepareStatus::MessageBox:
        // The wizard stays on the install page; "Weiter >" then closes it.
        installLock_.release();
        platform_.warn(this, result.Message, windowTitle());
        return false;
    }
    installLock_.release();
    return false;
}

void TStatusForm::StartInstallation()
{
    if (platform_.startInstallation)
        platform_.startInstallation(installScript_, installLog_, installLock_.fd());
    installLock_.release(); // the launcher holds it from here on
}

void TStatusForm::showInstallError(const QString &message)
{
    Label3->setText(shown(message));
    Image_Icon2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    Button_Next->setEnabled(false);
}
