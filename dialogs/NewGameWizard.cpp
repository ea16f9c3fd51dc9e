#include "dialogs/NewGameWizard.h"

#include "dialogs/PlayerNameValidator.h"
#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "presentation/DialogLayout.h"
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

    pages_ = new QStackedWidget(this);
    pages_->setFrameShape(QFrame::StyledPanel);

    // ---- Standard
    modePage_ = new QWidget;
    modePage_->setObjectName(QStringLiteral("Standard"));
    modeGroup_ = new QGroupBox(QStringLiteral("Spielmodus"), modePage_);
    twoAtOneButton_ = new QRadioButton(QStringLiteral("Zwei Spieler an einem PC"), modeGroup_);
    descriptions_[0] = description(
        modeGroup_,
        QStringLiteral("In diesem Modus spielen zwei Spieler an einem PC gegeneinander. Während der "
                       "eine an der Reihe ist, muss der andere den Blick vom Bildschirm abwenden."));
    networkButton_ = new QRadioButton(QStringLiteral("Zwei Spieler über TCP/IP"), modeGroup_);
    descriptions_[1] = description(modeGroup_, QStringLiteral("In diesem Modus spielen zwei Spieler über das "
                                                              "Netzwerk oder das Internet gegeneinander."));
    computerButton_ = new QRadioButton(QStringLiteral("Ein Spieler gegen den Computer"), modeGroup_);
    descriptions_[2] = description(
        modeGroup_, QStringLiteral("In diesem Modus spielt ein Spieler allein gegen den Computer."));

    // ---- Mode1
    twoAtOnePage_ = new QWidget;
    twoAtOnePage_->setObjectName(QStringLiteral("Mode1"));
    twoAtOneLabels_[0] = new QLabel(QStringLiteral("Name Spieler 1:"), twoAtOnePage_);
    player1Edit_ = nameEdit(twoAtOnePage_);
    twoAtOneLabels_[1] = new QLabel(QStringLiteral("Name Spieler 2:"), twoAtOnePage_);
    player2Edit_ = nameEdit(twoAtOnePage_);
    twoAtOneLabels_[2] = new QLabel(QStringLiteral("Wechselzeit:"), twoAtOnePage_);
    changeOverSpin_ = secondsSpin(twoAtOnePage_, 1);
    changeOverUnit_ = new QLabel(QStringLiteral("Sekunden"), twoAtOnePage_);

    // ---- Mode2
    networkPage_ = new QWidget;
    networkPage_->setObjectName(QStringLiteral("Mode2"));
    networkNameLabel_ = new QLabel(QStringLiteral("Spielername:"), networkPage_);
    networkNameEdit_ = nameEdit(networkPage_);
    roleLabel_ = new QLabel(QStringLiteral("Teilnehmen als:"), networkPage_);
    roles_ = new QWidget(networkPage_); // keeps the two roles exclusive on their own
    hostButton_ = new QRadioButton(QStringLiteral("Host (Gastgeber)"), roles_);
    guestButton_ = new QRadioButton(QStringLiteral("Client (Gast)"), roles_);
    addressLabel_ =
        new QLabel(QStringLiteral("Host-Adresse (IP-Adresse oder Netzwerkkennung):"), networkPage_);
    addressEdit_ = new QLineEdit(networkPage_);
    addressLabel_->setEnabled(false);
    addressEdit_->setEnabled(false);
    networkRule_ = new QFrame(networkPage_);
    networkRule_->setFrameShape(QFrame::HLine);
    networkRule_->setFrameShadow(QFrame::Sunken);
    connectionState_ = new QLabel(networkPage_);
    connectionState_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    connectionState_->setTextFormat(Qt::PlainText); // shows the peer's name
    connectionState_->setWordWrap(true);

    // ---- Mode3
    computerPage_ = new QWidget;
    computerPage_->setObjectName(QStringLiteral("Mode3"));
    soloLabels_[0] = new QLabel(QStringLiteral("Spielername:"), computerPage_);
    soloNameEdit_ = nameEdit(computerPage_);
    soloLabels_[1] = new QLabel(QStringLiteral("Bedenkzeit für den Computer:"), computerPage_);
    thinkingTimeSpin_ = secondsSpin(computerPage_, 2);
    thinkingTimeUnit_ = new QLabel(QStringLiteral("Sekunden"), computerPage_);
    soloLabels_[2] = new QLabel(QStringLiteral("Spielstärke:"), computerPage_);
    computerLevel_ = new QComboBox(computerPage_);
    for (int level : {clEasy, clNormal, clHard})
        computerLevel_->addItem(Texts::ComputerLevelName(level));

    // Names are stored and, in a network game, sent in Windows-1252.
    // Each field is named by its label, for screen readers.
    const std::pair<QLabel *, QWidget *> labelled[] = {
        {twoAtOneLabels_[0], player1Edit_},    {twoAtOneLabels_[1], player2Edit_},
        {twoAtOneLabels_[2], changeOverSpin_}, {networkNameLabel_, networkNameEdit_},
        {addressLabel_, addressEdit_},         {soloLabels_[0], soloNameEdit_},
        {soloLabels_[1], thinkingTimeSpin_},   {soloLabels_[2], computerLevel_}};
    for (const auto &[label, field] : labelled)
        label->setBuddy(field);

    for (QLineEdit *e : {player1Edit_, player2Edit_, networkNameEdit_, soloNameEdit_})
        e->setValidator(new PlayerNameValidator(e == networkNameEdit_, e));

    for (QWidget *page : {modePage_, twoAtOnePage_, networkPage_, computerPage_})
        pages_->addWidget(page);

    // ---- Buttons: Enter presses the focused one, else "Weiter".
    cancelButton_ = new QPushButton(QStringLiteral("Ab&brechen"), this);
    cancelButton_->setAutoDefault(true);
    backButton_ = new QPushButton(QStringLiteral("< &Zurück"), this);
    backButton_->setAutoDefault(true);
    backButton_->setEnabled(false);
    forwardButton_ = new QPushButton(QStringLiteral("&Weiter >"), this);
    forwardButton_->setAutoDefault(true);
    forwardButton_->setDefault(true);
    forwardButton_->setEnabled(false);
    placeControls();
    nameControls();

    for (QRadioButton *b : {twoAtOneButton_, networkButton_, computerButton_})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                onModeChosen();
        });
    connect(player1Edit_, &QLineEdit::textChanged, this, &NewGameWizard::updateTwoAtOneForward);
    connect(player2Edit_, &QLineEdit::textChanged, this, &NewGameWizard::updateTwoAtOneForward);
    connect(networkNameEdit_, &QLineEdit::textChanged, this, &NewGameWizard::updateNetworkControls);
    connect(addressEdit_, &QLineEdit::textChanged, this, &NewGameWizard::updateNetworkControls);
    connect(hostButton_, &QRadioButton::toggled, this, &NewGameWizard::updateNetworkControls);
    connect(guestButton_, &QRadioButton::toggled, this, &NewGameWizard::updateNetworkControls);
    connect(soloNameEdit_, &QLineEdit::textChanged, this, &NewGameWizard::updateSoloForward);
    for (QSpinBox *s : {changeOverSpin_, thinkingTimeSpin_})
        connect(s, &QSpinBox::valueChanged, this, [this, s] { showSecondsUnit(s); });
    connect(forwardButton_, &QPushButton::clicked, this, &NewGameWizard::goForward);
    connect(backButton_, &QPushButton::clicked, this, &NewGameWizard::goBack);
    connect(cancelButton_, &QPushButton::clicked, this, &QWidget::close);
}

