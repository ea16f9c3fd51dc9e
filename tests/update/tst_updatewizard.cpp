#include "UpdateTestSupport.h"
#include "update/HttpClient.h"
#include "update/TStatusForm.h"
#include "update/UpdateDates.h"
#include "update/UpdateListFile.h"
#include "update/UpdateSettingsStore.h"
#include "update/install/PrepareInstall.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>

// The wizard's texts, its HTTP client, and the wizard driven through its
// steps against a real server on loopback.
class tst_updatewizard : public QObject {
    Q_OBJECT

    UpdateTestServer server;

    // The program file was written on 10 May 2024 at 14:30; today is 1 June 2024.
    static double programDate()
    {
        return UpdateDates::fromDateTime(QDateTime(QDate(2024, 5, 10), QTime(14, 30)));
    }

    struct Wizard {
        UpdateTestPlatform env;
        TStatusForm form;
        explicit Wizard(const QString &base) : env(base), form(env.platform)
        {
            form.ProgramName = form.RegistryKey = "Kielwanz";
            form.ZIPFileName = "Brackwen.zip";
            form.ProgramDate = programDate();
            form.AbortDeleteDelayMs = 300;
            form.CheckDeadlineMs = 1500;
            form.show();
        }
        QString archive() const { return env.tempDir() + "Brackwen.zip"; }
        void check()
        {
            if (form.CurrentStep == 0)
                QTest::mouseClick(form.Button_Next, Qt::LeftButton);
            QTest::mouseClick(form.Button_Check, Qt::LeftButton);
        }
        // Check and download; returns when the transfer has ended.
        void download()
        {
            check();
            QCOMPARE(form.CurrentStep, 2);
            QTest::mouseClick(form.Button_Next, Qt::LeftButton);
        }
        UpdateSettingsStore store() const
        {
            return UpdateSettingsStore(env.platform.settingsFile(false), "Kielwanz");
        }
        QStringList tempFiles() const { return QDir(env.tempDir()).entryList(QDir::Files); }
        // "<step> <page> <title>" of what the wizard shows.
        QString page() const
        {
            return QString("%1 %2 ").arg(form.CurrentStep).arg(form.Pages->currentIndex()) +
                   form.Panel_Title->text();
        }
    };

