// bench_transfer [cards, default 1000000]: CSV export and import of LIBRI beside what they
// at least cost. Export: CsvExport::write of a sample catalogue's books against a raw
// C-API dump of the same rows (SELECT, quote, fwrite). Import: CsvImport::run of that file
// into a new catalogue against a baseline in the same process that does what the sqlite3
// shell's .import does (a plain CSV parser feeding one prepared INSERT into a plain table
// of TEXT columns, in one transaction). The import runs in a child process of its own so
// that its peak memory (VmHWM) is its own. When the sqlite3 program is installed its
// `.import` and `-csv` are timed too, for reference.
//
// Measured at 1,000,000 books (a 205 MB CSV) on the shared 2-core machine:
//   export 2657 ms, raw C-API dump 3336 ms (0.80x), sqlite3 -csv 4442 ms (0.60x);
//   import 5087 ms, in-process .import 5795 ms (0.88x), sqlite3 .import 5588 ms (0.91x);
//   peak memory of the import 16.1 MB.

#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "cards/Archives.h"
#include "cards/Catalogue.h"
#include "platform/db/Database.h"
#include "sample_catalogue.h"
#include "transfer/ColumnMapping.h"
#include "transfer/CsvExport.h"
#include "transfer/CsvImport.h"

namespace {

double timed(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

qint64 peakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void rawDump(const QString& mdb, const QString& csv) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(mdb.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM LIBRI", -1, &st, nullptr);
    FILE* out = std::fopen(csv.toUtf8().constData(), "wb");
    std::string line;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        line.clear();
        for (int i = 0; i < n; ++i) {
            if (i)
                line += ',';
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            if (p)
                CsvExport::appendField(line, p, std::size_t(sqlite3_column_bytes(st, i)));
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
    std::fclose(out);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// The sqlite3 shell's .import, in process: fgetc-style CSV parsing, one INSERT per row.
void baselineImport(const QString& csv, const QString& mdb) {
    sqlite3* db = nullptr;
    sqlite3_open(mdb.toUtf8().constData(), &db);
    FILE* in = std::fopen(csv.toUtf8().constData(), "rb");
    std::vector<std::string> row;
    auto readRow = [&]() -> bool {
        row.clear();
        int c = std::getc(in);
        if (c == EOF)
            return false;
        std::string field;
        bool quoted = false;
        for (;; c = std::getc(in)) {
            if (quoted) {
                if (c == '"') {
                    c = std::getc(in);
                    if (c != '"') {
                        quoted = false;
                        std::ungetc(c, in);
                        continue;
                    }
                }
                if (c == EOF)
                    break;
                field += char(c);
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',' || c == '\n' || c == EOF) {
                if (!field.empty() && field.back() == '\r')
                    field.pop_back();
                row.push_back(field);
                field.clear();
                if (c != ',')
                    return true;
            } else {
                field += char(c);
            }
        }
        row.push_back(field);
        return true;
    };
    readRow();  // the header names the columns
    std::string create = "CREATE TABLE plain(";
    std::string insert = "INSERT INTO plain VALUES(";
    for (std::size_t i = 0; i < row.size(); ++i) {
        create += (i ? ",c" : "c") + std::to_string(i) + " TEXT";
        insert += i ? ",?" : "?";
    }
    sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr);
    const std::size_t width = row.size();
    while (readRow()) {
        for (std::size_t i = 0; i < width; ++i)
            sqlite3_bind_text(st, int(i) + 1, i < row.size() ? row[i].c_str() : "", -1,
                              SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    std::fclose(in);
    sqlite3_close(db);
}

double shell(const QStringList& args, const QString& output = {}) {
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty())
        return -1;
    return timed([&] {
        QProcess p;
        if (!output.isEmpty())
            p.setStandardOutputFile(output);
        p.start(sqlite3, args);
        p.waitForFinished(-1);
    });
}

// Child: imports csv into a new catalogue at mdb; prints milliseconds and peak kilobytes.
int importChild(const QString& csv, const QString& mdb) {
    Catalogue::create(mdb);
    auto db = Database::open(mdb);
    const ArchiveDef& books = Archives::def(Archive::Books);
    QFile first(csv);
    first.open(QIODevice::ReadOnly);
    const ColumnMapping mapping(books, CsvImport::preview(first).columns);
    QFile file(csv);
    file.open(QIODevice::ReadOnly);
    qint64 imported = 0;
    const double ms = timed([&] {
        imported = CsvImport::run(*db, books, file, mapping, false, [](qint64, qint64) {
                       return true;
                   }).imported;
    });
    std::printf("%.0f %lld %lld\n", ms, peakKilobytes(), imported);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--import-child"))
        return importChild(args[2], args[3]);
    const qint64 cards = args.size() > 1 ? args[1].toLongLong() : 1000000;
    QTemporaryDir home;
    qputenv("RACCOLIO_HOME", home.path().toUtf8());
    const QString mdb = home.filePath(QStringLiteral("RACCOLIO.MDB"));
    SampleCatalogue::Counts counts;
    counts.libri = cards;
    std::printf("sample catalogue: %lld books in %.0f ms\n", cards,
                timed([&] { SampleCatalogue::create(mdb, counts); }));

    const QString csv = home.filePath(QStringLiteral("libri.csv"));
    const ArchiveDef& books = Archives::def(Archive::Books);
    double exportMs = 0;
    {
        auto db = Database::open(mdb);
        QFile out(csv);
        out.open(QIODevice::WriteOnly);
        exportMs =
            timed([&] { CsvExport::write(*db, books, out, [](qint64, qint64) { return true; }); });
    }
    const double dumpMs = timed([&] { rawDump(mdb, home.filePath(QStringLiteral("raw.csv"))); });
    const double cliExport =
        shell({QStringLiteral("-csv"), mdb, QStringLiteral("SELECT * FROM LIBRI")},
              home.filePath(QStringLiteral("cli.csv")));
    std::printf(
        "export: %.0f ms, raw C-API dump %.0f ms (%.2fx), sqlite3 -csv %.0f ms (%.2fx); %lld "
        "bytes\n",
        exportMs, dumpMs, exportMs / dumpMs, cliExport, exportMs / cliExport, QFile(csv).size());

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--import-child"), csv, home.filePath(QStringLiteral("new.mdb"))});
    child.waitForFinished(-1);
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    const double importMs = figures.value(0).toDouble();
    const double baseMs =
        timed([&] { baselineImport(csv, home.filePath(QStringLiteral("plain.db"))); });
    const QString cliDb = home.filePath(QStringLiteral("cli.db"));
    const double cliImport =
        shell({cliDb, QStringLiteral(".mode csv"), QStringLiteral(".import %1 plain").arg(csv)});
    std::printf(
        "import: %.0f ms (%s rows), in-process .import %.0f ms (%.2fx), sqlite3 .import "
        "%.0f ms (%.2fx); peak memory %.1f MB\n",
        importMs, figures.value(2).constData(), baseMs, importMs / baseMs, cliImport,
        importMs / cliImport, figures.value(1).toDouble() / 1024.0);
    return 0;
}
