#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QSoundEffect;

// Where the sounds go. The program uses QtSoundOutput; tests record.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Cuts off the running sound and starts sound id; returns at once.
    virtual void play(int id) = 0;
};

// Plays the numbered sound resources (":/assets/sound_<id>.wav") through
// QSoundEffect. A new sound cuts off the running one. Without an audio
// device, or for an id without a resource, nothing is played and nothing is
// reported. Nothing here ever waits for a sound: Qt may report a sound on a
// missing device as playing for ever.
class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    void play(int id) override;
    // Decodes these sounds ahead of their first use, so that the first shot
    // is heard at once; the others are decoded when first played.
    void preload(const QList<int> &ids);

private:
    QSoundEffect *effect(int id);

    std::unique_ptr<QObject> owner_; // parent of the effects
    QHash<int, QSoundEffect *> effects_;
    QSoundEffect *current_ = nullptr;
};

// playSound with the "Sounds abspielen" switch.
class SoundPlayer {
public:
    // Without an output the player builds a QtSoundOutput.
    explicit SoundPlayer(std::unique_ptr<SoundOutput> output = {});

    // Plays sound id if forced or the switch is on; returns at once.
    void playSound(int id, bool forced = false);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    // Decodes sounds ahead of time when the output is the program's own.
    void preload(const QList<int> &ids);

    static QString ResourcePath(int id);
    static bool HasSound(int id);

private:
    std::unique_ptr<SoundOutput> output_;
    bool enabled_ = true;
};
