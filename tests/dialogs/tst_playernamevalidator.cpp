#include "dialogs/PlayerNameValidator.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The wizard's name fields take only what Windows-1252 can carry, and a
// network name holds the start word only as the whole name.
class tst_playernamevalidator : public QObject {
    Q_OBJECT

private slots:
    void validate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("network");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("umlauts, euro, dash") << u"Jörg – €"_s << true << true;
        QTest::newRow("Polish letter") << u"Łukasz"_s << false << false;
        QTest::newRow("emoji") << u"a😀"_s << false << false;
        QTest::newRow("tab") << u"a\tb"_s << false << false;
        QTest::newRow("start word alone") << u"%GO%"_s << true << true;
        QTest::newRow("start word inside, network") << u"ab%GO%"_s << true << false;
        QTest::newRow("start word inside, local") << u"ab%GO%"_s << false << true;
    }
    void validate()
    {
        QFETCH(QString, text);
        QFETCH(bool, network);
        QFETCH(bool, acceptable);
        int pos = 0;
        QCOMPARE(PlayerNameValidator(network).validate(text, pos) == QValidator::Acceptable, acceptable);
    }

    void fixupDropsTheRest()
    {
        QString s = u"Ła%GO%b\u0001"_s;
        PlayerNameValidator(true).fixup(s);
        QCOMPARE(s, u"ab"_s);
    }
};

QTEST_MAIN(tst_playernamevalidator)
#include "tst_playernamevalidator.moc"
