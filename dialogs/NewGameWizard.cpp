#include "dialogs/NewGameWizard.h"

#include "dialogs/DialogLayout.h"
#include "dialogs/PlayerNameValidator.h"
#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "presentation/MessageBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QLineEdit *nameEdit(QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setMaxLength(10);
    return e;
}

QSpinBox *secondsSpin(QWidget *parent, int tag)
{
    auto *s = new QSpinBox(parent);
    s->setRange(1, 20);
    s->setProperty("tag", tag);
    return s;
}

QLabel *description(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

void uncheck(QRadioButton *button)
{
    // An exclusive radio button cannot be cleared while it is exclusive.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}
} // namespace

NewGameWizard::NewGameWizard(Game &game, QWidget *parent) : QDialog(parent), game_(game)
{
    setWindowTitle(QStringLiteral("Neues Spiel"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(QFont(QStringLiteral("Arial"), 8));

    PageControl = new QStackedWidget(this);
    PageControl->setFrameShape(QFrame::StyledPanel);

    // ---- Standard
    TabSheet_Standard = new QWidget;
    TabSheet_Standard->setObjectName(QStringLiteral("Standard"));
    GroupBox_Mode = new QGroupBox(QStringLiteral("Spielmodus"), TabSheet_Standard);
    RadioButton_TwoAtOne = new QRadioButton(QStringLiteral("Zwei Spieler an einem PC"), GroupBox_Mode);
    descriptions_[0] = description(
        GroupBox_Mode,
        QStringLiteral("In diesem Modus spielen zwei Spieler an einem PC gegeneinander. Während der "
                       "eine an der Reihe ist, muss der andere den Blick vom Bildschirm abwenden."));
    RadioButton_TwoAtTwo = new QRadioButton(QStringLiteral("Zwei Spieler über TCP/IP"), GroupBox_Mode);
    descriptions_[1] =
        description(GroupBox_Mode, QStringLiteral("In diesem Modus spielen zwei Spieler über das "
                                                  "Netzwerk oder das Internet gegeneinander."));
    RadioButton_PCMode = new QRadioButton(QStringLiteral("Ein Spieler gegen den Computer"), GroupBox_Mode);
    descriptions_[2] = description(
        GroupBox_Mode, QStringLiteral("In diesem Modus spielt ein Spieler allein gegen den Computer."));

    // ---- Mode1
    TabSheet_Mode1 = new QWidget;
    TabSheet_Mode1->setObjectName(QStringLiteral("Mode1"));
    m1Labels_[0] = new QLabel(QStringLiteral("Name Spieler 1:"), TabSheet_Mode1);
    Edit_M1Player1 = nameEdit(TabSheet_Mode1);
    m1Labels_[1] = new QLabel(QStringLiteral("Name Spieler 2:"), TabSheet_Mode1);
    Edit_M1Player2 = nameEdit(TabSheet_Mode1);
    m1Labels_[2] = new QLabel(QStringLiteral("Wechselzeit:"), TabSheet_Mode1);
    SpinEdit_ChangingTime = secondsSpin(TabSheet_Mode1, 1);
    Label_Time1 = new QLabel(QStringLiteral("Sekunden"), TabSheet_Mode1);

    // ---- Mode2
    TabSheet_Mode2 = new QWidget;
    TabSheet_Mode2->setObjectName(QStringLiteral("Mode2"));
    m2NameLabel_ = new QLabel(QStringLiteral("Spielername:"), TabSheet_Mode2);
    Edit_M2Player = nameEdit(TabSheet_Mode2);
    Label_M2Role = new QLabel(QStringLiteral("Teilnehmen als:"), TabSheet_Mode2);
    m2Roles_ = new QWidget(TabSheet_Mode2); // keeps the two roles exclusive on their own
    RadioButton_M2Host = new QRadioButton(QStringLiteral("Host (Gastgeber)"), m2Roles_);
    RadioButton_M2Client = new QRadioButton(QStringLiteral("Client (Gast)"), m2Roles_);
    Label_M2IP =
        new QLabel(QStringLiteral("Host-Adresse (IP-Adresse oder Netzwerkkennung):"), TabSheet_Mode2);
    Edit_M2IP = new QLineEdit(TabSheet_Mode2);
    Label_M2IP->setEnabled(false);
    Edit_M2IP->setEnabled(false);
    m2Rule_ = new QFrame(TabSheet_Mode2);
    m2Rule_->setFrameShape(QFrame::HLine);
    m2Rule_->setFrameShadow(QFrame::Sunken);
    Label_M2IPState = new QLabel(TabSheet_Mode2);
    Label_M2IPState->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label_M2IPState->setTextFormat(Qt::PlainText); // shows the peer's name
    Label_M2IPState->setWordWrap(true);

    // ---- Mode3
    TabSheet_Mode3 = new QWidget;
    TabSheet_Mode3->setObjectName(QStringLiteral("Mode3"));
    m3Labels_[0] = new QLabel(QStringLiteral("Spielername:"), TabSheet_Mode3);
    Edit_M3Player = nameEdit(TabSheet_Mode3);
    m3Labels_[1] = new QLabel(QStringLiteral("Bedenkzeit für den Computer:"), TabSheet_Mode3);
    SpinEdit_ComputerTime = secondsSpin(TabSheet_Mode3, 2);
    Label_Time2 = new QLabel(QStringLiteral("Sekunden"), TabSheet_Mode3);
    m3Labels_[2] = new QLabel(QStringLiteral("Spielstärke:"), TabSheet_Mode3);
    ComboBox_ComputerLevel = new QComboBox(TabSheet_Mode3);
    for (int level : {clEasy, clNormal, clHard})
        ComboBox_ComputerLevel->addItem(Texts::ComputerLevelName(level));

    // Names are stored and, in a network game, sent in Windows-1252.
    for (QLineEdit *e : {Edit_M1Player1, Edit_M1Player2, Edit_M2Player, Edit_M3Player})
        e->setValidator(new PlayerNameValidator(e == Edit_M2Player, e));

    for (QWidget *page : {TabSheet_Standard, TabSheet_Mode1, TabSheet_Mode2, TabSheet_Mode3})
        PageControl->addWidget(page);

    // ---- Buttons: Enter presses the focused one, else "Weiter".
    Button_Cancel = new QPushButton(QStringLiteral("Ab&brechen"), this);
    Button_Cancel->setAutoDefault(true);
    Button_Back = new QPushButton(QStringLiteral("< &Zurück"), this);
    Button_Back->setAutoDefault(true);
    Button_Back->setEnabled(false);
    Button_Forward = new QPushButton(QStringLiteral("&Weiter >"), this);
    Button_Forward->setAutoDefault(true);
    Button_Forward->setDefault(true);
    Button_Forward->setEnabled(false);
    placeControls();

    for (QRadioButton *b : {RadioButton_TwoAtOne, RadioButton_TwoAtTwo, RadioButton_PCMode})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                RadioButton_ModeClick();
        });
    connect(Edit_M1Player1, &QLineEdit::textChanged, this, &NewGameWizard::Edit_M1PlayerChange);
    connect(Edit_M1Player2, &QLineEdit::textChanged, this, &NewGameWizard::Edit_M1PlayerChange);
    connect(Edit_M2Player, &QLineEdit::textChanged, this, &NewGameWizard::M2Refresh);
    connect(Edit_M2IP, &QLineEdit::textChanged, this, &NewGameWizard::M2Refresh);
    connect(RadioButton_M2Host, &QRadioButton::toggled, this, &NewGameWizard::M2Refresh);
    connect(RadioButton_M2Client, &QRadioButton::toggled, this, &NewGameWizard::M2Refresh);
    connect(Edit_M3Player, &QLineEdit::textChanged, this, &NewGameWizard::Edit_M3PlayerChange);
    for (QSpinBox *s : {SpinEdit_ChangingTime, SpinEdit_ComputerTime})
        connect(s, &QSpinBox::valueChanged, this, [this, s] { SpinEdit_TimeChange(s); });
    connect(Button_Forward, &QPushButton::clicked, this, &NewGameWizard::Button_ForwardClick);
    connect(Button_Back, &QPushButton::clicked, this, &NewGameWizard::Button_BackClick);
    connect(Button_Cancel, &QPushButton::clicked, this, &NewGameWizard::Button_CancelClick);
}

// The designed layout (client 489 x 193, pages 473 x 145) assumes a narrow
// face. The face in use (the system's, once the about dialog exists) may need
// more: then the fields move right of their labels, descriptions get more
// lines, and the pages and the window grow by as much. With room enough every
// control keeps its designed place.
void NewGameWizard::placeControls()
{
    if (Button_Forward == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    // Columns and rows. Page contents end at x = 457, 32 left of the window's
    // right edge; the group box's contents (its own coordinates) are 6 further
    // right. M1/M2/M3: the field column of a page, U1/U3: its unit labels.
    // clang-format off
    enum {
        Origin, Width, Height, PageBottom, Forward,                 // window
        GroupTop, Desc1, Radio2, Desc2, Radio3, Desc3, GroupBottom, // "Standard"
        M1, U1, M1Row2, M1Row3,                                     // "Mode1"
        M2, Roles, RolesClient, RolesRight, RolesBottom, Address, AddressField, Rule, State, // "Mode2"
        M3, U3, M3Row2, M3Row3,                                     // "Mode3"
    };
    std::vector<Guide> guides{
        0, 489, 193, 141, 408,                 // window
        16, 32, 60, 76, 104, 120, 139,         // "Standard"
        136, 192, 56, 88,                      // "Mode1"
        136, 35, 140, 270, 20, 60, 0, 90, 98,  // "Mode2"
        184, 240, 68, 100};                    // "Mode3"
    const QMargins groupInside = GroupBox_Mode->contentsMargins();
    guides[GroupTop].at = std::max(16, groupInside.top()); // below the group's title
    guides[Width].at = std::max(489, 8 + std::max(75, buttonWidthFor(Button_Cancel)) + 8 +
                                          std::max(75, buttonWidthFor(Button_Back)) + 13 +
                                          std::max(75, buttonWidthFor(Button_Forward)) + 6);
    const unsigned label = SizeToText | FontHeight;
    const unsigned unit = TextWidth | FontHeight;
    const unsigned radio = TextWidth | RadioHeight;
    const QString longestUnit = QStringLiteral("Sekunden");
    place(
        {
            // ---- Standard: each mode button with its description below.
            {.w = RadioButton_TwoAtOne, .r = {10, 16, 440, 16}, .fit = radio, .y = GroupTop, .right = Width,
             .pushX = {Width, 38}, .pushY = {Desc1, 0}},
            {.w = descriptions_[0], .r = {28, 32, 424, 26}, .fit = WrapHeight, .y = Desc1, .right = Width,
             .pushY = {Radio2, 2}},
            {.w = RadioButton_TwoAtTwo, .r = {10, 60, 440, 16}, .fit = radio, .y = Radio2, .right = Width,
             .pushX = {Width, 38}, .pushY = {Desc2, 0}},
            {.w = descriptions_[1], .r = {28, 76, 424, 26}, .fit = WrapHeight, .y = Desc2, .right = Width,
             .pushY = {Radio3, 2}},
            {.w = RadioButton_PCMode, .r = {10, 104, 440, 16}, .fit = radio, .y = Radio3, .right = Width,
             .pushX = {Width, 38}, .pushY = {Desc3, 0}},
            {.w = descriptions_[2], .r = {28, 120, 424, 14}, .fit = WrapHeight, .y = Desc3, .right = Width,
             .pushY = {GroupBottom, groupInside.bottom()}},
            {.w = GroupBox_Mode, .r = {6, 2, 459, 139}, .right = Width, .bottom = GroupBottom,
             .pushY = {PageBottom, 0}},

            // ---- Mode1: rows of label and field.
            {.w = Edit_M1Player1, .r = {136, 24, 150, 21}, .fit = MinHeight, .x = M1, .pushX = {Width, 32},
             .pushY = {M1Row2, 8}},
            {.w = m1Labels_[0], .r = {24, 28, 104, 15}, .fit = label, .pushX = {M1, 8}, .centreOn = Edit_M1Player1},
            {.w = Edit_M1Player2, .r = {136, 56, 150, 21}, .fit = MinHeight, .x = M1, .y = M1Row2,
             .pushX = {Width, 32}, .pushY = {M1Row3, 8}},
            {.w = m1Labels_[1], .r = {24, 60, 104, 15}, .fit = label, .y = M1Row2, .pushX = {M1, 8},
             .centreOn = Edit_M1Player2},
            {.w = SpinEdit_ChangingTime, .r = {136, 88, 50, 21}, .fit = TextWidth | MinHeight, .x = M1, .y = M1Row3,
             .pushX = {U1, 6}, .pushY = {PageBottom, 8}},
            {.w = m1Labels_[2], .r = {24, 92, 104, 15}, .fit = label, .y = M1Row3, .pushX = {M1, 8},
             .centreOn = SpinEdit_ChangingTime},
            {.w = Label_Time1, .r = {192, 92, 80, 15}, .fit = unit, .x = U1, .y = M1Row3, .pushX = {Width, 32},
             .centreOn = SpinEdit_ChangingTime, .sample = longestUnit},

            // ---- Mode2: name, role, address, a rule and the connection state.
            {.w = Edit_M2Player, .r = {136, 8, 150, 21}, .fit = MinHeight, .x = M2, .pushX = {Width, 32},
             .pushY = {Roles, 6}},
            {.w = m2NameLabel_, .r = {16, 12, 112, 15}, .fit = label, .pushX = {M2, 8}, .centreOn = Edit_M2Player},
            {.w = RadioButton_M2Host, .r = {0, 2, 130, 17}, .fit = radio, .pushX = {RolesClient, 10},
             .pushY = {RolesBottom, 1}},
            {.w = RadioButton_M2Client, .r = {140, 2, 130, 17}, .fit = radio, .x = RolesClient,
             .pushX = {RolesRight, 0}, .pushY = {RolesBottom, 1}},
            {.w = m2Roles_, .r = {136, 35, 320, 20}, .x = M2, .y = Roles, .right = Origin, .pushX = {Width, 32},
             .pushY = {Address, 5}, .minWGuide = RolesRight, .minHGuide = RolesBottom},
            {.w = Label_M2Role, .r = {16, 38, 112, 15}, .fit = label, .y = Roles, .pushX = {M2, 8},
             .centreOn = m2Roles_},
            {.w = Edit_M2IP, .r = {0, 60, 457, 21}, .fit = MinHeight, .x = AddressField, .y = Address,
             .right = Width, .pushX = {Width, 32}, .pushY = {Rule, 9}, .minW = 150},
            {.w = Label_M2IP, .r = {16, 64, 226, 15}, .fit = label, .y = Address, .pushX = {AddressField, 8},
             .centreOn = Edit_M2IP},
            {.w = m2Rule_, .r = {8, 90, 455, 2}, .y = Rule, .right = Width, .pushY = {State, 6}},
            // Three lines: the longest connection texts, with names, take two.
            {.w = Label_M2IPState, .r = {8, 98, 455, 40}, .y = State, .right = Width, .pushY = {PageBottom, 3},
             .lines = 3},

            // ---- Mode3
            {.w = Edit_M3Player, .r = {184, 36, 150, 21}, .fit = MinHeight, .x = M3, .pushX = {Width, 32},
             .pushY = {M3Row2, 8}},
            {.w = m3Labels_[0], .r = {24, 40, 152, 15}, .fit = label, .pushX = {M3, 8}, .centreOn = Edit_M3Player},
            {.w = SpinEdit_ComputerTime, .r = {184, 68, 50, 21}, .fit = TextWidth | MinHeight, .x = M3,
             .y = M3Row2, .pushX = {U3, 6}, .pushY = {M3Row3, 8}},
            {.w = m3Labels_[1], .r = {24, 72, 152, 15}, .fit = label, .y = M3Row2, .pushX = {M3, 8},
             .centreOn = SpinEdit_ComputerTime},
            {.w = Label_Time2, .r = {240, 72, 80, 15}, .fit = unit, .x = U3, .y = M3Row2, .pushX = {Width, 32},
             .centreOn = SpinEdit_ComputerTime, .sample = longestUnit},
            {.w = ComboBox_ComputerLevel, .r = {184, 100, 100, 21}, .fit = TextWidth | HintHeight, .x = M3,
             .y = M3Row3, .pushX = {Width, 32}, .pushY = {PageBottom, 8}},
            {.w = m3Labels_[2], .r = {24, 104, 152, 15}, .fit = label, .y = M3Row3, .pushX = {M3, 8},
             .centreOn = ComboBox_ComputerLevel},

            // ---- The pages and the buttons below them, "Zurück" and "Weiter" at the right.
            {.w = PageControl, .r = {8, 8, 473, 145}, .right = Width, .bottom = PageBottom},
            {.w = Button_Cancel, .r = {8, 160, 75, 25}, .fit = ButtonText | HintHeight, .y = PageBottom,
             .pushY = {Height, 8}},
            {.w = Button_Forward, .r = {408, 160, 75, 25}, .fit = ButtonText | HintHeight | KeepRight, .x = Width,
             .y = PageBottom, .sets = Forward},
            {.w = Button_Back, .r = {320, 160, 75, 25}, .fit = ButtonText | HintHeight | KeepRight, .x = Forward,
             .y = PageBottom},
        },
        guides);
    // clang-format on
    setFixedSize(guides[Width].at, guides[Height].at);
}

void NewGameWizard::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

QString NewGameWizard::CurrentPageName() const
{
    return PageControl->currentWidget()->objectName();
}

void NewGameWizard::showPage(QWidget *page)
{
    PageControl->setCurrentWidget(page);
}

void NewGameWizard::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void NewGameWizard::FormShow()
{
    const GameState &st = game_.st;
    game_.forgetPlayerNames();

    // Filling the fields must not run the pages' rules: "Weiter" stays
    // disabled until a mode is chosen, whatever names are stored.
    const QList<QObject *> quiet{
        RadioButton_TwoAtOne, RadioButton_TwoAtTwo, RadioButton_PCMode, Edit_M1Player1,       Edit_M1Player2,
        Edit_M2Player,        Edit_M3Player,        RadioButton_M2Host, RadioButton_M2Client, Edit_M2IP};
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (QObject *o : quiet)
        blockers.push_back(std::make_unique<QSignalBlocker>(o));

    showPage(TabSheet_Standard);
    Button_Back->setEnabled(false);
    Button_Forward->setEnabled(false);
    uncheck(RadioButton_TwoAtOne);
    uncheck(RadioButton_TwoAtTwo);
    uncheck(RadioButton_PCMode);

    Edit_M1Player1->setText(st.RecentNames[0]);
    Edit_M1Player2->setText(st.RecentNames[1]);
    Edit_M2Player->setText(st.RecentNames[0]);
    Edit_M3Player->setText(st.RecentNames[0]);

    // One stored value serves both modes; the change-over countdown is stored
    // one higher than it is shown. The spin fields clamp to 1..20.
    SpinEdit_ChangingTime->setValue(st.ChangingTime - 1);
    SpinEdit_ComputerTime->setValue(st.ChangingTime);
    SpinEdit_TimeChange(SpinEdit_ChangingTime);
    SpinEdit_TimeChange(SpinEdit_ComputerTime);
    ComboBox_ComputerLevel->setCurrentIndex(st.ComputerLevel <= clHard ? st.ComputerLevel : clNormal);

    if (st.LocalPlayer == 1) {
        RadioButton_M2Client->setChecked(true);
    } else {
        RadioButton_M2Host->setChecked(true);
    }
    Edit_M2IP->setText(st.HostAddress);
    Label_M2IPState->setText(Texts::WizardText(0));
}

void NewGameWizard::RadioButton_ModeClick()
{
    Button_Forward->setEnabled(true);
}

void NewGameWizard::Edit_M1PlayerChange()
{
    const QString a = Edit_M1Player1->text();
    const QString b = Edit_M1Player2->text();
    Button_Forward->setEnabled(!a.isEmpty() && !b.isEmpty() && a != b);
}

void NewGameWizard::M2Refresh()
{
    const bool client = RadioButton_M2Client->isChecked() && RadioButton_M2Client->isEnabled();
    Label_M2IP->setEnabled(client);
    Edit_M2IP->setEnabled(client);
    Button_Forward->setEnabled(Edit_M2Player->isEnabled() && !Edit_M2Player->text().isEmpty() &&
                               (RadioButton_M2Host->isChecked() ||
                                (RadioButton_M2Client->isChecked() && !Edit_M2IP->text().isEmpty())));
}

void NewGameWizard::Edit_M3PlayerChange()
{
    Button_Forward->setEnabled(!Edit_M3Player->text().isEmpty());
}

void NewGameWizard::SpinEdit_TimeChange(QSpinBox *spin)
{
    QLabel *unit = spin->property("tag").toInt() == 1 ? Label_Time1 : Label_Time2;
    unit->setText(spin->value() <= 1 ? QStringLiteral("Sekunde") : QStringLiteral("Sekunden"));
}

void NewGameWizard::SetIPCtrlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Edit_M2Player, Label_M2Role, RadioButton_M2Host,
                                                       RadioButton_M2Client, Label_M2IP, Edit_M2IP})
        w->setEnabled(enabled);
    M2Refresh();
}

