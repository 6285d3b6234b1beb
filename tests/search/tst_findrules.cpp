#include <QTest>

#include "search/FindRules.h"

// The criteria texts of the find window; finding itself is tested through the window.
class TestFindRules : public QObject {
    Q_OBJECT

private slots:
    void criteriaPerChoice() {
        const QStringList fields{QStringLiteral("TITOLO"), QStringLiteral("CITAZIONE_PAGINA"),
                                 QStringLiteral("CITAZIONE_CITAZIONE")};
        const QString books = QStringLiteral("LIBRI");
        QCOMPARE(
            FindRules::criterion(QStringLiteral("TITOLO"), books, fields, QStringLiteral("rosso")),
            QStringLiteral("TITOLO Like \"*rosso*\""));
        QCOMPARE(FindRules::criterion(QStringLiteral("(TUTTI I CAMPI)"), books, fields,
                                      QStringLiteral("a")),
                 QStringLiteral("TITOLO Like \"*a*\" OR CITAZIONE_PAGINA Like \"*a*\" OR "
                                "CITAZIONE_CITAZIONE Like \"*a*\""));
        QCOMPARE(
            FindRules::criterion(QStringLiteral("CITAZIONE"), books, fields, QStringLiteral("a")),
            QStringLiteral("CITAZIONE_CITAZIONE Like \"*a*\""));
        // A quote is doubled inside the quoted pattern, so it is searched for.
        QCOMPARE(
            FindRules::criterion(QStringLiteral("TITOLO"), books, fields, QStringLiteral("a\"b")),
            QStringLiteral("TITOLO Like \"*a\"\"b*\""));
        QVERIFY(FindRules::criterion(QString(), books, fields, QStringLiteral("a")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFindRules)
#include "tst_findrules.moc"
