// bench_stats [catalogue] [N]: counting a field for the statistics chart (the tally and
// filling the chart's points) against the bare grouped query run with plain SQLite
// calls, on a catalogue of N books (1,000,000 unless told; generated into a temporary
// folder unless a catalogue is named). A field of few values (ARGOMENTO) and one of
// very many (TITOLO). Target: within 1.5 times the raw query. Always exits 0.

#include <sqlite3.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "platform/chart/ChartModel.h"
#include "sample_catalogue.h"
#include "stats/FieldTally.h"
#include "stats/StatisticsRun.h"

namespace {

using Clock = std::chrono::steady_clock;
volatile std::size_t g_sink = 0;  // keeps the raw reads from being optimised away

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The same grouping with nothing around it: value, count and first rowid per value.
double rawGroupedQuery(const QString& path, const QString& field) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray sql = QStringLiteral(
                               "SELECT \"%1\", COUNT(*), MIN(rowid) FROM LIBRI GROUP BY "
                               "\"%1\" COLLATE BINARY ORDER BY 3")
                               .arg(field)
                               .toUtf8();
    const auto start = Clock::now();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    std::size_t rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const int length = sqlite3_column_bytes(st, 0);
        rows += std::size_t(length) + std::size_t(sqlite3_column_int64(st, 1));
    }
    sqlite3_finalize(st);
    const double ms = msSince(start);
    sqlite3_close(db);
    g_sink = g_sink + rows;
    return ms;
}

double programCount(Database& db, const QString& field, int& values) {
    const auto start = Clock::now();
    ChartModel chart;
    const FieldTally tally = *tallyField(db, QStringLiteral("LIBRI"), field, [] { return true; });
    Statistics::fillChart(chart, tally);
    values = chart.numPoints();
    return msSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto args = SampleCatalogue::benchArgs(QCoreApplication::arguments().mid(1));
    QString path = args.path;
    const qint64 n = args.cards;
    try {
        QTemporaryDir temporary;
        if (path.isEmpty())
            path = temporary.filePath(QStringLiteral("RACCOLIO.MDB"));
        if (!QFileInfo::exists(path)) {
            const auto start = Clock::now();
            SampleCatalogue::create(path, {n, 10, 10, 10});
            std::printf("generated %s: %lld books in %.1f s\n", qPrintable(path),
                        static_cast<long long>(n), msSince(start) / 1000.0);
        }
        auto db = Database::open(path);
        for (const QString& field : {QStringLiteral("ARGOMENTO"), QStringLiteral("TITOLO")}) {
            double raw = 1e300;
            double ours = 1e300;
            int values = 0;
            for (int run = 0; run < 3; ++run) {  // best of three, alternating
                raw = std::min(raw, rawGroupedQuery(path, field));
                ours = std::min(ours, programCount(*db, field, values));
            }
            const double ratio = ours / raw;
            std::printf(
                "%-10s %8d values: count %8.1f ms, raw grouped query %8.1f ms, ratio %.2f "
                "(target 1.5: %s)\n",
                qPrintable(field), values, ours, raw, ratio, ratio <= 1.5 ? "met" : "MISSED");
        }
    } catch (const std::exception& e) {
        std::printf("failed: %s\n", e.what());
    }
    return 0;
}
