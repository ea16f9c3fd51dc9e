// The boards, the status line and the info panel as a screen reader sees
// them, played by keyboard alone through the real main window.

#include "app/mainwindow/MainWindow.h"
#include "dialogs/NewGameWizard.h"
#include "presentation/DrawingSurface.h"
#include "support/TestGame.h"
#include "support/WhenModal.h"

#include <QAccessible>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

namespace {

struct Silent final : SoundOutput {
    void play(int) override {}
};

// Every name and description in the tree below iface.
QStringList treeTexts(QAccessibleInterface *iface)
{
    QStringList texts{iface->text(QAccessible::Name) + u'|' + iface->text(QAccessible::Description)};
    for (int i = 0; i < iface->childCount(); ++i)
        texts << treeTexts(iface->child(i));
    return texts;
}

struct Window {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom rng{{}, 5};
    MainWindow form{&clock, &rng, nullptr, dir.filePath("Settings.ini"), std::make_unique<Silent>()};
    QWidget *board = form.findChild<QWidget *>(QStringLiteral("DXDraw"));

    Window()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    GameState &st() { return GameTestAccess::state(form.game()); }
    QAccessibleInterface *ui(const char *name)
    {
        return QAccessible::queryAccessibleInterface(form.findChild<QWidget *>(QLatin1String(name)));
    }
    QAccessibleInterface *table(Board b) { return ui("DXDraw")->child(b == Board::Own ? 0 : 1); }
    QString cell(Board b, CellPos c)
    {
        return table(b)->tableInterface()->cellAt(c.y, c.x)->text(QAccessible::Name);
    }
    QStringList cells(Board b)
    {
        QStringList names;
        for (int i = 0; i < 100; ++i)
            names << cell(b, {i % 10, i / 10});
        return names;
    }
    QString focused()
    {
        QAccessibleInterface *f = ui("DXDraw")->focusChild();
        return f != nullptr ? f->text(QAccessible::Name) : QString();
    }
    void key(int k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(&form, Qt::Key(k), m); }
    // From wherever the cursor stands to c: up and left to A1, then along.
    void keyTo(CellPos c)
    {
        for (int k : {Qt::Key_PageUp, Qt::Key_Home})
            key(k);
        for (int i = 0; i < c.x + c.y; ++i)
            key(i < c.x ? Qt::Key_Right : Qt::Key_Down);
    }
};

} // namespace

class tst_accessibility : public QObject {
    Q_OBJECT
private slots:

