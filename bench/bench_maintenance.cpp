// bench_maintenance [cards per archive, default 1000000] [rounds, default 3]: backup and
// compaction of a sample catalogue (with a progress callback, as the window uses them)
// beside a raw SQLite VACUUM INTO of the same file, which is what either at least costs.
// Best of the rounds. The catalogue is made in a temporary folder under TMPDIR.
//
// Measured at 1,000,000 cards per archive (994 MB), 3 rounds, on a quiet 2-core machine:
//   raw VACUUM INTO 3998 ms, backup 4883 ms (1.22x), compaction 4463 ms (1.12x).
// Both write their copy with VACUUM INTO. The integrity check of the source runs beside it
// on the second core; what adds to the raw copy is counting the copy's rows (through a
// memory map, about 80 ms), the rename and the folder's flush. Runs vary by about 0.1x.

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "maintenance/CatalogueFiles.h"
#include "sample_catalogue.h"

namespace {

double rawVacuumInto(const QString& source, const QString& destination) {
    QFile::remove(destination);
    QElapsedTimer t;
    t.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(source.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray sql = "VACUUM INTO '" + destination.toUtf8() + "'";
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "raw VACUUM INTO failed: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    QFile::remove(destination);
    return ms;
}

double timed(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 cards = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    QTemporaryDir home;
    qputenv("RACCOLIO_HOME", home.path().toUtf8());
    const QString mdb = home.filePath(QStringLiteral("RACCOLIO.MDB"));

    QElapsedTimer made;
    made.start();
    SampleCatalogue::create(mdb, SampleCatalogue::Counts::all(cards));
    std::printf("catalogue: %lld cards per archive, %.1f MB, made in %.1f s\n",
                static_cast<long long>(cards), double(QFileInfo(mdb).size()) / 1e6,
                double(made.elapsed()) / 1000.0);

    qint64 calls = 0;
    const DbMaintenance::Progress progress = [&calls](qint64, qint64) { ++calls; };
    double raw = 1e300, backup = 1e300, compact = 1e300;
    for (int round = 0; round < rounds; ++round) {
        raw = std::min(raw, rawVacuumInto(mdb, home.filePath(QStringLiteral("raw.db"))));
        backup = std::min(
            backup, timed([&] { CatalogueFiles::backup(CatalogueFiles::backupPath(), progress); }));
        compact = std::min(compact, timed([&] { CatalogueFiles::compact(progress); }));
    }
    std::printf("raw VACUUM INTO  %9.0f ms\n", raw);
    std::printf("backup           %9.0f ms  %.2fx\n", backup, backup / raw);
    std::printf("compaction       %9.0f ms  %.2fx\n", compact, compact / raw);
    std::printf("progress calls   %9lld per operation\n",
                static_cast<long long>(calls / (2 * rounds)));
    return 0;
}