// The designed layout (client 489 x 193, pages 473 x 145) assumes a narrow
// face. The face in use (the system's, from the start on) may need
// more: then the fields move right of their labels, descriptions get more
// lines, and the pages and the window grow by as much. With room enough every
// control keeps its designed place.
void NewGameWizard::placeControls()
{
    if (forwardButton_ == nullptr)
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
    const QMargins groupInside = modeGroup_->contentsMargins();
    guides[GroupTop].at = std::max(16, groupInside.top()); // below the group's title
    guides[Width].at = std::max(489, 8 + std::max(75, buttonWidthFor(cancelButton_)) + 8 +
                                          std::max(75, buttonWidthFor(backButton_)) + 13 +
                                          std::max(75, buttonWidthFor(forwardButton_)) + 6);
    const unsigned label = SizeToText | FontHeight;
    const unsigned unit = TextWidth | FontHeight;
    const unsigned radio = TextWidth | RadioHeight;
    const QString longestUnit = QStringLiteral("Sekunden");
    place(
        {
            // ---- Standard: each mode button with its description below.
            {.w = twoAtOneButton_, .r = {10, 16, 440, 16}, .fit = radio, .y = GroupTop, .right = Width,
             .pushX = {Width, 38}, .pushY = {Desc1, 0}},
            {.w = descriptions_[0], .r = {28, 32, 424, 26}, .fit = WrapHeight, .y = Desc1, .right = Width,
             .pushY = {Radio2, 2}},
            {.w = networkButton_, .r = {10, 60, 440, 16}, .fit = radio, .y = Radio2, .right = Width,
             .pushX = {Width, 38}, .pushY = {Desc2, 0}},
            {.w = descriptions_[1], .r = {28, 76, 424, 26}, .fit = WrapHeight, .y = Desc2, .right = Width,
             .pushY = {Radio3, 2}},
            {.w = computerButton_, .r = {10, 104, 440, 16}, .fit = radio, .y = Radio3, .right = Width,
             .pushX = {Width, 38}, .pushY = {Desc3, 0}},
            {.w = descriptions_[2], .r = {28, 120, 424, 14}, .fit = WrapHeight, .y = Desc3, .right = Width,
             .pushY = {GroupBottom, groupInside.bottom()}},
            {.w = modeGroup_, .r = {6, 2, 459, 139}, .right = Width, .bottom = GroupBottom,
             .pushY = {PageBottom, 0}},

            // ---- Mode1: rows of label and field.
            {.w = player1Edit_, .r = {136, 24, 150, 21}, .fit = MinHeight, .x = M1, .pushX = {Width, 32},
             .pushY = {M1Row2, 8}},
            {.w = twoAtOneLabels_[0], .r = {24, 28, 104, 15}, .fit = label, .pushX = {M1, 8}, .centreOn = player1Edit_},
            {.w = player2Edit_, .r = {136, 56, 150, 21}, .fit = MinHeight, .x = M1, .y = M1Row2,
             .pushX = {Width, 32}, .pushY = {M1Row3, 8}},
            {.w = twoAtOneLabels_[1], .r = {24, 60, 104, 15}, .fit = label, .y = M1Row2, .pushX = {M1, 8},
             .centreOn = player2Edit_},
            {.w = changeOverSpin_, .r = {136, 88, 50, 21}, .fit = TextWidth | MinHeight, .x = M1, .y = M1Row3,
             .pushX = {U1, 6}, .pushY = {PageBottom, 8}},
            {.w = twoAtOneLabels_[2], .r = {24, 92, 104, 15}, .fit = label, .y = M1Row3, .pushX = {M1, 8},
             .centreOn = changeOverSpin_},
            {.w = changeOverUnit_, .r = {192, 92, 80, 15}, .fit = unit, .x = U1, .y = M1Row3, .pushX = {Width, 32},
             .centreOn = changeOverSpin_, .sample = longestUnit},

            // ---- Mode2: name, role, address, a rule and the connection state.
            {.w = networkNameEdit_, .r = {136, 8, 150, 21}, .fit = MinHeight, .x = M2, .pushX = {Width, 32},
             .pushY = {Roles, 6}},
            {.w = networkNameLabel_, .r = {16, 12, 112, 15}, .fit = label, .pushX = {M2, 8}, .centreOn = networkNameEdit_},
            {.w = hostButton_, .r = {0, 2, 130, 17}, .fit = radio, .pushX = {RolesClient, 10},
             .pushY = {RolesBottom, 1}},
            {.w = guestButton_, .r = {140, 2, 130, 17}, .fit = radio, .x = RolesClient,
             .pushX = {RolesRight, 0}, .pushY = {RolesBottom, 1}},
            {.w = roles_, .r = {136, 35, 320, 20}, .x = M2, .y = Roles, .right = Origin, .pushX = {Width, 32},
             .pushY = {Address, 5}, .minWGuide = RolesRight, .minHGuide = RolesBottom},
            {.w = roleLabel_, .r = {16, 38, 112, 15}, .fit = label, .y = Roles, .pushX = {M2, 8},
             .centreOn = roles_},
            {.w = addressEdit_, .r = {0, 60, 457, 21}, .fit = MinHeight, .x = AddressField, .y = Address,
             .right = Width, .pushX = {Width, 32}, .pushY = {Rule, 9}, .minW = 150},
            {.w = addressLabel_, .r = {16, 64, 226, 15}, .fit = label, .y = Address, .pushX = {AddressField, 8},
             .centreOn = addressEdit_},
            {.w = networkRule_, .r = {8, 90, 455, 2}, .y = Rule, .right = Width, .pushY = {State, 6}},
            // Three lines: the longest connection texts, with names, take two.
            {.w = connectionState_, .r = {8, 98, 455, 40}, .y = State, .right = Width, .pushY = {PageBottom, 3},
             .lines = 3},

            // ---- Mode3
            {.w = soloNameEdit_, .r = {184, 36, 150, 21}, .fit = MinHeight, .x = M3, .pushX = {Width, 32},
             .pushY = {M3Row2, 8}},
            {.w = soloLabels_[0], .r = {24, 40, 152, 15}, .fit = label, .pushX = {M3, 8}, .centreOn = soloNameEdit_},
            {.w = thinkingTimeSpin_, .r = {184, 68, 50, 21}, .fit = TextWidth | MinHeight, .x = M3,
             .y = M3Row2, .pushX = {U3, 6}, .pushY = {M3Row3, 8}},
            {.w = soloLabels_[1], .r = {24, 72, 152, 15}, .fit = label, .y = M3Row2, .pushX = {M3, 8},
             .centreOn = thinkingTimeSpin_},
            {.w = thinkingTimeUnit_, .r = {240, 72, 80, 15}, .fit = unit, .x = U3, .y = M3Row2, .pushX = {Width, 32},
             .centreOn = thinkingTimeSpin_, .sample = longestUnit},
            {.w = computerLevel_, .r = {184, 100, 100, 21}, .fit = TextWidth | HintHeight, .x = M3,
             .y = M3Row3, .pushX = {Width, 32}, .pushY = {PageBottom, 8}},
            {.w = soloLabels_[2], .r = {24, 104, 152, 15}, .fit = label, .y = M3Row3, .pushX = {M3, 8},
             .centreOn = computerLevel_},

            // ---- The pages and the buttons below them, "Zurück" and "Weiter" at the right.
            {.w = pages_, .r = {8, 8, 473, 145}, .right = Width, .bottom = PageBottom},
            {.w = cancelButton_, .r = {8, 160, 75, 25}, .fit = ButtonText | HintHeight, .y = PageBottom,
             .pushY = {Height, 8}},
            {.w = forwardButton_, .r = {408, 160, 75, 25}, .fit = ButtonText | HintHeight | KeepRight, .x = Width,
             .y = PageBottom, .sets = Forward},
            {.w = backButton_, .r = {320, 160, 75, 25}, .fit = ButtonText | HintHeight | KeepRight, .x = Forward,
             .y = PageBottom},
        },
        guides);
    // clang-format on
    setFixedSize(guides[Width].at, guides[Height].at);
}