    void keyboardGameAgainstTheComputer()
    {
        Window w;
        QAccessibleInterface *surface = w.ui("DXDraw");
        QVERIFY(w.table(Board::Own)->state().invisible); // the title picture

        // Ctrl+N; the wizard (its keys are its widgets' own) starts a game.
        WhenModal<NewGameWizard>([](NewGameWizard *d) {
            d->findChild<QRadioButton *>("RadioButton_PCMode")->click();
            d->findChild<QPushButton *>("Button_Forward")->click();
            d->findChild<QLineEdit *>("Edit_M3Player")->setText("Anna");
            d->findChild<QPushButton *>("Button_Forward")->click();
        });
        w.key(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(w.st().gamePhase, gpPlacing1);

        // Two tables of 10 x 10 named cells with their headers.
        for (Board b : {Board::Own, Board::Control}) {
            QAccessibleInterface *t = w.table(b);
            QCOMPARE(t->text(QAccessible::Name), b == Board::Own ? "Spielfeld" : "Kontrollfeld");
            QCOMPARE(t->tableInterface()->rowCount() * t->tableInterface()->columnCount(), 100);
            QAccessibleTableCellInterface *b5 = t->tableInterface()->cellAt(1, 4)->tableCellInterface();
            QCOMPARE(b5->rowHeaderCells().first()->text(QAccessible::Name) +
                         b5->columnHeaderCells().first()->text(QAccessible::Name),
                     "B5");
            QCOMPARE(w.cells(b).filter(b == Board::Own ? ", Wasser" : ", unbekannt").size(), 100);
        }

        // Placing: the cursor moves, Space sets a ship cell, Delete clears it.
        const std::pair<int, QString> moves[] = {
            {Qt::Key_Left, "A1, Wasser"},   {Qt::Key_Right, "A2, Wasser"},     {Qt::Key_Down, "B2, Wasser"},
            {Qt::Key_End, "B10, Wasser"},   {Qt::Key_PageDown, "J10, Wasser"}, {Qt::Key_Home, "J1, Wasser"},
            {Qt::Key_PageUp, "A1, Wasser"}, {Qt::Key_Space, "A1, Schiff"},     {Qt::Key_Right, "A2, Wasser"},
            {Qt::Key_Left, "A1, Schiff"},   {Qt::Key_Delete, "A1, Wasser"}};
        for (const auto &[k, name] : moves) {
            w.key(k);
            QCOMPARE(w.focused(), name);
            QCOMPARE(w.st().hoverCell,
                     (CellPos{name.mid(1, name.indexOf(u',') - 1).toInt() - 1, name[0].unicode() - 'A'}));
        }

        // "Schiffe zufällig platzieren" through the menu's keys, then Enter: Anna begins.
        QTRY_COMPARE(QApplication::activeWindow(), &w.form);
        w.key(Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        for (int k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(k));
        QCOMPARE(w.st().gamePhase, gpPlaced1);
        QCOMPARE(w.cells(Board::Own).filter(", Schiff").size(), 20);
        w.rng.push(0);
        w.key(Qt::Key_Return);
        QCOMPARE(w.st().gamePhase, gpFiring);
        QCOMPARE(w.focused(), "A1, unbekannt");
        QCOMPARE(w.ui("Label_Info")->text(QAccessible::Name),
                 "Sie sind an der Reihe. Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.");
        QCOMPARE(w.ui("DXDraw_Info")->child(1)->text(QAccessible::Name),
                 "Anna: bisher 0 Versuche; eigene Flotte: noch 10 von 10 Schiffen");

        // Anna finds every ship by keys; each result is read on its cell.
        const QList<CellPos> ships = ShipCells(w.st().playField[1]);
        for (const CellPos c : ships) {
            w.keyTo(c);
            w.key(Qt::Key_Space);
            const QString name = w.cell(Board::Control, c);
            QVERIFY(name.endsWith(", Treffer") || name.endsWith(", Schiff versenkt"));
        }
        QCOMPARE(w.ui("DXDraw_Info")->child(1)->text(QAccessible::Name),
                 "Anna: bisher 20 Versuche / Trefferquote: 100%; eigene Flotte: noch 10 von 10 Schiffen");
        QCOMPARE(w.cells(Board::Control).filter("versenkt").size(), 20);
        QCOMPARE(surface->text(QAccessible::Description),
                 "Herzlichen Glückwunsch, Anna! Alle Schiffe wurden gefunden!");

        // The computer fires alone; its last hit ends the game, said once.
        w.clock.advance(2000);
        QVERIFY(w.form.game().timerHub().poll());
        for (const CellPos c : ShipCells(w.st().playField[0])) {
            w.form.game().fireAt(c.x, c.y);
            QCOMPARE(w.cell(Board::Own, c).contains(", Schiff versenkt, letzter Schuss"),
                     w.st().controlField[1].at(c.x, c.y) == cfSunk);
        }
        QCOMPARE(w.st().gamePhase, gpFinished);
        QCOMPARE(surface->text(QAccessible::Description), "Das Spiel ist beendet.");
        w.key(Qt::Key_Return);
        QVERIFY(w.table(Board::Control)->state().invisible);
    }

    // Whatever the tree tells is the same whichever fleet hides where the
    // player cannot see; the own fleet, where shown, does show.
    void nothingHiddenLeaks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("local");
        QTest::addColumn<bool>("changeOver");
        QTest::newRow("the computer's fleet") << int(gmPCMode) << 0 << false;
        QTest::newRow("the peer's fleet, host") << int(gmTwoAtTwo) << 0 << false;
        QTest::newRow("the peer's fleet, guest") << int(gmTwoAtTwo) << 1 << false;
        QTest::newRow("both fleets at the change-over") << int(gmTwoAtOne) << 0 << true;
    }
    void nothingHiddenLeaks()
    {
        QFETCH(int, mode);
        QFETCH(int, local);
        QFETCH(bool, changeOver);
        Window w;
        GameState &st = w.st();
        st.gameMode = GameModeT(mode);
        st.localPlayer = st.currentPlayer = local;
        st.gamePhase = gpFiring;
        st.placementDone = pdLocal | pdRemote;
        GameTestAccess::changeOverTimer(w.form.game()).setEnabled(changeOver);
        const auto fleet = [&](int player, int seed) {
            ScriptedRandom rng({}, seed);
            st.playField[player].clear();
            Game::placeShipsRandomly(st.playField[player], rng);
        };
        fleet(0, 1);
        fleet(1, 2);
        QAccessibleInterface *tree = QAccessible::queryAccessibleInterface(&w.form);
        const QStringList before = treeTexts(tree);
        QCOMPARE(before.filter(QRegularExpression("^[A-J]([1-9]|10), ")).size(), 200);
        QVERIFY(w.cells(Board::Control).filter("Schiff").isEmpty());

        fleet(local ^ 1, 3);
        QCOMPARE(treeTexts(tree), before);
        fleet(local, 4);
        QCOMPARE(treeTexts(tree) == before, changeOver);
    }

    // Keys press only where a click would: never under a banner, on the
    // other side's turn, while waiting for the peer or without a game.
    void keysDoNothingWhereClicksDoNothing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("placed");
        QTest::addColumn<bool>("changeOver");
        QTest::newRow("no game") << int(gmPCMode) << int(gpNoGame) << 0 << 0 << false;
        QTest::newRow("countdown") << int(gmTwoAtOne) << int(gpFiring) << 0 << 0 << true;
        QTest::newRow("victory pause") << int(gmPCMode) << int(gpFiring) << 0 << 0 << true;
        QTest::newRow("computer thinking") << int(gmPCMode) << int(gpFiring) << 1 << 0 << false;
        QTest::newRow("peer's turn") << int(gmTwoAtTwo) << int(gpFiring) << 1 << 3 << false;
        QTest::newRow("peer placing") << int(gmTwoAtTwo) << int(gpPlaced1) << 0 << int(pdLocal) << false;
        QTest::newRow("finished") << int(gmPCMode) << int(gpFinished) << 0 << 0 << false;
    }
    void keysDoNothingWhereClicksDoNothing()
    {
        QFETCH(int, mode);
        QFETCH(int, phase);
        QFETCH(int, current);
        QFETCH(int, placed);
        QFETCH(bool, changeOver);
        Window w;
        GameState &st = w.st();
        st.gameMode = GameModeT(mode);
        st.gamePhase = GamePhaseT(phase);
        st.currentPlayer = current;
        st.placementDone = placed;
        st.playField[0] = st.playField[1] = GridFromRows(StandardFleetRows());
        GameTestAccess::changeOverTimer(w.form.game()).setEnabled(changeOver);
        const auto fields = [&] { return std::tuple(st.playField, st.controlField, st.tries, st.hoverCell); };
        const auto before = fields();
        for (int k :
             {Qt::Key_Space, Qt::Key_Delete, Qt::Key_Right, Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown})
            w.key(k);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
            for (QPoint p : {LeftBoardPixel(0, 0), RightBoardPixel(0, 0), RightBoardPixel(4, 0)})
                QTest::mouseClick(w.board, b, {}, p);
        QVERIFY(fields() == before);
        QVERIFY(w.ui("DXDraw")->focusChild() == nullptr);
    }
};

QTEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
