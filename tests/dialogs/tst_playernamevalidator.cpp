#include "dialogs/PlayerNameValidator.h"

#include <QLineEdit>
#include <QtTest>

// The wizard's name fields take only what Windows-1252 can carry.
class tst_playernamevalidator : public QObject {
    Q_OBJECT

    // Typed character by character, as a keyboard with these keys would.
    static void type(QLineEdit &edit, const QString &text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&edit, &press);
        }
    }

private slots:
    void validate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("network");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("plain") << QStringLiteral("Hanna") << true << true;
        QTest::newRow("umlauts, euro, dash") << QStringLiteral("Jörg – €") << true << true;
        QTest::newRow("Polish letter") << QStringLiteral("Łukasz") << false << false;
        QTest::newRow("Greek") << QStringLiteral("Ωmega") << false << false;
        QTest::newRow("emoji") << QStringLiteral("a😀") << false << false;
        QTest::newRow("tab") << QStringLiteral("a\tb") << false << false;
        QTest::newRow("start word alone") << QStringLiteral("%GO%") << true << true;
        QTest::newRow("start word inside, network") << QStringLiteral("ab%GO%") << true << false;
        QTest::newRow("start word inside, local") << QStringLiteral("ab%GO%") << false << true;
        QTest::newRow("empty") << QString() << true << true;
    }
    void validate()
    {
        QFETCH(QString, text);
        QFETCH(bool, network);
        QFETCH(bool, acceptable);
        PlayerNameValidator v(network);
        int pos = 0;
        QCOMPARE(v.validate(text, pos) == QValidator::Acceptable, acceptable);
    }

    void typingSkipsWhatCannotBeSent()
    {
        QLineEdit edit;
        edit.setMaxLength(10);
        edit.setValidator(new PlayerNameValidator(true, &edit));
        type(edit, QStringLiteral("Zoë Łx"));
        QCOMPARE(edit.text(), QStringLiteral("Zoë x"));
        edit.clear();
        type(edit, QStringLiteral("a%GO%"));
        QCOMPARE(edit.text(), QStringLiteral("a%GO"));
    }

    void fixupDropsTheRest()
    {
        PlayerNameValidator v(true);
        QString s = QStringLiteral("Ła%GO%b\u0001");
        v.fixup(s);
        QCOMPARE(s, QStringLiteral("ab"));
    }
};

QTEST_MAIN(tst_playernamevalidator)
#include "tst_playernamevalidator.moc"
