#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <utility>

class Game;
class QEvent;
class QFrame;
class QHideEvent;
class QGroupBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
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
// through the signals below, and the network code answers through the
// methods under "For the network code". Tests find the controls by their
// object names.
class NewGameWizard : public QDialog {
    Q_OBJECT
public:
    explicit NewGameWizard(Game &game, QWidget *parent = nullptr);

    // The page shown: "Standard", "Mode1", "Mode2" or "Mode3".
    QString currentPageName() const;

    // ---- For the network code
    // The connection text on the network page.
    void showConnectionState(const QString &text);
    // The network page's name, role and address controls; also re-runs the
    // rule for "Weiter".
    void setAddressControlsEnabled(bool enabled);
    void setForwardEnabled(bool enabled);
    // Starts the game with the choices already in the game state: BeginGame
    // with the placing text naming player namePlayer (currentPlayer after
    // StartGame when negative), and closes the wizard. The guest of a network
    // game is started this way when the host's start arrives.
    void startGameAndClose(int namePlayer);
    // The games found on the local network, as (text, address) pairs: a
    // guest's choice fills the address field, a double click or Enter
    // connects. An empty list shows `note` instead (if any).
    void showFoundGames(const QList<std::pair<QString, QString>> &games, const QString &note);
    // The host's own name and addresses, below the address field.
    void showHostAddresses(const QString &text);

    // Escape, the close box and "Abbrechen" all end here and ask first.
    void reject() override;

signals:
    // Host: listen for a guest.
    void listenRequested();
    // Guest: connect to the host address.
    void connectRequested(const QString &hostAddress);
    // Host with a guest signed in: send the start word to the guest.
    void startRequested();
    // Close this side's socket (the client on the guest, else the server).
    void closeRequested(int localPlayer);
    // The network page is shown / no longer shown: the time to look for
    // games on the local network.
    void networkPageEntered();
    void networkPageLeft();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showPage(QWidget *page);
    void placeControls();
    void nameControls();

    // The first page again, with the stored names and times; no mode chosen.
    void startOver();
    void onModeChosen();
    void updateTwoAtOneForward();
    void updateNetworkControls();
    void showRoleRows();
    void updateSoloForward();
    void chooseFoundGame(QListWidgetItem *item);
    // "Sekunde" or "Sekunden" behind the spin box.
    void showSecondsUnit(QSpinBox *spin);
    void goForward();
    void goBack();
    // Whether the wizard may be left (closing: for good, else by "Zurück");
    // a guest signed in on the network page is asked about first.
    bool mayLeave(bool closing);

    // Page "Standard"
    QStackedWidget *pages_ = nullptr;
    QWidget *modePage_ = nullptr;
    QWidget *twoAtOnePage_ = nullptr;
    QWidget *networkPage_ = nullptr;
    QWidget *computerPage_ = nullptr;
    QGroupBox *modeGroup_ = nullptr;
    QRadioButton *twoAtOneButton_ = nullptr;
    QRadioButton *networkButton_ = nullptr;
    QRadioButton *computerButton_ = nullptr;
    QLabel *descriptions_[3] = {};
    // Page "Mode1": two players at one computer
    QLabel *twoAtOneLabels_[3] = {};
    QLineEdit *player1Edit_ = nullptr;
    QLineEdit *player2Edit_ = nullptr;
    QSpinBox *changeOverSpin_ = nullptr;
    QLabel *changeOverUnit_ = nullptr;
    // Page "Mode2": over the network
    QLabel *networkNameLabel_ = nullptr;
    QLineEdit *networkNameEdit_ = nullptr;
    QLabel *roleLabel_ = nullptr;
    QWidget *roles_ = nullptr;
    QRadioButton *hostButton_ = nullptr;
    QRadioButton *guestButton_ = nullptr;
    QLabel *addressLabel_ = nullptr;
    QLineEdit *addressEdit_ = nullptr;
    QLabel *foundGamesLabel_ = nullptr;
    QListWidget *foundGames_ = nullptr; // guest: the games on the local network
    QLabel *hostAddresses_ = nullptr;   // host: where guests can find it
    QFrame *networkRule_ = nullptr;
    QLabel *connectionState_ = nullptr;
    // Page "Mode3": against the computer
    QLabel *soloLabels_[3] = {};
    QLineEdit *soloNameEdit_ = nullptr;
    QSpinBox *thinkingTimeSpin_ = nullptr;
    QLabel *thinkingTimeUnit_ = nullptr;
    QComboBox *computerLevel_ = nullptr; // "Leicht", "Normal", "Schwer"
    // Below the pages
    QPushButton *cancelButton_ = nullptr;
    QPushButton *backButton_ = nullptr;
    QPushButton *forwardButton_ = nullptr;

    Game &game_;
};