void NewGameWizard::Button_ForwardClick()
{
    Button_Back->setEnabled(true);
    Button_Forward->setEnabled(false);
    QWidget *page = PageControl->currentWidget();

    if (page == TabSheet_Standard) {
        if (RadioButton_TwoAtOne->isChecked()) {
            Edit_M1PlayerChange();
            showPage(TabSheet_Mode1);
        } else if (RadioButton_TwoAtTwo->isChecked()) {
            SetIPCtrlsEnabled(true);
            M2Refresh();
            showPage(TabSheet_Mode2);
        } else {
            Edit_M3PlayerChange();
            showPage(TabSheet_Mode3);
        }
    } else if (page == TabSheet_Mode1) {
        GameChoices choices;
        choices.GameMode = gmTwoAtOne;
        choices.PlayerNames = {Edit_M1Player1->text(), Edit_M1Player2->text()};
        choices.ChangingTime = SpinEdit_ChangingTime->value() + 1;
        game_.takeChoices(choices);
        StartAndClose(-1);
    } else if (page == TabSheet_Mode2) {
        const int local = RadioButton_M2Client->isChecked() ? 1 : 0;
        if (!game_.st.PlayerNames[1 - local].isEmpty()) {
            emit M2SendStart();
            StartAndClose(local);
            return;
        }
        SetIPCtrlsEnabled(false);
        GameChoices choices;
        choices.GameMode = gmTwoAtTwo;
        choices.LocalPlayer = local;
        choices.HostAddress = Edit_M2IP->text();
        choices.PlayerNames[local] = Edit_M2Player->text();
        game_.takeChoices(choices);
        // The state text goes first, so that an answer of the network code
        // (a failure, say) is not overwritten.
        if (local == 0) {
            Label_M2IPState->setText(Texts::WizardText(2));
            emit M2OpenServer();
        } else {
            Label_M2IPState->setText(Texts::WizardText(5));
            emit M2OpenClient(game_.st.HostAddress);
        }
    } else if (page == TabSheet_Mode3) {
        GameChoices choices;
        choices.GameMode = gmPCMode;
        choices.PlayerNames = {Edit_M3Player->text(), {}};
        choices.ChangingTime = SpinEdit_ComputerTime->value();
        choices.ComputerLevel = ComboBox_ComputerLevel->currentIndex();
        game_.takeChoices(choices);
        StartAndClose(0);
    }
}

