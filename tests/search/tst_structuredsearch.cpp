#include <QTest>

#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "search/StructuredSearch.h"
#include "test_support/ErrorOf.h"
#include "test_support/TempProgramFolder.h"

// The structured search on a catalogue of 6 books and 3 videos. Book 2 and book 4 have
// "rosso" in their titles, book 5 in its notes, book 1 in its quotation.
class TestStructuredSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::shared_ptr<Database> db;
    const ArchiveDef& books = Archives::def(Archive::Books);

    StructuredSearch::Outcome search(const QString& choice, const QString& text,
                                     const ArchiveDef* archive = nullptr) {
        return StructuredSearch::run(*db, archive ? *archive : books, choice, text);
    }
    QStringList result(const QString& field) const {
        QStringList values;
        for (const QVariantList& row :
             db->query(QStringLiteral("SELECT \"%1\" FROM TempLibri ORDER BY rowid").arg(field)))
            values << row.value(0).toString();
        return values;
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{6, 0, 0, 3});
        db = Database::open(folder->cataloguePath());
        db->exec(QStringLiteral(
            "UPDATE LIBRI SET TITOLO = 'Il cerchio rosso', ANNO = NULL, EDITORE = '' "
            "WHERE rowid = 2;"
            "UPDATE LIBRI SET TITOLO = 'ROSSO di sera', EDITORE = NULL WHERE rowid = 4;"
            "UPDATE LIBRI SET NOTE = 'copertina rossastra' WHERE rowid = 5;"
            "UPDATE LIBRI SET CITAZIONE_CITAZIONE = 'un mare rosso' WHERE rowid = 1;"));
    }
    void cleanup() {
        db.reset();
        folder.reset();
    }

    void oneFieldCreatesTheResultTable() {
        QVERIFY(!db->hasTable(QStringLiteral("TempLibri")));
        QCOMPARE(search(QStringLiteral("TITOLO"), QStringLiteral("rosso")).count, 2);
        // Every field of the archive, in its order, as text; matches in the engine's order.
        QCOMPARE(db->fieldNames(QStringLiteral("TempLibri")),
                 db->fieldNames(QStringLiteral("LIBRI")));
        QCOMPARE(result(QStringLiteral("TITOLO")), (QStringList{QStringLiteral("Il cerchio rosso"),
                                                                QStringLiteral("ROSSO di sera")}));
        // Null and empty values are kept as one space.
        QCOMPARE(result(QStringLiteral("ANNO")).first(), QStringLiteral(" "));
        QCOMPARE(result(QStringLiteral("EDITORE")), (QStringList{" ", " "}));
        QCOMPARE(result(QStringLiteral("AUTORE")).last(), QStringLiteral("LIBRI 4 AUTORE"));
    }

    void allFieldsAndQuotation() {
        // Any field, the quotation included; "rossastra" in the notes matches only "ross".
        QCOMPARE(search(QStringLiteral("(TUTTI I CAMPI)"), QStringLiteral("rosso")).count, 3);
        QCOMPARE(search(QStringLiteral("(TUTTI I CAMPI)"), QStringLiteral("ross")).count, 4);
        QCOMPARE(search(QStringLiteral("CITAZIONE"), QStringLiteral("ROSSO")).count, 1);
        QCOMPARE(result(QStringLiteral("TITOLO")), QStringList{QStringLiteral("LIBRI 1 TITOLO")});
    }

    void noMatchOrCancelKeepsThePreviousResult() {
        search(QStringLiteral("TITOLO"), QStringLiteral("rosso"));
        QCOMPARE(search(QStringLiteral("TITOLO"), QStringLiteral("verde")).count, 0);
        QCOMPARE(result(QStringLiteral("TITOLO")).size(), 2);

        // A search big enough for the engine to ask whether to go on, cancelled.
        db->exec(QStringLiteral("INSERT INTO LIBRI SELECT * FROM LIBRI"));
        for (int i = 0; i < 9; ++i)
            db->exec(QStringLiteral("INSERT INTO LIBRI SELECT * FROM LIBRI"));
        int asked = 0;
        const auto outcome = StructuredSearch::run(*db, books, QStringLiteral("(TUTTI I CAMPI)"),
                                                   QStringLiteral("L"), [&] {
                                                       ++asked;
                                                       return false;
                                                   });
        QVERIFY(outcome.cancelled);
        QCOMPARE(asked, 1);
        QCOMPARE(result(QStringLiteral("TITOLO")).size(), 2);
        // Not cancelled, the same search finds every card.
        QCOMPARE(StructuredSearch::run(*db, books, QStringLiteral("(TUTTI I CAMPI)"),
                                       QStringLiteral("L"), [] { return true; })
                     .count,
                 6 * 1024);
    }

    void otherArchivesAndUnknownFields() {
        const ArchiveDef& videos = Archives::def(Archive::Videos);
        QCOMPARE(search(QStringLiteral("REGISTA"), QStringLiteral("video 3"), &videos).count, 1);
        QCOMPARE(db->query(QStringLiteral("SELECT TITOLO FROM TempVideo")).value(0).value(0),
                 QVariant(QStringLiteral("VIDEO 3 TITOLO")));
        QCOMPARE(errorOf([&] { search(QStringLiteral("REGISTA"), QStringLiteral("x")); }), 3265);
        QCOMPARE(
            errorOf([&] { search(QStringLiteral("CITAZIONE"), QStringLiteral("x"), &videos); }),
            3265);
    }
};

QTEST_GUILESS_MAIN(TestStructuredSearch)
#include "tst_structuredsearch.moc"
