#include <QTest>

#include "TempProgramFolder.h"
#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "search/FindRules.h"

class TestFindRules : public QObject {
    Q_OBJECT

private slots:
    void booksGatherTheQuotationAtTheEnd() {
        const ArchiveDef& books = Archives::byTab(1);
        const QStringList choices = FindRules::fieldChoices(books.table, books.tableOrder);
        QStringList expected{QStringLiteral("(TUTTI I CAMPI)")};
        expected << books.tableOrder;
        expected.removeAt(15);  // CITAZIONE_CITAZIONE
        expected.removeAt(14);  // CITAZIONE_PAGINA
        expected << QStringLiteral("CITAZIONE");
        QCOMPARE(choices, expected);
        for (int tab = 2; tab <= 4; ++tab) {
            const ArchiveDef& a = Archives::byTab(tab);
            QCOMPARE(FindRules::fieldChoices(a.table, a.tableOrder),
                     QStringList{QStringLiteral("(TUTTI I CAMPI)")} + a.tableOrder);
        }
        QCOMPARE(FindRules::windowCaption(QStringLiteral("Video")),
                 QStringLiteral("Trova nell'raccolio: Video"));
    }

    void criteriaPerChoice() {
        const QStringList fields{QStringLiteral("TITOLO"), QStringLiteral("CITAZIONE_PAGINA"),
                                 QStringLiteral("CITAZIONE_CITAZIONE")};
        const QString books = QStringLiteral("LIBRI");
        QCOMPARE(FindRules::criterion(QStringLiteral("TITOLO"), books, fields, QStringLiteral("rosso")),
                 QStringLiteral("TITOLO Like \"*rosso*\""));
        QCOMPARE(FindRules::criterion(QStringLiteral("(TUTTI I CAMPI)"), books, fields,
                                      QStringLiteral("a")),
                 QStringLiteral("TITOLO Like \"*a*\" OR CITAZIONE_PAGINA Like \"*a*\" OR "
                                "CITAZIONE_CITAZIONE Like \"*a*\""));
        QCOMPARE(FindRules::criterion(QStringLiteral("CITAZIONE"), books, fields, QStringLiteral("a")),
                 QStringLiteral("CITAZIONE_CITAZIONE Like \"*a*\""));
        // A quote is doubled inside the quoted pattern, so it is searched for.
        QCOMPARE(FindRules::criterion(QStringLiteral("TITOLO"), books, fields, QStringLiteral("a\"b")),
                 QStringLiteral("TITOLO Like \"*a\"\"b*\""));
        QVERIFY(FindRules::criterion(QString(), books, fields, QStringLiteral("a")).isEmpty());
    }

    void fourDirectionsAndThePositionFound() {
        TempProgramFolder folder({0, 0, 0, 12});
        auto db = Database::open(folder.cataloguePath());
        auto rs = db->openRecordSet(QStringLiteral("VIDEO"));
        // "1 REGISTA" is in cards 1 and 11 only.
        const QString crit = FindRules::criterion(QStringLiteral("REGISTA"), QStringLiteral("VIDEO"),
                                                  rs->fieldNames(), QStringLiteral("1 REGISTA"));
        rs->moveFirst();
        QVERIFY(FindRules::find(*rs, FindRules::Direction::First, crit));
        QCOMPARE(FindRules::currentPosition(*rs), 1);
        QVERIFY(FindRules::find(*rs, FindRules::Direction::Next, crit));
        QCOMPARE(FindRules::currentPosition(*rs), 11);
        QVERIFY(!FindRules::find(*rs, FindRules::Direction::Next, crit));
        QCOMPARE(FindRules::currentPosition(*rs), 11);
        QVERIFY(FindRules::find(*rs, FindRules::Direction::Previous, crit));
        QCOMPARE(FindRules::currentPosition(*rs), 1);
        QVERIFY(FindRules::find(*rs, FindRules::Direction::Last, crit));
        QCOMPARE(FindRules::currentPosition(*rs), 11);
        // Every position of a set of 12 reads back exactly.
        for (int i = 0; i < 12; ++i) {
            rs->setAbsolutePosition(i);
            QCOMPARE(FindRules::currentPosition(*rs), i + 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestFindRules)
#include "tst_findrules.moc"
