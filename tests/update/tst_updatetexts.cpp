#include "update/TStatusForm.h"
#include "update/UpdateDates.h"
#include "update/UpdateListFile.h"

#include <QtTest>

// Byte sizes, news bullets, dates and the server's update list.
class tst_updatetexts : public QObject {
    Q_OBJECT

    static double at(int y, int m, int d, int h = 0, int min = 0)
    {
        return UpdateDates::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min)));
    }

private slots:
    void formatByteSize_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("longNames");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1536") << 1 << false << qint64(1536) << QStringLiteral("1,5 KB");
        QTest::newRow("1000") << 1 << false << qint64(1000) << QStringLiteral("1000 Byte");
        QTest::newRow("2 MB") << 1 << false << qint64(2097152) << QStringLiteral("2 MB");
        QTest::newRow("0") << 1 << false << qint64(0) << QStringLiteral("0 Byte");
        QTest::newRow("1023") << 1 << false << qint64(1023) << QStringLiteral("1023 Byte");
        QTest::newRow("1024") << 1 << false << qint64(1024) << QStringLiteral("1 KB");
        QTest::newRow("just under 1 MB") << 1 << false << qint64(1048575) << QStringLiteral("1024 KB");
        QTest::newRow("1,3 MB") << 1 << false << qint64(1363149) << QStringLiteral("1,3 MB");
        QTest::newRow("123,5 KB") << 1 << false << qint64(126464) << QStringLiteral("123,5 KB");
        QTest::newRow("GB") << 1 << false << (qint64(3) << 30) << QStringLiteral("3 GB");
        QTest::newRow("TB is the largest") << 1 << false << (qint64(2048) << 40) << QStringLiteral("2048 TB");
        QTest::newRow("long names") << 1 << true << qint64(1536) << QStringLiteral("1,5 Kilobyte");
        QTest::newRow("long TB") << 0 << true << (qint64(5) << 40) << QStringLiteral("5 Terrabyte");
        QTest::newRow("two decimals") << 2 << false << qint64(1300) << QStringLiteral("1,27 KB");
    }
    void formatByteSize()
    {
        QFETCH(int, decimals);
        QFETCH(bool, longNames);
        QFETCH(qint64, size);
        QFETCH(QString, expected);
        QCOMPARE(TStatusForm::FormatByteSize(decimals, longNames, size), expected);
    }

    void newsToBulletList_data()
    {
        QTest::addColumn<QString>("news");
        QTest::addColumn<QString>("expected");
        // The program file was written on 10 May 2024 at 14:30.
        QTest::newRow("two days before: dropped") << QStringLiteral("08.05.2024: alt") << QString();
        QTest::newRow("same day: kept")
            << QStringLiteral("10.05.2024: neu") << QStringLiteral("- 10.05.2024: neu\r\n");
        QTest::newRow("later, short form")
            << QStringLiteral("1.6.2024: Fehler behoben") << QStringLiteral("- 1.6.2024: Fehler behoben\r\n");
        QTest::newRow("no date: shown unchanged")
            << QStringLiteral("Bessere Grafik") << QStringLiteral("- Bessere Grafik\r\n");
        QTest::newRow("colon without date: shown")
            << QStringLiteral("Hinweis: neu") << QStringLiteral("- Hinweis: neu\r\n");
        QTest::newRow("invalid date: shown")
            << QStringLiteral("31.02.2024: x") << QStringLiteral("- 31.02.2024: x\r\n");
        QTest::newRow("default text") << QStringLiteral("\"keine Angaben gefunden\"")
                                      << QStringLiteral("- \"keine Angaben gefunden\"\r\n");
        QTest::newRow("several lines, in order")
            << QStringLiteral("12.05.2024: b\r\n01.01.2024: a\n11.05.2024: c")
            << QStringLiteral("- 12.05.2024: b\r\n- 11.05.2024: c\r\n");
        QTest::newRow("empty") << QString() << QString();
    }
    void newsToBulletList()
    {
        QFETCH(QString, news);
        QFETCH(QString, expected);
        QCOMPARE(TStatusForm::NewsToBulletList(news, at(2024, 5, 10, 14, 30)), expected);
    }

    void germanDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("dd.mm.yyyy") << QStringLiteral("14.01.2004") << QDate(2004, 1, 14);
        QTest::newRow("d.m.yyyy") << QStringLiteral(" 4.1.2004 ") << QDate(2004, 1, 4);
        QTest::newRow("two-digit year") << QStringLiteral("14.01.04") << QDate(2004, 1, 14);
        QTest::newRow("month first is not read") << QStringLiteral("01/14/2004") << QDate();
        QTest::newRow("ISO is not read") << QStringLiteral("2004-01-14") << QDate();
        QTest::newRow("no such day") << QStringLiteral("30.02.2004") << QDate();
        QTest::newRow("text") << QStringLiteral("gestern") << QDate();
    }
    void germanDates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const auto date = UpdateDates::parseGermanDate(text);
        QCOMPARE(date.value_or(QDate()), expected);
    }

    void serialDates()
    {
        QCOMPARE(UpdateDates::fromDate(QDate(1899, 12, 30)), 0.0);
        QCOMPARE(UpdateDates::fromDate(QDate(2004, 1, 14)), 38000.0);
        QCOMPARE(UpdateDates::fromDateTime(QDateTime(QDate(2004, 1, 14), QTime(18, 0))), 38000.75);
        QCOMPARE(UpdateDates::toDate(38000.75), QDate(2004, 1, 14));
        QVERIFY(!UpdateDates::toDate(std::numeric_limits<double>::quiet_NaN()).isValid());
    }

    void updateList()
    {
        UpdateListFile list;
        list.loadText(
            "\xEF\xBB\xBF; Kommentar\r\n[Andere]\r\nDate=01.01.2030\r\n[kielwanz]\r\n"
            " Date = 14.01.2004 \r\nFile=\"Neu.zip\"\r\nDate=15.01.2004\r\nMüll ohne Gleichheitszeichen\r\n"
            "[Leer]\r\n; nichts\r\n[Ü]\nNews=" +
            QByteArray(3000, 'x') + "\n");
        QVERIFY(list.sectionPresent(QStringLiteral("Kielwanz")));
        QCOMPARE(list.readString(QStringLiteral("Kielwanz"), QStringLiteral("date")),
                 QStringLiteral("14.01.2004"));
        QCOMPARE(list.readString(QStringLiteral("Kielwanz"), QStringLiteral("File")),
                 QStringLiteral("Neu.zip"));
        QCOMPARE(list.readString(QStringLiteral("Kielwanz"), QStringLiteral("News"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QVERIFY(!list.sectionPresent(QStringLiteral("Leer")));
        QVERIFY(!list.sectionPresent(QStringLiteral("Fehlt")));
        QCOMPARE(list.readString(QStringLiteral("ü"), QStringLiteral("News")).size(), 2047);
    }

    void updateListInLatin1()
    {
        UpdateListFile list;
        list.loadText("[Kielwanz]\r\nNews=01.06.2024: Schiffe gr\xF6\xDF\x65r\r\n");
        QCOMPARE(list.readString(QStringLiteral("Kielwanz"), QStringLiteral("News")),
                 QStringLiteral("01.06.2024: Schiffe größer"));
    }
};

QTEST_MAIN(tst_updatetexts)
#include "tst_updatetexts.moc"
