#include "UpdateTestSupport.h"
#include "support/LayoutCheck.h"
#include "update/UpdateWizard.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"
#include "update/install/PrepareInstall.h"

// The wizard's texts, its HTTP client, and its steps walked against a loopback
// server: the model in tables of walks, then once through the window.
class tst_updatewizard : public QObject {
    Q_OBJECT

    UpdateTestServer server;

    // The program file was written on 10 May 2024 at 14:30; today is 1 June 2024.
    static double programDate() { return UpdateDates::fromDateTime(QDateTime(QDate(2024, 5, 10), QTime(14, 30))); }

    // The model, with what its window does on its signals.
    struct Walk {
        UpdateTestPlatform env;
        UpdateWizardModel m;
        HttpClient *http = m.findChild<HttpClient *>();
        int closed = 0;
        explicit Walk(const QString &base, qint64 maxArchive = qint64(256) << 20) : env(base), m(env.platform)
        {
            m.setInputs({"Kielwanz", "Kielwanz", "Brackwen.zip", programDate(), false});
            UpdateWizardModelTest::shortenLimits(m, maxArchive);
            connect(&m, &UpdateWizardModel::closeWanted, [this] { closed += m.mayClose(); });
            m.start();
        }
        QString archive() const { return env.tempDir() + "Brackwen.zip"; }
        void idle() { QTRY_VERIFY_WITH_TIMEOUT(!m.checking() && !m.downloading(), 20000); }
        // From the welcome page through the check (and on to the end of the download).
        void walk(int steps)
        {
            for (int i = m.step(); i < steps; ++i, idle())
                i == 1 ? m.check() : m.next();
        }
        // "<step> <page> <title>" of what the wizard shows.
        QString page() const { return QString("%1 %2 ").arg(m.step()).arg(m.view().page) + m.view().title; }
        double nextCheck() const
        {
            const double today = UpdateDates::fromDate(env.rec->today);
            return UpdateSettingsStore(env.platform.settingsFile(false), "Kielwanz").readDate("Update").value_or(today - 99) - today;
        }
    };

    static QString text(const char *utf8) { return QString::fromUtf8(utf8); }
    static QByteArray body(int size)
    {
        QByteArray b(size, '\0');
        for (int i = 0; i < size; ++i)
            b[i] = char(i * 7);
        return b;
    }
    // An update list reached through a redirection to another host; its archive dripped slowly.
    void serveUpdate(int size, QJsonObject route)
    {
        server.put("mirror/Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\nFile=Brackwen 2.zip\r\n");
        server.put("Updates/Brackwen 2.zip", body(size));
        server.setRoutes(
            {{"/Updates.ini",
              QJsonObject{{"status", 302}, {"location", "http://localhost:{port}/mirror/Updates.ini"}}},
             {"/Updates/Brackwen%202.zip", route}});
    }
private slots:
    void initTestCase() { QVERIFY2(server.running(), "python3 test server did not start"); }
    void init() { server.setRoutes({}); }

    void texts()
    {
        const std::pair<qint64, const char *> sizes[] = {{1536, "1,5 KB"}, {1000, "1000 Byte"}, {1100, "1,1 KB"},
            {1024, "1 KB"}, {1048575, "1024 KB"}, {qint64(2048) << 40, "2048 TB"}};
        for (const auto &[bytes, expected] : sizes)
            QCOMPARE(UpdateWizardModel::FormatByteSize(1, false, bytes), expected);
        QCOMPARE(UpdateWizardModel::FormatByteSize(1, true, 1536), "1,5 Kilobyte");
        QCOMPARE(UpdateWizardModel::FormatByteSize(2, false, 1300), "1,27 KB");
        // News of days before the program's are dropped; what is no date is no date.
        const std::pair<const char *, const char *> news[] = {{" 9.5.24 : alt", ""},
            {"1.6.24: behoben", "- 1.6.24: behoben\r\n"}, {"Hinweis: neu", "- Hinweis: neu\r\n"},
            {"2024-01-14: x", "- 2024-01-14: x\r\n"}, {"31.02.2024: x", "- 31.02.2024: x\r\n"},
            {"12.05.2024: b\r\n01.01.2024: a\n\n11.05.2024: c", "- 12.05.2024: b\r\n- 11.05.2024: c\r\n"}};
        for (const auto &[line, expected] : news)
            QCOMPARE(UpdateWizardModel::NewsToBulletList(line, programDate()), expected);
    }

