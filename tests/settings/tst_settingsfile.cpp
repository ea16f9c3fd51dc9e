#include "settings/IniFile.h"
#include "settings/SettingsFile.h"
#include "game/GameState.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

// The initialisation-file reader and writer, and "Settings.ini" on top of it.
class tst_SettingsFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int counter_ = 0;
    static constexpr int kSaves = 60;

    QString fileWith(const QByteArray &bytes, QString path = {})
    {
        if (path.isEmpty())
            path = dir_.filePath(QString("Settings%1.ini").arg(++counter_));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static IniFile loaded(const QString &path)
    {
        IniFile ini;
        if (!ini.load(path))
            qFatal("cannot load %s", qPrintable(path));
        return ini;
    }
    // Every stored value away from its default.
    static GameState changedSettings()
    {
        GameState st;
        st.shotSound = {207, 201};
        st.cellColors = {0, 0x0000FF, 0x123456, 0xFEDCBA};
        st.recentNames = {"Jörg Größer", "Computer"};
        st.changingTime = 21;
        st.localPlayer = 1;
        st.hostAddress = "gegner.example";
        st.computerLevel = clHard;
        return st;
    }

private slots:
    void editsTouchOnlyTheirOwnLines()
    {
        // Mixed line ends, comments, odd spacing, a stray line and another
        // user's section all come back byte for byte.
        const QByteArray before = "; kept comment\r\n[Bob - Options]\r\nSounds=0\n  SoundWater =  5  \r\n"
                                  "no equals sign here\r\n\r\n[anna - options]\r\nSOUNDS = 0\r\n"
                                  "; trailing comment of anna\r\n\r\n[Other]\r\nx=y";
        const QString path = fileWith(before);
        IniFile ini = loaded(path);
        ini.writeBool("Anna - Options", "Sounds", true);         // in place, key spelling kept
        ini.writeInteger("Anna - Options", "SoundShip", 104);    // after the section's last entry
        ini.writeString("Anna - RecentData", "Player1", "Anna"); // new section at the end
        QVERIFY(ini.save(path));
        QByteArray expected = before;
        expected.replace("SOUNDS = 0\r\n", "SOUNDS = 1\r\nSoundShip=104\r\n");
        expected += "\r\n[Anna - RecentData]\r\nPlayer1=Anna\r\n";
        QCOMPARE(bytesOf(path), expected);
        ini = loaded(path);
        ini.writeBool("ANNA - OPTIONS", "sounds", true); // the same value again changes nothing
        QCOMPARE(ini.toBytes(), expected);
    }

    // One file read with readString and readInteger (-99 when not a number).
    void lookup_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        auto row = [](const char *name, const char *section, const char *key, const char *text, int number) {
            QTest::newRow(name) << QString(section) << QString(key) << QString(text) << number;
        };
        row("case of section and key", "ANNA - options", "cOLOR1", "first", -99);
        row("blanks around names", "  Anna - Options ", " Color1 ", "first", -99);
        row("first key wins", "Anna - Options", "Dup", "1", 1);
        row("first section wins", "Anna - Options", "OnlyInSecond", "<def>", -99);
        row("value split at first =, trimmed", "Anna - Options", "Eq", "a=b = c", -99);
        row("empty value", "Anna - Options", "Empty", "", -99);
        row("comment is no key", "Anna - Options", ";Hidden", "<def>", -99);
        row("key of another section", "Bob - Options", "Eq", "<def>", -99);
        row("negative, blanks", "N", "a", "-5", -5);
        row("0x", "N", "b", "0x0A", 10);
        row("0X", "N", "c", "0X0a", 10);
        row("dollar", "N", "d", "$800000", 8388608);
        row("hex wraps", "N", "e", "$FFFFFFFF", -1);
        row("bare 0x", "N", "f", "0x", -99);
        row("bad hex digit", "N", "g", "0x1G", -99);
        row("digits then letters", "N", "h", "12abc", -99);
        row("too large", "N", "i", "99999999999", -99);
    }
    void lookup()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(int, number);
        const IniFile ini = loaded(fileWith("[Anna - Options]\r\nColor1=first\r\nDup=1\r\ndup=2\r\n"
                                            "Eq =\t a=b = c \t\r\nEmpty=\r\n;Hidden=1\r\n[Bob - Options]\r\n"
                                            "Color1=bob\r\n[anna - options]\r\nOnlyInSecond=2\r\n  [N]\r\n"
                                            "a= -5 \r\nb=0x0A\r\nc=0X0a\r\nd=$800000\r\ne=$FFFFFFFF\r\nf=0x\r\n"
                                            "g=0x1G\r\nh=12abc\r\ni=99999999999\r\n"));
        QCOMPARE(ini.readString(section, key, "<def>"), text);
        QCOMPARE(ini.readInteger(section, key, -99), number);
    }

    void encodings()
    {
        // Bytes that are not UTF-8 are Windows-1252, and are written back so.
        const QByteArray ansi = "[J\xF6rg - RecentData]\r\nPlayer1=J\xF6rg \x80\r\n; Gr\xFC\xDF\x65 \x80\r\n";
        const QString path = fileWith(ansi);
        IniFile ini = loaded(path);
        QVERIFY(ini.isWindows1252());
        QCOMPARE(ini.readString("JÖRG - RecentData", "Player1"), "Jörg €");
        ini.writeString("Jörg - RecentData", "Player2", "Müller € ☺");
        QVERIFY(ini.save(path));
        QCOMPARE(bytesOf(path),
                 ansi.left(ansi.indexOf(';')) + "Player2=M\xFCller \x80 ?\r\n" + ansi.mid(ansi.indexOf(';')));
        // A byte order mark stays.
        ini = loaded(fileWith("\xEF\xBB\xBF[S]\r\nK=1\r\n"));
        QVERIFY(!ini.isWindows1252());
        ini.writeInteger("S", "K", 2);
        QCOMPARE(ini.toBytes(), "\xEF\xBB\xBF[S]\r\nK=2\r\n");
        // A value stays on its line.
        ini.writeString("S", "Long", QString(3000, 'x'));
        ini.writeString("S", "Multi", "eins\r\nzwei\ndrei");
        QCOMPARE(ini.readString("S", "Long").size(), IniFile::MaxValueLength);
        QCOMPARE(ini.readString("S", "Multi"), "eins zwei drei");
        QCOMPARE(ini.toBytes().count('\n'), 4);
    }

    void failedWriteKeepsTheOldFile()
    {
        // A new file renamed over the old: a second name keeps the old bytes.
        const QString path = fileWith("[S]\r\nK=old\r\n");
        const QString link = dir_.filePath("atomic-link.ini");
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
        IniFile ini = loaded(path);
        ini.writeString("S", "K", "new");
        QVERIFY(ini.save(path));
        QCOMPARE(bytesOf(path), "[S]\r\nK=new\r\n");
        QCOMPARE(bytesOf(link), "[S]\r\nK=old\r\n");
        const QStringList files = QDir(dir_.path()).entryList({"atomic*", QFileInfo(path).fileName() + "*"});
        QCOMPARE(files.size(), 2); // QSaveFile's temporary file is gone
        // A target that cannot be written: a German message, and what is there stays.
        QVERIFY(QDir(dir_.path()).mkpath("blocked.ini/inner"));
        for (const QString &target :
             {dir_.filePath("blocked.ini"), dir_.filePath("no/such/folder/Settings.ini")}) {
            QString error;
            QVERIFY(!ini.save(target, &error));
            QCOMPARE(error, "In " + QDir::toNativeSeparators(target) + " kann nicht geschrieben werden");
            QCOMPARE(SettingsFile(target, "Anna").save(GameState(), true), error);
        }
        QCOMPARE(QDir(dir_.filePath("blocked.ini")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 {"inner"});
    }

    void everyKeySurvivesARestart()
    {
        const QString path = dir_.filePath("restart.ini");
        QCOMPARE(SettingsFile(path, "Anna").save(changedSettings(), false), QString());
        // Every key, in order, decimal, truth values as 1/0, CR LF.
        const QByteArray expected =
            "[Anna - Options]\r\nSounds=0\r\nSoundWater=207\r\nSoundShip=201\r\nColor1=255\r\n"
            "Color2=1193046\r\nColor3=16702650\r\n[Anna - RecentData]\r\n"
            "Player1=J\xC3\xB6rg Gr\xC3\xB6\xC3\x9F"
            "er\r\nPlayer2=Computer\r\n"
            "ChangingTime=21\r\nClient=1\r\nIP=gegner.example\r\nComputerLevel=Schwer\r\n";
        QCOMPARE(bytesOf(path), expected);
        GameState after;
        bool sounds = true;
        SettingsFile(path, "Anna").load(after, sounds);
        QCOMPARE(SettingsFile(path, "Anna").save(after, sounds), QString());
        QCOMPARE(bytesOf(path), expected);
    }

    // Without the file, and as users may have written it: missing and broken
    // values give the defaults, whatever the state held; hexadecimal and any
    // truth value count, only the colour bytes count.
    void loadedValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("values");
        QTest::newRow("no file") << QByteArray() << "1 1 101 8388608 65535 8421504 3 0 1";
        QTest::newRow("as users wrote them")
            << QByteArray("[ANNA - RECENTDATA]\r\nChangingTime=0x0A\r\nclient=2\r\nComputerLevel=Profi\r\n"
                          "[anna - options]\r\nSounds=zwei\r\nColor1=$0000FF\r\nColor2=-1\r\nSoundShip=0x\r\n")
            << "1 1 101 255 16777215 8421504 10 1 1";
        QTest::newRow("level in other case") << QByteArray("[Anna - RecentData]\r\nComputerLevel=lEICHT\r\n")
                                             << "1 1 101 8388608 65535 8421504 3 0 0";
    }
    void loadedValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, values);
        GameState st = changedSettings();
        bool sounds = false;
        SettingsFile(file.isEmpty() ? dir_.filePath("none.ini") : fileWith(file), "Anna").load(st, sounds);
        QStringList got{QString::number(sounds)};
        for (const qint64 v : {qint64(st.shotSound[0]), qint64(st.shotSound[1]), qint64(st.cellColors[1]),
                               qint64(st.cellColors[2]), qint64(st.cellColors[3]), qint64(st.changingTime),
                               qint64(st.localPlayer), qint64(st.computerLevel)})
            got << QString::number(v);
        QCOMPARE(got.join(u' '), values);
        QCOMPARE(st.recentNames, (std::array<QString, 2>{"", ""}));
        QCOMPARE(st.hostAddress, QString());
    }

    // Two accounts (processes) saving at once, login after login, lose nothing.
    void twoAccountsSavingAtOnce()
    {
        const QString path = fileWith("; shared by the family\r\n[Opa - Options]\r\nSounds=0\r\n");
        QProcess writers[2];
        for (int i = 0; i < 2; ++i)
            writers[i].start(QCoreApplication::applicationFilePath(),
                             {"--save", path, i == 0 ? "Anna" : "Bob", QString::number(kSaves)});
        for (QProcess &w : writers) {
            QVERIFY(w.waitForFinished(60000));
            QCOMPARE(w.exitCode(), 0);
        }
        for (const char *base : {"Anna", "Bob"})
            for (int i = 0; i < kSaves; ++i) {
                const QString login = base + QString::number(i);
                GameState st;
                bool sounds = false;
                SettingsFile(path, login.toLower()).load(st, sounds);
                QVERIFY2(st.recentNames[0] == login && sounds, qPrintable(login + " lost"));
            }
        QVERIFY(bytesOf(path).startsWith("; shared by the family\r\n[Opa - Options]\r\nSounds=0\r\n"));
    }

    // A file not the writer's, or in a folder he may not replace it in, is
    // written in place, whole and cut to length, keeping its owner and mode.
    void sharedFolders_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("writerOwnsTheFile");
        QTest::newRow("sticky shared folder") << 01777 << false;
        QTest::newRow("plain shared folder") << 0777 << false;
        QTest::newRow("own file, folder write-protected") << 0555 << true;
    }
    void sharedFolders()
    {
        QFETCH(int, folderMode);
        QFETCH(bool, writerOwnsTheFile);
        if (geteuid() != 0)
            QSKIP("needs root to act as a second user");
        constexpr uid_t Writer = 65534;
        const QString folder = dir_.filePath(QString("shared%1").arg(++counter_));
        QVERIFY(QDir().mkpath(folder) && ::chmod(QFile::encodeName(dir_.path()), 0755) == 0);
        const QString path =
            fileWith("; Familie\r\n[Nobody - RecentData]\r\nPlayer1=" + QByteArray(300, 'x') +
                         "\r\n[Opa - Options]\r\nSounds=0\r\n",
                     folder + "/Settings.ini");
        const uid_t owner = writerOwnsTheFile ? Writer : 0;
        QVERIFY(::chown(QFile::encodeName(path), owner, owner) == 0 &&
                ::chmod(QFile::encodeName(path), 0666) == 0 &&
                ::chmod(QFile::encodeName(folder), mode_t(folderMode)) == 0);

        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {"--save", path, "Nobody", "1", QString::number(Writer)});
        QVERIFY(writer.waitForFinished(60000));
        ::chmod(QFile::encodeName(folder), 0755);
        QCOMPARE(writer.exitCode(), 0);
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path), &st) == 0);
        QCOMPARE(st.st_uid, owner);
        QCOMPARE(st.st_mode & 07777, 0666u);
        const QByteArray after = bytesOf(path);
        QVERIFY2(after.startsWith("; Familie\r\n[Nobody - RecentData]\r\nPlayer1=Nobody\r\nPlayer2=\r\n") &&
                     after.contains("[Opa - Options]\r\nSounds=0\r\n[Nobody - Options]\r\nSounds=1\r\n") &&
                     after.endsWith("Color3=8421504\r\n"),
                 after.constData());
        QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        left.removeOne("Settings.ini.lock");
        QCOMPARE(left, QStringList{"Settings.ini"});
    }

    void sectionNamesAndLocation()
    {
        QCOMPARE(SettingsFile("x.ini", "  ").optionsSection(), "Benutzer - Options");
        QCOMPARE(SettingsFile("x.ini", "a]b[c").recentDataSection(), "a_b_c - RecentData");
        // Beside the program when that folder takes a file, else in the user's folder.
        const QString programDir = dir_.filePath("prog"), configDir = dir_.filePath("config/kielwanz");
        QVERIFY(QDir().mkpath(programDir));
        QCOMPARE(SettingsFile::ChoosePath(programDir, configDir), programDir + "/Settings.ini");
        QVERIFY(
            QDir(programDir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)); // probe gone
        QCOMPARE(SettingsFile::ChoosePath(dir_.filePath("missing"), configDir), configDir + "/Settings.ini");
        QVERIFY(QFileInfo(configDir).isDir());
        // A system-wide installation (also through a link), even for root.
        QVERIFY(QFile::link("/usr/games", dir_.filePath("games")));
        for (const QString &system : {QString("/usr/games"), dir_.filePath("games")})
            QCOMPARE(SettingsFile::ChoosePath(system, configDir), configDir + "/Settings.ini");
    }
};

// "--save <file> <login> <times> [<uid>]", as a second process (and user):
// saves as <login>0, <login>1, ... (once: <login>), Player1 the login, sounds on.
static int saveAs(const QStringList &args)
{
    const int times = args.value(4).toInt();
    if (args.size() > 5) {
        const uid_t uid = args[5].toUInt();
        if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
            return 3;
    }
    for (int i = 0; i < times; ++i) {
        const QString login = times == 1 ? args[3] : args[3] + QString::number(i);
        GameState st;
        st.recentNames[0] = login;
        if (!SettingsFile(args[2], login).save(st, true).isEmpty())
            return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == "--save")
        return saveAs(app.arguments());
    tst_SettingsFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_settingsfile.moc"
