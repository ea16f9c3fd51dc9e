#include "update/UpdatePlatform.h"
#include "update/UpdateSettingsStore.h"

#include <sys/stat.h>

#include <QtTest>

// The stored update settings: typed values, presence, damage.
class tst_updatesettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("sub/UpdateSettings.ini")); }

    void writeRaw(const QString &values)
    {
        QDir().mkpath(dir.filePath(QStringLiteral("sub")));
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("[Software\\Lx\\Kielwanz]\r\n" + values).toUtf8());
    }

private slots:
    void init() { QFile::remove(file()); }

    void roundTrip()
    {
        {
            UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
            store.writeDate(QStringLiteral("Update"), 45450.0);
            store.writeInteger(QStringLiteral("UpdateInterval"), 14);
            store.writeString(QStringLiteral("NoUpdate"), QString());
            store.writeString(QStringLiteral("ApplicationFileName"),
                              QStringLiteral("\"/opt/kw/kielwanz\" -x"));
            QVERIFY(store.save());
        }
        const UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
        QCOMPARE(store.readDate(QStringLiteral("Update")).value_or(-1), 45450.0);
        QCOMPARE(store.readInteger(QStringLiteral("UpdateInterval")).value_or(-1), 14);
        QVERIFY(store.valueExists(QStringLiteral("NoUpdate")));
        QCOMPARE(store.readString(QStringLiteral("NoUpdate")).value_or(QStringLiteral("?")), QString());
        QCOMPARE(store.readString(QStringLiteral("ApplicationFileName")).value_or(QString()),
                 QStringLiteral("\"/opt/kw/kielwanz\" -x"));
        // Another program's key is another section.
        QVERIFY(
            !UpdateSettingsStore(file(), QStringLiteral("Anders")).valueExists(QStringLiteral("NoUpdate")));
    }

    void layoutOnDisk()
    {
        UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
        store.writeDate(QStringLiteral("Update"), 38000.0); // 14.01.2004
        store.writeInteger(QStringLiteral("UpdateInterval"), -1);
        QVERIFY(store.save());
        QFile f(file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QStringLiteral("[Software\\Lx\\Kielwanz]")));
        QVERIFY(text.contains(QStringLiteral("Update=hex:00,00,00,00,00,8e,e2,40")));
        QVERIFY(text.contains(QStringLiteral("UpdateInterval=dword:ffffffff")));
        QCOMPARE(UpdateSettingsStore(file(), QStringLiteral("Kielwanz"))
                     .readInteger(QStringLiteral("UpdateInterval"))
                     .value_or(0),
                 -1);
    }

    void damagedValuesReadAsAbsent_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("date of 7 bytes") << QStringLiteral("Update=hex:00,00,00,00,e0,8d,e2");
        QTest::newRow("date of 9 bytes") << QStringLiteral("Update=hex:00,00,00,00,e0,8d,e2,40,00");
        QTest::newRow("date as dword") << QStringLiteral("Update=dword:00009456");
        QTest::newRow("date as text") << QStringLiteral("Update=14.01.2004");
        QTest::newRow("date not hex") << QStringLiteral("Update=hex:zz,00,00,00,e0,8d,e2,40");
        QTest::newRow("date NaN") << QStringLiteral("Update=hex:00,00,00,00,00,00,f8,7f");
        QTest::newRow("date far future") << QStringLiteral("Update=hex:00,00,00,00,00,00,f0,7f");
        QTest::newRow("interval as text") << QStringLiteral("UpdateInterval=sz:14");
        QTest::newRow("interval too long") << QStringLiteral("UpdateInterval=dword:100000000");
        QTest::newRow("interval plain") << QStringLiteral("UpdateInterval=14");
        QTest::newRow("interval empty") << QStringLiteral("UpdateInterval=dword:");
    }
    void damagedValuesReadAsAbsent()
    {
        QFETCH(QString, line);
        writeRaw(line + QStringLiteral("\r\n"));
        const UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
        QVERIFY(!store.readDate(QStringLiteral("Update")).has_value());
        QVERIFY(!store.readInteger(QStringLiteral("UpdateInterval")).has_value());
    }

    void presenceCountsWhateverTheType()
    {
        writeRaw(QStringLiteral("OnlyUpdate=dword:00000001\r\nNoUpdate=hex:01\r\n"));
        const UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
        QVERIFY(store.valueExists(QStringLiteral("OnlyUpdate")));
        QVERIFY(store.valueExists(QStringLiteral("NoUpdate")));
        QVERIFY(!store.valueExists(QStringLiteral("Update")));
    }

    void deleteValue()
    {
        writeRaw(QStringLiteral("NoUpdate=sz:\r\nUpdateInterval=dword:0000000e\r\n"));
        {
            UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
            store.deleteValue(QStringLiteral("NoUpdate"));
            QVERIFY(store.save());
        }
        const UpdateSettingsStore store(file(), QStringLiteral("Kielwanz"));
        QVERIFY(!store.valueExists(QStringLiteral("NoUpdate")));
        QCOMPARE(store.readInteger(QStringLiteral("UpdateInterval")).value_or(0), 14);
    }

    void unwritableFileIsReported()
    {
        UpdateSettingsStore store(QStringLiteral("/proc/kielwanz/none.ini"), QStringLiteral("Kielwanz"));
        store.writeInteger(QStringLiteral("UpdateInterval"), 3);
        QString error;
        QVERIFY(!store.save(&error));
    }

    void privateTemporaryFolder()
    {
        QTemporaryDir runtime;
        QTemporaryDir temp;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        auto mode = [](const QString &path) {
            struct stat st {};
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
        };

        const QString first = UpdateSystem::privateTempFolder();
        QCOMPARE(first, runtime.path() + QStringLiteral("/kielwanz-update/"));
        QCOMPARE(mode(first), 0700);
        // Opened up by someone: closed again.
        QFile::setPermissions(first, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                         QFileDevice::ExeOther);
        QCOMPARE(UpdateSystem::privateTempFolder(), first);
        QCOMPARE(mode(first), 0700);

        // A link in its place is not followed; the temporary location is used.
        QDir(first).removeRecursively();
        QVERIFY(QFile::link(temp.path(), runtime.path() + QStringLiteral("/kielwanz-update")));
        const QString second = UpdateSystem::privateTempFolder();
        QVERIFY2(second.startsWith(temp.path() + QStringLiteral("/kielwanz-update-")), qPrintable(second));
        QCOMPARE(mode(second), 0700);
        QVERIFY(second != temp.path() + u'/');

        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTemp);
    }
};

QTEST_GUILESS_MAIN(tst_updatesettings)
#include "tst_updatesettings.moc"
