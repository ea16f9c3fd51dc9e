#pragma once

#include <QDialog>

class Game;
class QLabel;
class QPushButton;
class ColorComboBox;

// "Farben": the colours of water, partly found and fully found ships.
// Created once and reused; every opening reloads the boxes from CellColors,
// so whatever was chosen and not confirmed with OK is forgotten.
class ColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit ColorDialog(Game &game, QWidget *parent = nullptr);

    void FormShow();
    void Button_OKClick();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    ColorComboBox *LxColorComboBox_Color1 = nullptr;
    ColorComboBox *LxColorComboBox_Color2 = nullptr;
    ColorComboBox *LxColorComboBox_Color3 = nullptr;
    QPushButton *Button_OK = nullptr;
    QPushButton *Button_Cancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeControls();
    // The box that edits CellColors[i], found by its name.
    ColorComboBox *colorBox(int i) const;

    Game &game_;
};
