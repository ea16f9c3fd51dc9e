#include "update/UpdateWizard.h"

#include "presentation/BlendColor.h"
#include "presentation/DialogLayout.h"

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

QLabel *label(QWidget *parent, const QString &caption, bool wrap = true)
{
    auto *l = new QLabel(caption, parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton *button(QWidget *parent, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setAutoDefault(true); // Enter presses the focused button, else the default one
    return b;
}

QLabel *iconImage(QWidget *parent, QStyle::StandardPixmap which)
{
    auto *l = new QLabel(parent);
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
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont face(QStringLiteral("Verdana"));
    face.setPixelSize(11);
    setFont(face);

    stepList_ = new StepList(this, this);

    title_ = new QLabel(this);
    title_->setAlignment(Qt::AlignCenter);
    title_->setTextFormat(Qt::PlainText);
    title_->setAutoFillBackground(true);
    QPalette titlePal = title_->palette();
    titlePal.setColor(QPalette::Window, WinColorToQColor(0xC56A31));
    titlePal.setColor(QPalette::WindowText, Qt::white);
    title_->setPalette(titlePal);
    QFont titleFont(QStringLiteral("Verdana"));
    titleFont.setPixelSize(19);
    titleFont.setBold(true);
    title_->setFont(titleFont);

    pages_ = new QStackedWidget(this);

    // 0: welcome
    auto *page = new QWidget;
    welcomeIcon_ = iconImage(page, QStyle::SP_MessageBoxInformation);
    welcomeText_ = label(page, shown(text(WelcomeText)));
    pages_->addWidget(page);
    // 1: check
    page = new QWidget;
    checkText_ = label(page, text(CheckText));
    checkButton_ = button(page, QStringLiteral("Jetzt auf neue Updates prüfen"));
    pages_->addWidget(page);
    // 2: result
    page = new QWidget;
    checkResult_ = label(page, QString());
    pages_->addWidget(page);
    // 3: download
    page = new QWidget;
    downloadText_ = label(page, shown(model_->view().downloadText));
    progressBar_ = new QProgressBar(page);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    percent_ = label(page, QString(), false);
    percent_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont percentFont(QStringLiteral("MS Sans Serif"));
    percentFont.setPixelSize(11);
    percent_->setFont(percentFont);
    received_ = label(page, QString(), false);
    timeLeft_ = label(page, QString(), false);
    downloadIcon_ = new QLabel(page);
    downloadIcon_->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown).pixmap(32, 32));
    cancelDownloadButton_ = button(page, text(CancelDownloadCaption));
    pages_->addWidget(page);
    // 4: install
    page = new QWidget;
    installIcon_ = iconImage(page, QStyle::SP_MessageBoxInformation);
    installText_ = label(page, shown(text(UpdateWizardModel::InstallText)));
    restartCheck_ = new QCheckBox(QStringLiteral("Programm automatisch neu starten"), page);
    restartCheck_->setChecked(true);
    pages_->addWidget(page);
    // 5: finish
    page = new QWidget;
    finishIcon_ = iconImage(page, QStyle::SP_MessageBoxInformation);
    finishText_ = label(page, shown(text(FinishText)));
    pages_->addWidget(page);
    // 6: settings
    page = new QWidget;
    scheduleGroup_ = new QGroupBox(
        QStringLiteral("Wie oft wollen Sie zum Suchen nach Updates aufgefordert werden?"), page);
    neverRadio_ =
        new QRadioButton(QStringLiteral("Niemals automatisch zum Updaten auffordern"), scheduleGroup_);
    neverText_ = label(scheduleGroup_, text(NoUpdateChoiceText));
    regularlyRadio_ = new QRadioButton(
        QStringLiteral("Regelmäßig in bestimmten Abständen zum Updaten auffordern"), scheduleGroup_);
    regularlyRadio_->setChecked(true);
    regularlyText_ = label(scheduleGroup_, text(AutoUpdateChoiceText));
    intervalBefore_ = label(scheduleGroup_, QStringLiteral("Alle"), false);
    intervalSpin_ = new QSpinBox(scheduleGroup_);
    intervalSpin_->setRange(1, 365);
    intervalSpin_->setValue(UpdateWizardModel::DefaultInterval);
    intervalAfter_ = label(scheduleGroup_, QStringLiteral("Tage an Updates erinnern"), false);
    pages_->addWidget(page);

    buttonRule_ = new QFrame(this);
    buttonRule_->setFrameShape(QFrame::HLine);
    buttonRule_->setFrameShadow(QFrame::Sunken);

    settingsButton_ = button(this, QStringLiteral("Einstellungen"));

    buttonPages_ = new QStackedWidget(this);
    page = new QWidget;
    cancelButton_ = button(page, QStringLiteral("Abbrechen"));
    nextButton_ = button(page, text(NextCaption));
    buttonPages_->addWidget(page);
    page = new QWidget;
    settingsCancelButton_ = button(page, QStringLiteral("Abbrechen"));
    settingsSaveButton_ = button(page, QStringLiteral("Speichern"));
    buttonPages_->addWidget(page);
    nextButton_->setDefault(true);
    placeControls();

    // Tests and accessibility tools find the controls by these names.
    const std::pair<QObject *, const char *> names[] = {{stepList_, "PaintBox_Process"},
                                                        {title_, "Panel_Title"},
                                                        {pages_, "Pages"},
                                                        {settingsButton_, "Button_Settings"},
                                                        {buttonPages_, "Notebook_StdButtons"},
                                                        {cancelButton_, "Button_Cancel"},
                                                        {nextButton_, "Button_Next"},
                                                        {settingsCancelButton_, "Button_SettingsCancel"},
                                                        {settingsSaveButton_, "Button_SettingsSave"},
                                                        {checkButton_, "Button_Check"},
                                                        {checkResult_, "Label_CheckResult"},
                                                        {downloadText_, "Label_Download"},
                                                        {progressBar_, "Status"},
                                                        {percent_, "PerCent"},
                                                        {received_, "StatusLabel"},
                                                        {timeLeft_, "TimeLeft"},
                                                        {cancelDownloadButton_, "CancelDownload"},
                                                        {installIcon_, "Image_Icon2"},
                                                        {installText_, "Label3"},
                                                        {restartCheck_, "CheckBox_Restart"},
                                                        {neverRadio_, "RadioButton_NoAutoUpdt"},
                                                        {regularlyRadio_, "RadioButton_AutoUpdt"},
                                                        {intervalSpin_, "SpinEdit_AutoUpdt"},
                                                        {intervalBefore_, "Label_AutoUpdt1"},
                                                        {intervalAfter_, "Label_AutoUpdt2"}};
    for (const auto &[object, name] : names)
        object->setObjectName(QString::fromLatin1(name));
    model_->setObjectName(QStringLiteral("UpdateWizardModel"));
    model_->setDialogParent(this);

    connect(model_, &UpdateWizardModel::changed, this, &UpdateWizard::render);
    connect(model_, &UpdateWizardModel::closeWanted, this, &QWidget::close);
    connect(model_, &UpdateWizardModel::accepted, this, [this] { done(QDialog::Accepted); });
    connect(nextButton_, &QPushButton::clicked, model_, &UpdateWizardModel::next);
    connect(checkButton_, &QPushButton::clicked, model_, &UpdateWizardModel::check);
    connect(cancelDownloadButton_, &QPushButton::clicked, model_, &UpdateWizardModel::cancelDownload);
    connect(cancelButton_, &QPushButton::clicked, model_, &UpdateWizardModel::cancel);
    connect(settingsButton_, &QPushButton::clicked, this, &UpdateWizard::openSettings);
    connect(settingsSaveButton_, &QPushButton::clicked, this, &UpdateWizard::saveSettings);
    connect(settingsCancelButton_, &QPushButton::clicked, model_, &UpdateWizardModel::closeSettings);
    connect(regularlyRadio_, &QRadioButton::toggled, this, &UpdateWizard::updateScheduleControls);
    connect(restartCheck_, &QCheckBox::toggled, model_, &UpdateWizardModel::setRestart);
}

