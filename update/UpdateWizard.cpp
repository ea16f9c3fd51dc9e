#include "update/UpdateWizard.h"

#include "presentation/BlendColor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>

namespace {

const char *const WelcomeText =
    "In regelmäßigen Abständen sollte im Internet nach Programmverbesserungen und -updates gesucht werden, "
    "um möglichen Programmfehlern vorzubeugen.\r\nKlicken Sie auf \"Weiter\", um jetzt nach neuen Updates zu "
    "suchen, oder auf \"Abbrechen\", um zu einem anderen Zeitpunkt nach Programmverbesserungen zu "
    "suchen.\r\n\r\nKlicken Sie auf \"Einstellungen\", um festzulegen, ob und in welchen Abständen Sie zum "
    "Suchen nach Updates aufgefordert werden möchten.";
const char *const CheckText = "Stellen Sie sicher, dass eine Internetverbindung besteht, und klicken Sie auf "
                              "\"Jetzt auf neue Updates prüfen\".";
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
const char *const CancelDownloadCaption = "Download ab&brechen";
const char *const NextCaption = "Weiter >";

constexpr int StandardButtons = 0;
constexpr int SettingsButtons = 1;

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

} // namespace

// The step list on the left, painted by the wizard.
class StepList : public QWidget {
public:
    StepList(UpdateWizard *form, QWidget *parent) : QWidget(parent), form_(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter canvas(this);
        form_->paintSteps(canvas, width(), height());
    }

private:
    UpdateWizard *form_;
};

UpdateWizard::UpdateWizard(const UpdatePlatform &platform, QWidget *parent)
    : QDialog(parent), model_(new UpdateWizardModel(platform, this))
{
    setWindowTitle(QString::fromUtf8(UpdateWizardModel::WindowTitle));
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
    Label_Download = label(page, shown(model_->view().downloadText), QRect(8, 8, 401, 89));
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
    Label3 = label(page, shown(text(UpdateWizardModel::InstallText)), QRect(56, 8, 353, 177));
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
    SpinEdit_AutoUpdt->setValue(UpdateWizardModel::DefaultInterval);
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
    Button_Next->setDefault(true);

    // Tests and accessibility tools find the controls by these names.
    const std::pair<QObject *, const char *> names[] = {
        {PaintBox_Process, "PaintBox_Process"}, {Panel_Title, "Panel_Title"}, {Pages, "Pages"},
        {Button_Settings, "Button_Settings"}, {Notebook_StdButtons, "Notebook_StdButtons"},
        {Button_Cancel, "Button_Cancel"}, {Button_Next, "Button_Next"},
        {Button_SettingsCancel, "Button_SettingsCancel"}, {Button_SettingsSave, "Button_SettingsSave"},
        {Button_Check, "Button_Check"}, {Label_CheckResult, "Label_CheckResult"},
        {Label_Download, "Label_Download"}, {Status, "Status"}, {PerCent, "PerCent"},
        {StatusLabel, "StatusLabel"}, {TimeLeft, "TimeLeft"}, {CancelDownload, "CancelDownload"},
        {Image_Icon2, "Image_Icon2"}, {Label3, "Label3"}, {CheckBox_Restart, "CheckBox_Restart"},
        {RadioButton_NoAutoUpdt, "RadioButton_NoAutoUpdt"}, {RadioButton_AutoUpdt, "RadioButton_AutoUpdt"},
        {SpinEdit_AutoUpdt, "SpinEdit_AutoUpdt"}, {Label_AutoUpdt1, "Label_AutoUpdt1"},
        {Label_AutoUpdt2, "Label_AutoUpdt2"}};
    for (const auto &[object, name] : names)
        object->setObjectName(QString::fromLatin1(name));
    model_->setObjectName(QStringLiteral("UpdateWizardModel"));
    model_->setDialogParent(this);

    connect(model_, &UpdateWizardModel::changed, this, &UpdateWizard::render);
    connect(model_, &UpdateWizardModel::closeWanted, this, &QWidget::close);
    connect(model_, &UpdateWizardModel::accepted, this, [this] { done(QDialog::Accepted); });
    connect(Button_Next, &QPushButton::clicked, model_, &UpdateWizardModel::next);
    connect(Button_Check, &QPushButton::clicked, model_, &UpdateWizardModel::check);
    connect(CancelDownload, &QPushButton::clicked, model_, &UpdateWizardModel::cancelDownload);
    connect(Button_Cancel, &QPushButton::clicked, model_, &UpdateWizardModel::cancel);
    connect(Button_Settings, &QPushButton::clicked, this, &UpdateWizard::openSettings);
    connect(Button_SettingsSave, &QPushButton::clicked, this, &UpdateWizard::saveSettings);
    connect(Button_SettingsCancel, &QPushButton::clicked, model_, &UpdateWizardModel::closeSettings);
    connect(RadioButton_AutoUpdt, &QRadioButton::toggled, this, &UpdateWizard::updateScheduleControls);
    connect(CheckBox_Restart, &QCheckBox::toggled, model_, &UpdateWizardModel::setRestart);
}

