#include "dialogs/TForm2.h"

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
#include <QStyle>
#include <QStyleOptionButton>

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

int textWidth(const QWidget *w, const QString &text)
{
    return w->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

// The width a push button needs for its caption: the text plus the style's
// margins, without the minimum width some styles add on top.
int buttonWidthFor(const QPushButton *b)
{
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    if (b->autoDefault() || b->isDefault())
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    const int probe = 1000;
    const int margins =
        b->style()
            ->sizeFromContents(QStyle::CT_PushButton, &opt, QSize(probe, b->fontMetrics().height()), b)
            .width() -
        probe;
    return textWidth(b, b->text()) + margins;
}

// Radio buttons keep their designed height while text and indicator fit.
int radioHeight(const QRadioButton *b, int designed)
{
    return std::max({designed, b->fontMetrics().height(),
                     b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, b)});
}

} // namespace

TForm2::TForm2(Game &game, QWidget *parent) : QDialog(parent), game_(game)
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
    connect(Edit_M1Player1, &QLineEdit::textChanged, this, &TForm2::Edit_M1PlayerChange);
    connect(Edit_M1Player2, &QLineEdit::textChanged, this, &TForm2::Edit_M1PlayerChange);
    connect(Edit_M2Player, &QLineEdit::textChanged, this, &TForm2::M2Refresh);
    connect(Edit_M2IP, &QLineEdit::textChanged, this, &TForm2::M2Refresh);
    connect(RadioButton_M2Host, &QRadioButton::toggled, this, &TForm2::M2Refresh);
    connect(RadioButton_M2Client, &QRadioButton::toggled, this, &TForm2::M2Refresh);
    connect(Edit_M3Player, &QLineEdit::textChanged, this, &TForm2::Edit_M3PlayerChange);
    for (QSpinBox *s : {SpinEdit_ChangingTime, SpinEdit_ComputerTime})
        connect(s, &QSpinBox::valueChanged, this, [this, s] { SpinEdit_TimeChange(s); });
    connect(Button_Forward, &QPushButton::clicked, this, &TForm2::Button_ForwardClick);
    connect(Button_Back, &QPushButton::clicked, this, &TForm2::Button_BackClick);
    connect(Button_Cancel, &QPushButton::clicked, this, &TForm2::Button_CancelClick);
}

