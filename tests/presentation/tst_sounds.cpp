#include "presentation/SoundPlayer.h"

#include <QTest>

namespace {

class RecordingOutput : public SoundOutput {
public:
    explicit RecordingOutput(QList<int> &log) : log_(log) {}
    void play(int id) override { log_.append(id); }

private:
    QList<int> &log_;
};

} // namespace

class tst_Sounds : public QObject {
    Q_OBJECT
private slots:
    void switchGatesAllButForcedSounds()
    {
        QList<int> log;
        SoundPlayer player(std::make_unique<RecordingOutput>(log));
        player.PlaySound(1);
        player.setEnabled(false);
        player.PlaySound(101);
        player.PlaySound(203, true);
        player.setEnabled(true);
        player.PlaySound(301);
        QCOMPARE(log, (QList<int>{1, 203, 301}));
    }
};

QTEST_MAIN(tst_Sounds)
#include "tst_sounds.moc"
