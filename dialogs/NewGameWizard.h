#pragma once

#include <QDialog>
#include <QString>

class Game;
class QEvent;
class QFrame;
class QGroupBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QSpinBox;
class QStackedWidget;
class QWidget;

// The new-game wizard "Neues Spiel": mode of play, names and times, and in the
// network mode the connection. Its last page writes the choices into the game
// state, starts the game and closes the wizard. It is created once and shown
// modally by "Neu".
//
// The network side is not part of the wizard: it asks for the connection
// through the signals below, and the network code answers through the public
// controls (Label_M2IPState, Button_Forward), SetIPCtrlsEnabled and
// StartAndClose.
class NewGameWizard : public QDialog {
    Q_OBJECT
public:
    explicit NewGameWizard(Game &game, QWidget *parent = nullptr);

    // Page "Standard"
    QStackedWidget *PageControl = nullptr;
    QWidget *TabSheet_Standard = nullptr;
    QWidget *TabSheet_Mode1 = nullptr;
    QWidget *TabSheet_Mode2 = nullptr;
    QWidget *TabSheet_Mode3 = nullptr;
    QGroupBox *GroupBox_Mode = nullptr;
    QRadioButton *RadioButton_TwoAtOne = nullptr;
    QRadioButton *RadioButton_TwoAtTwo = nullptr;
    QRadioButton *RadioButton_PCMode = nullptr;
    // Page "Mode1"
    QLineEdit *Edit_M1Player1 = nullptr;
    QLineEdit *Edit_M1Player2 = nullptr;
    QSpinBox *SpinEdit_ChangingTime = nullptr;
    QLabel *Label_Time1 = nullptr;
    // Page "Mode2"
    QLineEdit *Edit_M2Player = nullptr;
    QLabel *Label_M2Role = nullptr;
    QRadioButton *RadioButton_M2Host = nullptr;
    QRadioButton *RadioButton_M2Client = nullptr;
    QLabel *Label_M2IP = nullptr;
    QLineEdit *Edit_M2IP = nullptr;
    QLabel *Label_M2IPState = nullptr;
    // Page "Mode3"
    QLineEdit *Edit_M3Player = nullptr;
    QSpinBox *SpinEdit_ComputerTime = nullptr;
    QLabel *Label_Time2 = nullptr;
    QComboBox *ComboBox_ComputerLevel = nullptr; // "Leicht", "Normal", "Schwer"
    // Below the pages
    QPushButton *Button_Cancel = nullptr;
    QPushButton *Button_Back = nullptr;
    QPushButton *Button_Forward = nullptr;

    // The page shown: "Standard", "Mode1", "Mode2" or "Mode3".
    QString CurrentPageName() const;

    void FormShow();
    void RadioButton_ModeClick();
    void Edit_M1PlayerChange();
    void M2Refresh();
    void Edit_M3PlayerChange();
    void SpinEdit_TimeChange(QSpinBox *spin);
    void SetIPCtrlsEnabled(bool enabled);
    void Button_ForwardClick();
    void Button_BackClick();
    void Button_CancelClick();
    // sender is null when "< Zurück" asks, CanClose comes in preset to true.
    void FormCloseQuery(QObject *sender, bool &CanClose);

    // Starts the game with the choices already in the game state: StartGame,
    // the placing text with the name of player namePlayer (CurrentPlayer after
    // StartGame when negative), both redraws, and closes the wizard. The guest
    // of a network game is started this way when the host's start arrives.
    void StartAndClose(int namePlayer);

    // Escape, the close box and "Abbrechen" all end here and pass the query.
    void reject() override;

signals:
    // Host: listen for a guest.
    void M2OpenServer();
    // Guest: connect to the host address.
    void M2OpenClient(const QString &hostAddress);
    // Host with a guest signed in: send the start word to the guest.
    void M2SendStart();
    // Close this side's socket (the client on the guest, else the server).
    void M2CloseSocket(int localPlayer);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showPage(QWidget *page);
    void placeControls();

    // Controls without a name of their own, placed with the rest.
    QLabel *descriptions_[3] = {};
    QLabel *m1Labels_[3] = {};
    QLabel *m2NameLabel_ = nullptr;
    QWidget *m2Roles_ = nullptr;
    QFrame *m2Rule_ = nullptr;
    QLabel *m3Labels_[3] = {};

    Game &game_;
};