// The designed layout fits the wizard's own face. A larger one makes a text
// that needs more room grow, and what lies below or beside it moves along;
// the pages, and with them the window, grow by as much.
void UpdateWizard::placeControls()
{
    if (settingsSaveButton_ == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    // clang-format off
    enum {
        Origin,
        Width, Height, ButtonsTop, StdButtonsX,                       // the window
        PageWidth, PageHeight,                                        // every page
        CheckButtonTop,                                               // check
        BarTop, PercentTop, ReceivedTop, TimeLeftTop, CancelDownloadTop, // download
        RestartTop,                                                   // install
        GroupWidth, GroupHeight, GroupContentTop, NeverTextTop, RegularlyTop, RegularlyTextTop, IntervalTop,
        SpinX, DaysX,                                                 // settings
        ButtonPageWidth, ButtonPageHeight, NextX,                     // the buttons' pages
    };
    std::vector<Guide> guides{0, 658, 353, 312, 456, 417, 249, 96, 112, 144, 168, 192, 216, 224,
                              401, 233, 24, 40, 112, 128, 188, 70, 122, 193, 37, 100};
    // clang-format on
    // The group's title takes more room in a larger face.
    guides[GroupContentTop].at = std::max(24, scheduleGroup_->contentsRect().top());
    const unsigned pushButton = ButtonText | HintHeight;
    const unsigned wrapped = WrapHeight;
    const unsigned oneLine = TextWidth | FontHeight;
    // clang-format off
    const std::vector<Place> table{
        // The window
        {.w = stepList_, .r = {0, 0, 225, 353}, .bottom = Height},
        {.w = title_, .r = {232, 8, 417, 41}, .right = Width},
        {.w = pages_, .r = {232, 56, 417, 249}, .pushX = {StdButtonsX, -193}, .pushY = {ButtonsTop, 7},
         .minWGuide = PageWidth, .minHGuide = PageHeight},
        {.w = buttonRule_, .r = {232, 312, 417, 2}, .y = ButtonsTop, .right = Width},
        {.w = settingsButton_, .r = {240, 320, 97, 25}, .fit = pushButton, .y = ButtonsTop,
         .pushX = {StdButtonsX, 119}, .pushY = {Height, 8}},
        {.w = buttonPages_, .r = {456, 314, 193, 37}, .x = StdButtonsX, .y = ButtonsTop, .pushX = {Width, 9},
         .pushY = {Height, 2}, .minWGuide = ButtonPageWidth, .minHGuide = ButtonPageHeight},
        {.w = cancelButton_, .r = {6, 6, 83, 25}, .fit = pushButton, .pushX = {NextX, 11},
         .pushY = {ButtonPageHeight, 6}},
        {.w = nextButton_, .r = {100, 6, 83, 25}, .fit = pushButton, .x = NextX, .pushX = {ButtonPageWidth, 10}},
        {.w = settingsCancelButton_, .r = {6, 6, 83, 25}, .fit = pushButton, .pushX = {NextX, 11},
         .pushY = {ButtonPageHeight, 6}},
        {.w = settingsSaveButton_, .r = {100, 6, 83, 25}, .fit = pushButton, .x = NextX,
         .pushX = {ButtonPageWidth, 10}},
        // 0: welcome
        {.w = welcomeIcon_, .r = {8, 8, 32, 32}},
        {.w = welcomeText_, .r = {56, 8, 353, 233}, .fit = wrapped, .right = PageWidth, .pushY = {PageHeight, 8}},
        // 1: check
        {.w = checkText_, .r = {8, 8, 401, 57}, .fit = wrapped, .right = PageWidth, .pushY = {CheckButtonTop, 31}},
        {.w = checkButton_, .r = {8, 96, 185, 25}, .fit = pushButton, .y = CheckButtonTop,
         .pushX = {PageWidth, 8}, .pushY = {PageHeight, 8}},
        // 2: result
        {.w = checkResult_, .r = {8, 8, 401, 233}, .right = PageWidth},
        // 3: download
        {.w = downloadText_, .r = {8, 8, 401, 89}, .fit = wrapped, .right = PageWidth, .pushY = {BarTop, 15}},
        {.w = progressBar_, .r = {52, 112, 337, 25}, .y = BarTop, .right = PageWidth, .pushY = {PercentTop, 7}},
        {.w = percent_, .r = {52, 144, 337, 16}, .fit = FontHeight, .y = PercentTop, .right = PageWidth,
         .pushY = {ReceivedTop, 8}},
        {.w = received_, .r = {52, 168, 337, 16}, .fit = FontHeight, .y = ReceivedTop, .right = PageWidth,
         .pushY = {TimeLeftTop, 8}},
        {.w = timeLeft_, .r = {52, 192, 337, 16}, .fit = FontHeight, .y = TimeLeftTop, .right = PageWidth,
         .pushY = {CancelDownloadTop, 8}},
        {.w = downloadIcon_, .r = {8, 160, 33, 33}, .y = ReceivedTop},
        {.w = cancelDownloadButton_, .r = {240, 216, 155, 25}, .fit = pushButton, .y = CancelDownloadTop,
         .pushX = {PageWidth, 22}, .pushY = {PageHeight, 8}},
        // 4: install
        {.w = installIcon_, .r = {8, 8, 32, 32}},
        {.w = installText_, .r = {56, 8, 353, 177}, .fit = wrapped, .right = PageWidth, .pushY = {RestartTop, 39}},
        {.w = restartCheck_, .r = {56, 224, 0, 17}, .fit = SizeToText | HintHeight, .y = RestartTop,
         .pushX = {PageWidth, 8}, .pushY = {PageHeight, 6}},
        // 5: finish
        {.w = finishIcon_, .r = {8, 8, 32, 32}},
        {.w = finishText_, .r = {56, 8, 353, 233}, .fit = wrapped, .right = PageWidth, .pushY = {PageHeight, 8}},
        // 6: settings, in the group's frame
        {.w = neverRadio_, .r = {16, 24, 0, 16}, .fit = SizeToText | RadioHeight, .y = GroupContentTop, .pushX = {GroupWidth, 8},
         .pushY = {NeverTextTop, 0}},
        {.w = neverText_, .r = {40, 40, 353, 72}, .fit = wrapped, .y = NeverTextTop, .right = GroupWidth,
         .pushY = {RegularlyTop, 0}},
        {.w = regularlyRadio_, .r = {16, 112, 0, 16}, .fit = SizeToText | RadioHeight, .y = RegularlyTop,
         .pushX = {GroupWidth, 8}, .pushY = {RegularlyTextTop, 0}},
        {.w = regularlyText_, .r = {40, 128, 353, 57}, .fit = wrapped, .y = RegularlyTextTop, .right = GroupWidth,
         .pushY = {IntervalTop, 3}},
        {.w = intervalSpin_, .r = {70, 188, 49, 22}, .fit = TextWidth | MinHeight, .x = SpinX, .y = IntervalTop,
         .pushX = {DaysX, 3}, .pushY = {GroupHeight, 23}},
        {.w = intervalBefore_, .r = {40, 192, 28, 16}, .fit = oneLine, .y = IntervalTop, .pushX = {SpinX, 2},
         .centreOn = intervalSpin_},
        {.w = intervalAfter_, .r = {122, 192, 260, 16}, .fit = oneLine, .x = DaysX, .y = IntervalTop,
         .pushX = {GroupWidth, 19}, .centreOn = intervalSpin_},
        {.w = scheduleGroup_, .r = {8, 8, 401, 233}, .right = PageWidth, .pushX = {PageWidth, 8},
         .pushY = {PageHeight, 8}, .minWGuide = GroupWidth, .minHGuide = GroupHeight},
    };
    // clang-format on
    place(table, guides);
    setFixedSize(guides[Width].at, guides[Height].at);
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
    QFont bold = percent_->font();
    bold.setBold(true);
    percent_->setFont(bold);
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
    }
    model_->start();
}

