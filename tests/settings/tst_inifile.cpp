#include "dialogs/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class tst_IniFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot create %s", qPrintable(path));
        f.write(bytes);
        return path;
    }
    static QByteArray readBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void editsTouchOnlyTheirOwnLines()
    {
        // Mixed line ends, comments, odd spacing, a stray line and another
        // user's section must all come back unchanged.
        const QByteArray before = "; kept comment\r\n"
                                  "[Bob - Options]\r\n"
                                  "Sounds=0\n"
                                  "  SoundWater =  5  \r\n"
                                  "no equals sign here\r\n"
                                  "\r\n"
                                  "[anna - options]\r\n"
                                  "SOUNDS = 0\r\n"
                                  "; trailing comment of anna\r\n"
                                  "\r\n"
                                  "[Other]\r\n"
                                  "x=y";
        const QString path = writeFile("edit.ini", before);
        IniFile ini;
        QVERIFY(ini.load(path));
        ini.writeBool("Anna - Options", "Sounds", true);         // in place, key spelling kept
        ini.writeInteger("Anna - Options", "SoundShip", 104);    // appended after the last entry
        ini.writeString("Anna - RecentData", "Player1", "Anna"); // new section at the end
        QVERIFY(ini.save(path));
        const QByteArray expected = "; kept comment\r\n"
                                    "[Bob - Options]\r\n"
                                    "Sounds=0\n"
                                    "  SoundWater =  5  \r\n"
                                    "no equals sign here\r\n"
                                    "\r\n"
                                    "[anna - options]\r\n"
                                    "SOUNDS = 1\r\n"
                                    "SoundShip=104\r\n"
                                    "; trailing comment of anna\r\n"
                                    "\r\n"
                                    "[Other]\r\n"
                                    "x=y\r\n"
                                    "[Anna - RecentData]\r\n"
                                    "Player1=Anna\r\n";
        QCOMPARE(readBytes(path), expected);
        // Rewriting the same values changes nothing.
        IniFile again;
        QVERIFY(again.load(path));
        again.writeBool("ANNA - OPTIONS", "sounds", true);
        QCOMPARE(again.toBytes(), expected);
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << "Anna - Options"
                               << "Color1"
                               << "first";
        QTest::newRow("case of section and key") << "ANNA - options"
                                                 << "cOLOR1"
                                                 << "first";
        QTest::newRow("blanks around names") << "  Anna - Options "
                                             << " Color1 "
                                             << "first";
        QTest::newRow("first key wins") << "Anna - Options"
                                        << "Dup"
                                        << "one";
        QTest::newRow("first section wins") << "Anna - Options"
                                            << "OnlyInSecond"
                                            << "<def>";
        QTest::newRow("value split at first =") << "Anna - Options"
                                                << "Eq"
                                                << "a=b=c";
        QTest::newRow("value trimmed") << "Anna - Options"
                                       << "Spaced"
                                       << "in the middle";
        QTest::newRow("empty value") << "Anna - Options"
                                     << "Empty"
                                     << "";
        QTest::newRow("comment is no key") << "Anna - Options"
                                           << ";Hidden"
                                           << "<def>";
        QTest::newRow("missing section") << "Nobody - Options"
                                         << "Color1"
                                         << "<def>";
        QTest::newRow("key of another section") << "Bob - Options"
                                                << "Eq"
                                                << "<def>";
    }
    void lookup()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString path = writeFile("lookup.ini", "[Anna - Options]\r\n"
                                                     "Color1=first\r\n"
                                                     "Dup=one\r\n"
                                                     "dup=two\r\n"
                                                     "Eq = a=b=c\r\n"
                                                     "Spaced =\t in the middle \t\r\n"
                                                     "Empty=\r\n"
                                                     ";Hidden=1\r\n"
                                                     "[Bob - Options]\r\n"
                                                     "Color1=bob\r\n"
                                                     "[anna - options]\r\n"
                                                     "OnlyInSecond=2\r\n");
        IniFile ini;
        QVERIFY(ini.load(path));
        QCOMPARE(ini.readString(section, key, "<def>"), expected);
    }

    void integers_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("10") << 10;
        QTest::newRow("negative") << QByteArray("-5") << -5;
        QTest::newRow("blanks") << QByteArray("  7  ") << 7;
        QTest::newRow("0x lower") << QByteArray("0x0A") << 10;
        QTest::newRow("0X upper") << QByteArray("0X0a") << 10;
        QTest::newRow("dollar") << QByteArray("$800000") << 8388608;
        QTest::newRow("hex wraps") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("bare 0x") << QByteArray("0x") << -99;
        QTest::newRow("bare dollar") << QByteArray("$") << -99;
        QTest::newRow("letters") << QByteArray("abc") << -99;
        QTest::newRow("digits then letters") << QByteArray("12abc") << -99;
        QTest::newRow("bad hex digit") << QByteArray("0x1G") << -99;
        QTest::newRow("too large") << QByteArray("99999999999") << -99;
        QTest::newRow("empty") << QByteArray("") << -99;
    }
    void integers()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const QString path = writeFile("int.ini", "[S]\r\nN=" + value + "\r\n");
        IniFile ini;
        QVERIFY(ini.load(path));
        QCOMPARE(ini.readInteger("S", "N", -99), expected);
        QCOMPARE(ini.readInteger("S", "Missing", -99), -99);
    }

    void booleans()
    {
        const QString path = writeFile("bool.ini", "[S]\r\nTwo=2\r\nZero=0\r\nJunk=ja\r\n");
        IniFile ini;
        QVERIFY(ini.load(path));
        QCOMPARE(ini.readBool("S", "Two", false), true);
        QCOMPARE(ini.readBool("S", "Zero", true), false);
        QCOMPARE(ini.readBool("S", "Junk", true), true);
        QCOMPARE(ini.readBool("S", "Junk", false), false);
        QCOMPARE(ini.readBool("S", "Missing", true), true);
    }

    void missingFileIsEmptyAndSaveCreatesIt()
    {
        IniFile ini;
        QVERIFY(ini.load(dir_.filePath("fresh.ini")));
        QVERIFY(!ini.hasKey("S", "K"));
        QCOMPARE(ini.readString("S", "K", "d"), QString("d"));
        ini.writeString("Jörg - RecentData", "Player1", QString::fromUtf8("Jörg €"));
        ini.writeInteger("Jörg - RecentData", "ChangingTime", 3);
        QVERIFY(ini.save(dir_.filePath("fresh.ini")));
        QCOMPARE(readBytes(dir_.filePath("fresh.ini")),
                 QByteArray(
                     "[J\xC3\xB6rg - RecentData]\r\nPlayer1=J\xC3\xB6rg \xE2\x82\xAC\r\nChangingTime=3\r\n"));
    }

    void unreadableFileFails()
    {
        QVERIFY(QDir(dir_.path()).mkpath("isadir.ini"));
        IniFile ini;
        QVERIFY(!ini.load(dir_.filePath("isadir.ini")));
    }

    void twoUsersInOneFile()
    {
        const QString path = dir_.filePath("shared.ini");
        QFile::remove(path);
        for (const char *user : {"Anna", "Bob"}) {
            IniFile ini;
            QVERIFY(ini.load(path));
            ini.writeString(QString(user) + " - RecentData", "Player1", QString(user) + "s Flotte");
            ini.writeBool(QString(user) + " - Options", "Sounds", QString(user) == "Anna");
            QVERIFY(ini.save(path));
        }
        IniFile ini;
        QVERIFY(ini.load(path));
        QCOMPARE(ini.readString("anna - recentdata", "player1"), QString("Annas Flotte"));
        QCOMPARE(ini.readString("BOB - RecentData", "Player1"), QString("Bobs Flotte"));
        QCOMPARE(ini.readBool("Anna - Options", "Sounds", false), true);
        QCOMPARE(ini.readBool("Bob - Options", "Sounds", true), false);
    }

    void windows1252StaysWindows1252()
    {
        // "ö" and "€" as single Windows-1252 bytes: not valid UTF-8.
        const QByteArray before = "[J\xF6rg - RecentData]\r\nPlayer1=J\xF6rg\r\n; Gr\xFC\xDF"
                                  "e \x80\r\n";
        const QString path = writeFile("ansi.ini", before);
        IniFile ini;
        QVERIFY(ini.load(path));
        QVERIFY(ini.isWindows1252());
        QCOMPARE(ini.readString(QString::fromUtf8("JÖRG - RecentData"), "Player1"),
                 QString::fromUtf8("Jörg"));
        ini.writeString(QString::fromUtf8("Jörg - RecentData"), "Player2", QString::fromUtf8("Müller € ☺"));
        QVERIFY(ini.save(path));
        QCOMPARE(readBytes(path), before.left(before.indexOf(';')) + "Player2=M\xFCller \x80 ?\r\n" +
                                      before.mid(before.indexOf(';')));
    }

    void utf8ByteOrderMarkIsKept()
    {
        const QByteArray before = "\xEF\xBB\xBF[S]\r\nK=1\r\n";
        const QString path = writeFile("bom.ini", before);
        IniFile ini;
        QVERIFY(ini.load(path));
        QVERIFY(!ini.isWindows1252());
        QCOMPARE(ini.readInteger("S", "K", 0), 1);
        ini.writeInteger("S", "K", 2);
        QCOMPARE(ini.toBytes(), QByteArray("\xEF\xBB\xBF[S]\r\nK=2\r\n"));
    }

    void longValuesAreCutAndLineBreaksFlattened()
    {
        IniFile ini;
        ini.writeString("S", "Long", QString(3000, 'x'));
        ini.writeString("S", "Multi", "eins\r\nzwei\ndrei");
        QCOMPARE(ini.readString("S", "Long").size(), IniFile::MaxValueLength);
        QCOMPARE(ini.readString("S", "Multi"), QString("eins zwei drei"));
        QCOMPARE(ini.toBytes().count('\n'), 3);
    }

    void deleteKeyRemovesOnlyThatLine()
    {
        IniFile ini;
        ini.writeString("S", "A", "1");
        ini.writeString("S", "B", "2");
        ini.deleteKey("s", "a");
        ini.deleteKey("S", "Missing");
        QCOMPARE(ini.toBytes(), QByteArray("[S]\r\nB=2\r\n"));
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("target is a directory") << "blocked.ini";
        QTest::newRow("folder missing") << "no/such/folder/Settings.ini";
    }
    void failedWriteKeepsOldFile()
    {
        QFETCH(QString, target);
        QVERIFY(QDir(dir_.path()).mkpath("blocked.ini"));
        writeFile("blocked.ini/inside.txt", "keep");
        IniFile ini;
        ini.writeString("S", "K", "V");
        QString error;
        const QString path = dir_.filePath(target);
        QVERIFY(!ini.save(path, &error));
        QCOMPARE(error, QString("In %1 kann nicht geschrieben werden").arg(QDir::toNativeSeparators(path)));
        QCOMPARE(readBytes(dir_.filePath("blocked.ini/inside.txt")), QByteArray("keep"));
        QCOMPARE(QDir(dir_.filePath("blocked.ini")).entryList(QDir::Files), QStringList{"inside.txt"});
    }

    void saveReplacesTheFileInsteadOfOverwritingIt()
    {
        // A second name for the old file keeps the old bytes: the new content
        // went to a fresh file that was renamed over the old name, so nothing
        // was ever half-written in place.
        const QString path = writeFile("atomic.ini", "[S]\r\nK=old\r\n");
        const QString link = dir_.filePath("atomic-link.ini");
        QFile::remove(link);
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
        IniFile ini;
        QVERIFY(ini.load(path));
        ini.writeString("S", "K", "new");
        QVERIFY(ini.save(path));
        QCOMPARE(readBytes(path), QByteArray("[S]\r\nK=new\r\n"));
        QCOMPARE(readBytes(link), QByteArray("[S]\r\nK=old\r\n"));
        const QStringList left = QDir(dir_.path()).entryList({"atomic*"}, QDir::Files);
        QCOMPARE(left, (QStringList{"atomic-link.ini", "atomic.ini"}));
    }
};

QTEST_GUILESS_MAIN(tst_IniFile)
#include "tst_inifile.moc"
