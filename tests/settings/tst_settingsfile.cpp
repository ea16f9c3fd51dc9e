#include "dialogs/SettingsFile.h"
#include "game/GameState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_SettingsFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    int counter_ = 0;

    QString freshPath() { return dir_.filePath(QString("Settings%1.ini").arg(++counter_)); }
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray readBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void firstStartGivesDefaults()
    {
        GameState st;
        st.ShotSound = {7, 7};
        st.CellColors = {0, 1, 2, 3};
        st.RecentNames = {"x", "y"};
        st.ChangingTime = 9;
        st.LocalPlayer = 1;
        st.HostAddress = "h";
        bool sounds = false;
        SettingsFile("/nonexistent/dir/Settings.ini", "Anna").load(st, sounds);
        QCOMPARE(sounds, true);
        QCOMPARE(st.ShotSound, (std::array<int, 2>{1, 101}));
        QCOMPARE(st.CellColors[1], 0x800000u);
        QCOMPARE(st.CellColors[2], 0x00FFFFu);
        QCOMPARE(st.CellColors[3], 0x808080u);
        QCOMPARE(st.RecentNames, (std::array<QString, 2>{"", ""}));
        QCOMPARE(st.ChangingTime, 3);
        QCOMPARE(st.LocalPlayer, 0);
        QCOMPARE(st.HostAddress, QString());
    }

    void everyKeySurvivesARestart()
    {
        const QString path = freshPath();
        GameState before;
        before.ShotSound = {207, 201};
        before.CellColors = {0, 0x0000FF, 0x123456, 0xFEDCBA};
        before.RecentNames = {QString::fromUtf8("Jörg Größer"), "Computer"};
        before.ChangingTime = 21;
        before.LocalPlayer = 1;
        before.HostAddress = "gegner.example";
        QCOMPARE(SettingsFile(path, "Anna").save(before, false), QString());

        GameState after;
        bool sounds = true;
        SettingsFile(path, "Anna").load(after, sounds);
        QCOMPARE(sounds, false);
        QCOMPARE(after.ShotSound, before.ShotSound);
        QCOMPARE(after.CellColors, before.CellColors);
        QCOMPARE(after.RecentNames, before.RecentNames);
        QCOMPARE(after.ChangingTime, before.ChangingTime);
        QCOMPARE(after.LocalPlayer, 1);
        QCOMPARE(after.HostAddress, before.HostAddress);

        // Every key is written, in the table's order, as the file format
        // prescribes (decimal integers, 1/0 truth values, CR LF).
        QCOMPARE(readBytes(path), QByteArray("[Anna - Options]\r\n"
                                             "Sounds=0\r\n"
                                             "SoundWater=207\r\n"
                                             "SoundShip=201\r\n"
                                             "Color1=255\r\n"
                                             "Color2=1193046\r\n"
                                             "Color3=16702650\r\n"
                                             "[Anna - RecentData]\r\n"
                                             "Player1=J\xC3\xB6rg Gr\xC3\xB6\xC3\x9F"
                                             "er\r\n"
                                             "Player2=Computer\r\n"
                                             "ChangingTime=21\r\n"
                                             "Client=1\r\n"
                                             "IP=gegner.example\r\n"));
        // Saving unchanged values again changes nothing.
        QCOMPARE(SettingsFile(path, "Anna").save(after, false), QString());
        QCOMPARE(readBytes(path).count('\n'), 13);
    }

    void valuesAsUsersMayHaveWrittenThem_data()
    {
        QTest::addColumn<QByteArray>("recent");
        QTest::addColumn<int>("changingTime");
        QTest::addColumn<int>("localPlayer");
        QTest::newRow("hex change time") << QByteArray("ChangingTime=0x0A\r\n") << 10 << 0;
        QTest::newRow("letters give default") << QByteArray("ChangingTime=zehn\r\n") << 3 << 0;
        QTest::newRow("client 2 is guest") << QByteArray("client=2\r\n") << 3 << 1;
        QTest::newRow("client junk is host") << QByteArray("Client=ja\r\n") << 3 << 0;
    }
    void valuesAsUsersMayHaveWrittenThem()
    {
        QFETCH(QByteArray, recent);
        QFETCH(int, changingTime);
        QFETCH(int, localPlayer);
        const QString path = freshPath();
        writeBytes(path, "[ANNA - RECENTDATA]\r\n" + recent +
                             "[anna - options]\r\nColor1=$0000FF\r\nColor2=-1\r\nSoundShip=0x\r\n");
        GameState st;
        bool sounds = false;
        SettingsFile(path, "Anna").load(st, sounds);
        QCOMPARE(st.ChangingTime, changingTime);
        QCOMPARE(st.LocalPlayer, localPlayer);
        QCOMPARE(st.CellColors[1], 0xFFu);
        QCOMPARE(st.CellColors[2], 0xFFFFFFu);
        QCOMPARE(st.ShotSound[1], 101);
        QCOMPARE(sounds, true);
    }

    void twoUsersKeepTheirOwnValues()
    {
        const QString path = freshPath();
        writeBytes(path, "; shared by the family\r\n[Opa - Options]\r\nSounds=0\r\n");
        GameState anna, bob;
        anna.RecentNames = {"Anna", "Carla"};
        anna.ShotSound = {2, 102};
        bob.RecentNames = {"Bob", ""};
        bob.LocalPlayer = 1;
        bob.HostAddress = "10.0.0.7";
        QCOMPARE(SettingsFile(path, "Anna").save(anna, true), QString());
        QCOMPARE(SettingsFile(path, "Bob").save(bob, false), QString());

        GameState a, b;
        bool soundsA = false, soundsB = true;
        SettingsFile(path, "Anna").load(a, soundsA);
        SettingsFile(path, "Bob").load(b, soundsB);
        QCOMPARE(a.RecentNames, anna.RecentNames);
        QCOMPARE(a.ShotSound, anna.ShotSound);
        QCOMPARE(a.LocalPlayer, 0);
        QCOMPARE(soundsA, true);
        QCOMPARE(b.RecentNames, bob.RecentNames);
        QCOMPARE(b.HostAddress, QString("10.0.0.7"));
        QCOMPARE(b.LocalPlayer, 1);
        QCOMPARE(soundsB, false);
        QVERIFY(readBytes(path).startsWith("; shared by the family\r\n[Opa - Options]\r\nSounds=0\r\n"));
    }

    void failedSaveReportsAndKeepsTheTarget()
    {
        const QString path = dir_.filePath("Settings-dir.ini");
        QVERIFY(QDir().mkpath(path));
        GameState st;
        const QString message = SettingsFile(path, "Anna").save(st, true);
        QCOMPARE(message, "In " + QDir::toNativeSeparators(path) + " kann nicht geschrieben werden");
        QVERIFY(QFileInfo(path).isDir());
    }

    void sectionNames_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("options");
        QTest::newRow("plain") << "Anna"
                               << "Anna - Options";
        QTest::newRow("none") << ""
                              << "Benutzer - Options";
        QTest::newRow("blank") << "   "
                               << "Benutzer - Options";
        QTest::newRow("brackets") << "a]b[c"
                                  << "a_b_c - Options";
    }
    void sectionNames()
    {
        QFETCH(QString, login);
        QFETCH(QString, options);
        const SettingsFile file("x.ini", login);
        QCOMPARE(file.optionsSection(), options);
        QCOMPARE(file.recentDataSection(), options.replace("Options", "RecentData"));
    }

    void loginNameFromTheSystem() { QVERIFY(!SettingsFile::LoginName().isEmpty()); }

    void locationBesideTheProgramWhenWritable()
    {
        const QString programDir = dir_.filePath("prog");
        const QString configDir = dir_.filePath("config/kielwanz");
        QVERIFY(QDir().mkpath(programDir));
        QCOMPARE(SettingsFile::ChoosePath(programDir, configDir), QDir(programDir).filePath("Settings.ini"));
        QVERIFY(QDir(programDir).entryList(QDir::Files | QDir::Hidden).isEmpty()); // probe removed
        // A folder that cannot take the file sends it to the user's folder.
        QCOMPARE(SettingsFile::ChoosePath(dir_.filePath("missing"), configDir),
                 QDir(configDir).filePath("Settings.ini"));
        QVERIFY(QFileInfo(configDir).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_SettingsFile)
#include "tst_settingsfile.moc"
