#include <QDir>
#include <QTest>

#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "test_support/ErrorOf.h"
#include "test_support/TempProgramFolder.h"

namespace {

QString dataFile(const QString& name) {
    return QStringLiteral(RACCOLIO_DATA_DIR "/") + name;
}

QStringList texts(const std::vector<ReportItem>& items, ReportItem::Style style) {
    QStringList out;
    for (const ReportItem& item : items)
        if (item.style == style)
            out << item.text;
    return out;
}

const char* kMinimal =
    "RACCOLIO-REPORT 1\n@source LIBRI\n@heading {F}\n@formula F = x\n"
    "@column TITOLO; Titolo; 1\n";

}  // namespace

// Templates, formulas and the page arithmetic of a layout.
class TestReportLayout : public QObject {
    Q_OBJECT

private slots:
    void malformedTemplatesNameTheirLine() {
        QString why;
        const auto parse = [&](const char* text) {
            return errorOf([&] { ReportTemplate::parse(QString::fromUtf8(text), "X.RPT"); }, &why);
        };
        QCOMPARE(parse("@source LIBRI"), kReportErrorNumber);
        QCOMPARE(parse("RACCOLIO-REPORT 1\n@source LIBRI\n\n@colonna A; a; 1\n"),
                 kReportErrorNumber);
        QVERIFY2(why.contains(QStringLiteral("X.RPT")) && why.contains(QStringLiteral("riga 4")),
                 qPrintable(why));
        QCOMPARE(parse("RACCOLIO-REPORT 1\n@source LIBRI\n@column A; a; zero\n"),
                 kReportErrorNumber);
        QVERIFY(why.contains(QStringLiteral("riga 3")));
        QCOMPARE(parse("RACCOLIO-REPORT 1\n@source LIBRI\n@heading {F}\n@column A; a; 1\n"),
                 kReportErrorNumber);
        QCOMPARE(parse(kMinimal), 0);
        QCOMPARE(errorOf([] { ReportTemplate::load(dataFile(QStringLiteral("NESSUNO.RPT"))); }),
                 53);
    }

    void formulaSlot() {
        ReportTemplate t = ReportTemplate::parse(QString::fromUtf8(kMinimal), "X.RPT");
        t.applyFormula({});
        QCOMPARE(t.expandedHeading(), QStringLiteral("x"));
        t.applyFormula(QStringLiteral("F= \"Campo: \"TITOLO\"\""));
        QCOMPARE(t.expandedHeading(), QStringLiteral("Campo: \"TITOLO\""));
        QCOMPARE(errorOf([&] { t.applyFormula(QStringLiteral("G= \"y\"")); }), kReportErrorNumber);
    }

    void shippedTemplatesLayOutPagesByArithmetic() {
        TempProgramFolder folder({100, 2, 2, 2});
        auto db = Database::open(folder.cataloguePath());
        // The search reports read the tables a structured search leaves.
        for (Archive a : allArchives)
            db->createTable(Archives::def(a).resultTable, db->fieldNames(Archives::def(a).table));
        for (const QString& name :
             QDir(QStringLiteral(RACCOLIO_DATA_DIR)).entryList({QStringLiteral("*.RPT")})) {
            const ReportTemplate t = ReportTemplate::load(dataFile(name));
            QVERIFY2(errorOf([&] { ReportLayout(t, db, QDate(2026, 1, 2)).page(1); }) == 0,
                     qPrintable(name));
        }

        ReportTemplate books = ReportTemplate::load(dataFile(QStringLiteral("LIBRI.RPT")));
        ReportLayout layout(books, db, QDate(2026, 1, 2));
        const int perPage = layout.recordsPerPage();
        QVERIFY(perPage > 10 && perPage < 100);
        QCOMPARE(layout.pageCount(), (100 + perPage - 1) / perPage);
        // Page 2 starts with record perPage + 1 in title order.
        QStringList titles = folder.column("LIBRI", "TITOLO");
        std::sort(titles.begin(), titles.end());
        const auto page2 = layout.page(2);
        QVERIFY(texts(page2, ReportItem::Style::Text).contains(titles[perPage]));
        QVERIFY(!texts(page2, ReportItem::Style::Text).contains(titles[perPage - 1]));

        // A catalogue that cannot take the order keys gives the same pages by a sort.
        const QList<int> checked{1, 2, layout.pageCount()};
        QList<QStringList> indexed;
        for (int n : checked)
            indexed << texts(layout.page(n), ReportItem::Style::Text);
        for (const QVariantList& keys :
             db->query(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name "
                                      "LIKE 'raccolio_chiavi%'")))
            db->exec(QStringLiteral("DROP TABLE ") +
                     Database::quoteIdentifier(keys.value(0).toString()));
        db->exec(QStringLiteral("PRAGMA query_only=1"));
        const ReportLayout sorted(books, db, QDate(2026, 1, 2));
        for (qsizetype i = 0; i < checked.size(); ++i)
            QCOMPARE(texts(sorted.page(checked[i]), ReportItem::Style::Text), indexed[i]);
        db->exec(QStringLiteral("PRAGMA query_only=0"));
        QVERIFY(texts(page2, ReportItem::Style::Small)
                    .contains(QStringLiteral("Pagina 2 di %1").arg(layout.pageCount())));
        QVERIFY(
            texts(page2, ReportItem::Style::Small).contains(QStringLiteral("Data: 02/01/2026")));
        // Every item stays on the page.
        const QRectF page(QPointF(0, 0), layout.pageSize());
        for (const ReportItem& item : sorted.page(sorted.pageCount()))
            QVERIFY(page.contains(item.box.topLeft()) && page.contains(item.box.bottomRight()));
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
