#include "game/Game.h"
#include "support/RecordingEffects.h"

#include <QtTest>

// A first look at the engine: a computer game starts with the computer's
// whole fleet in place and the human to place.
class tst_smoke : public QObject {
    Q_OBJECT
private slots:
    void startGameAgainstComputer()
    {
        RecordingEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game(fx, rng, clock);
        game.st.GameMode = gmPCMode;
        game.StartGame();
        QCOMPARE(game.st.GamePhase, int(gpPlacing1));
        QCOMPARE(game.st.CurrentPlayer, 0);
        const ShipCounts counts = Game::CountShips(game.st.PlayField[1], 0);
        QVERIFY(Game::IsCompleteFleet(counts));
        QCOMPARE(game.SetInfoLabelCaption(), QStringLiteral("benötigt: 4 1er, 3 2er, 2 3er, 1 4er"));
    }
};

QTEST_GUILESS_MAIN(tst_smoke)
#include "tst_smoke.moc"
