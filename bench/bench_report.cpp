// bench_report [cards, default 1000000] [template, default data/LIBRI.RPT]: the structured search
// and the report layout on a sample catalogue of that many books, beside the raw SQL doing the same
// work. Best of three; milliseconds.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "sample_catalogue.h"
#include "search/StructuredSearch.h"

namespace {

double best(const std::function<void()>& work, int runs = 3) {
    double fastest = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        fastest = std::min(fastest, double(t.nsecsElapsed()) / 1e6);
    }
    return fastest;
}

void row(const char* what, double ours, double raw) {
    std::printf("%-44s %9.1f ms  raw %9.1f ms  ratio %.2f\n", what, ours, raw, ours / raw);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 n = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RACCOLIO.MDB"));
    SampleCatalogue::create(path, {n, 0, 0, 0});
    auto db = Database::open(path);
    const ArchiveDef& books = Archives::def(Archive::Books);
    const QStringList fields = db->fieldNames(QStringLiteral("LIBRI"));

    const auto rawCount = [&](const QString& where) {
        db->query(QStringLiteral("SELECT COUNT(*) FROM LIBRI WHERE ") + where);
    };
    QStringList allTests;
    for (const QString& f : fields)
        allTests << QStringLiteral("raccolio_like(\"%1\", '*pergamena*')").arg(f);
    row("search TITOLO pergamena",
        best([&] { StructuredSearch::run(*db, books, "TITOLO", "pergamena"); }),
        best([&] { rawCount(QStringLiteral("raccolio_like(TITOLO, '*pergamena*')")); }));
    row("search (TUTTI I CAMPI) pergamena",
        best([&] { StructuredSearch::run(*db, books, "(TUTTI I CAMPI)", "pergamena"); }),
        best([&] { rawCount(allTests.join(QStringLiteral(" OR "))); }));
    row("search (TUTTI I CAMPI) a (every card)",
        best([&] { StructuredSearch::run(*db, books, "(TUTTI I CAMPI)", "a"); }, 1),
        best(
            [&] {
                db->exec(
                    QStringLiteral("DROP TABLE IF EXISTS RawCopy; CREATE TABLE RawCopy AS "
                                   "SELECT * FROM LIBRI WHERE raccolio_like(TITOLO, '*a*') "
                                   "OR raccolio_like(AUTORE, '*a*')"));
            },
            1));

    QFile file(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("data/LIBRI.RPT"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const ReportTemplate report =
        ReportTemplate::parse(QString::fromUtf8(file.readAll()), QStringLiteral("LIBRI.RPT"));
    std::unique_ptr<ReportLayout> layout;
    const double open = best([&] {
        layout = std::make_unique<ReportLayout>(report, db, QDate::currentDate());
        layout->page(1);
    });
    const int pages = layout->pageCount();
    std::printf("LIBRI.RPT open + page 1 of %d: %.1f ms\n", pages, open);
    QElapsedTimer first;
    first.start();
    layout->page(pages / 2);  // reads the row keys once
    std::printf("first later page (%d, reads the keys): %.1f ms\n", pages / 2,
                double(first.nsecsElapsed()) / 1e6);
    std::printf("page %d: %.1f ms\n", pages / 3, best([&] { layout->page(pages / 3); }));
    std::printf("page %d: %.1f ms\n", pages, best([&] { layout->page(pages); }));
    return 0;
}
