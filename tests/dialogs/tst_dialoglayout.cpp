#include "support/GameTestAccess.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/NewGameWizard.h"
#include "dialogs/SoundDialog.h"
#include "dialogs/ColorDialog.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/ColorComboBox.h"
#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "support/RecordingEffects.h"

#include <QtTest>
#include <QtWidgets>

// The dialogs keep their designed geometry; in any face every text shows whole, nothing overlaps.
class tst_dialoglayout : public QObject {
    Q_OBJECT

    struct Dialogs {
        RecordingEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game{fx, rng, clock};
        std::array<int, 2> shot{1, 101};
        AboutDialog about; // first: it gives only the windows existing now the system's face
        NewGameWizard wizard{game};
        SoundDialog sounds{shot};
        ColorDialog colours{game};
    };

    // Every control shown lies inside its parent, overlaps none of its
    // siblings and none of the frames around it, and shows its whole text.
    static void checkWindow(const QWidget *window)
    {
        QList<QWidget *> shown = window->findChildren<QWidget *>();
        shown.removeIf([window](QWidget *w) { return !w->isVisibleTo(window); });
        const auto at = [window](const QWidget *w, QRect r) {
            return r.translated(w->mapTo(window, QPoint()));
        };
        const auto where = [](const QWidget *w) {
            return QDebug::toString(w->geometry()) + w->property("text").toString() +
                   w->metaObject()->className();
        };
        for (const QWidget *w : shown) {
            const QSize hint = w->sizeHint(), least = w->minimumSizeHint();
            const auto *frame = qobject_cast<const QFrame *>(w);
            const bool framed = qobject_cast<const QGroupBox *>(w) || (frame && frame->frameWidth() > 0);
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(where(w)));
            for (const QWidget *v : shown) {
                if (v != w && v->parentWidget() == w->parentWidget())
                    QVERIFY2(!v->geometry().intersects(w->geometry()), qPrintable(where(v) + where(w)));
                if (framed && v != w && !v->isAncestorOf(w) && at(v, v->rect()).intersects(at(w, w->rect())))
                    QVERIFY2(at(w, w->contentsRect()).contains(at(v, v->rect())),
                             qPrintable(where(v) + where(w)));
            }
            bool fits = true;
            if (const auto *l = qobject_cast<const QLabel *>(w))
                fits = l->wordWrap() ? l->heightForWidth(l->width()) <= l->height()
                                     : w->width() >= hint.width() && w->height() >= hint.height();
            else if (qobject_cast<const QPushButton *>(w))
                fits = w->width() >= DialogLayout::buttonWidthFor(w) && w->height() >= hint.height();
            else if (qobject_cast<const QRadioButton *>(w))
                fits = w->width() >= hint.width() &&
                       w->height() >= std::max(w->fontMetrics().height(),
                                               w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));
            else if (qobject_cast<const QSpinBox *>(w) || qobject_cast<const QComboBox *>(w))
                fits = w->width() >= hint.width() && w->height() >= least.height();
            else if (qobject_cast<const QLineEdit *>(w) && !qobject_cast<const QSpinBox *>(w->parentWidget()))
                fits = w->height() >= least.height();
            QVERIFY2(fits, qPrintable(where(w)));
        }
    }