void NewGameWizard::StartAndClose(int namePlayer)
{
    game_.beginGame(namePlayer);
    accept();
}

void NewGameWizard::Button_BackClick()
{
    if (PageControl->currentWidget() == TabSheet_Mode2) {
        bool canClose = true;
        FormCloseQuery(nullptr, canClose);
        if (!canClose)
            return;
    }
    FormShow();
}

void NewGameWizard::Button_CancelClick()
{
    close();
}

void NewGameWizard::reject()
{
    bool canClose = true;
    FormCloseQuery(this, canClose);
    if (canClose)
        QDialog::reject();
}

void NewGameWizard::FormCloseQuery(QObject *sender, bool &CanClose)
{
    const GameState &st = game_.st;
    if (st.GameMode == gmTwoAtTwo && st.GamePhase == gpNoGame) {
        if (!st.PlayerNames[1 - st.LocalPlayer].isEmpty()) {
            QApplication::beep();
            CanClose = AskYesNo(this, QStringLiteral("Warnung"),
                                QStringLiteral("Soll die Verbindung getrennt werden?"), QMessageBox::Warning);
            if (CanClose)
                game_.forgetPlayerNames();
        }
        if (CanClose)
            emit M2CloseSocket(st.LocalPlayer);
    }
    // A real close (not "Zurück") without a game resumes the title animation.
    if (CanClose && st.GamePhase == gpNoGame && sender != nullptr)
        game_.resumeTitleAnimation();
}