// The names tests find the controls by.
void NewGameWizard::nameControls()
{
    const std::pair<QObject *, const char *> names[] = {{twoAtOneButton_, "RadioButton_TwoAtOne"},
                                                        {networkButton_, "RadioButton_TwoAtTwo"},
                                                        {computerButton_, "RadioButton_PCMode"},
                                                        {player1Edit_, "Edit_M1Player1"},
                                                        {player2Edit_, "Edit_M1Player2"},
                                                        {changeOverSpin_, "SpinEdit_ChangingTime"},
                                                        {changeOverUnit_, "Label_Time1"},
                                                        {networkNameEdit_, "Edit_M2Player"},
                                                        {hostButton_, "RadioButton_M2Host"},
                                                        {guestButton_, "RadioButton_M2Client"},
                                                        {addressLabel_, "Label_M2IP"},
                                                        {addressEdit_, "Edit_M2IP"},
                                                        {connectionState_, "Label_M2IPState"},
                                                        {soloNameEdit_, "Edit_M3Player"},
                                                        {thinkingTimeSpin_, "SpinEdit_ComputerTime"},
                                                        {thinkingTimeUnit_, "Label_Time2"},
                                                        {computerLevel_, "ComboBox_ComputerLevel"},
                                                        {cancelButton_, "Button_Cancel"},
                                                        {backButton_, "Button_Back"},
                                                        {forwardButton_, "Button_Forward"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));
}

