// bench_startup [cards per archive, default 1000000]: time from creating the main window
// on a catalogue of that size to its first card shown, beside a raw SQLite open and
// rowid scan of one archive (what showing one archive's first card at least costs).
// Runs offscreen; best of five.

#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "cards/Catalogue.h"
#include "platform/core/AppInfo.h"
#include "quiet_services.h"
#include "sample_catalogue.h"
#include "shell/ui/MainWindow.h"

namespace {

double rawOpenAndScan(const QString& path) {
    QElapsedTimer t;
    t.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM LIBRI", -1, &st, nullptr);
    std::vector<qint64> keys;
    while (sqlite3_step(st) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return double(t.nsecsElapsed()) / 1e6;
}

double startToFirstCard(Services& services) {
    QElapsedTimer t;
    t.start();
    Catalogue::openOrCreate(Catalogue::defaultPath());
    MainWindow window(services, QString());
    window.show();
    auto* position = window.findChild<QLabel*>(QStringLiteral("Label7"));
    while (window.windowTitle() != AppInfo::title().toUpper() || position->text() != "1")
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    window.hide();
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("RACCOLIO_HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QApplication app(argc, argv);
    const qint64 n = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString path = home.filePath(QStringLiteral("RACCOLIO.MDB"));
    QElapsedTimer made;
    made.start();
    SampleCatalogue::create(path, SampleCatalogue::Counts::all(n));
    std::printf("sample catalogue: %lld cards per archive in %.1f s\n", static_cast<long long>(n),
                double(made.elapsed()) / 1000.0);

    QuietServices quiet;
    Services& services = quiet.services;

    double raw = 1e300;
    double start = 1e300;
    for (int run = 0; run < 5; ++run) {
        raw = std::min(raw, rawOpenAndScan(path));
        start = std::min(start, startToFirstCard(services));
    }
    std::printf("raw open + rowid scan of LIBRI: %.1f ms\n", raw);
    std::printf("start to first card shown:      %.1f ms (%.2fx the raw scan)\n", start,
                start / raw);
    return 0;
}