// The designed layout (client 489 x 193, pages 473 x 145) assumes a narrow
// face. The face in use (the system's, once the about dialog exists) may need
// more: then the fields move right of their labels, descriptions get more
// lines, and the pages and the window grow by as much. With room enough every
// control keeps its designed place.
void TForm2::placeControls()
{
    if (Button_Forward == nullptr)
        return; // a font change while the controls are still being made
    const int labelH = std::max(15, fontMetrics().height());
    const int editH = std::max(21, Edit_M1Player1->minimumSizeHint().height());
    const int rowH = std::max(editH, SpinEdit_ChangingTime->minimumSizeHint().height());
    const int unitW = std::max(80, textWidth(Label_Time1, QStringLiteral("Sekunden")));
    // A label beside the fields of a row h high; designed 4 pixels below its top.
    const auto labelAt = [&](QLabel *l, int x, int top, int h, int w = -1) {
        l->setGeometry(x, top + 4 + (h - 21) / 2 - (labelH - 15) / 2, w < 0 ? l->sizeHint().width() : w,
                       labelH);
    };
    const auto columnAfter = [](int designed, int labelX, std::initializer_list<QLabel *> labels) {
        int x = designed;
        for (QLabel *l : labels)
            x = std::max(x, labelX + l->sizeHint().width() + 8);
        return x;
    };

    // Widths first: the right edge that the widest page needs decides the
    // extra width of all pages (designed content ends at x = 457).
    const int spinW = std::max(50, SpinEdit_ChangingTime->sizeHint().width());
    const int m1Column = columnAfter(136, 24, {m1Labels_[0], m1Labels_[1], m1Labels_[2]});
    const int m2Column = columnAfter(136, 16, {m2NameLabel_, Label_M2Role});
    const int m3Column = columnAfter(184, 24, {m3Labels_[0], m3Labels_[1], m3Labels_[2]});
    const int levelW = std::max(100, ComboBox_ComputerLevel->sizeHint().width());
    const int levelH = std::max(rowH, ComboBox_ComputerLevel->sizeHint().height());
    const int hostW = std::max(130, RadioButton_M2Host->sizeHint().width());
    const int clientX = std::max(140, hostW + 10);
    const int clientRoleW = std::max(130, RadioButton_M2Client->sizeHint().width());
    const int rolesW = std::max(456 - m2Column, clientX + clientRoleW);
    const int ipX = 16 + Label_M2IP->sizeHint().width() + 8;
    int right = 457;
    for (int column : {m1Column, m3Column})
        right = std::max({right, column + 150, column + spinW + 6 + unitW});
    right = std::max({right, m2Column + 150, m2Column + rolesW, ipX + 150, m3Column + levelW});
    for (QRadioButton *b : {RadioButton_TwoAtOne, RadioButton_TwoAtTwo, RadioButton_PCMode})
        right = std::max(right, 16 + b->sizeHint().width());
    const int cancelW = std::max(75, buttonWidthFor(Button_Cancel));
    const int backW = std::max(75, buttonWidthFor(Button_Back));
    const int forwardW = std::max(75, buttonWidthFor(Button_Forward));
    // Buttons: 8 left, 13 between "Zurück" and "Weiter", 6 right.
    const int buttonsW = 8 + cancelW + 8 + backW + 13 + forwardW + 6;
    const int extraW = std::max({0, right - 457, buttonsW - 489});

    // ---- Standard: each mode button with its description below, inside
    // the group's frame and below its title, however tall the face makes it.
    const QMargins groupInside = GroupBox_Mode->contentsMargins();
    int y = std::max(16, groupInside.top());
    QRadioButton *modes[3] = {RadioButton_TwoAtOne, RadioButton_TwoAtTwo, RadioButton_PCMode};
    const int designedDescH[3] = {26, 26, 14};
    for (int i = 0; i < 3; ++i) {
        const int h = radioHeight(modes[i], 16);
        modes[i]->setGeometry(10, y, 440 + extraW, h);
        y += h;
        const int descW = 424 + extraW;
        const int descH = std::max(designedDescH[i], descriptions_[i]->heightForWidth(descW));
        descriptions_[i]->setGeometry(28, y, descW, descH);
        y += descH + (i < 2 ? 2 : 0);
    }
    const int groupH = std::max(139, y + groupInside.bottom());
    int pageBottom = 2 + groupH; // designed: the group box ends at 141
    GroupBox_Mode->setGeometry(6, 2, 459 + extraW, groupH);

    // ---- Mode1 and Mode3: rows of label and field, 32 apart.
    const int pitch = std::max(32, rowH + 8);
    for (int i = 0; i < 3; ++i)
        labelAt(m1Labels_[i], 24, 24 + i * pitch, i < 2 ? editH : rowH);
    Edit_M1Player1->setGeometry(m1Column, 24, 150, editH);
    Edit_M1Player2->setGeometry(m1Column, 24 + pitch, 150, editH);
    SpinEdit_ChangingTime->setGeometry(m1Column, 24 + 2 * pitch, spinW, rowH);
    labelAt(Label_Time1, m1Column + std::max(56, spinW + 6), 24 + 2 * pitch, rowH, unitW);
    pageBottom = std::max(pageBottom, 24 + 2 * pitch + rowH + 8);

    labelAt(m3Labels_[0], 24, 36, editH);
    labelAt(m3Labels_[1], 24, 36 + pitch, rowH);
    Edit_M3Player->setGeometry(m3Column, 36, 150, editH);
    SpinEdit_ComputerTime->setGeometry(m3Column, 36 + pitch, spinW, rowH);
    labelAt(Label_Time2, m3Column + std::max(56, spinW + 6), 36 + pitch, rowH, unitW);
    labelAt(m3Labels_[2], 24, 36 + 2 * pitch, levelH);
    ComboBox_ComputerLevel->setGeometry(m3Column, 36 + 2 * pitch, levelW, levelH);
    pageBottom = std::max(pageBottom, 36 + 2 * pitch + levelH + 8);

    // ---- Mode2: name, role, address, a rule and the connection state.
    labelAt(m2NameLabel_, 16, 8, editH);
    Edit_M2Player->setGeometry(m2Column, 8, 150, editH);
    const int rolesTop = 8 + editH + 6;
    const int roleH = std::max(radioHeight(RadioButton_M2Host, 17), radioHeight(RadioButton_M2Client, 17));
    m2Roles_->setGeometry(m2Column, rolesTop, rolesW, roleH + 3);
    RadioButton_M2Host->setGeometry(0, 2, hostW, roleH);
    RadioButton_M2Client->setGeometry(clientX, 2, clientRoleW, roleH);
    Label_M2Role->setGeometry(16, rolesTop + 3 + (roleH - 17) / 2 - (labelH - 15) / 2,
                              Label_M2Role->sizeHint().width(), labelH);
    const int ipTop = rolesTop + roleH + 3 + 5;
    labelAt(Label_M2IP, 16, ipTop, editH);
    Edit_M2IP->setGeometry(ipX, ipTop, 457 + extraW - ipX, editH);
    const int ruleTop = ipTop + editH + 9;
    m2Rule_->setGeometry(8, ruleTop, 455 + extraW, 2);
    // Three lines: the longest connection texts, with names, take two.
    const int stateH = std::max(40, 3 * fontMetrics().lineSpacing());
    Label_M2IPState->setGeometry(8, ruleTop + 8, 455 + extraW, stateH);
    pageBottom = std::max(pageBottom, ruleTop + 8 + stateH + 3);

    // ---- The pages and the buttons below them.
    const int extraH = std::max(0, pageBottom - 141);
    PageControl->setGeometry(8, 8, 473 + extraW, 145 + extraH);
    const int buttonY = 160 + extraH;
    const int buttonH =
        std::max({25, Button_Cancel->sizeHint().height(), Button_Forward->sizeHint().height()});
    const int windowW = 489 + extraW;
    Button_Cancel->setGeometry(8, buttonY, cancelW, buttonH);
    Button_Forward->setGeometry(windowW - 6 - forwardW, buttonY, forwardW, buttonH);
    Button_Back->setGeometry(Button_Forward->x() - 13 - backW, buttonY, backW, buttonH);
    setFixedSize(windowW, buttonY + buttonH + 8);
}