UpdateWizard::~UpdateWizard()
{
    // At the latest at program end: the next check day, the installation.
    model_->programEnds();
}

void UpdateWizard::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    QFont bold = PerCent->font();
    bold.setBold(true);
    PerCent->setFont(bold);
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
    }
    model_->start();
}

void UpdateWizard::render()
{
    const UpdateWizardModel::View &v = model_->view();
    Panel_Title->setText(v.title);
    Pages->setCurrentIndex(v.page);
    if (v.settingsShown != settingsShown_) {
        settingsShown_ = v.settingsShown;
        Button_Settings->setVisible(!v.settingsShown);
        Notebook_StdButtons->setCurrentIndex(v.settingsShown ? SettingsButtons : StandardButtons);
        Button_Next->setDefault(!v.settingsShown);
        Button_SettingsSave->setDefault(v.settingsShown);
    }
    Button_Next->setText(v.nextCaption);
    Button_Next->setEnabled(v.nextEnabled);
    Button_Cancel->setEnabled(v.cancelEnabled);
    Button_Check->setEnabled(v.checkEnabled);
    Label_CheckResult->setText(shown(v.checkResult));
    Label_Download->setText(shown(v.downloadText));
    CancelDownload->setText(v.cancelDownloadCaption);
    CancelDownload->setVisible(v.cancelDownloadVisible);
    Status->setRange(0, v.barMaximum);
    Status->setValue(v.barValue);
    PerCent->setText(v.percent);
    StatusLabel->setText(v.status);
    TimeLeft->setText(v.timeLeft);
    Label3->setText(shown(v.installText));
    if (v.installFailed != installFailedShown_) {
        installFailedShown_ = v.installFailed;
        Image_Icon2->setPixmap(
            style()
                ->standardIcon(v.installFailed ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxInformation)
                .pixmap(32, 32));
    }
    PaintBox_Process->update();
}

void UpdateWizard::paintSteps(QPainter &canvas, int width, int height)
{
    for (int x = 0; x <= width; ++x) {
        canvas.setPen(WinColorToQColor(BlendColor(0xE6B79B, 0xFFFFFF, x, width)));
        canvas.drawLine(x, 0, x, height - 1);
    }
    QFont f = font();
    f.setPointSize(10);
    const int current = model_->view().listStep;
    for (int i = 0; i < 6; ++i) {
        f.setBold(i == current);
        f.setItalic(i == current);
        canvas.setFont(f);
        canvas.setPen(Qt::black);
        canvas.drawText(QRect(16, 16 + 56 * i, width - 16, 56), Qt::AlignLeft | Qt::AlignTop,
                        text(UpdateWizardModel::StepNames[i]));
    }
}

void UpdateWizard::openSettings()
{
    const UpdateWizardModel::Schedule schedule = model_->openSettings();
    if (schedule.never)
        RadioButton_NoAutoUpdt->setChecked(true);
    else
        RadioButton_AutoUpdt->setChecked(true);
    SpinEdit_AutoUpdt->setValue(schedule.interval);
    updateScheduleControls();
}

void UpdateWizard::saveSettings()
{
    model_->saveSettings({RadioButton_NoAutoUpdt->isChecked(), SpinEdit_AutoUpdt->value()});
}

void UpdateWizard::updateScheduleControls()
{
    const bool regular = RadioButton_AutoUpdt->isChecked();
    Label_AutoUpdt1->setEnabled(regular);
    SpinEdit_AutoUpdt->setEnabled(regular);
    Label_AutoUpdt2->setEnabled(regular);
}

void UpdateWizard::closeEvent(QCloseEvent *event)
{
    if (!model_->mayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    done(QDialog::Rejected);
}

void UpdateWizard::reject()
{
    // Esc: the cancel button of the buttons shown.
    if (Notebook_StdButtons->currentIndex() == SettingsButtons)
        Button_SettingsCancel->click();
    else if (Button_Cancel->isEnabled())
        Button_Cancel->click();
}
