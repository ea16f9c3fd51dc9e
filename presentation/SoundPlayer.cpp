#include "presentation/SoundPlayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

QString SoundPlayer::ResourcePath(int id)
{
    return QStringLiteral(":/assets/sound_%1.wav").arg(id);
}

bool SoundPlayer::HasSound(int id)
{
    return QFile::exists(ResourcePath(id));
}

QtSoundOutput::QtSoundOutput() : owner_(std::make_unique<QObject>()) {}

QtSoundOutput::~QtSoundOutput() = default;

QSoundEffect *QtSoundOutput::effect(int id)
{
    if (auto it = effects_.constFind(id); it != effects_.constEnd())
        return it.value();
    QSoundEffect *e = nullptr;
    if (SoundPlayer::HasSound(id)) {
        e = new QSoundEffect(owner_.get());
        e->setSource(QUrl(QStringLiteral("qrc") + SoundPlayer::ResourcePath(id)));
    }
    effects_.insert(id, e); // a missing sound is remembered as nullptr
    return e;
}

void QtSoundOutput::preload(const QList<int> &ids)
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        return;
    for (int id : ids)
        effect(id);
}

void QtSoundOutput::play(int id)
{
    if (current_) {
        current_->stop();
        current_ = nullptr;
    }
    // No device: stay silent rather than leave an effect "playing" on nothing.
    if (QMediaDevices::defaultAudioOutput().isNull())
        return;
    QSoundEffect *e = effect(id);
    if (!e)
        return;
    e->play();
    current_ = e;
}

SoundPlayer::SoundPlayer(std::unique_ptr<SoundOutput> output) : output_(std::move(output))
{
    if (!output_)
        output_ = std::make_unique<QtSoundOutput>();
}

void SoundPlayer::playSound(int id, bool forced)
{
    if (!forced && !enabled_)
        return;
    output_->play(id);
}

void SoundPlayer::preload(const QList<int> &ids)
{
    if (auto *qt = dynamic_cast<QtSoundOutput *>(output_.get()))
        qt->preload(ids);
}
