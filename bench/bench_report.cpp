// bench_report [cards, default 1000000] [template, default data/LIBRI.RPT]: the structured search
// and the report layout on a sample catalogue of that many books, beside the raw SQL doing the same
// work, then a PDF of 100,000 books written page after page. Best of three; milliseconds; peak
// memory as the kernel counts it (VmHWM, reset before each part).

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportPainter.h"
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

// The process's peak resident memory since the last reset, in MB.
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double elapsed(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
    resetPeak();
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
    std::printf("peak memory of the every-card search: %.0f MB\n", peakMegabytes());

    QFile file(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("data/LIBRI.RPT"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const ReportTemplate report =
        ReportTemplate::parse(QString::fromUtf8(file.readAll()), QStringLiteral("LIBRI.RPT"));
    std::unique_ptr<ReportLayout> layout;
    const auto open = [&] {
        layout = std::make_unique<ReportLayout>(report, db, QDate::currentDate());
        layout->page(1);
    };
    std::printf("LIBRI.RPT first open (builds its order index) + page 1: %.1f ms\n",
                elapsed(open));
    std::printf("LIBRI.RPT open + page 1 of %d: %.1f ms\n", layout->pageCount(), best(open));
    const int pages = layout->pageCount();
    std::printf("first later page (%d): %.1f ms\n", pages / 2,
                elapsed([&] { layout->page(pages / 2); }));
    std::printf("page %d: %.1f ms\n", pages / 3, best([&] { layout->page(pages / 3); }));
    std::printf("page %d: %.1f ms\n", pages, best([&] { layout->page(pages); }));

    // A PDF of 100,000 books streams to disk: memory stays flat however many pages.
    QTemporaryDir pdfDir;
    const QString small = pdfDir.filePath(QStringLiteral("RACCOLIO.MDB"));
    SampleCatalogue::create(small, {100000, 0, 0, 0});
    layout.reset();
    const ReportLayout hundredThousand(report, Database::open(small), QDate::currentDate());
    const QString pdf = pdfDir.filePath(QStringLiteral("libri.pdf"));
    resetPeak();
    const double written = elapsed([&] { ReportPainter::writePdf(pdf, hundredThousand); });
    std::printf("PDF of 100000 books (%d pages, %.0f MB): %.1f s, peak memory %.0f MB\n",
                hundredThousand.pageCount(), double(QFileInfo(pdf).size()) / 1e6, written / 1000,
                peakMegabytes());
    return 0;
}
