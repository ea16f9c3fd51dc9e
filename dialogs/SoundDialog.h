#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

// The sound dialog "Sounds": picks the sound for a shot into the water and
// for a hit. Created once and shown modally with exec() whenever the user
// chooses "Sounds einrichten"; every opening selects the stored sounds anew.
class SoundDialog : public QDialog {
    Q_OBJECT
public:
    // shotSound is the game's ShotSound (entry 0 water, entry 1 ship); OK
    // writes it.
    explicit SoundDialog(std::array<int, 2> &shotSound, QWidget *parent = nullptr);

    // Sounds per group: water, hit, general.
    static constexpr std::array<int, 3> SoundGroupSizes{3, 8, 7};

    // The sound id of the list's selected entry (tag 0 water, 1 ship).
    int GetSoundIndex(const QComboBox *list) const;
    // The entry that shows sound id in the list with the given tag, or -1.
    static int EntryForSound(int tag, int id);
    static int SoundForEntry(int tag, int entry);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *ComboBox_WaterSound = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *ComboBox_ShipSound = nullptr;
    QPushButton *Button_OK = nullptr;
    QPushButton *Button_Cancel = nullptr;

signals:
    // The user picked a sound: play it now, even with the sounds switched off.
    void previewRequested(int id);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeControls();
    void FormShow();
    void ComboBox_SoundChange(QComboBox *list);
    void Button_OKClick();

    std::array<int, 2> &shotSound_;
};
