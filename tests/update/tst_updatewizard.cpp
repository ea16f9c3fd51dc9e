#include "InstallTestSupport.h"
#include "UpdateTestPlatform.h"
#include "UpdateTestServer.h"
#include "update/HttpClient.h"
#include "update/TStatusForm.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

// The update wizard driven through its steps against a real server.
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
            form.ProgramName = QStringLiteral("Kielwanz");
            form.RegistryKey = QStringLiteral("Kielwanz");
            form.ZIPFileName = QStringLiteral("Brackwen.zip");
            form.ProgramDate = programDate();
            form.AbortDeleteDelayMs = 300;
            form.show();
        }
        QString archive() const { return env.tempDir() + QStringLiteral("Brackwen.zip"); }
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
            return UpdateSettingsStore(env.platform.settingsFile(false), QStringLiteral("Kielwanz"));
        }
        // Remaining files in the temporary folder.
        QStringList tempFiles() const { return QDir(env.tempDir()).entryList(QDir::Files); }
    };

    static QString shown(const char *utf8)
    {
        return QString::fromUtf8(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    static const QString noConnection()
    {
        return QStringLiteral("Internetverbindung erforderlich: Es besteht keine Internetverbindung.");
    }

    QByteArray archiveBody(int size)
    {
        QByteArray b(size, '\0');
        for (int i = 0; i < size; ++i)
            b[i] = char(i * 7);
        return b;
    }
    QByteArray fileContent(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // An update list with an update, and its archive dripped slowly.
    void serveSlowUpdate(int size, int chunk, double delay, bool length = true)
    {
        server.put(QStringLiteral("Updates.ini"),
                   "[Kielwanz]\r\nDate=01.06.2024\r\nFile=Brackwen 2.zip\r\nNews=01.06.2024: Neu\r\n");
        server.put(QStringLiteral("Updates/Brackwen 2.zip"), archiveBody(size));
        server.setRoutes({{QStringLiteral("/Updates/Brackwen%202.zip"),
                           QJsonObject{{QStringLiteral("file"), QStringLiteral("Updates/Brackwen 2.zip")},
                                       {QStringLiteral("chunk"), chunk},
                                       {QStringLiteral("delay"), delay},
                                       {QStringLiteral("length"), length}}}});
    }
    // Runs `action` once, from the event loop, as soon as `bytes` have arrived.
    static void whenReceived(TStatusForm &form, qint64 bytes, std::function<void()> action)
    {
        auto fired = std::make_shared<bool>(false);
        TStatusForm *target = &form;
        QObject::connect(form.HTTP, &HttpClient::work, &form, [=](qint64, qint64 received) {
            if (received >= bytes && !*fired) {
                *fired = true;
                QTimer::singleShot(0, target, action);
            }
        });
    }

private slots:
    void initTestCase() { QVERIFY2(server.running(), "python3 test server did not start"); }
    void init() { server.setRoutes({}); }

    void welcomeAndCheckPages()
    {
        Wizard w(server.base());
        QCOMPARE(w.form.CurrentStep, 0);
        QCOMPARE(w.form.Pages->currentIndex(), 0);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Willkommen"));
        QCOMPARE(w.form.Button_Next->text(), QStringLiteral("Weiter >"));
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Updates installieren"));
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        QCOMPARE(w.form.CurrentStep, 1);
        QCOMPARE(w.form.Pages->currentIndex(), 1);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Auf neue Updates prüfen"));
        QVERIFY(!w.form.Button_Next->isEnabled());
    }

    void stepListPainting()
    {
        Wizard w(server.base());
        const QImage image = w.form.PaintBox_Process->grab().toImage();
        QCOMPARE(image.width(), 225);
        QCOMPARE(image.pixelColor(0, 5), QColor(155, 183, 230));
        QCOMPARE(image.pixelColor(112, 5), QColor(204, 218, 242));
        QCOMPARE(image.pixelColor(224, 5), QColor(254, 254, 254));
    }

    void checkDecision_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<bool>("available");
        QTest::newRow("program's own day") << QByteArray("[Kielwanz]\r\nDate=10.05.2024\r\n") << false;
        QTest::newRow("the next day") << QByteArray("[Kielwanz]\r\nDate=11.05.2024\r\n") << true;
        QTest::newRow("the day before") << QByteArray("[Kielwanz]\r\nDate=09.05.2024\r\n") << false;
        QTest::newRow("Date missing: today") << QByteArray("[Kielwanz]\r\nFile=a.zip\r\n") << true;
        QTest::newRow("Date unreadable: today") << QByteArray("[Kielwanz]\r\nDate=bald\r\n") << true;
        QTest::newRow("no section") << QByteArray("[Anderes]\r\nDate=01.01.2030\r\n") << false;
        QTest::newRow("empty section")
            << QByteArray("[Kielwanz]\r\n[Anderes]\r\nDate=01.01.2030\r\n") << false;
        QTest::newRow("empty file") << QByteArray() << false;
    }
    void checkDecision()
    {
        QFETCH(QByteArray, list);
        QFETCH(bool, available);
        server.put(QStringLiteral("Updates.ini"), list);
        Wizard w(server.base());
        w.check();
        QCOMPARE(w.form.CurrentStep, 2);
        QCOMPARE(w.form.Pages->currentIndex(), 2);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Ergebnis der Prüfung"));
        QCOMPARE(w.form.UpdateAvailable, available);
        QVERIFY(w.form.Button_Next->isEnabled());
        QCOMPARE(w.form.Button_Next->text(),
                 available ? QStringLiteral("Weiter >") : QStringLiteral("Beenden"));
        QCOMPARE(w.form.Button_Cancel->isEnabled(), available);
        if (!available)
            QCOMPARE(w.form.Label_CheckResult->text(), shown(TStatusForm::CheckResultTexts[0]));
        QVERIFY(w.env.rec->notices.isEmpty());
        QVERIFY2(w.tempFiles().isEmpty(), qPrintable(w.tempFiles().join(u' ')));
    }

    void newsOnTheResultPage_data()
    {
        QTest::addColumn<QByteArray>("news");
        QTest::addColumn<QString>("bullets");
        QTest::newRow("older news dropped") << QByteArray("News=08.05.2024: Alt\r\n") << QString();
        QTest::newRow("program's day kept")
            << QByteArray("News=10.05.2024: Farben\r\n") << QStringLiteral("- 10.05.2024: Farben\n");
        QTest::newRow("no news") << QByteArray() << QStringLiteral("- \"keine Angaben gefunden\"\n");
        QTest::newRow("undated text")
            << QByteArray("News=Schnelleres Spiel\r\n") << QStringLiteral("- Schnelleres Spiel\n");
    }
    void newsOnTheResultPage()
    {
        QFETCH(QByteArray, news);
        QFETCH(QString, bullets);
        server.put(QStringLiteral("Updates.ini"), "[Kielwanz]\r\nDate=20.05.2024\r\n" + news);
        Wizard w(server.base());
        w.check();
        QVERIFY(w.form.UpdateAvailable);
        QCOMPARE(w.form.Label_CheckResult->text(),
                 shown(TStatusForm::CheckResultTexts[1]).replace(QStringLiteral("%s"), bullets));
    }

    void failedCheck_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("404") << QStringLiteral("404");
        QTest::newRow("refused") << QStringLiteral("refused");
        QTest::newRow("offline") << QStringLiteral("offline");
        QTest::newRow("redirect to 404") << QStringLiteral("redirect");
        QTest::newRow("list too large") << QStringLiteral("large");
    }
    void failedCheck()
    {
        QFETCH(QString, failure);
        server.put(QStringLiteral("Updates.ini"), "[Kielwanz]\r\nDate=01.06.2024\r\n");
        const QString base = failure == u"refused"
                                 ? QStringLiteral("http://127.0.0.1:%1/").arg(UpdateTestServer::closedPort())
                                 : server.base();
        if (failure == u"404")
            server.setRoutes(
                {{QStringLiteral("/Updates.ini"), QJsonObject{{QStringLiteral("status"), 404}}}});
        if (failure == u"redirect")
            server.setRoutes({{QStringLiteral("/Updates.ini"),
                               QJsonObject{{QStringLiteral("status"), 301},
                                           {QStringLiteral("location"), QStringLiteral("/weg.ini")}}}});
        if (failure == u"large")
            server.put(QStringLiteral("Updates.ini"), QByteArray(TStatusForm::MaxUpdateListSize + 1, ';'));
        Wizard w(base);
        w.env.rec->online = failure != u"offline";
        const qsizetype requestsBefore = server.requests().size();
        w.check();
        QCOMPARE(w.env.rec->notices, QStringList{noConnection()});
        QCOMPARE(w.form.CurrentStep, 1);
        QCOMPARE(w.form.Pages->currentIndex(), 1);
        QVERIFY(!w.form.Button_Next->isEnabled());
        QVERIFY(!w.form.UpdateAvailable);
        QVERIFY2(w.tempFiles().isEmpty(), qPrintable(w.tempFiles().join(u' ')));
        if (failure == u"offline")
            QCOMPARE(server.requests().size(), requestsBefore); // nothing was requested

        // Once the server answers, a second click checks again.
        if (failure == u"refused")
            return;
        server.setRoutes({});
        server.put(QStringLiteral("Updates.ini"), "[Kielwanz]\r\nDate=01.06.2024\r\n");
        w.env.rec->online = true;
        QTest::mouseClick(w.form.Button_Check, Qt::LeftButton);
        QCOMPARE(w.form.CurrentStep, 2);
        QVERIFY(w.form.UpdateAvailable);
    }

    void closingDuringTheCheck()
    {
        server.put(QStringLiteral("Updates.ini"),
                   "[Kielwanz]\r\nDate=01.06.2024\r\n" + QByteArray(8000, ';'));
        server.setRoutes({{QStringLiteral("/Updates.ini"),
                           QJsonObject{{QStringLiteral("file"), QStringLiteral("Updates.ini")},
                                       {QStringLiteral("chunk"), 200},
                                       {QStringLiteral("delay"), 0.1}}}});
        Wizard w(server.base());
        QTimer::singleShot(200, &w.form, [&] {
            QVERIFY(w.form.checking());
            QVERIFY(!w.form.Button_Check->isEnabled()); // no second check on top of this one
            QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton);
        });
        QElapsedTimer took;
        took.start();
        w.check();
        QVERIFY(took.elapsed() < 2500); // the transfer was stopped, not waited for
        QVERIFY(!w.form.isVisible());
        QVERIFY(w.env.rec->notices.isEmpty());
        QCOMPARE(w.form.CurrentStep, 1);
        QVERIFY(w.tempFiles().isEmpty());
        w.form.FormDestroy();
        QVERIFY(!w.store().valueExists(QStringLiteral("Update")));
    }

    void downloadWithProgress()
    {
        const int size = 64 * 1024;
        serveSlowUpdate(size, 4096, 0.02);
        Wizard w(server.base());
        QStringList percents, counts, times;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (!w.form.Downloading)
                return;
            percents << w.form.PerCent->text();
            counts << w.form.StatusLabel->text();
            times << w.form.TimeLeft->text();
            // The download page is shown and Weiter is held back while it runs.
            QCOMPARE(w.form.Pages->currentIndex(), 3);
            QVERIFY(!w.form.Button_Next->isEnabled());
            QCOMPARE(w.form.CancelDownload->text(), QStringLiteral("Download ab&brechen"));
        });
        watch.start(15);
        w.download();
        watch.stop();

        QCOMPARE(w.form.CurrentStep, 3);
        QCOMPARE(fileContent(w.archive()), archiveBody(size));
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[1]));
        QVERIFY(!w.form.CancelDownload->isVisible());
        QVERIFY(w.form.Button_Next->isEnabled());
        QCOMPARE(w.form.PerCent->text(), QStringLiteral("100 %"));
        QCOMPARE(w.form.StatusLabel->text(), QStringLiteral("64 KB von 64 KB gedownloadet"));
        QCOMPARE(w.form.TimeLeft->text(), QStringLiteral("verbleibende Zeit: 00:00:00"));
        QCOMPARE(w.form.Status->value(), w.form.Status->maximum());
        // The display moved while the archive came in.
        percents.removeAll(QString());
        QVERIFY2(percents.size() >= 3, qPrintable(percents.join(u',')));
        QVERIFY(percents.first() != QStringLiteral("100 %"));
        QVERIFY(counts.filter(QRegularExpression(QStringLiteral("^\\d+(,\\d)? KB von 64 KB gedownloadet$")))
                    .size() >= 3);
        QVERIFY(
            !times.filter(QRegularExpression(QStringLiteral("^verbleibende Zeit: 00:00:0\\d$"))).isEmpty());
        // The archive came from the server's update folder.
        QVERIFY(server.requests().last().startsWith(QStringLiteral("/Updates/Brackwen%202.zip ")));

        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        QCOMPARE(w.form.CurrentStep, 4);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Installieren"));
        QVERIFY(w.form.CheckBox_Restart->isChecked());
    }

    void downloadWithoutLength()
    {
        serveSlowUpdate(20000, 5000, 0.02, false);
        Wizard w(server.base());
        QStringList percents;
        connect(w.form.HTTP, &HttpClient::work, &w.form, [&] {
            if (w.form.Downloading)
                QTimer::singleShot(0, &w.form, [&] { percents << w.form.PerCent->text(); });
        });
        w.download();
        QVERIFY(!percents.isEmpty());
        percents.removeDuplicates();
        QCOMPARE(percents, QStringList{QStringLiteral("100 %")});
        QCOMPARE(w.form.StatusLabel->text(), QStringLiteral("19,5 KB von 0 Byte gedownloadet"));
        QCOMPARE(fileContent(w.archive()).size(), 20000);
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[1]));
    }

    void cancelAndRetry()
    {
        const int size = 64 * 1024;
        serveSlowUpdate(size, 2048, 0.03);
        Wizard w(server.base());
        w.env.rec->answers = {QStringLiteral("Ja")};
        whenReceived(w.form, 8192, [&] { QTest::mouseClick(w.form.CancelDownload, Qt::LeftButton); });
        w.download();
        QCOMPARE(w.env.rec->questions,
                 QStringList{QStringLiteral("Soll der Download wirklich abgebrochen werden?")});
        QCOMPARE(w.env.rec->beeps, 1);
        QVERIFY(w.form.DownloadAborted);
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[0]));
        QCOMPARE(w.form.CancelDownload->text(), QStringLiteral("Erneut versuchen"));
        QVERIFY(w.form.CancelDownload->isVisible());
        QVERIFY(!w.form.Button_Next->isEnabled());
        QVERIFY(w.form.isVisible());
        // The partial archive is deleted a moment after the abort.
        QVERIFY(QFile::exists(w.archive()));
        QVERIFY(fileContent(w.archive()).size() < size);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(w.archive()), 3000);

        // "Erneut versuchen" fetches it again from step 3.
        server.setRoutes({{QStringLiteral("/Updates/Brackwen%202.zip"),
                           QJsonObject{{QStringLiteral("file"), QStringLiteral("Updates/Brackwen 2.zip")}}}});
        QTest::mouseClick(w.form.CancelDownload, Qt::LeftButton);
        QCOMPARE(w.form.CurrentStep, 3);
        QVERIFY(!w.form.DownloadAborted);
        QVERIFY(!w.form.CancelRequested);
        QCOMPARE(fileContent(w.archive()), archiveBody(size));
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[1]));
        QVERIFY(w.form.Button_Next->isEnabled());
        // A retry within the delay is not undone by the pending deletion.
        QTest::qWait(400);
        QVERIFY(QFile::exists(w.archive()));
    }

    void closeBoxDuringDownload_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Nein keeps it running") << QStringList{QStringLiteral("Nein")} << false;
        QTest::newRow("Ja closes after the abort") << QStringList{QStringLiteral("Ja")} << true;
    }
    void closeBoxDuringDownload()
    {
        QFETCH(QStringList, answers);
        QFETCH(bool, closed);
        serveSlowUpdate(32 * 1024, 2048, 0.02);
        Wizard w(server.base());
        w.env.rec->answers = answers;
        bool visibleRightAfterClose = false;
        whenReceived(w.form, 4096, [&] {
            w.form.close();
            visibleRightAfterClose = w.form.isVisible();
        });
        w.download();
        QVERIFY(visibleRightAfterClose); // the close waits for the transfer to stop
        QCOMPARE(w.env.rec->questions.size(), 1);
        QCOMPARE(w.form.isVisible(), !closed);
        QCOMPARE(w.form.DownloadAborted, closed);
        QCOMPARE(fileContent(w.archive()).size() == 32 * 1024, !closed);
        QVERIFY(!w.form.TerminateRequested);
    }

    void abbrechenDuringDownload_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Nein") << QStringList{QStringLiteral("Nein")} << 1 << false;
        QTest::newRow("Ja, then Nein cannot undo it")
            << QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")} << 2 << true;
        QTest::newRow("Ja, Ja") << QStringList{QStringLiteral("Ja"), QStringLiteral("Ja")} << 2 << true;
    }
    void abbrechenDuringDownload()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, questions);
        QFETCH(bool, closed);
        serveSlowUpdate(32 * 1024, 2048, 0.02);
        Wizard w(server.base());
        w.env.rec->answers = answers;
        whenReceived(w.form, 4096, [&] { QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton); });
        w.download();
        QCOMPARE(w.env.rec->questions.size(), questions);
        QCOMPARE(w.form.isVisible(), !closed);
        QCOMPARE(w.form.DownloadAborted, closed);
    }

    void failedArchiveDownloadOffersRetry()
    {
        server.put(QStringLiteral("Updates.ini"), "[Kielwanz]\r\nDate=01.06.2024\r\nFile=fehlt.zip\r\n");
        Wizard w(server.base());
        w.download();
        QCOMPARE(w.form.CurrentStep, 3);
        QCOMPARE(w.form.Label_Download->text(), shown(TStatusForm::DownloadResultTexts[0]));
        QCOMPARE(w.form.CancelDownload->text(), QStringLiteral("Erneut versuchen"));
        QVERIFY(!w.form.Button_Next->isEnabled());
        QVERIFY(w.form.UpdateAvailable);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(w.archive()), 3000);
        // Retry once the archive is there.
        server.put(QStringLiteral("Updates/fehlt.zip"), "PK");
        QTest::mouseClick(w.form.CancelDownload, Qt::LeftButton);
        QCOMPARE(fileContent(w.archive()), QByteArray("PK"));
        QVERIFY(w.form.Button_Next->isEnabled());
    }

    void redirectedServer()
    {
        server.put(QStringLiteral("mirror/Updates.ini"), "[Kielwanz]\r\nDate=01.06.2024\r\nFile=k.zip\r\n");
        server.put(QStringLiteral("Updates/k.zip"), "archive");
        server.setRoutes({{QStringLiteral("/Updates.ini"),
                           QJsonObject{{QStringLiteral("status"), 302},
                                       {QStringLiteral("location"),
                                        QStringLiteral("http://localhost:{port}/mirror/Updates.ini")}}}});
        Wizard w(server.base());
        w.download();
        QCOMPARE(fileContent(w.archive()), QByteArray("archive"));
        // The archive was asked of the host the list was redirected to.
        QVERIFY(server.requests().last().startsWith(QStringLiteral("/Updates/k.zip localhost:")));
    }

    void settingsPageRoundTrip()
    {
        Wizard w(server.base());
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton); // step 1
        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QCOMPARE(w.form.Pages->currentIndex(), 6);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Einstellungen"));
        QVERIFY(!w.form.Button_Settings->isVisible());
        QVERIFY(w.form.Button_SettingsSave->isVisible());
        QVERIFY(w.form.RadioButton_AutoUpdt->isChecked());
        QCOMPARE(w.form.SpinEdit_AutoUpdt->value(), 7);
        w.form.SpinEdit_AutoUpdt->setValue(14);
        QTest::mouseClick(w.form.Button_SettingsSave, Qt::LeftButton);
        QCOMPARE(w.form.Pages->currentIndex(), 1);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Auf neue Updates prüfen"));
        QVERIFY(w.form.Button_Settings->isVisible());
        QCOMPARE(w.store().readInteger(QStringLiteral("UpdateInterval")).value_or(0), 14);
        QVERIFY(!w.store().valueExists(QStringLiteral("NoUpdate")));
        QVERIFY(!w.store().valueExists(QStringLiteral("Update"))); // saving leaves the next check day alone

        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QCOMPARE(w.form.SpinEdit_AutoUpdt->value(), 14);
        w.form.RadioButton_NoAutoUpdt->setChecked(true);
        QVERIFY(!w.form.SpinEdit_AutoUpdt->isEnabled());
        QVERIFY(!w.form.Label_AutoUpdt1->isEnabled());
        QTest::mouseClick(w.form.Button_SettingsSave, Qt::LeftButton);
        QVERIFY(w.store().valueExists(QStringLiteral("NoUpdate")));
        QVERIFY(!w.store().valueExists(QStringLiteral("UpdateInterval")));

        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QVERIFY(w.form.RadioButton_NoAutoUpdt->isChecked());
        QVERIFY(!w.form.SpinEdit_AutoUpdt->isEnabled());
        w.form.RadioButton_AutoUpdt->setChecked(true);
        QVERIFY(w.form.SpinEdit_AutoUpdt->isEnabled());
        // "Abbrechen" on the settings page (here by Esc) writes nothing.
        QTest::keyClick(&w.form, Qt::Key_Escape);
        QCOMPARE(w.form.Pages->currentIndex(), 1);
        QVERIFY(w.form.isVisible());
        QVERIFY(w.store().valueExists(QStringLiteral("NoUpdate")));
    }

    void nextCheckDay_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("interval"); // stored "UpdateInterval" line, if any
        QTest::addColumn<int>("expectedDays"); // from today; -99: not written
        QTest::newRow("Beenden without update") << QStringLiteral("finish") << QString() << 6;
        QTest::newRow("Beenden, 14 days")
            << QStringLiteral("finish") << QStringLiteral("dword:0000000e") << 13;
        QTest::newRow("Beenden, interval 0")
            << QStringLiteral("finish") << QStringLiteral("dword:00000000") << 6;
        QTest::newRow("Beenden, interval -3")
            << QStringLiteral("finish") << QStringLiteral("dword:fffffffd") << 6;
        QTest::newRow("Beenden, interval 1")
            << QStringLiteral("finish") << QStringLiteral("dword:00000001") << 0;
        QTest::newRow("failed check") << QStringLiteral("failed") << QString() << -99;
        QTest::newRow("cancelled at the welcome page") << QStringLiteral("cancel") << QString() << -99;
        QTest::newRow("update found, cancelled") << QStringLiteral("found") << QString() << -99;
    }
    void nextCheckDay()
    {
        QFETCH(QString, how);
        QFETCH(QString, interval);
        QFETCH(int, expectedDays);
        server.put(QStringLiteral("Updates.ini"), how == u"found" ? "[Kielwanz]\r\nDate=01.06.2024\r\n"
                                                                  : "[Kielwanz]\r\nDate=01.01.2024\r\n");
        Wizard w(server.base());
        if (!interval.isEmpty())
            w.env.writeSettings(false, QStringLiteral("[Software\\Lx\\Kielwanz]\r\nUpdateInterval=") +
                                           interval + "\r\n");
        if (how == u"failed")
            w.env.rec->online = false;
        if (how != u"cancel")
            w.check();
        if (how == u"finish") {
            QCOMPARE(w.form.Button_Next->text(), QStringLiteral("Beenden"));
            QTest::mouseClick(w.form.Button_Next, Qt::LeftButton);
        } else {
            QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton);
        }
        QVERIFY(!w.form.isVisible());
        QVERIFY(!w.form.TerminateRequested);
        QVERIFY(!w.store().valueExists(QStringLiteral("Update"))); // only at program end
        w.form.FormDestroy();
        const auto update = w.store().readDate(QStringLiteral("Update"));
        if (expectedDays == -99)
            QVERIFY(!update.has_value());
        else
            QCOMPARE(update.value_or(0), UpdateDates::fromDate(w.env.rec->today.addDays(expectedDays)));
    }

    void installStep_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::newRow("prepared") << QStringLiteral("good");
        QTest::newRow("damaged archive") << QStringLiteral("damaged");
        QTest::newRow("archive gone") << QStringLiteral("gone");
    }
    void installStep()
    {
        QFETCH(QString, archive);
        const QString zip = server.root() + QStringLiteral("/Updates/i.zip");
        QDir().mkpath(server.root() + QStringLiteral("/Updates"));
        if (archive == u"damaged")
            server.put(QStringLiteral("Updates/i.zip"), "PK\x03\x04 kein Archiv");
        else
            QVERIFY(InstallTest::WriteZip(zip, {{"Update.bat", " echo %s\r\n"}, {"kielwanz", "neu"}}));
        server.put(QStringLiteral("Updates.ini"), "[Kielwanz]\r\nDate=01.06.2024\r\nFile=i.zip\r\n");
        Wizard w(server.base());
        w.download();
        QVERIFY2(w.form.Button_Next->isEnabled(),
                 qPrintable(QStringLiteral("step %1 status %2 failed %3 aborted %4 %5")
                                .arg(w.form.CurrentStep)
                                .arg(w.form.HTTP->lastStatus())
                                .arg(w.form.DownloadFailed)
                                .arg(w.form.DownloadAborted)
                                .arg(server.requests().join(u','))));
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton); // 4
        QCOMPARE(w.form.Pages->currentIndex(), 4);
        if (archive == u"gone")
            QVERIFY(QFile::remove(w.archive()));
        QTest::mouseClick(w.form.Button_Next, Qt::LeftButton); // 5
        QCOMPARE(w.form.CurrentStep, 5);

        if (archive == u"good") {
            QVERIFY(w.form.InstallPrepared);
            QCOMPARE(w.form.Pages->currentIndex(), 5);
            QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Abschließen der Installation"));
            QCOMPARE(w.form.Button_Next->text(), QStringLiteral("Beenden"));
            QVERIFY(!w.form.Button_Cancel->isEnabled());
            QVERIFY(!QFile::exists(w.archive()));
            QTest::mouseClick(w.form.Button_Next, Qt::LeftButton); // 6: the program ends
            QVERIFY(!w.form.isVisible());
            QVERIFY(w.form.TerminateRequested);
            QVERIFY(w.env.rec->installations.isEmpty()); // only when the program ends
            w.form.FormDestroy();
            QCOMPARE(w.env.rec->installations.size(), 1);
            QVERIFY(w.env.rec->installations.first().endsWith(QStringLiteral("/Update.bat")));
            QCOMPARE(w.store().readDate(QStringLiteral("Update")).value_or(0),
                     UpdateDates::fromDate(w.env.rec->today.addDays(6)));
            return;
        }
        QVERIFY(!w.form.InstallPrepared);
        QCOMPARE(w.form.Pages->currentIndex(), 4);
        QVERIFY(!w.form.Button_Next->isEnabled());
        if (archive == u"gone")
            QCOMPARE(w.form.Label3->text(),
                     QStringLiteral(
                         "Die Installationsdateien wurden nicht gefunden. Klicken Sie auf \"Abbrechen\" "
                         "und versuchen Sie es später noch einmal."));
        else
            QVERIFY2(!w.form.Label3->text().startsWith(QStringLiteral("Das Update kann jetzt")) &&
                         w.form.Label3->text().contains(QStringLiteral("Abbrechen")),
                     qPrintable(w.form.Label3->text()));
        // The settings page returns to that error page, not to the finish page.
        QTest::mouseClick(w.form.Button_Settings, Qt::LeftButton);
        QTest::mouseClick(w.form.Button_SettingsCancel, Qt::LeftButton);
        QCOMPARE(w.form.Pages->currentIndex(), 4);
        // Leaving from here ends the program, without an installation.
        QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton);
        QVERIFY(!w.form.isVisible());
        QVERIFY(w.form.TerminateRequested);
        w.form.FormDestroy();
        QVERIFY(w.env.rec->installations.isEmpty());
        QVERIFY(!w.store().valueExists(QStringLiteral("Update")));
    }

    void secondShowingStartsAfresh()
    {
        serveSlowUpdate(32 * 1024, 2048, 0.02);
        Wizard w(server.base());
        w.env.rec->answers = {QStringLiteral("Ja")};
        whenReceived(w.form, 4096, [&] { QTest::mouseClick(w.form.CancelDownload, Qt::LeftButton); });
        w.download();
        QVERIFY(w.form.DownloadAborted);
        QTest::mouseClick(w.form.Button_Cancel, Qt::LeftButton);
        QVERIFY(!w.form.isVisible());

        w.form.show();
        QCOMPARE(w.form.CurrentStep, 0);
        QCOMPARE(w.form.Pages->currentIndex(), 0);
        QCOMPARE(w.form.Panel_Title->text(), QStringLiteral("Willkommen"));
        QVERIFY(!w.form.DownloadAborted);
        QVERIFY(!w.form.CancelRequested);
        QVERIFY(!w.form.UpdateAvailable);
        QVERIFY(w.form.Button_Next->isEnabled());
        QVERIFY(w.form.Button_Cancel->isEnabled());
        server.setRoutes({});
        w.download();
        QCOMPARE(w.form.CurrentStep, 3);
        QCOMPARE(fileContent(w.archive()).size(), 32 * 1024);
        QVERIFY(!w.form.CancelDownload->isVisible());
    }
};

QTEST_MAIN(tst_updatewizard)
#include "tst_updatewizard.moc"
