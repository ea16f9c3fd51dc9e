#pragma once

#include <QDialog>

class Game;
class QLabel;
class QPushButton;
class ColorComboBox;

// "Farben": the colours of water, partly found and fully found ships.
// Created once and reused; every opening reloads the boxes from cellColors,
// so whatever was chosen and not confirmed with OK is forgotten.
class ColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit ColorDialog(Game &game, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeControls();
    void showStoredColors();
    void storeAndClose();

    QLabel *introLabel_ = nullptr;
    // Water, partly found ship, fully found ship: the boxes edit cellColors[1..3].
    QLabel *labels_[3] = {};
    ColorComboBox *boxes_[3] = {};
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;

    Game &game_;
};