    static QString shown(const char *utf8) { return QString::fromUtf8(utf8).replace("\r\n", "\n"); }
    static QByteArray body(int size)
    {
        QByteArray b(size, '\0');
        for (int i = 0; i < size; ++i)
            b[i] = char(i * 7);
        return b;
    }
    // An update list with an update, reached through a redirection to another host, and its archive
    // dripped slowly.
    void serveUpdate(int size, int chunk, double delay, bool length = true)
    {
        server.put("mirror/Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\nFile=Brackwen 2.zip\r\n");
        server.put("Updates/Brackwen 2.zip", body(size));
        const QJsonObject drip{
            {"file", "Updates/Brackwen 2.zip"}, {"chunk", chunk}, {"delay", delay}, {"length", length}};
        server.setRoutes(
            {{"/Updates.ini",
              QJsonObject{{"status", 302}, {"location", "http://localhost:{port}/mirror/Updates.ini"}}},
             {"/Updates/Brackwen%202.zip", drip}});
    }
private slots:
    void initTestCase() { QVERIFY2(server.running(), "python3 test server did not start"); }
    void init() { server.setRoutes({}); }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        auto size = [](const char *name, qint64 bytes, const char *expected, int decimals = 1,
                       bool longNames = false) {
            QTest::newRow(name) << TStatusForm::FormatByteSize(decimals, longNames, bytes)
                                << QString(expected);
        };
        size("1536", 1536, "1,5 KB");
        size("1000", 1000, "1000 Byte");
        size("2 MB", 2097152, "2 MB");
        size("just under 1 MB", 1048575, "1024 KB");
        size("TB is the largest", qint64(2048) << 40, "2048 TB");
        size("long names", 1536, "1,5 Kilobyte", 1, true);
        size("two decimals", 1300, "1,27 KB", 2);
        auto news = [](const char *name, const char *news, const char *expected) {
            QTest::newRow(name) << TStatusForm::NewsToBulletList(news, programDate()) << QString(expected);
        };
        news("news two days before: dropped", "08.05.2024: alt", "");
        news("news short, blanks, 2-digit year", " 9.5.24 : alt", "");
        news("news of the same day: kept", "10.05.2024: neu", "- 10.05.2024: neu\r\n");
        news("news later, short form", "1.6.2024: behoben", "- 1.6.2024: behoben\r\n");
        news("news, colon without date", "Hinweis: neu", "- Hinweis: neu\r\n");
        news("news, ISO is no date here", "2024-01-14: x", "- 2024-01-14: x\r\n");
        news("news, no such day", "31.02.2024: x", "- 31.02.2024: x\r\n");
        news("news, several lines", "12.05.2024: b\r\n01.01.2024: a\n\n11.05.2024: c",
             "- 12.05.2024: b\r\n- 11.05.2024: c\r\n");
    }
    void texts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void updateList()
    {
        UpdateListFile list;
        list.loadText(
            "\xEF\xBB\xBF; Kommentar\r\n[Andere]\r\nDate=01.01.2030\r\n[kielwanz]\r\n"
            " Date = 14.01.2004 \r\nFile=\"Neu.zip\"\r\nDate=15.01.2004\r\nMüll ohne Gleichheitszeichen\r\n"
            "[Leer]\r\n; nichts\r\n[Ü]\nNews=" +
            QByteArray(3000, 'x') + "\n");
        QCOMPARE(list.readString("Kielwanz", "date"), "14.01.2004");
        QCOMPARE(list.readString("Kielwanz", "File"), "Neu.zip");
        QCOMPARE(list.readString("Kielwanz", "News", "d"), "d");
        QVERIFY(list.sectionPresent("Kielwanz"));
        QVERIFY(!list.sectionPresent("Leer"));
        QVERIFY(!list.sectionPresent("Fehlt"));
        QCOMPARE(list.readString("ü", "News").size(), 2047);
        list.loadText("[Kielwanz]\r\nNews=01.06.2024: gr\xF6\xDF\x65r\r\n"); // Latin-1
        QCOMPARE(list.readString("Kielwanz", "News"), "01.06.2024: größer");
    }

    void addressesAndQuickRequests()
    {
        HttpClient http;
        http.Host = QUrl("https://updates.example/kw/");
        QCOMPARE(http.addressOf("Updates/Neue Version?.zip").toString(QUrl::FullyEncoded),
                 "https://updates.example/kw/Updates/Neue%20Version%3F.zip");
        QCOMPARE(http.addressOf("Updates/http://evil/x").host(), "updates.example");
        // Each wait ends on its own transfer's notice, however quickly the last one ended.
        server.put("tiny", "x");
        http.Host = QUrl(server.base());
        QTemporaryDir dir;
        for (int i = 0; i < 50; ++i)
            QCOMPARE(http.Get("tiny", dir.filePath("tiny")), HttpClient::Result::Ok);
    }

    void httpsChecksCertificates()
    {
        QTemporaryDir dir;
        const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                  "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                                  "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert, "-batch"});
        if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0)
            QSKIP("openssl could not make a test certificate");
        UpdateTestServer secure({cert, key});
        QVERIFY(secure.running());
        secure.put("Updates.ini", "[Kielwanz]\r\n");
        const QString file = dir.filePath("list.ini");
        HttpClient http;
        http.Host = QUrl(secure.base());
        QSignalSpy connection(&http, &HttpClient::connectionFailed);
        QCOMPARE(http.Get("Updates.ini", file), HttpClient::Result::ConnectionFailed); // not trusted
        QCOMPARE(connection.size(), 1);
        QVERIFY(secure.requests().isEmpty());
        http.CaFile = cert;
        QCOMPARE(http.Get("Updates.ini", file), HttpClient::Result::Ok);
        QCOMPARE(ReadAll(file), "[Kielwanz]\r\n");
        // A secure server cannot send the client on to a plain address.
        secure.setRoutes(
            {{"/Updates.ini", QJsonObject{{"status", 302}, {"location", server.base() + "Updates.ini"}}}});
        const qsizetype plainBefore = server.requests().size();
        QCOMPARE(http.Get("Updates.ini", file), HttpClient::Result::Failed);
        QCOMPARE(server.requests().size(), plainBefore);
    }

    void check_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("how");    // "404", "redirect", "refused", "offline", "trickle"
        QTest::addColumn<QString>("result"); // "-": no update, "!": failed, else the news shown
        auto row = [](const char *name, const QByteArray &list, const char *result, const char *how = "") {
            QTest::newRow(name) << list << QString(how) << QString(result);
        };
        const QByteArray update = "[Kielwanz]\r\nDate=01.06.2024\r\n";
        row("program's own day", "[Kielwanz]\r\nDate=10.05.2024\r\n", "-");
        row("the next day, older news", "[Kielwanz]\r\nDate=11.05.2024\r\nNews=08.05.2024: Alt\r\n", "");
        row("Date missing: today, no news", "[Kielwanz]\r\nFile=a.zip\r\n", "- \"keine Angaben gefunden\"\n");
        row("Date unreadable: today", "[Kielwanz]\r\nDate=bald\r\nNews=10.05.2024: Farben\r\n",
            "- 10.05.2024: Farben\n");
        row("undated news", "[Kielwanz]\r\nDate=20.05.2024\r\nNews=Schneller\r\n", "- Schneller\n");
        row("no section", "[Anderes]\r\nDate=01.01.2030\r\n", "-");
        row("empty section", "[Kielwanz]\r\n[Anderes]\r\nDate=01.01.2030\r\n", "-");
        row("empty file", "", "-");
        row("404", update, "!", "404");
        row("redirect to 404", update, "!", "redirect");
        row("list too large", QByteArray(TStatusForm::MaxUpdateListSize + 1, ';'), "!");
        row("list trickling past the deadline", update + QByteArray(60, ';'), "!", "trickle");
        row("refused", update, "!", "refused");
        row("offline", update, "!", "offline");
    }
    void check()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, how);
        QFETCH(QString, result);
        server.put("Updates.ini", list);
        if (how == u"404")
            server.setRoutes({{"/Updates.ini", QJsonObject{{"status", 404}}}});
        if (how == u"redirect")
            server.setRoutes({{"/Updates.ini", QJsonObject{{"status", 301}, {"location", "/weg.ini"}}}});
        if (how == u"trickle") // 3 bytes a second: never silent, never done
            server.setRoutes({{"/Updates.ini", QJsonObject{{"chunk", 3}, {"delay", 1}}}});
        Wizard w(how == u"refused" ? QString("http://127.0.0.1:%1/").arg(UpdateTestServer::closedPort())
                                   : server.base());
        w.env.rec->online = how != u"offline";
        QSignalSpy failed(w.form.HTTP, &HttpClient::failure),
            refused(w.form.HTTP, &HttpClient::connectionFailed);
        const qsizetype requestsBefore = server.requests().size();
        w.check();
        QVERIFY2(w.tempFiles().isEmpty(), qPrintable(w.tempFiles().join(u' ')));
        QCOMPARE(refused.size(), how == u"refused" ? 1 : 0);
        QCOMPARE(failed.size(), result == u"!" && how != u"refused" && how != u"offline" ? 1 : 0);
        QCOMPARE(server.requests().size() == requestsBefore, how == u"offline" || how == u"refused");
        QCOMPARE(w.env.rec->notices, result == u"!"
                                         ? QStringList{"Internetverbindung erforderlich: Es besteht keine "
                                                       "Internetverbindung."}
                                         : QStringList());
        if (result == u"!") {
            QCOMPARE(w.page(), "1 1 Auf neue Updates prüfen");
            QVERIFY(!w.form.Button_Next->isEnabled());
            if (how == u"refused")
                return;
            // Once the server answers, a second click checks again.
            server.setRoutes({});
            server.put("Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\n");
            w.env.rec->online = true;
            QTest::mouseClick(w.form.Button_Check, Qt::LeftButton);
            QVERIFY(w.form.UpdateAvailable);
            result = "- \"keine Angaben gefunden\"\n";
        }
        const bool available = result != u"-";
        QCOMPARE(w.page(), "2 2 Ergebnis der Prüfung");
        QCOMPARE(w.form.UpdateAvailable, available);
        QVERIFY(w.form.Button_Next->isEnabled());
        QCOMPARE(w.form.Button_Next->text(), available ? "Weiter >" : "Beenden");
        QCOMPARE(w.form.Button_Cancel->isEnabled(), available);
        QCOMPARE(w.form.Label_CheckResult->text(),
                 available ? shown(TStatusForm::CheckResultTexts[1]).replace("%s", result)
                           : shown(TStatusForm::CheckResultTexts[0]));
    }

    void download_data()
    {
        QTest::addColumn<bool>("length");
        QTest::addColumn<QString>("status");
        QTest::newRow("Content-Length") << true << "64 KB von 64 KB gedownloadet";
        QTest::newRow("no Content-Length") << false << "64 KB von 0 Byte gedownloadet";
    }
    void download()
    {
        QFETCH(bool, length);
        QFETCH(QString, status);
        serveUpdate(64 * 1024, 4096, 0.02, length);
        Wizard w(server.base());
        QStringList percents, times;
        connect(w.form.HTTP, &HttpClient::work, &w.form, [&] {
            if (w.form.Downloading) // read the display once the wizard has taken the report
                QTimer::singleShot(0, &w.form, [&] {
                    if (!w.form.Downloading)
                        return;
                    percents << w.form.PerCent->text();
                    times << w.form.TimeLeft->text();
                    QCOMPARE(w.form.Pages->currentIndex(), 3);
                    QVERIFY(!w.form.Button_Next->isEnabled());
                });
        });
        // A link planted where the archive goes is replaced, not followed.
        const QString outside = w.env.dir.filePath("fremd");
        QVERIFY(WriteAll(outside, "fremd") && QFile::link(outside, w.archive()));
        w.download();
        QCOMPARE(w.page(), "3 3 Download der Updates");
        QCOMPARE(ReadAll(outside), "fremd");
        QVERIFY(!QFileInfo(w.archive()).isSymLink());
        QCOMPARE(ReadAll(w.archive()), body(64 * 1024));
        QVERIFY(
            server.requests().last().startsWith("/Updates/Brackwen%202.zip localhost:")); // host of the list
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[1]));
        QVERIFY(!w.form.CancelDownload->isVisible());
        QCOMPARE(w.form.PerCent->text(), "100 %");
        QCOMPARE(w.form.StatusLabel->text(), status);
        QCOMPARE(w.form.TimeLeft->text(), "verbleibende Zeit: 00:00:00");
        QCOMPARE(w.form.Status->value(), w.form.Status->maximum());
        percents.removeDuplicates();
        if (length) { // the display moved while the archive came in
            QVERIFY2(percents.size() >= 3 && percents.first() != "100 %", qPrintable(percents.join(u',')));
            QVERIFY(!times.filter(QRegularExpression("^verbleibende Zeit: 00:00:0\\d$")).isEmpty());
        } else {
            QCOMPARE(percents, QStringList{"100 %"});
        }
        QVERIFY(w.form.Button_Next->isEnabled());
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        QCOMPARE(w.page(), "4 4 Installieren");
        QVERIFY(w.form.CheckBox_Restart->isChecked());
    }

    void stopDuringDownload_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Download abbrechen, Ja, retry") << "Download" << QStringList{"Ja"} << false;
        QTest::newRow("close box, Nein") << "close box" << QStringList{"Nein"} << false;
        QTest::newRow("close box, Ja") << "close box" << QStringList{"Ja"} << true;
        QTest::newRow("Abbrechen, Nein") << "Abbrechen" << QStringList{"Nein"} << false;
        QTest::newRow("Abbrechen, Ja; Nein cannot undo it")
            << "Abbrechen" << QStringList{"Ja", "Nein"} << true;
    }
    void stopDuringDownload()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, answers);
        QFETCH(bool, closed);
        const bool aborted = answers.first() == u"Ja";
        const int size = 32 * 1024;
        serveUpdate(size, 2048, 0.02);
        Wizard w(server.base());
        w.env.rec->answers = answers;
        bool visibleAfterClick = false, clicked = false;
        connect(
            w.form.HTTP, &HttpClient::work, &w.form,
            [&](qint64, qint64 received) {
                if (received < 4096 || std::exchange(clicked, true))
                    return;
                if (button == u"close box")
                    w.form.close();
                else
                    QTest::mouseClick(button == u"Abbrechen" ? w.form.Button_Cancel : w.form.CancelDownload,
                                      Qt::LeftButton);
                visibleAfterClick = w.form.isVisible(); // a close waits for the transfer to stop
            },
            Qt::QueuedConnection);
        w.download();
        QVERIFY(visibleAfterClick);
        QCOMPARE(w.env.rec->questions.size(), answers.size());
        QCOMPARE(w.env.rec->questions.first(), "Soll der Download wirklich abgebrochen werden?");
        QCOMPARE(w.env.rec->beeps, answers.size());
        QCOMPARE(w.form.isVisible(), !closed);
        QCOMPARE(w.form.DownloadAborted, aborted);
        QCOMPARE(ReadAll(w.archive()).size() == size, !aborted);
        QVERIFY(!w.form.TerminateRequested);
        if (aborted && !closed) {
            QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[0]));
            QCOMPARE(w.form.CancelDownload->text(), "Erneut versuchen");
            QVERIFY(w.form.CancelDownload->isVisible() && !w.form.Button_Next->isEnabled());
            // Retried before the partial file's deletion is due: the deletion must not hit the new file.
            serveUpdate(size, 0, 0);
            QTest::mouseClick(w.form.CancelDownload, Qt::LeftButton);
            QCOMPARE(w.page(), "3 3 Download der Updates");
            QVERIFY(!w.form.DownloadAborted);
            QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[1]));
            QVERIFY(w.form.Button_Next->isEnabled());
            QTest::qWait(400);
            QCOMPARE(ReadAll(w.archive()), body(size));
        }
        if (!closed)
            return;
        // The next showing starts afresh.
        w.form.show();
        QCOMPARE(w.page(), "0 0 Willkommen");
        QVERIFY(!w.form.DownloadAborted && !w.form.CancelRequested && !w.form.UpdateAvailable);
        QVERIFY(w.form.Button_Next->isEnabled() && w.form.Button_Cancel->isEnabled());
        serveUpdate(size, 0, 0);
        w.download();
        QCOMPARE(ReadAll(w.archive()).size(), size);
        QVERIFY(!w.form.CancelDownload->isVisible());
    }

    void failedArchiveDownload_data()
    {
        QTest::addColumn<QJsonObject>("route");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("written");                  // whether any of the body reached the file
        const qint64 mib = 1 << 20, huge = qint64(1) << 50; // JSON keeps it exact
        QTest::newRow("missing") << QJsonObject{{"status", 404}} << 256 * mib << false;
        QTest::newRow("endless body") << QJsonObject{{"endless", true}, {"length", false}} << mib << true;
        QTest::newRow("announced beyond the limit")
            << QJsonObject{{"endless", true}, {"length", 256 * mib + 1}} << 256 * mib << false;
        QTest::newRow("announced beyond the free space")
            << QJsonObject{{"endless", true}, {"length", huge}} << 4 * huge << false;
    }
    void failedArchiveDownload()
    {
        QFETCH(QJsonObject, route);
        QFETCH(qint64, limit);
        QFETCH(bool, written);
        server.put("Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\nFile=a.zip\r\n");
        server.put("Updates/a.zip", body(64 * 1024));
        route["file"] = "Updates/a.zip";
        server.setRoutes({{"/Updates/a.zip", route}});
        Wizard w(server.base());
        w.form.MaxArchiveSize = limit;
        qint64 received = 0;
        connect(w.form.HTTP, &HttpClient::work,
                [&](qint64, qint64 r) { received = w.form.Downloading ? r : 0; });
        QTimer::singleShot(15000, w.form.HTTP, &HttpClient::Abort); // an unbounded download is stopped here
        w.download();
        QCOMPARE(received > 0, written);
        QVERIFY(received <= limit);
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[0]));
        QCOMPARE(w.form.CancelDownload->text(), "Erneut versuchen");
        QVERIFY(!w.form.Button_Next->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(w.archive()), 500); // the partial file goes at once
    }

    void pagesAndSettingsRoundTrip()
    {
        Wizard w(server.base());
        QCOMPARE(w.form.windowTitle(), "Updates installieren");
        QCOMPARE(w.page(), "0 0 Willkommen");
        const QImage image = w.form.PaintBox_Process->grab().toImage();
        QCOMPARE(image.width(), 225);
        QCOMPARE(image.pixelColor(0, 5), QColor(155, 183, 230));
        QCOMPARE(image.pixelColor(112, 5), QColor(204, 218, 242));
        QCOMPARE(image.pixelColor(224, 5), QColor(254, 254, 254));
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        QVERIFY(!w.form.Button_Next->isEnabled());
        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QCOMPARE(w.page(), "1 6 Einstellungen");
        QVERIFY(!w.form.Button_Settings->isVisible());
        QVERIFY(w.form.RadioButton_AutoUpdt->isChecked());
        QCOMPARE(w.form.SpinEdit_AutoUpdt->value(), 7);
        w.form.SpinEdit_AutoUpdt->setValue(14);
        QTest::mouseClick(w.form.Button_SettingsSave, Qt::LeftButton);
        QCOMPARE(w.page(), "1 1 Auf neue Updates prüfen");
        QVERIFY(w.form.Button_Settings->isVisible());
        QCOMPARE(w.env.readSettings(false), "[Software\\Lx\\Kielwanz]\r\nUpdateInterval=dword:0000000e\r\n");

        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QCOMPARE(w.form.SpinEdit_AutoUpdt->value(), 14);
        w.form.RadioButton_NoAutoUpdt->setChecked(true);
        QVERIFY(!w.form.SpinEdit_AutoUpdt->isEnabled());
        QTest::mouseClick(w.form.Button_SettingsSave, Qt::LeftButton);
        QCOMPARE(w.env.readSettings(false), "[Software\\Lx\\Kielwanz]\r\nNoUpdate=sz:\r\n");

        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QVERIFY(w.form.RadioButton_NoAutoUpdt->isChecked());
        w.form.RadioButton_AutoUpdt->setChecked(true);
        QVERIFY(w.form.SpinEdit_AutoUpdt->isEnabled());
        QTest::keyClick(&w.form, Qt::Key_Escape); // "Abbrechen" on the settings page writes nothing
        QCOMPARE(w.page(), "1 1 Auf neue Updates prüfen");
        QVERIFY(w.form.isVisible());
        QVERIFY(w.store().valueExists("NoUpdate"));
    }

    void nextCheckDay_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("interval"); // stored "UpdateInterval", if any
        QTest::addColumn<int>("expectedDays"); // from today; -99: not written
        auto row = [](const char *name, const char *how, const char *interval, int days) {
            QTest::newRow(name) << QString(how) << QString(interval) << days;
        };
        row("Beenden without update", "finish", "", 6);
        row("Beenden, 14 days", "finish", "dword:0000000e", 13);
        row("Beenden, interval 1", "finish", "dword:00000001", 0);
        row("Beenden, interval 0", "finish", "dword:00000000", 6);
        row("failed check", "failed", "", -99);
        row("cancelled at the welcome page", "cancel", "", -99);
        row("update found, cancelled", "found", "", -99);
        row("closed during the check", "closing", "", -99);
    }
    void nextCheckDay()
    {
        QFETCH(QString, how);
        QFETCH(QString, interval);
        QFETCH(int, expectedDays);
        server.put("Updates.ini", (how == u"finish" ? "[Kielwanz]\r\nDate=01.01.2024\r\n"
                                                    : "[Kielwanz]\r\nDate=01.06.2024\r\n") +
                                      QByteArray(8000, ';'));
        if (how == u"closing")
            server.setRoutes({{"/Updates.ini", QJsonObject{{"chunk", 200}, {"delay", 0.1}}}});
        Wizard w(server.base());
        if (!interval.isEmpty())
            w.env.writeSettings("UpdateInterval=" + interval + "\r\n");
        w.env.rec->online = how != u"failed";
        QTimer::singleShot(200, &w.form, [&] {
            if (how != u"closing")
                return;
            QVERIFY(w.form.checking());
            QVERIFY(!w.form.Button_Check->isEnabled()); // no second check on top of this one
            QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton);
        });
        QElapsedTimer took;
        took.start();
        if (how != u"cancel")
            w.check();
        QVERIFY(took.elapsed() < 2500); // a transfer is stopped, not waited for
        if (w.form.isVisible())
            QTest::mouseClick(how == u"finish" ? w.form.Button_Next : w.form.Button_Cancel, Qt::LeftButton);
        QVERIFY(!w.form.isVisible());
        QVERIFY(!w.form.TerminateRequested);
        QCOMPARE(w.env.rec->notices.size(), how == u"failed" ? 1 : 0);
        QVERIFY(w.tempFiles().isEmpty());
        QVERIFY(!w.store().valueExists("Update")); // only at program end
        w.form.FormDestroy();
        const auto update = w.store().readDate("Update");
        QCOMPARE(update.has_value(), expectedDays != -99);
        if (update)
            QCOMPARE(*update, UpdateDates::fromDate(w.env.rec->today.addDays(expectedDays)));
    }

    void installStep_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("prepared") << "good";
        QTest::newRow("another copy prepares, then done") << "locked";
        QTest::newRow("damaged archive") << "damaged";
        QTest::newRow("archive gone") << "gone";
    }
    void installStep()
    {
        QFETCH(QString, archive);
        server.put("Updates/i.zip", archive == u"damaged"
                                        ? QByteArray("PK\x03\x04 kein Archiv")
                                        : ZipBytes({{"Update.bat", " echo %s\n"}, {"kielwanz", "neu"}}));
        server.put("Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\nFile=i.zip\r\n");
        Wizard w(server.base());
        w.download();
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        QCOMPARE(w.page(), "4 4 Installieren");
        if (archive == u"gone")
            QVERIFY(QFile::remove(w.archive()));
        if (archive == u"locked") {
            // Another copy holds its prepared installation: left as it is, and "Weiter >" tries again.
            auto other = std::make_unique<UpdateInstall::InstallLock>();
            QCOMPARE(other->tryLock(w.env.tempDir()), UpdateInstall::InstallLock::Outcome::Locked);
            const QString theirs = UpdateInstall::InstallFolder(w.env.tempDir()) + "Update.bat";
            QVERIFY(WriteAll(theirs, "echo fremd\n"));
            QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
            QCOMPARE(w.env.rec->notices.size(), 1);
            QVERIFY2(
                w.env.rec->notices.first().startsWith("Updates installieren: Ein anderes laufendes Kielwanz"),
                qPrintable(w.env.rec->notices.first()));
            QCOMPARE(w.page(), "4 4 Installieren");
            QCOMPARE(ReadAll(theirs), "echo fremd\n");
            QVERIFY(QFile::exists(w.archive()) && w.form.Button_Next->isEnabled());
            other.reset();
            archive = "good";
        }
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        QCOMPARE(w.form.InstallPrepared, archive == u"good");
        if (archive == u"good") {
            QCOMPARE(w.page(), "5 5 Abschließen der Installation");
            QCOMPARE(w.form.Button_Next->text(), "Beenden");
            QVERIFY(!w.form.Button_Cancel->isEnabled());
            QVERIFY(!QFile::exists(w.archive()));
            QTest::mouseClick(w.form.Button_Next, Qt::LeftButton); // 6: the program ends
        } else {
            QCOMPARE(w.page(), "5 4 Installieren");
            QVERIFY(!w.form.Button_Next->isEnabled());
            const QString text = w.form.Label3->text();
            QVERIFY2(text.startsWith(archive == u"gone" ? "Die Installationsdateien wurden nicht gefunden."
                                                        : "Das Update-Archiv ist beschädigt") &&
                         text.endsWith("versuchen Sie es später noch einmal."),
                     qPrintable(text));
            // The settings page returns to that error page, not to the finish page.
            QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
            QTest::mouseClick(w.form.Button_SettingsCancel, Qt::LeftButton);
            QCOMPARE(w.form.Pages->currentIndex(), 4);
            QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton); // back into the game
        }
        QVERIFY(!w.form.isVisible());
        QCOMPARE(w.form.TerminateRequested, archive == u"good");
        QVERIFY(w.env.rec->installations.isEmpty()); // only when the program ends
        w.form.FormDestroy();
        if (archive == u"good") {
            QCOMPARE(w.env.rec->installations.size(), 1);
            QVERIFY(w.env.rec->installations.first().endsWith("/Update.bat"));
            QCOMPARE(w.store().readDate("Update").value_or(0),
                     UpdateDates::fromDate(w.env.rec->today.addDays(6)));
        } else {
            QVERIFY(w.env.rec->installations.isEmpty());
            QVERIFY(!w.store().valueExists("Update"));
        }
    }
};

QTEST_MAIN(tst_updatewizard)
#include "tst_updatewizard.moc"
