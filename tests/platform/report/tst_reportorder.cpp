#include <QCollator>
#include <QDebug>
#include <QTest>
#include <algorithm>

#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "platform/report/ReportLayout.h"
#include "test_support/PlainSqlite.h"
#include "test_support/TempProgramFolder.h"

namespace {

// Titles and authors only, two lines a card: many pages from a few hundred cards.
ReportTemplate cardsTemplate(const QString& order = QStringLiteral("TITOLO, AUTORE")) {
    return ReportTemplate::parse(
        QStringLiteral("RACCOLIO-REPORT 1\n@source LIBRI\n@order %1\n@title T\n@body cards\n"
                       "@column TITOLO; Titolo; 1\n@column AUTORE; Autore; 1\n")
            .arg(order),
        QStringLiteral("X.RPT"));
}

QStringList texts(const std::vector<ReportItem>& items) {
    QStringList out;
    for (const ReportItem& item : items)
        if (item.style == ReportItem::Style::Text)
            out << item.text;
    return out;
}

// Everything a painter reads of a page.
QStringList everything(const std::vector<ReportItem>& items) {
    QStringList out;
    for (const ReportItem& item : items)
        QDebug(&out.emplace_back()) << int(item.style) << item.box << item.text;
    return out;
}

std::vector<std::vector<ReportItem>> walkAll(const ReportLayout& layout) {
    std::vector<std::vector<ReportItem>> pages;
    layout.walk(1, layout.pageCount(), [&](int number, std::vector<ReportItem> items) {
        if (number != int(pages.size()) + 1)
            return false;
        pages.push_back(std::move(items));
        return true;
    });
    return pages;
}

QStringList walkedTexts(const ReportLayout& layout) {
    QStringList out;
    for (const auto& page : walkAll(layout))
        out << texts(page);
    return out;
}

void insert(Database& db, const QVariant& title, const QVariant& author) {
    db.query(QStringLiteral("INSERT INTO LIBRI (TITOLO, AUTORE) VALUES (?, ?)"), {title, author});
}

// What the report must print for a title-only order: the titles in the Italian collator's
// order, ties in table order, a missing title (printed empty) first.
QStringList italianOrder(Database& db) {
    QStringList titles;
    int missing = 0;
    for (const QVariantList& row :
         db.query(QStringLiteral("SELECT TITOLO FROM LIBRI ORDER BY rowid"))) {
        if (row.value(0).isNull())
            ++missing;
        else
            titles << row.value(0).toString();
    }
    const QCollator collator(QLocale(QLocale::Italian, QLocale::Italy));
    std::stable_sort(titles.begin(), titles.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    for (int i = 0; i < missing; ++i)
        titles.prepend(QString());
    return titles;
}

}  // namespace

// The order of the printed cards and its stored keys, as other tools leave them.
class TestReportOrder : public QObject {
    Q_OBJECT

private slots:
    void accentedTitlesPrintInItalianOrderAndOtherToolsStillWrite_data() {
        QTest::addColumn<QByteArray>("otherTool");
        QTest::addColumn<bool>("triggersOff");
        QTest::newRow("insert, update, delete")
            << QByteArray(
                   "INSERT INTO LIBRI (TITOLO) VALUES ('Àncora');"
                   "UPDATE LIBRI SET TITOLO = 'Ìndice' WHERE TITOLO = 'Zorro';"
                   "DELETE FROM LIBRI WHERE TITOLO = 'abaco';")
            << false;
        QTest::newRow("rows numbered afresh")
            << QByteArray("DELETE FROM LIBRI WHERE TITOLO = 'abaco'; VACUUM;") << false;
        QTest::newRow("rows added and deleted with triggers off")
            << QByteArray(
                   "DELETE FROM LIBRI WHERE TITOLO LIKE 'e%';"
                   "INSERT INTO LIBRI (rowid, TITOLO) VALUES (0, 'Àncora');")
            << true;
        QTest::newRow("index dropped") << QByteArray("DROP INDEX") << false;
    }

    void accentedTitlesPrintInItalianOrderAndOtherToolsStillWrite() {
        QFETCH(QByteArray, otherTool);
        QFETCH(bool, triggersOff);
        TempProgramFolder folder;
        auto db = Database::open(folder.cataloguePath());
        for (const char* title :
             {"Zorro", "ÀBACO delle Città", "Èrba e Öl", "ÉPOCA d'oro", "abaco", "epoca", "Erba",
              "zebra", "Ölio", "1984", "'O sole", "Ecco", "ecco", "ÀBACO delle Città"})
            insert(*db, QString::fromUtf8(title), QVariant());
        insert(*db, QVariant(), QVariant());
        // An older catalogue ordered through a NOCASE index of the table.
        db->exec(QStringLiteral(
            "CREATE INDEX raccolio_ordine_LIBRI_TITOLO ON LIBRI (TITOLO COLLATE NOCASE)"));
        const ReportTemplate report = ReportTemplate::parse(
            QStringLiteral(
                "RACCOLIO-REPORT 1\n@source LIBRI\n@order TITOLO\n@column TITOLO; T; 1\n"),
            QStringLiteral("X.RPT"));
        QCOMPARE(walkedTexts(ReportLayout(report, db, QDate(2026, 1, 2))), italianOrder(*db));
        QVERIFY(db->query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = "
                                         "'raccolio_ordine_LIBRI_TITOLO'"))
                    .isEmpty());