void UpdateWizard::render()
{
    const UpdateWizardModel::View &v = model_->view();
    title_->setText(v.title);
    pages_->setCurrentIndex(v.page);
    if (v.settingsShown != settingsShown_) {
        settingsShown_ = v.settingsShown;
        settingsButton_->setVisible(!v.settingsShown);
        buttonPages_->setCurrentIndex(v.settingsShown ? SettingsButtons : StandardButtons);
        nextButton_->setDefault(!v.settingsShown);
        settingsSaveButton_->setDefault(v.settingsShown);
    }
    nextButton_->setText(v.nextCaption);
    nextButton_->setEnabled(v.nextEnabled);
    cancelButton_->setEnabled(v.cancelEnabled);
    checkButton_->setEnabled(v.checkEnabled);
    checkResult_->setText(shown(v.checkResult));
    downloadText_->setText(shown(v.downloadText));
    cancelDownloadButton_->setText(v.cancelDownloadCaption);
    cancelDownloadButton_->setVisible(v.cancelDownloadVisible);
    progressBar_->setRange(0, v.barMaximum);
    progressBar_->setValue(v.barValue);
    percent_->setText(v.percent);
    received_->setText(v.status);
    timeLeft_->setText(v.timeLeft);
    installText_->setText(shown(v.installText));
    if (v.installFailed != installFailedShown_) {
        installFailedShown_ = v.installFailed;
        installIcon_->setPixmap(style()
                                    ->standardIcon(v.installFailed ? QStyle::SP_MessageBoxCritical
                                                                   : QStyle::SP_MessageBoxInformation)
                                    .pixmap(32, 32));
    }
    stepList_->update();
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
        neverRadio_->setChecked(true);
    else
        regularlyRadio_->setChecked(true);
    intervalSpin_->setValue(schedule.interval);
    updateScheduleControls();
}

void UpdateWizard::saveSettings()
{
    model_->saveSettings({neverRadio_->isChecked(), intervalSpin_->value()});
}

void UpdateWizard::updateScheduleControls()
{
    const bool regular = regularlyRadio_->isChecked();
    intervalBefore_->setEnabled(regular);
    intervalSpin_->setEnabled(regular);
    intervalAfter_->setEnabled(regular);
}

void UpdateWizard::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
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
    if (buttonPages_->currentIndex() == SettingsButtons)
        settingsCancelButton_->click();
    else if (cancelButton_->isEnabled())
        cancelButton_->click();
}
