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
    // shotSound is the game's shotSound (entry 0 water, entry 1 ship); OK
    // writes it.
    explicit SoundDialog(std::array<int, 2> &shotSound, QWidget *parent = nullptr);

    // Sounds per group: water, hit, general.
    static constexpr std::array<int, 3> SoundGroupSizes{3, 8, 7};

    // The entry that shows sound id in the list with the given tag (0 water,
    // 1 ship), or -1; and the sound an entry stands for.
    static int entryForSound(int tag, int id);
    static int soundForEntry(int tag, int entry);

signals:
    // The user picked a sound: play it now, even with the sounds switched off.
    void previewRequested(int id);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeControls();
    // The sound id of the list's selected entry.
    int soundOf(const QComboBox *list) const;
    void selectStoredSounds();
    void preview(QComboBox *list);
    void storeAndClose();

    QLabel *introLabel_ = nullptr;
    QLabel *waterLabel_ = nullptr;
    QComboBox *waterSounds_ = nullptr;
    QLabel *shipLabel_ = nullptr;
    QComboBox *shipSounds_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;

    std::array<int, 2> &shotSound_;
};