void TForm2::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

QString TForm2::CurrentPageName() const
{
    return PageControl->currentWidget()->objectName();
}

void TForm2::showPage(QWidget *page)
{
    PageControl->setCurrentWidget(page);
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm2::FormShow()
{
    const GameState &st = game_.st;
    game_.ForgetPlayerNames();

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

void TForm2::RadioButton_ModeClick()
{
    Button_Forward->setEnabled(true);
}

void TForm2::Edit_M1PlayerChange()
{
    const QString a = Edit_M1Player1->text();
    const QString b = Edit_M1Player2->text();
    Button_Forward->setEnabled(!a.isEmpty() && !b.isEmpty() && a != b);
}

void TForm2::M2Refresh()
{
    const bool client = RadioButton_M2Client->isChecked() && RadioButton_M2Client->isEnabled();
    Label_M2IP->setEnabled(client);
    Edit_M2IP->setEnabled(client);
    Button_Forward->setEnabled(Edit_M2Player->isEnabled() && !Edit_M2Player->text().isEmpty() &&
                               (RadioButton_M2Host->isChecked() ||
                                (RadioButton_M2Client->isChecked() && !Edit_M2IP->text().isEmpty())));
}

void TForm2::Edit_M3PlayerChange()
{
    Button_Forward->setEnabled(!Edit_M3Player->text().isEmpty());
}

void TForm2::SpinEdit_TimeChange(QSpinBox *spin)
{
    QLabel *unit = spin->property("tag").toInt() == 1 ? Label_Time1 : Label_Time2;
    unit->setText(spin->value() <= 1 ? QStringLiteral("Sekunde") : QStringLiteral("Sekunden"));
}

void TForm2::SetIPCtrlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Edit_M2Player, Label_M2Role, RadioButton_M2Host,
                                                       RadioButton_M2Client, Label_M2IP, Edit_M2IP})
        w->setEnabled(enabled);
    M2Refresh();
}

void TForm2::Button_ForwardClick()
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
        game_.TakeChoices({.GameMode = gmTwoAtOne,
                           .PlayerNames = {Edit_M1Player1->text(), Edit_M1Player2->text()},
                           .ChangingTime = SpinEdit_ChangingTime->value() + 1});
        StartAndClose(-1);
    } else if (page == TabSheet_Mode2) {
        const int local = RadioButton_M2Client->isChecked() ? 1 : 0;
        if (!game_.st.PlayerNames[1 - local].isEmpty()) {
            emit M2SendStart();
            StartAndClose(local);
            return;
        }
        SetIPCtrlsEnabled(false);
        GameChoices choices{.GameMode = gmTwoAtTwo, .LocalPlayer = local, .HostAddress = Edit_M2IP->text()};
        choices.PlayerNames[local] = Edit_M2Player->text();
        game_.TakeChoices(choices);
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
        game_.TakeChoices({.GameMode = gmPCMode,
                           .PlayerNames = {Edit_M3Player->text(), {}},
                           .ChangingTime = SpinEdit_ComputerTime->value(),
                           .ComputerLevel = ComboBox_ComputerLevel->currentIndex()});
        StartAndClose(0);
    }
}

void TForm2::StartAndClose(int namePlayer)
{
    game_.BeginGame(namePlayer);
    accept();
}

void TForm2::Button_BackClick()
{
    if (PageControl->currentWidget() == TabSheet_Mode2) {
        bool canClose = true;
        FormCloseQuery(nullptr, canClose);
        if (!canClose)
            return;
    }
    FormShow();
}

void TForm2::Button_CancelClick()
{
    close();
}

void TForm2::reject()
{
    bool canClose = true;
    FormCloseQuery(this, canClose);
    if (canClose)
        QDialog::reject();
}

void TForm2::FormCloseQuery(QObject *sender, bool &CanClose)
{
    const GameState &st = game_.st;
    if (st.GameMode == gmTwoAtTwo && st.GamePhase == gpNoGame) {
        if (!st.PlayerNames[1 - st.LocalPlayer].isEmpty()) {
            QApplication::beep();
            CanClose = AskYesNo(this, QStringLiteral("Warnung"),
                                QStringLiteral("Soll die Verbindung getrennt werden?"), QMessageBox::Warning);
            if (CanClose)
                game_.ForgetPlayerNames();
        }
        if (CanClose)
            emit M2CloseSocket(st.LocalPlayer);
    }
    // A real close (not "Zurück") without a game resumes the title animation.
    if (CanClose && st.GamePhase == gpNoGame && sender != nullptr)
        game_.DXTimer_Info.enable();
}