void NewGameWizard::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

QString NewGameWizard::currentPageName() const
{
    return pages_->currentWidget()->objectName();
}

void NewGameWizard::showPage(QWidget *page)
{
    pages_->setCurrentWidget(page);
}

void NewGameWizard::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        startOver();
}

void NewGameWizard::startOver()
{
    const GameState &st = game_.st;
    game_.forgetPlayerNames();

    // Filling the fields must not run the pages' rules: "Weiter" stays
    // disabled until a mode is chosen, whatever names are stored.
    const QList<QObject *> quiet{twoAtOneButton_, networkButton_,   computerButton_, player1Edit_,
                                 player2Edit_,    networkNameEdit_, soloNameEdit_,   hostButton_,
                                 guestButton_,    addressEdit_};
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (QObject *o : quiet)
        blockers.push_back(std::make_unique<QSignalBlocker>(o));

    showPage(modePage_);
    backButton_->setEnabled(false);
    forwardButton_->setEnabled(false);
    uncheck(twoAtOneButton_);
    uncheck(networkButton_);
    uncheck(computerButton_);

    player1Edit_->setText(st.recentNames[0]);
    player2Edit_->setText(st.recentNames[1]);
    networkNameEdit_->setText(st.recentNames[0]);
    soloNameEdit_->setText(st.recentNames[0]);

    // One stored value serves both modes; the change-over countdown is stored
    // one higher than it is shown. The spin fields clamp to 1..20.
    changeOverSpin_->setValue(st.changingTime - 1);
    thinkingTimeSpin_->setValue(st.changingTime);
    showSecondsUnit(changeOverSpin_);
    showSecondsUnit(thinkingTimeSpin_);
    computerLevel_->setCurrentIndex(st.computerLevel <= clHard ? st.computerLevel : clNormal);

    if (st.localPlayer == 1) {
        guestButton_->setChecked(true);
    } else {
        hostButton_->setChecked(true);
    }
    addressEdit_->setText(st.hostAddress);
    showConnectionState(Texts::WizardText(0));
}

