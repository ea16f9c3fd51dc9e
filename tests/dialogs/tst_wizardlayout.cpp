#include "support/GameTestAccess.h"
#include "dialogs/TForm2.h"
#include "dialogs/TInfo.h"
#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "support/RecordingEffects.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

// Every text of the wizard's four pages is fully visible in the face the
// wizard actually uses, and nothing overlaps.
class tst_wizardlayout : public QObject {
    Q_OBJECT

    struct Fixture {
        RecordingEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game{fx, rng, clock};
        TForm2 wizard{game};
    };

    // Text plus the style's margins; some styles pad every button to 80
    // pixels, which is not needed to show the caption.
    static int buttonNeeds(const QPushButton *b)
    {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        if (b->autoDefault() || b->isDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        const int margins =
            b->style()->sizeFromContents(QStyle::CT_PushButton, &opt, QSize(500, 20), b).width() - 500;
        return b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width() + margins;
    }

    static QString where(const QWidget *w)
    {
        QString text = w->property("text").toString();
        if (text.isEmpty())
            text = w->metaObject()->className();
        return QStringLiteral("'%1' at %2,%3 %4x%5")
            .arg(text)
            .arg(w->x())
            .arg(w->y())
            .arg(w->width())
            .arg(w->height());
    }

    // The controls of one parent: all shown, all inside it, none overlapping.
    static void checkSiblings(const QWidget *parent)
    {
        QList<QWidget *> kids = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        kids.removeIf([](QWidget *w) { return w->isWindow() || w->inherits("QValidator"); });
        for (int i = 0; i < kids.size(); ++i) {
            QVERIFY2(parent->rect().contains(kids[i]->geometry()), qPrintable(where(kids[i])));
            for (int j = i + 1; j < kids.size(); ++j)
                QVERIFY2(!kids[i]->geometry().intersects(kids[j]->geometry()),
                         qPrintable(where(kids[i]) + QStringLiteral(" overlaps ") + where(kids[j])));
        }
    }

    // No control sits on a frame line: whatever reaches into a frame (a group
    // box, the pages' panel, a rule) lies wholly inside its contents, for a
    // group box below the title.
    static void checkFrames(const QWidget *window)
    {
        QList<QWidget *> shown = window->findChildren<QWidget *>();
        shown.removeIf([window](QWidget *w) { return !w->isVisibleTo(window); });
        const auto at = [window](const QWidget *w, QRect r) {
            return r.translated(w->mapTo(window, QPoint()));
        };
        for (const QWidget *f : shown) {
            const auto *frame = qobject_cast<const QFrame *>(f);
            if (!qobject_cast<const QGroupBox *>(f) && !(frame && frame->frameWidth() > 0))
                continue;
            const QRect inside = f->contentsRect();
            for (const QWidget *w : shown)
                if (w != f && !w->isAncestorOf(f) && at(w, w->rect()).intersects(at(f, f->rect())))
                    QVERIFY2(at(f, inside).contains(at(w, w->rect())),
                             qPrintable(where(w) + QStringLiteral(" on the frame of ") + where(f)));
        }
    }

    static void checkTexts(const QWidget *page)
    {
        for (const QLabel *l : page->findChildren<QLabel *>()) {
            if (l->wordWrap())
                QVERIFY2(l->heightForWidth(l->width()) <= l->height(), qPrintable(where(l)));
            else
                QVERIFY2(l->width() >= l->sizeHint().width() && l->height() >= l->sizeHint().height(),
                         qPrintable(where(l)));
        }
        for (const QRadioButton *b : page->findChildren<QRadioButton *>()) {
            const int indicator = b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, b);
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(where(b)));
            QVERIFY2(b->height() >= std::max(indicator, b->fontMetrics().height()), qPrintable(where(b)));
        }
        for (const QLineEdit *e : page->findChildren<QLineEdit *>()) {
            if (qobject_cast<const QSpinBox *>(e->parent()) != nullptr)
                continue;
            QVERIFY2(e->height() >= e->minimumSizeHint().height(), qPrintable(where(e)));
        }
        for (const QComboBox *c : page->findChildren<QComboBox *>())
            QVERIFY2(c->width() >= c->sizeHint().width() && c->height() >= c->minimumSizeHint().height(),
                     qPrintable(where(c)));
        for (const QSpinBox *s : page->findChildren<QSpinBox *>())
            QVERIFY2(s->width() >= s->sizeHint().width() && s->height() >= s->minimumSizeHint().height(),
                     qPrintable(where(s)));
    }