        {
            PlainSqlite tool(folder.cataloguePath());
            if (triggersOff)
                sqlite3_db_config(tool.db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0,
                                  static_cast<int*>(nullptr));
            if (otherTool == "DROP INDEX") {
                const auto index = db->query(QStringLiteral(
                    "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                    "'raccolio_chiavi_LIBRI_TITOLO'"));
                QCOMPARE(index.size(), 1);
                otherTool = "DROP INDEX \"" + index[0][0].toString().toUtf8() + "\"";
            }
            QCOMPARE(tool.run(otherTool.constData()), QString());
            // Nothing in the schema needs the program: the whole file checks out.
            QCOMPARE(tool.run("PRAGMA integrity_check;"), QString());
        }
        const QStringList expected = italianOrder(*db);
        // Where keys cannot be brought up to date, the collation sorts.
        db->exec(QStringLiteral("PRAGMA query_only = 1"));
        const ReportLayout sorted(report, db, QDate(2026, 1, 2));
        QCOMPARE(walkedTexts(sorted), expected);
        QCOMPARE(texts(sorted.page(1)), expected);
        db->exec(QStringLiteral("PRAGMA query_only = 0"));
        QCOMPARE(walkedTexts(ReportLayout(report, db, QDate(2026, 1, 2))), expected);
    }

    void pagesOfAWalkAreThePagesJumpedTo_data() {
        QTest::addColumn<int>("fullPages");
        QTest::addColumn<int>("extra");
        QTest::addColumn<QString>("order");
        const QString titles = QStringLiteral("TITOLO, AUTORE");
        QTest::newRow("empty") << 0 << 0 << titles;
        QTest::newRow("exact multiple of a page") << 3 << 0 << titles;
        QTest::newRow("one card over") << 3 << 1 << titles;
        QTest::newRow("beyond the remembered starts") << 140 << 5 << titles;
        QTest::newRow("authors first") << 3 << 1 << QStringLiteral("autore, titolo");
    }

    // Titles and authors repeat and are missing (Null) often: the keys tie, and the pages
    // must still split where a plain sort with the collation splits them.
    void pagesOfAWalkAreThePagesJumpedTo() {
        QFETCH(int, fullPages);
        QFETCH(int, extra);
        QFETCH(QString, order);
        TempProgramFolder folder;
        auto db = Database::open(folder.cataloguePath());
        const int perPage =
            ReportLayout(cardsTemplate(order), db, QDate(2026, 1, 2)).recordsPerPage();
        const int cards = fullPages * perPage + extra;
        {
            Transaction transaction(*db);
            for (int i = 0; i < cards; ++i)
                insert(*db, i % 7 == 0 ? QVariant() : QVariant(QStringLiteral("Èra %1").arg(i % 5)),
                       i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("autore %1").arg(i % 4)));
            transaction.commit();
        }
        const ReportLayout walked(cardsTemplate(order), db, QDate(2026, 1, 2));
        const int pages = walked.pageCount();
        QCOMPARE(pages, std::max(1, fullPages + (extra ? 1 : 0)));
        const auto all = walkAll(walked);
        QCOMPARE(int(all.size()), pages);

        QStringList reference;
        for (const QVariantList& row :
             db->query(QStringLiteral("SELECT TITOLO, AUTORE FROM LIBRI ORDER BY %1, rowid")
                           .arg(order.split(u',').join(QStringLiteral(" COLLATE ITALIAN,")) +
                                QStringLiteral(" COLLATE ITALIAN"))))
            reference << row.value(0).toString() << row.value(1).toString();
        for (int n = 1; n <= pages; ++n)
            QCOMPARE(texts(all[size_t(n - 1)]), reference.mid((n - 1) * perPage * 2, perPage * 2));

        // A new layout jumps about: from the end, from the start, from pages seen before.
        const ReportLayout jumping(cardsTemplate(order), db, QDate(2026, 1, 2));
        for (int n : {pages, pages / 2, 2, pages - 1, 1, pages / 2 + 1, pages / 3, 66, 129, 130}) {
            if (n < 1 || n > pages)
                continue;
            QCOMPARE(everything(jumping.page(n)), everything(all[size_t(n - 1)]));
        }
        // A walk from the middle, cancelled after its second page.
        const int from = std::max(1, pages / 2);
        std::vector<std::vector<ReportItem>> middle;
        const bool finished = jumping.walk(from, pages, [&](int, std::vector<ReportItem> items) {
            middle.push_back(std::move(items));
            return middle.size() < 2;
        });
        QCOMPARE(finished, pages - from < 1);
        for (size_t i = 0; i < middle.size(); ++i)
            QCOMPARE(everything(middle[i]), everything(all[size_t(from - 1) + i]));
    }
};

QTEST_GUILESS_MAIN(TestReportOrder)
#include "tst_reportorder.moc"