void NewGameWizard::onModeChosen()
{
    forwardButton_->setEnabled(true);
}

void NewGameWizard::updateTwoAtOneForward()
{
    const QString a = player1Edit_->text();
    const QString b = player2Edit_->text();
    forwardButton_->setEnabled(!a.isEmpty() && !b.isEmpty() && a != b);
}

void NewGameWizard::updateNetworkControls()
{
    const bool client = guestButton_->isChecked() && guestButton_->isEnabled();
    addressLabel_->setEnabled(client);
    addressEdit_->setEnabled(client);
    forwardButton_->setEnabled(
        networkNameEdit_->isEnabled() && !networkNameEdit_->text().isEmpty() &&
        (hostButton_->isChecked() || (guestButton_->isChecked() && !addressEdit_->text().isEmpty())));
}

void NewGameWizard::updateSoloForward()
{
    forwardButton_->setEnabled(!soloNameEdit_->text().isEmpty());
}

void NewGameWizard::showSecondsUnit(QSpinBox *spin)
{
    QLabel *unit = spin->property("tag").toInt() == 1 ? changeOverUnit_ : thinkingTimeUnit_;
    unit->setText(spin->value() <= 1 ? QStringLiteral("Sekunde") : QStringLiteral("Sekunden"));
}

void NewGameWizard::setAddressControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{networkNameEdit_, roleLabel_, hostButton_,
                                                       guestButton_, addressLabel_, addressEdit_})
        w->setEnabled(enabled);
    updateNetworkControls();
}

