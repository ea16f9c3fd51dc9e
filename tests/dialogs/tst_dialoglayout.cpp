#include "dialogs/AboutDialog.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/ColorDialog.h"
#include "dialogs/NewGameWizard.h"
#include "dialogs/SoundDialog.h"
#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "presentation/DesktopFace.h"
#include "support/GameTestAccess.h"
#include "support/LayoutCheck.h"
#include "support/RecordingEffects.h"

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

    template <class T = QWidget> static T *at(const QWidget &d, const char *n) { return d.findChild<T *>(n); }

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
        GameTestAccess::state(d.game).changingTime = 6; // "Sekunden" on both pages, the longer unit
        GameTestAccess::state(d.game).recentNames = {QStringLiteral("WWWWWWWWWW"),
                                                     QStringLiteral("MMMMMMMMMM")};
        if (face == QLatin1String("system"))
            adoptDesktopFace(); // what the program does to every 8-point window at start
        for (QDialog *dialog : std::initializer_list<QDialog *>{&d.wizard, &d.sounds, &d.colours, &d.about}) {
            if (!face.isEmpty() && face != QLatin1String("system"))
                dialog->setFont(QFont(face, points));
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            CheckWindowLayout(dialog);
        }
        auto *pages = d.wizard.findChild<QStackedWidget *>();
        for (const char *page : {"Mode1", "Mode2", "Mode3"}) {
            pages->setCurrentWidget(at(d.wizard, page));
            CheckWindowLayout(&d.wizard);
        }
        // The network page as guest and as host, with a long line of addresses.
        d.wizard.showFoundGames({{QStringLiteral("WWWWWWWWWW (auf WWWWWWWWWWWWWWW)"), {}}}, {});
        d.wizard.showHostAddresses(QStringLiteral("Dieser Computer: WWWWWWWWWWWWWWW – 255.255.255.255, ") +
                                   QStringLiteral("2001:db8:ffff:ffff:ffff:ffff:ffff:ffff, ").repeated(3) +
                                   u'…');
        for (const char *role : {"RadioButton_M2Client", "RadioButton_M2Host"}) {
            at<QRadioButton>(d.wizard, role)->setChecked(true);
            CheckWindowLayout(&d.wizard);
        }
        // The connection state, the longest texts with names of full length.
        auto *state = at<QLabel>(d.wizard, "Label_M2IPState");
        for (int i = 0; i <= 6; ++i) {
            state->setText(FormatText(Texts::WizardText(i),
                                      {QStringLiteral("WWWWWWWWWW"), QStringLiteral("WWWWWWWWWW")}));
            QVERIFY2(state->heightForWidth(state->width()) <= state->height(), qPrintable(state->text()));
        }
        QCOMPARE(at(d.wizard, "Button_Back")->y(), pages->geometry().bottom() + 8);
        QCOMPARE(at(d.wizard, "Button_Forward")->geometry().right() + 1, d.wizard.width() - 6);
        QCOMPARE(d.sounds.height() - at(d.sounds, "Button_OK")->geometry().bottom(), 9);
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
        const QWidget &w = d.wizard, &s = d.sounds, &c = d.colours, &a = d.about;
        // clang-format off
        const QList<std::pair<const QWidget *, QRect>> designed{
            {&w, {0, 0, 489, 193}}, {w.findChild<QStackedWidget *>(), {8, 8, 473, 145}},
            {at(w, "Button_Cancel"), {8, 160, 75, 25}}, {at(w, "Button_Back"), {320, 160, 75, 25}},
            {at(w, "Button_Forward"), {408, 160, 75, 25}}, {w.findChild<QGroupBox *>(), {6, 2, 459, 139}},
            {at(w, "Edit_M1Player1"), {136, 24, 150, 21}}, {at(w, "SpinEdit_ComputerTime"), {184, 68, 50, 21}},
            {at(w, "Label_M2IPState"), {8, 98, 455, 40}}, {at(w, "Edit_M2Player"), {136, 8, 150, 21}},
            {&s, {0, 0, 243, 153}}, {at(s, "Label1"), {8, 8, 217, 33}}, {at(s, "Label2"), {0, 52, 52, 21}},
            {at(s, "Label3"), {0, 84, 52, 21}}, {at(s, "Button_OK"), {28, 120, 75, 25}},
            {at(s, "Button_Cancel"), {140, 120, 75, 25}}, {&c, {0, 0, 345, 185}},
            {at(c, "LxColorComboBox_Color1"), {160, 52, 177, 26}}, {at(c, "Button_OK"), {79, 152, 75, 25}},
            {at(c, "LxColorComboBox_Color2"), {160, 84, 177, 26}}, {at(c, "Button_Cancel"), {191, 152, 75, 25}},
            {at(c, "LxColorComboBox_Color3"), {160, 116, 177, 26}}, {at(c, "Label1"), {8, 8, 313, 33}},
            {&a, {0, 0, 435, 132}}, {at(a, "LogoPB"), {0, 0, 435, 65}}, {at(a, "OK"), {177, 101, 81, 25}}};
        const QList<std::tuple<const QWidget *, int, int>> rightEdges{
            {at(c, "Label2"), 153, 56}, {at(c, "Label3"), 153, 88}, {at(c, "Label4"), 153, 120},
            {at(a, "InfoLbl"), 430, 69}, {at(a, "EMailLbl"), 432, 100}, {at(a, "URLLbl"), 432, 113},
            {at(s, "ComboBox_WaterSound"), 233, 52}, {at(s, "ComboBox_ShipSound"), 233, 84}};
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