private slots:
    void everyTextFits_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::newRow("as made") << QString() << 8;
        QTest::newRow("system face") << QStringLiteral("system") << 8;
        QTest::newRow("Liberation Sans") << QStringLiteral("Liberation Sans") << 8;
        QTest::newRow("DejaVu Sans") << QStringLiteral("DejaVu Sans") << 8;
        QTest::newRow("DejaVu Sans 12 pt") << QStringLiteral("DejaVu Sans") << 12;
    }
    void everyTextFits()
    {
        QFETCH(QString, face);
        QFETCH(int, points);
        Fixture f;
        GameTestAccess::state(f.game).ChangingTime = 6; // "Sekunden" on both pages, the longer unit
        GameTestAccess::state(f.game).RecentNames = {QStringLiteral("WWWWWWWWWW"), QStringLiteral("MMMMMMMMMM")};
        QCOMPARE(f.wizard.font().pointSize(), 8);
        if (face == QLatin1String("system")) {
            TInfo::AdoptSystemFont(); // what the about dialog does to every 8-point window
            QCOMPARE(f.wizard.font().family(), QApplication::font("QMessageBox").family());
        } else if (!face.isEmpty()) {
            QFont font = f.wizard.font();
            font.setFamily(face);
            font.setPointSize(points);
            f.wizard.setFont(font);
        }
        f.wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.wizard));

        const QList<QWidget *> pages{f.wizard.TabSheet_Standard, f.wizard.TabSheet_Mode1,
                                     f.wizard.TabSheet_Mode2, f.wizard.TabSheet_Mode3};
        for (QWidget *page : pages) {
            f.wizard.PageControl->setCurrentWidget(page);
            QCOMPARE(page->geometry(), f.wizard.PageControl->contentsRect());
            checkSiblings(page);
            checkTexts(page);
            checkFrames(&f.wizard);
        }
        checkSiblings(f.wizard.GroupBox_Mode);
        checkSiblings(f.wizard.RadioButton_M2Host->parentWidget());

        // The connection state, the longest texts with names of full length.
        QLabel *state = f.wizard.Label_M2IPState;
        const QString name = QStringLiteral("WWWWWWWWWW");
        for (int i = 0; i <= 6; ++i) {
            state->setText(FormatText(Texts::WizardText(i), {name, name}));
            QVERIFY2(state->heightForWidth(state->width()) <= state->height(), qPrintable(state->text()));
        }

        checkSiblings(&f.wizard);
        for (QPushButton *b : {f.wizard.Button_Cancel, f.wizard.Button_Back, f.wizard.Button_Forward})
            QVERIFY2(b->width() >= buttonNeeds(b) && b->height() >= b->sizeHint().height(),
                     qPrintable(where(b)));
        QCOMPARE(f.wizard.Button_Back->y(), f.wizard.PageControl->geometry().bottom() + 8);
        QCOMPARE(f.wizard.Button_Forward->geometry().right() + 1, f.wizard.width() - 6);
        f.wizard.close();
    }

    // Where the texts fit the designed window is kept to the pixel.
    void designedGeometryWhenTheTextsFit()
    {
        Fixture f;
        QFont font = f.wizard.font();
        font.setFamily(QStringLiteral("Liberation Sans")); // the metrics of Arial
        f.wizard.setFont(font);
        if (QFontInfo(f.wizard.font()).family() != QLatin1String("Liberation Sans"))
            QSKIP("Liberation Sans is not installed");
        QCOMPARE(f.wizard.size(), QSize(489, 193));
        QCOMPARE(f.wizard.PageControl->geometry(), QRect(8, 8, 473, 145));
        QCOMPARE(f.wizard.Button_Cancel->geometry(), QRect(8, 160, 75, 25));
        QCOMPARE(f.wizard.Button_Back->geometry(), QRect(320, 160, 75, 25));
        QCOMPARE(f.wizard.Button_Forward->geometry(), QRect(408, 160, 75, 25));
        QCOMPARE(f.wizard.GroupBox_Mode->geometry(), QRect(6, 2, 459, 139));
        QCOMPARE(f.wizard.Edit_M1Player1->geometry(), QRect(136, 24, 150, 21));
        QCOMPARE(f.wizard.SpinEdit_ComputerTime->geometry(), QRect(184, 68, 50, 21));
        QCOMPARE(f.wizard.Label_M2IPState->geometry(), QRect(8, 98, 455, 40));
    }
};

QTEST_MAIN(tst_wizardlayout)
#include "tst_wizardlayout.moc"
