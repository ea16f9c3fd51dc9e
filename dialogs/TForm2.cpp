#include "dialogs/TForm2.h"

#include "dialogs/PlayerNameValidator.h"
#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "presentation/MessageBoxes.h"

#include <QApplication>
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

#include <memory>
#include <vector>

namespace {

QLabel *label(QWidget *parent, const QString &text, int x, int y, int w = -1)
{
    auto *l = new QLabel(text, parent);
    if (w < 0)
        w = l->sizeHint().width();
    l->setGeometry(x, y, w, 15);
    return l;
}

QLineEdit *nameEdit(QWidget *parent, int x, int y)
{
    auto *e = new QLineEdit(parent);
    e->setMaxLength(10);
    e->setGeometry(x, y, 150, 21);
    return e;
}

QSpinBox *secondsSpin(QWidget *parent, int x, int y, int tag)
{
    auto *s = new QSpinBox(parent);
    s->setRange(1, 20);
    s->setGeometry(x, y, 50, 21);
    s->setProperty("tag", tag);
    return s;
}

QLabel *description(QWidget *parent, const QString &text, int y, int h)
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(28, y, 424, h);
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

TForm2::TForm2(Game &game, QWidget *parent) : QDialog(parent), game_(game)
{
    setWindowTitle(QStringLiteral("Neues Spiel"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11); // 8 pt
    setFont(f);
    setFixedSize(489, 193);

    PageControl = new QStackedWidget(this);
    PageControl->setFrameShape(QFrame::StyledPanel);
    PageControl->setGeometry(8, 8, 473, 145);

    // ---- Standard
    TabSheet_Standard = new QWidget;
    TabSheet_Standard->setObjectName(QStringLiteral("Standard"));
    GroupBox_Mode = new QGroupBox(QStringLiteral("Spielmodus"), TabSheet_Standard);
    GroupBox_Mode->setGeometry(6, 2, 459, 139);
    RadioButton_TwoAtOne = new QRadioButton(QStringLiteral("Zwei Spieler an einem PC"), GroupBox_Mode);
    RadioButton_TwoAtOne->setGeometry(10, 16, 440, 16);
    description(GroupBox_Mode,
                QStringLiteral("In diesem Modus spielen zwei Spieler an einem PC gegeneinander. Während der "
                               "eine an der Reihe ist, muss der andere den Blick vom Bildschirm abwenden."),
                32, 26);
    RadioButton_TwoAtTwo = new QRadioButton(QStringLiteral("Zwei Spieler über TCP/IP"), GroupBox_Mode);
    RadioButton_TwoAtTwo->setGeometry(10, 60, 440, 16);
    description(GroupBox_Mode,
                QStringLiteral("In diesem Modus spielen zwei Spieler über das Netzwerk oder das Internet "
                               "gegeneinander."),
                76, 26);
    RadioButton_PCMode = new QRadioButton(QStringLiteral("Ein Spieler gegen den Computer"), GroupBox_Mode);
    RadioButton_PCMode->setGeometry(10, 104, 440, 16);
    description(GroupBox_Mode,
                QStringLiteral("In diesem Modus spielt ein Spieler allein gegen den Computer."), 120, 14);

    // ---- Mode1
    TabSheet_Mode1 = new QWidget;
    TabSheet_Mode1->setObjectName(QStringLiteral("Mode1"));
    label(TabSheet_Mode1, QStringLiteral("Name Spieler 1:"), 24, 28);
    Edit_M1Player1 = nameEdit(TabSheet_Mode1, 136, 24);
    label(TabSheet_Mode1, QStringLiteral("Name Spieler 2:"), 24, 60);
    Edit_M1Player2 = nameEdit(TabSheet_Mode1, 136, 56);
    label(TabSheet_Mode1, QStringLiteral("Wechselzeit:"), 24, 92);
    SpinEdit_ChangingTime = secondsSpin(TabSheet_Mode1, 136, 88, 1);
    Label_Time1 = label(TabSheet_Mode1, QStringLiteral("Sekunden"), 192, 92, 80);

    // ---- Mode2
    TabSheet_Mode2 = new QWidget;
    TabSheet_Mode2->setObjectName(QStringLiteral("Mode2"));
    label(TabSheet_Mode2, QStringLiteral("Spielername:"), 16, 12);
    Edit_M2Player = nameEdit(TabSheet_Mode2, 136, 8);
    Label_M2Role = label(TabSheet_Mode2, QStringLiteral("Teilnehmen als:"), 16, 38);
    auto *roles = new QWidget(TabSheet_Mode2); // keeps the two roles exclusive on their own
    roles->setGeometry(136, 35, 320, 20);
    RadioButton_M2Host = new QRadioButton(QStringLiteral("Host (Gastgeber)"), roles);
    RadioButton_M2Host->setGeometry(0, 2, 130, 17);
    RadioButton_M2Client = new QRadioButton(QStringLiteral("Client (Gast)"), roles);
    RadioButton_M2Client->setGeometry(140, 2, 130, 17);
    Label_M2IP =
        label(TabSheet_Mode2, QStringLiteral("Host-Adresse (IP-Adresse oder Netzwerkkennung):"), 16, 64);
    Edit_M2IP = new QLineEdit(TabSheet_Mode2);
    Edit_M2IP->setGeometry(Label_M2IP->x() + Label_M2IP->width() + 8, 60,
                           457 - (Label_M2IP->x() + Label_M2IP->width() + 8), 21);
    Label_M2IP->setEnabled(false);
    Edit_M2IP->setEnabled(false);
    auto *rule = new QFrame(TabSheet_Mode2);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(8, 90, 455, 2);
    Label_M2IPState = new QLabel(TabSheet_Mode2);
    Label_M2IPState->setGeometry(8, 98, 455, 40);
    Label_M2IPState->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label_M2IPState->setWordWrap(true);

    // ---- Mode3
    TabSheet_Mode3 = new QWidget;
    TabSheet_Mode3->setObjectName(QStringLiteral("Mode3"));
    label(TabSheet_Mode3, QStringLiteral("Spielername:"), 24, 40);
    Edit_M3Player = nameEdit(TabSheet_Mode3, 184, 36);
    label(TabSheet_Mode3, QStringLiteral("Bedenkzeit für den Computer:"), 24, 72);
    SpinEdit_ComputerTime = secondsSpin(TabSheet_Mode3, 184, 68, 2);
    Label_Time2 = label(TabSheet_Mode3, QStringLiteral("Sekunden"), 240, 72, 80);

    // Names are stored and, in a network game, sent in Windows-1252.
    for (QLineEdit *e : {Edit_M1Player1, Edit_M1Player2, Edit_M2Player, Edit_M3Player})
        e->setValidator(new PlayerNameValidator(e == Edit_M2Player, e));

    for (QWidget *page : {TabSheet_Standard, TabSheet_Mode1, TabSheet_Mode2, TabSheet_Mode3})
        PageControl->addWidget(page);

    // ---- Buttons
    Button_Cancel = new QPushButton(QStringLiteral("Ab&brechen"), this);
    Button_Cancel->setGeometry(8, 160, 75, 25);
    Button_Cancel->setAutoDefault(false);
    Button_Back = new QPushButton(QStringLiteral("< &Zurück"), this);
    Button_Back->setGeometry(320, 160, 75, 25);
    Button_Back->setAutoDefault(false);
    Button_Back->setEnabled(false);
    Button_Forward = new QPushButton(QStringLiteral("&Weiter >"), this);
    Button_Forward->setGeometry(408, 160, 75, 25);
    Button_Forward->setDefault(true);
    Button_Forward->setEnabled(false);

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
    GameState &st = game_.st;
    st.PlayerNames[0].clear();
    st.PlayerNames[1].clear();

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
    GameState &st = game_.st;
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
        st.PlayerNames = {Edit_M1Player1->text(), Edit_M1Player2->text()};
        st.RecentNames = st.PlayerNames;
        st.ChangingTime = SpinEdit_ChangingTime->value() + 1;
        st.GameMode = gmTwoAtOne;
        StartAndClose(-1);
    } else if (page == TabSheet_Mode2) {
        st.LocalPlayer = RadioButton_M2Client->isChecked() ? 1 : 0;
        if (!st.PlayerNames[1 - st.LocalPlayer].isEmpty()) {
            emit M2SendStart();
            StartAndClose(st.LocalPlayer);
            return;
        }
        SetIPCtrlsEnabled(false);
        st.GameMode = gmTwoAtTwo;
        st.PlayerNames[st.LocalPlayer] = Edit_M2Player->text();
        st.RecentNames[0] = Edit_M2Player->text();
        // The state text goes first, so that an answer of the network code
        // (a failure, say) is not overwritten.
        if (st.LocalPlayer == 0) {
            Label_M2IPState->setText(Texts::WizardText(2));
            emit M2OpenServer();
        } else {
            st.HostAddress = Edit_M2IP->text();
            Label_M2IPState->setText(Texts::WizardText(5));
            ConnectRetryArmed = true;
            emit M2OpenClient(st.HostAddress);
        }
    } else if (page == TabSheet_Mode3) {
        st.PlayerNames = {Edit_M3Player->text(), QString::fromUtf8(Texts::ComputerName)};
        st.RecentNames[0] = Edit_M3Player->text();
        st.ChangingTime = SpinEdit_ComputerTime->value();
        st.GameMode = gmPCMode;
        StartAndClose(0);
    }
}

void TForm2::StartAndClose(int namePlayer)
{
    game_.StartGame();
    const int p = namePlayer < 0 ? game_.st.CurrentPlayer : namePlayer;
    game_.effects().SetStatusText(FormatText(Texts::InfoText(1), {game_.st.PlayerNames[p]}));
    game_.DrawScreen(true);
    game_.effects().DrawInfo();
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
    GameState &st = game_.st;
    if (st.GameMode == gmTwoAtTwo && st.GamePhase == gpNoGame) {
        if (!st.PlayerNames[1 - st.LocalPlayer].isEmpty()) {
            QApplication::beep();
            CanClose = AskYesNo(this, QStringLiteral("Warnung"),
                                QStringLiteral("Soll die Verbindung getrennt werden?"), QMessageBox::Warning);
            if (CanClose) {
                st.PlayerNames[0].clear();
                st.PlayerNames[1].clear();
            }
        }
        if (CanClose)
            emit M2CloseSocket(st.LocalPlayer);
    }
    // A real close (not "Zurück") without a game resumes the title animation.
    if (CanClose && st.GamePhase == gpNoGame && sender != nullptr)
        game_.DXTimer_Info.enable();
}
