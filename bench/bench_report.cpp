// bench_report [cards, default 1000000] [template, default data/LIBRI.RPT] [PDF cards, default
// 100000]: the structured search and the report layout on a sample catalogue of that many books,
// beside the raw SQL doing the same work, the pages a new preview jumps to, then a PDF of a whole
// archive written in one walk beside the same pages painted from memory. Best of three;
// milliseconds; peak memory as the kernel counts it (VmHWM, reset before each part).

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
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
    std::printf("LIBRI.RPT first open (builds its order keys) + page 1: %.1f ms\n", elapsed(open));
    std::printf("LIBRI.RPT open + page 1 of %d: %.1f ms\n", layout->pageCount(), best(open));
    const int pages = layout->pageCount();
    // A preview just opened jumps: nothing known but page 1. Best of three new previews.
    const auto fresh = [&](int page) {
        double fastest = 1e18;
        for (int run = 0; run < 3; ++run) {
            open();
            fastest = std::min(fastest, elapsed([&] { layout->page(page); }));
        }
        return fastest;
    };
    std::printf("last page (%d) of a new preview: %.1f ms\n", pages, fresh(pages));
    double slowest = 0;
    int slowestPage = 1;
    for (int i = 1; i <= 16; ++i) {
        const int page = std::max(1, int(qint64(pages) * i / 17));
        const double ms = fresh(page);
        if (ms > slowest)
            slowest = ms, slowestPage = page;
    }
    std::printf("slowest of 16 pages spread over a new preview: page %d, %.1f ms\n", slowestPage,
                slowest);
    const double again = elapsed([&] { layout->page(slowestPage); });
    const double after = elapsed([&] { layout->page(slowestPage + 1); });
    std::printf("page %d again, then the one after it: %.1f ms, %.1f ms\n", slowestPage, again,
                after);

    // A PDF of a whole archive: one walk in order beside the painting alone (the same number
    // of pages painted from 256 pages laid out in memory beforehand, so reading and layout
    // cost nothing there). Memory stays flat however many pages.
    const qint64 pdfCards = argc > 3 ? QByteArray(argv[3]).toLongLong() : 100000;
    QTemporaryDir pdfDir;
    std::shared_ptr<Database> pdfDb = db;
    if (pdfCards != n) {
        const QString small = pdfDir.filePath(QStringLiteral("RACCOLIO.MDB"));
        SampleCatalogue::create(small, {pdfCards, 0, 0, 0});
        pdfDb = Database::open(small);
    }
    layout.reset();
    const ReportLayout whole(report, pdfDb, QDate::currentDate());
    const QString pdf = pdfDir.filePath(QStringLiteral("libri.pdf"));
    resetPeak();
    const double written = elapsed([&] { ReportPainter::writePdf(pdf, whole); });
    const double peak = peakMegabytes();
    const double pdfMegabytes = double(QFileInfo(pdf).size()) / 1e6;
    std::vector<std::vector<ReportItem>> ring;
    whole.walk(1, std::min(256, whole.pageCount()), [&](int, std::vector<ReportItem> items) {
        ring.push_back(std::move(items));
        return true;
    });
    const double painted = elapsed([&] {
        QPdfWriter writer(pdfDir.filePath(QStringLiteral("memoria.pdf")));
        writer.setResolution(300);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4),
                        report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                        QMarginsF(0, 0, 0, 0)));
        QPainter painter(&writer);
        const double scale = writer.logicalDpiX() / 72.0;
        for (int page = 1; page <= whole.pageCount(); ++page) {
            if (page > 1)
                writer.newPage();
            ReportPainter::paintItems(painter, ring[size_t(page - 1) % ring.size()], scale);
        }
    });
    std::printf("PDF of %lld books (%d pages, %.0f MB): %.1f s, peak memory %.0f MB\n", pdfCards,
                whole.pageCount(), pdfMegabytes, written / 1000, peak);
    row("PDF: walk + paint vs paint from memory", written, painted);
    return 0;
}