    void updateList()
    {
        UpdateListFile list;
        list.loadText("\xEF\xBB\xBF; Kommentar\r\n[Andere]\r\nDate=01.01.2030\r\n[kielwanz]\r\n"
                      " Date = 14.01.2004 \r\nFile=\"Neu.zip\"\r\nDate=15.01.2004\r\nMüll ohne Gleichheitszeichen\r\n"
                      "News=" + QByteArray(3000, 'x') + "\n");
        QCOMPARE(list.readString("Kielwanz", "date"), "14.01.2004");
        QCOMPARE(list.readString("Kielwanz", "File"), "Neu.zip");
        QCOMPARE(list.readString("Kielwanz", "News").size(), 2047);
        list.loadText("[Kielwanz]\r\nNews=01.06.2024: gr\xF6\xDF\x65r\r\n"); // Latin-1
        QCOMPARE(list.readString("Kielwanz", "News"), "01.06.2024: größer");
    }

    void httpClient()
    {
        HttpClient http;
        http.baseUrl = QUrl("https://updates.example/kw/");
        QCOMPARE(http.addressOf("Updates/Neue Version?.zip").toString(QUrl::FullyEncoded),
                 "https://updates.example/kw/Updates/Neue%20Version%3F.zip");
        QCOMPARE(http.addressOf("Updates/http://evil/x").host(), "updates.example");
        // Each request ends with its own report, however quickly the last one ended.
        server.put("tiny", "x");
        http.baseUrl = QUrl(server.base());
        QTemporaryDir dir;
        QSignalSpy done(&http, &HttpClient::finished);
        auto get = [&](const char *file) {
            http.get("tiny", dir.filePath(file));
            return done.wait(5000) ? done.last().at(0).value<HttpClient::Result>() : HttpClient::Result::Aborted;
        };
        for (int i = 0; i < 30; ++i)
            QCOMPARE(get("tiny"), HttpClient::Result::Ok);
        // A second request while one runs fails; an aborted one is forgotten when the next starts.
        server.setRoutes({{"/tiny", QJsonObject{{"endless", true}, {"length", false}}}});
        http.get("tiny", dir.filePath("a"));
        QCOMPARE(get("b"), HttpClient::Result::Failed);
        http.abort();
        server.setRoutes({});
        QCOMPARE(get("c"), HttpClient::Result::Ok);
        QCOMPARE(done.size(), 32); // a stale report would have been queued before this one

        const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                  "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                                  "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert, "-batch"});
        if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0)
            QSKIP("openssl could not make a test certificate");
        UpdateTestServer secure({cert, key});
        QVERIFY(secure.running());
        secure.put("tiny", "[Kielwanz]\r\n");
        http.baseUrl = QUrl(secure.base());
        QCOMPARE(get("list"), HttpClient::Result::ConnectionFailed); // not trusted
        QVERIFY(secure.requests().isEmpty());
        http.trustedCertificates = cert;
        QCOMPARE(get("list"), HttpClient::Result::Ok);
        QCOMPARE(ReadAll(dir.filePath("list")), "[Kielwanz]\r\n");
        // A secure server cannot send the client on to a plain address.
        secure.setRoutes({{"/tiny", QJsonObject{{"status", 302}, {"location", server.base() + "tiny"}}}});
        const qsizetype plainBefore = server.requests().size();
        QCOMPARE(get("list"), HttpClient::Result::Failed);
        QCOMPARE(server.requests().size(), plainBefore);
    }

    void check_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("how");      // "redirect", "refused", "offline", "trickle", "closing"
        QTest::addColumn<QString>("interval"); // stored "UpdateInterval", if any
        QTest::addColumn<QString>("result");   // "-": no update, "!": failed, else the news shown
        QTest::addColumn<int>("nextCheck");    // in days from today; -99: not written
        auto row = [](const char *name, const QByteArray &list, const char *result, const char *how = "",
                      int next = -99, const char *interval = "") {
            QTest::newRow(name) << list << QString(how) << QString(interval) << QString(result) << next;
        };
        const QByteArray update = "[Kielwanz]\r\nDate=01.06.2024\r\n";
        row("program's own day", "[Kielwanz]\r\nDate=10.05.2024\r\n", "-", "", 6);
        row("the next day, older news", "[Kielwanz]\r\nDate=11.05.2024\r\nNews=08.05.2024: Alt\r\n", "");
        row("Date missing: today, no news", "[Kielwanz]\r\nFile=a.zip\r\n", "- \"keine Angaben gefunden\"\n");
        row("Date unreadable: today", "[Kielwanz]\r\nDate=bald\r\nNews=10.05.2024: Farben\r\n",
            "- 10.05.2024: Farben\n");
        row("no section, 14 days", "[Anderes]\r\nDate=01.01.2030\r\n", "-", "", 13, "dword:0000000e");
        row("empty section, 1 day", "[Kielwanz]\r\n[Anderes]\r\nDate=01.01.2030\r\n", "-", "", 0, "dword:00000001");
        row("empty file, interval 0", "", "-", "", 6, "dword:00000000");
        row("redirect to 404", update, "!", "redirect");
        row("list too large", QByteArray(UpdateWizardModel::MaxUpdateListSize + 1, ';'), "!");
        row("list trickling past the deadline", update + QByteArray(60, ';'), "!", "trickle");
        row("refused", update, "!", "refused");
        row("offline", update, "!", "offline");
        row("closed during the check", update + QByteArray(8000, ';'), "", "closing");
    }
    void check()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, how);
        QFETCH(QString, interval);
        QFETCH(QString, result);
        QFETCH(int, nextCheck);
        server.put("Updates.ini", list);
        const QJsonObject routes{{"redirect", QJsonObject{{"status", 301}, {"location", "/weg.ini"}}},
                                 {"trickle", QJsonObject{{"chunk", 3}, {"delay", 1}}}, // never silent, never done
                                 {"closing", QJsonObject{{"chunk", 200}, {"delay", 0.1}}}};
        server.setRoutes({{"/Updates.ini", routes[how]}});
        Walk w(how == u"refused" ? "http://127.0.0.1:1/" : server.base()); // nobody listens on port 1
        w.env.writeSettings(interval.isEmpty() ? "" : "UpdateInterval=" + interval + "\r\n");
        w.env.rec->online = how != u"offline";
        const qsizetype requestsBefore = server.requests().size();
        if (how == u"closing") {
            QSignalSpy progress(w.http, &HttpClient::progress);
            w.m.next();
            w.m.check();
            QVERIFY(progress.wait(5000)); // the list is under way
            QVERIFY(w.m.checking() && !w.m.view().checkEnabled); // no second check on top of this one
            const qint64 atCancel = progress.last().at(1).toLongLong();
            w.m.cancel();
            w.idle();
            QVERIFY(progress.last().at(1).toLongLong() - atCancel < 1000); // stopped, not waited for
            QVERIFY(w.closed == 1 && w.env.rec->notices.isEmpty() && QDir(w.env.tempDir()).isEmpty());
            return;
        }
        w.walk(2);
        QCOMPARE(QDir(w.env.tempDir()).entryList(QDir::Files), QStringList());
        QCOMPARE(server.requests().size() == requestsBefore, how == u"offline" || how == u"refused");
        QCOMPARE(w.env.rec->notices.size(), result == u"!" ? 1 : 0);
        if (result == u"!") {
            QCOMPARE(w.env.rec->notices.first(), "Internetverbindung erforderlich: Es besteht keine Internetverbindung.");
            QCOMPARE(w.page(), "1 1 Auf neue Updates prüfen");
            QVERIFY(!w.m.view().nextEnabled && w.m.view().checkEnabled);
            if (how == u"refused")
                return;
            // Once the server answers, a second click checks again.
            server.setRoutes({});
            server.put("Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\n");
            w.env.rec->online = true;
            w.walk(2);
            result = "- \"keine Angaben gefunden\"\n";
        }
        const bool available = result != u"-";
        const UpdateWizardModel::View &v = w.m.view();
        QCOMPARE(w.page(), "2 2 Ergebnis der Prüfung");
        QVERIFY(v.nextEnabled && v.cancelEnabled == available);
        QCOMPARE(v.nextCaption, available ? "Weiter >" : "Beenden");
        QCOMPARE(v.checkResult, available ? text(UpdateWizardModel::CheckResultTexts[1])
                                                .replace("%s", QString(result).replace("\n", "\r\n"))
                                          : text(UpdateWizardModel::CheckResultTexts[0]));
        // "Beenden" without an update sets the next check day, at program end.
        available ? w.m.cancel() : w.m.next();
        QVERIFY(w.closed == 1 && w.nextCheck() == -99 && !w.m.terminateRequested());
        w.m.programEnds();
        QCOMPARE(w.nextCheck(), double(nextCheck));
    }

    void download_data()
    {
        QTest::addColumn<QJsonObject>("route");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("stop");        // "Download", "close box", "Abbrechen" at 4 KB
        QTest::addColumn<QStringList>("answers"); // to "Soll der Download wirklich abgebrochen werden?"
        QTest::addColumn<QString>("outcome");     // "complete", "aborted", "closed", "failed", "failed, written"
        const qint64 mib = 1 << 20, huge = qint64(1) << 50; // JSON keeps it exact
        const QJsonObject drip{{"chunk", 2048}, {"delay", 0.02}};
        auto row = [&](const char *name, QJsonObject route, qint64 limit, const char *stop,
                       const QStringList &answers, const char *outcome) {
            QTest::newRow(name) << route << limit << QString(stop) << answers << QString(outcome);
        };
        row("no Content-Length", QJsonObject{{"chunk", 2048}, {"delay", 0.02}, {"length", false}}, 256 * mib, "", {},
            "complete");
        row("Download abbrechen, Ja, retry", drip, 256 * mib, "Download", {"Ja"}, "aborted");
        row("close box, Nein", drip, 256 * mib, "close box", {"Nein"}, "complete");
        row("close box, Ja", drip, 256 * mib, "close box", {"Ja"}, "closed");
        row("Abbrechen, Ja; Nein cannot undo it", drip, 256 * mib, "Abbrechen", {"Ja", "Nein"}, "closed");
        row("endless body", QJsonObject{{"endless", true}, {"length", false}}, mib, "", {}, "failed, written");
        row("announced beyond the limit", QJsonObject{{"endless", true}, {"length", 256 * mib + 1}}, 256 * mib, "",
            {}, "failed");
        row("announced beyond the free space", QJsonObject{{"endless", true}, {"length", huge}}, 4 * huge, "", {},
            "failed");
    }
    void download()
    {
        QFETCH(QJsonObject, route);
        QFETCH(qint64, limit);
        QFETCH(QString, stop);
        QFETCH(QStringList, answers);
        QFETCH(QString, outcome);
        const int size = 64 * 1024;
        serveUpdate(size, route);
        Walk w(server.base(), limit);
        w.env.rec->answers = answers;
        QStringList percents, times;
        qint64 received = 0;
        connect(w.http, &HttpClient::progress, [&](qint64, qint64 r) { received = w.m.downloading() ? r : 0; });
        connect(&w.m, &UpdateWizardModel::changed, [&] {
            if (!w.m.downloading() || w.m.view().percent.isEmpty())
                return;
            percents << w.m.view().percent;
            times << w.m.view().timeLeft;
            QCOMPARE(w.m.view().page, 3);
            QVERIFY(!w.m.view().nextEnabled && w.m.view().cancelDownloadVisible);
            if (stop.isEmpty() || received < 4096)
                return;
            QTimer::singleShot(0, &w.m, [&, button = std::exchange(stop, {})] {
                if (button == u"close box")
                    w.closed += w.m.mayClose();
                else
                    button == u"Abbrechen" ? w.m.cancel() : w.m.cancelDownload();
                QCOMPARE(w.closed, 0); // a close waits for the transfer to stop
            });
        });
        QTimer::singleShot(15000, w.http, &HttpClient::abort); // an unbounded download is stopped here
        // A link planted where the archive goes is replaced, not followed.
        const QString outside = w.env.dir.filePath("fremd");
        QVERIFY(WriteAll(outside, "fremd") && QFile::link(outside, w.archive()));
        w.walk(3);
        QCOMPARE(ReadAll(outside), "fremd");
        QCOMPARE(w.env.rec->questions.size(), answers.size());
        QCOMPARE(w.env.rec->beeps, answers.size());
        QCOMPARE(w.closed, outcome == u"closed" ? 1 : 0);
        QVERIFY(received <= limit);
        const UpdateWizardModel::View &v = w.m.view();
        if (outcome == u"complete") {
            QCOMPARE(w.page(), "3 3 Download der Updates");
            QVERIFY(!QFileInfo(w.archive()).isSymLink());
            QCOMPARE(ReadAll(w.archive()), body(size));
            QVERIFY(server.requests().last().startsWith("/Updates/Brackwen%202.zip localhost:")); // the list's host
            QCOMPARE(v.downloadText, text(UpdateWizardModel::DownloadResultTexts[1]));
            QVERIFY(!v.cancelDownloadVisible && v.nextEnabled);
            QCOMPARE(percents.last(), "100 %");
            QCOMPARE(v.status, route.contains("length") ? "64 KB von 0 Byte gedownloadet"
                                                           : "64 KB von 64 KB gedownloadet");
            QCOMPARE(times.last(), "verbleibende Zeit: 00:00:00");
            QCOMPARE(v.barValue, v.barMaximum);
            if (!route.contains("length")) {
                QVERIFY2(percents.size() >= 3 && percents.first() != "100 %", qPrintable(percents.join(u',')));
                QVERIFY(!times.filter(QRegularExpression("^verbleibende Zeit: 00:00:0\\d$")).isEmpty());
            } else {
                QCOMPARE(QSet<QString>(percents.begin(), percents.end()), QSet<QString>{"100 %"});
            }
            // A failed step 5 (the archive gone) shows an error page that leads back into the game.
            w.m.next();
            QVERIFY(QFile::remove(w.archive()));
            w.m.next();
            QCOMPARE(w.page(), "5 4 Installieren");
            QVERIFY(!v.nextEnabled && v.installFailed);
            QVERIFY2(v.installText.startsWith("Die Installationsdateien wurden nicht gefunden.") &&
                         v.installText.endsWith("versuchen Sie es später noch einmal."),
                     qPrintable(v.installText));
            // The settings page returns to that error page, not to the finish page.
            w.m.openSettings();
            w.m.closeSettings();
            QCOMPARE(v.page, 4);
            w.m.cancel();
            w.m.programEnds();
            QVERIFY(w.closed == 1 && !w.m.terminateRequested() && w.env.rec->installations.isEmpty());
            QCOMPARE(w.nextCheck(), -99.0);
            return;
        }
        QVERIFY(!w.m.terminateRequested());
        QCOMPARE(v.downloadText, text(UpdateWizardModel::DownloadResultTexts[0]));
        QCOMPARE(v.cancelDownloadCaption, "Erneut versuchen");
        QVERIFY(v.cancelDownloadVisible && !v.nextEnabled);
        if (outcome.startsWith(u"failed")) {
            QCOMPARE(received > 0, outcome == u"failed, written");
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(w.archive()), 500); // the partial file goes at once
            return;
        }
        QVERIFY(ReadAll(w.archive()).size() < size);
        if (outcome == u"aborted") {
            // Retried before the partial file's deletion is due: the deletion must not hit the new file.
            serveUpdate(size, {});
            w.m.cancelDownload();
            w.idle();
            QCOMPARE(w.page(), "3 3 Download der Updates");
            QCOMPARE(w.m.view().downloadText, text(UpdateWizardModel::DownloadResultTexts[1]));
            QTRY_VERIFY(!UpdateWizardModelTest::deletionPending(w.m));
            QCOMPARE(ReadAll(w.archive()), body(size));
            return;
        }
        // The next showing starts afresh.
        w.m.start();
        QCOMPARE(w.page(), "0 0 Willkommen");
        QVERIFY(w.m.view().nextEnabled && w.m.view().cancelEnabled);
        serveUpdate(size, {});
        w.walk(3);
        QCOMPARE(ReadAll(w.archive()).size(), size);
        QVERIFY(!w.m.view().cancelDownloadVisible);
    }

    // In its own face and in larger ones every page shows its whole texts.
    void everyTextFits()
    {
        UpdateTestPlatform env;
        for (const QFont &face : {QFont(), QFont("DejaVu Sans", 8), QFont("DejaVu Sans", 12)}) {
            UpdateWizard form(env.platform);
            form.setFont(face == QFont() ? form.font() : face);
            form.show();
            for (int page = 0; page <= UpdateWizardModel::SettingsPage; ++page, CheckWindowLayout(&form)) {
                form.findChild<QStackedWidget *>("Pages")->setCurrentIndex(page);
                form.findChild<QStackedWidget *>("Notebook_StdButtons")->setCurrentIndex(page / 6);
            }
        }
    }

    // The window shows the model and passes the clicks on.
    void window()
    {
        server.put("Updates.ini", "[Kielwanz]\r\nDate=01.06.2024\r\nFile=w.zip\r\n");
        server.put("Updates/w.zip", ZipBytes({{"Update.bat", " echo %s\n"}, {"kielwanz", "neu"}}));
        UpdateTestPlatform env(server.base());
        UpdateWizard form(env.platform);
        form.model().setInputs({"Kielwanz", "Kielwanz", "Brackwen.zip", programDate(), false});
        auto *spin = form.findChild<QSpinBox *>("SpinEdit_AutoUpdt");
        auto click = [&](const char *name) { QTest::mouseClick(form.findChild<QPushButton *>(name), Qt::LeftButton); };
        auto *next = form.findChild<QPushButton *>("Button_Next");
        // Title, page, "Weiter >" (+ when enabled), "Einstellungen" (+ when shown).
        auto shows = [&] {
            return QString("%1 %2 %3%4 %5").arg(form.findChild<QLabel *>("Panel_Title")->text())
                .arg(form.findChild<QStackedWidget *>("Pages")->currentIndex()).arg(next->text())
                .arg(next->isEnabled() ? "+" : "-").arg(form.findChild<QPushButton *>("Button_Settings")->isVisible() ? "+" : "-");
        };
        form.show();
        QCOMPARE(form.windowTitle() + ": " + shows(), "Updates installieren: Willkommen 0 Weiter >+ +");
        const QImage image = form.findChild<QWidget *>("PaintBox_Process")->grab().toImage();
        QCOMPARE(image.width(), 225);
        QCOMPARE(image.pixelColor(0, 5), QColor(155, 183, 230));
        click("Button_Next");
        click("Button_Settings");
        QCOMPARE(shows(), "Einstellungen 6 Weiter >- -");
        QVERIFY(form.findChild<QRadioButton *>("RadioButton_AutoUpdt")->isChecked() && spin->value() == 7);
        spin->setValue(14);
        click("Button_SettingsSave");
        QCOMPARE(shows(), "Auf neue Updates prüfen 1 Weiter >- +");
        QCOMPARE(env.readSettings(false), "[Software\\Lx\\Kielwanz]\r\nUpdateInterval=dword:0000000e\r\n");
        click("Button_Settings");
        QCOMPARE(spin->value(), 14);
        form.findChild<QRadioButton *>("RadioButton_NoAutoUpdt")->setChecked(true);
        QVERIFY(!spin->isEnabled());
        click("Button_SettingsSave");
        QCOMPARE(env.readSettings(false), "[Software\\Lx\\Kielwanz]\r\nNoUpdate=sz:\r\n");

        click("Button_Check");
        QTRY_COMPARE(shows(), "Ergebnis der Prüfung 2 Weiter >+ +");
        QCOMPARE(form.findChild<QLabel *>("Label_CheckResult")->text(),
                 text(UpdateWizardModel::CheckResultTexts[1]).replace("%s", "- \"keine Angaben gefunden\"\r\n").replace("\r\n", "\n"));
        click("Button_Next");
        QTRY_COMPARE(shows(), "Download der Updates 3 Weiter >+ +");
        QCOMPARE(form.findChild<QLabel *>("PerCent")->text(), "100 %");
        QVERIFY(!form.findChild<QPushButton *>("CancelDownload")->isVisible());
        click("Button_Next");
        // Another copy holds its prepared installation: left as it is, and "Weiter >" tries again.
        auto other = std::make_unique<UpdateInstall::InstallLock>();
        QCOMPARE(other->tryLock(env.tempDir()), UpdateInstall::InstallLock::Outcome::Locked);
        const QString theirs = UpdateInstall::InstallFolder(env.tempDir()) + "Update.bat";
        QVERIFY(WriteAll(theirs, "echo fremd\n"));
        click("Button_Next");
        QCOMPARE(env.rec->notices.filter(QRegularExpression("^Updates installieren: Ein anderes laufendes")).size(), 1);
        QCOMPARE(shows() + ReadAll(theirs), "Installieren 4 Weiter >+ +echo fremd\n");
        other.reset();
        click("Button_Next");
        QCOMPARE(shows(), "Abschließen der Installation 5 Beenden+ +");
        QVERIFY(!QFile::exists(env.tempDir() + "Brackwen.zip"));
        QTest::keyClick(&form, Qt::Key_Escape); // nothing to cancel any more
        QVERIFY(form.isVisible());
        click("Button_Next");
        QVERIFY(!form.isVisible() && form.result() == QDialog::Accepted && form.model().terminateRequested());
        QVERIFY(env.rec->installations.isEmpty()); // at program end
        form.model().programEnds();
        QCOMPARE(env.rec->installations.filter(QRegularExpression("/Update.bat$")).size(), 1);
        const auto nextCheck = UpdateSettingsStore(env.platform.settingsFile(false), "Kielwanz").readDate("Update");
        QCOMPARE(nextCheck.value_or(0), UpdateDates::fromDate(env.rec->today) + 6);
    }
};

QTEST_MAIN(tst_updatewizard)
#include "tst_updatewizard.moc"