void NewGameWizard::showConnectionState(const QString &text)
{
    connectionState_->setText(text);
}

void NewGameWizard::setForwardEnabled(bool enabled)
{
    forwardButton_->setEnabled(enabled);
    // The locked fields passed the focus on to "Abbrechen" while waiting;
    // once the guest is in, Enter is to start the game, not to leave.
    if (enabled && focusWidget() == cancelButton_)
        forwardButton_->setFocus();
}

void NewGameWizard::goForward()
{
    backButton_->setEnabled(true);
    forwardButton_->setEnabled(false);
    QWidget *page = pages_->currentWidget();

    if (page == modePage_) {
        if (twoAtOneButton_->isChecked()) {
            updateTwoAtOneForward();
            showPage(twoAtOnePage_);
        } else if (networkButton_->isChecked()) {
            setAddressControlsEnabled(true);
            updateNetworkControls();
            showPage(networkPage_);
        } else {
            updateSoloForward();
            showPage(computerPage_);
        }
    } else if (page == twoAtOnePage_) {
        GameChoices choices;
        choices.gameMode = gmTwoAtOne;
        choices.playerNames = {player1Edit_->text(), player2Edit_->text()};
        choices.changingTime = changeOverSpin_->value() + 1;
        game_.takeChoices(choices);
        startGameAndClose(-1);
    } else if (page == networkPage_) {
        const int local = guestButton_->isChecked() ? 1 : 0;
        if (!game_.st.playerNames[1 - local].isEmpty()) {
            emit startRequested();
            startGameAndClose(local);
            return;
        }
        setAddressControlsEnabled(false);
        GameChoices choices;
        choices.gameMode = gmTwoAtTwo;
        choices.localPlayer = local;
        choices.hostAddress = addressEdit_->text();
        choices.playerNames[local] = networkNameEdit_->text();
        game_.takeChoices(choices);
        // The state text goes first, so that an answer of the network code
        // (a failure, say) is not overwritten.
        if (local == 0) {
            showConnectionState(Texts::WizardText(2));
            emit listenRequested();
        } else {
            showConnectionState(Texts::WizardText(5));
            emit connectRequested(game_.st.hostAddress);
        }
    } else if (page == computerPage_) {
        GameChoices choices;
        choices.gameMode = gmPCMode;
        choices.playerNames = {soloNameEdit_->text(), {}};
        choices.changingTime = thinkingTimeSpin_->value();
        choices.computerLevel = computerLevel_->currentIndex();
        game_.takeChoices(choices);
        startGameAndClose(0);
    }
}

void NewGameWizard::startGameAndClose(int namePlayer)
{
    game_.beginGame(namePlayer);
    accept();
}

void NewGameWizard::goBack()
{
    if (pages_->currentWidget() == networkPage_ && !mayLeave(false))
        return;
    startOver();
}

void NewGameWizard::reject()
{
    if (mayLeave(true))
        QDialog::reject();
}

bool NewGameWizard::mayLeave(bool closing)
{
    const GameState &st = game_.st;
    bool ok = true;
    if (st.gameMode == gmTwoAtTwo && st.gamePhase == gpNoGame) {
        if (!st.playerNames[1 - st.localPlayer].isEmpty()) {
            QApplication::beep();
            ok = AskYesNo(this, QStringLiteral("Warnung"),
                          QStringLiteral("Soll die Verbindung getrennt werden?"), QMessageBox::Warning);
            if (ok)
                game_.forgetPlayerNames();
        }
        if (ok)
            emit closeRequested(st.localPlayer);
    }
    // A real close (not "Zurück") without a game resumes the title animation.
    if (ok && st.gamePhase == gpNoGame && closing)
        game_.resumeTitleAnimation();
    return ok;
}