private slots:
    void everyTextFits_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::newRow("as made") << QString() << 8;
        QTest::newRow("system face") << QStringLiteral("system") << 8;
        QTest::newRow("DejaVu Sans") << QStringLiteral("DejaVu Sans") << 8;
        QTest::newRow("DejaVu Sans 12 pt") << QStringLiteral("DejaVu Sans") << 12;
    }
    void everyTextFits()
    {
        QFETCH(QString, face);
        QFETCH(int, points);
        Dialogs d;
        GameTestAccess::state(d.game).ChangingTime = 6; // "Sekunden" on both pages, the longer unit
        GameTestAccess::state(d.game).RecentNames = {QStringLiteral("WWWWWWWWWW"), QStringLiteral("MMMMMMMMMM")};
        if (face == QLatin1String("system"))
            AboutDialog::AdoptSystemFont(); // what the about dialog does to every 8-point window
        for (QDialog *dialog : std::initializer_list<QDialog *>{&d.wizard, &d.sounds, &d.colours, &d.about}) {
            if (!face.isEmpty() && face != QLatin1String("system"))
                dialog->setFont(QFont(face, points));
            if (dialog == &d.about && points > 8)
                continue; // made for the 8-point faces only
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            checkWindow(dialog);
        }
        for (QWidget *page : {d.wizard.TabSheet_Mode1, d.wizard.TabSheet_Mode2, d.wizard.TabSheet_Mode3}) {
            d.wizard.PageControl->setCurrentWidget(page);
            checkWindow(&d.wizard);
        }
        // The connection state, the longest texts with names of full length.
        QLabel *state = d.wizard.Label_M2IPState;
        for (int i = 0; i <= 6; ++i) {
            state->setText(FormatText(Texts::WizardText(i),
                                      {QStringLiteral("WWWWWWWWWW"), QStringLiteral("WWWWWWWWWW")}));
            QVERIFY2(state->heightForWidth(state->width()) <= state->height(), qPrintable(state->text()));
        }
        QCOMPARE(d.wizard.Button_Back->y(), d.wizard.PageControl->geometry().bottom() + 8);
        QCOMPARE(d.wizard.Button_Forward->geometry().right() + 1, d.wizard.width() - 6);
        QCOMPARE(d.sounds.height() - d.sounds.Button_OK->geometry().bottom(), 9);
    }

    // In the faces designed for (Arial's metrics, the narrower MS Sans Serif's) every control keeps
    // its place to the pixel; a label sized to its text keeps its right edge and its top.
    void designedGeometry()
    {
        Dialogs d;
        QFont narrow(QStringLiteral("Liberation Sans"));
        narrow.setPixelSize(10);
        for (QDialog *dialog : std::initializer_list<QDialog *>{&d.wizard, &d.sounds, &d.about})
            dialog->setFont(QFont(QStringLiteral("Liberation Sans"), 8));
        d.colours.setFont(narrow);
        if (QFontInfo(d.wizard.font()).family() != QLatin1String("Liberation Sans"))
            QSKIP("Liberation Sans is not installed");
        const auto &w = d.wizard;
        const auto &c = d.colours;
        // clang-format off
        const QList<std::pair<const QWidget *, QRect>> designed{
            {&w, {0, 0, 489, 193}}, {w.PageControl, {8, 8, 473, 145}}, {w.Button_Cancel, {8, 160, 75, 25}},
            {w.Button_Back, {320, 160, 75, 25}}, {w.Button_Forward, {408, 160, 75, 25}},
            {w.GroupBox_Mode, {6, 2, 459, 139}}, {w.Edit_M1Player1, {136, 24, 150, 21}},
            {w.SpinEdit_ComputerTime, {184, 68, 50, 21}}, {w.Label_M2IPState, {8, 98, 455, 40}},
            {w.Edit_M2Player, {136, 8, 150, 21}},
            {&d.sounds, {0, 0, 243, 153}}, {d.sounds.Label1, {8, 8, 217, 33}}, {d.sounds.Label2, {0, 52, 52, 21}},
            {d.sounds.Label3, {0, 84, 52, 21}}, {d.sounds.Button_OK, {28, 120, 75, 25}},
            {d.sounds.Button_Cancel, {140, 120, 75, 25}},
            {&c, {0, 0, 345, 185}}, {c.Label1, {8, 8, 313, 33}}, {c.LxColorComboBox_Color1, {160, 52, 177, 26}},
            {c.LxColorComboBox_Color2, {160, 84, 177, 26}}, {c.LxColorComboBox_Color3, {160, 116, 177, 26}},
            {c.Button_OK, {79, 152, 75, 25}}, {c.Button_Cancel, {191, 152, 75, 25}},
            {&d.about, {0, 0, 435, 132}}, {d.about.LogoPB, {0, 0, 435, 65}}, {d.about.OK, {177, 101, 81, 25}}};
        const QList<std::tuple<const QWidget *, int, int>> rightEdges{
            {c.Label2, 153, 56}, {c.Label3, 153, 88}, {c.Label4, 153, 120}, {d.about.InfoLbl, 430, 69},
            {d.about.EMailLbl, 432, 100}, {d.about.URLLbl, 432, 113}, {d.sounds.ComboBox_WaterSound, 233, 52},
            {d.sounds.ComboBox_ShipSound, 233, 84}};
        // clang-format on
        for (const auto &[widget, r] : designed)
            QCOMPARE(widget->isWindow() ? QRect(QPoint(), widget->size()) : widget->geometry(), r);
        for (const auto &[widget, right, top] : rightEdges) // combo boxes: centred on a row 21 high
            QCOMPARE(QPoint(widget->geometry().right() + 1, widget->y()),
                     QPoint(right, top + std::min(0, (21 - widget->height()) / 2)));
    }
};

QTEST_MAIN(tst_dialoglayout)
#include "tst_dialoglayout.moc"
