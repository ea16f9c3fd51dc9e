#pragma once

#include <QDialog>
#include <QString>

class Game;
class QGroupBox;
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
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(Game &game, QWidget *parent = nullptr);

    // Page "Standard"
    QStackedWidget *PageControl;
    QWidget *TabSheet_Standard;
    QWidget *TabSheet_Mode1;
    QWidget *TabSheet_Mode2;
    QWidget *TabSheet_Mode3;
    QGroupBox *GroupBox_Mode;
    QRadioButton *RadioButton_TwoAtOne;
    QRadioButton *RadioButton_TwoAtTwo;
    QRadioButton *RadioButton_PCMode;
    // Page "Mode1"
    QLineEdit *Edit_M1Player1;
    QLineEdit *Edit_M1Player2;
    QSpinBox *SpinEdit_ChangingTime;
    QLabel *Label_Time1;
    // Page "Mode2"
    QLineEdit *Edit_M2Player;
    QLabel *Label_M2Role;
    QRadioButton *RadioButton_M2Host;
    QRadioButton *RadioButton_M2Client;
    QLabel *Label_M2IP;
    QLineEdit *Edit_M2IP;
    QLabel *Label_M2IPState;
    // Page "Mode3"
    QLineEdit *Edit_M3Player;
    QSpinBox *SpinEdit_ComputerTime;
    QLabel *Label_Time2;
    // Below the pages
    QPushButton *Button_Cancel;
    QPushButton *Button_Back;
    QPushButton *Button_Forward;

    // Set when the guest starts connecting; the network code uses it to try
    // once more after a failed connect.
    bool ConnectRetryArmed = false;

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

private:
    void showPage(QWidget *page);

    Game &game_;
};
