// bench_recordset [catalogue] [N]: the data source and record set against the same
// work done with plain SQLite calls in this process, on a catalogue of N books
// (1,000,000 unless told; generated into a temporary folder unless a catalogue is
// named). Prints both times, their ratio and whether each target is met. A
// benchmark, not a test: it always exits 0.

#include <sqlite3.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/Criteria.h"
#include "platform/db/DataSource.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Statement.h"
#include "sample_catalogue.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile std::size_t g_sink = 0;  // keeps the measured reads from being optimised away

// Joins texts; GCC 12 misreads chains of std::string operator+ under -O3 (-Wrestrict).
template <typename... Parts>
std::string cat(const Parts&... parts) {
    std::string out;
    (out.append(std::string_view(parts)), ...);
    return out;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A read-only connection of our own, so the raw side shares nothing with the record set.
class RawDb {
public:
    explicit RawDb(const QString& path, bool withLikeFunction = false) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK)
            throw std::runtime_error(std::string("open: ") + sqlite3_errmsg(db_));
        if (withLikeFunction)
            Criteria::registerFunctions(db_);
    }
    ~RawDb() { sqlite3_close_v2(db_); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// A statement on the raw connection, in the database layer's holder (which only
// finalizes it: every step below is a plain sqlite3 call).
class RawStmt {
public:
    RawStmt(sqlite3* db, const std::string& sql) {
        sqlite3_stmt* prepared = nullptr;
        const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &prepared, nullptr);
        stmt_ = Statement(prepared);
        if (rc != SQLITE_OK)
            throw std::runtime_error(std::string("prepare: ") + sqlite3_errmsg(db));
    }
    sqlite3_stmt* get() const { return stmt_.get(); }

    // First column of the first row, or nullopt when there is none.
    std::optional<qint64> firstKey() {
        std::optional<qint64> key;
        if (sqlite3_step(get()) == SQLITE_ROW)
            key = sqlite3_column_int64(get(), 0);
        sqlite3_reset(get());
        return key;
    }

private:
    Statement stmt_;
};

std::vector<qint64> scanKeys(sqlite3* db) {
    RawStmt scan(db, "SELECT rowid FROM LIBRI");
    std::vector<qint64> keys;
    while (sqlite3_step(scan.get()) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(scan.get(), 0));
    return keys;
}

// Position of a key in the table order; -1 for none.
int positionOf(const std::vector<qint64>& keys, std::optional<qint64> key) {
    if (!key)
        return -1;
    const auto it = std::lower_bound(keys.begin(), keys.end(), *key);
    return it != keys.end() && *it == *key ? int(it - keys.begin()) : -1;
}

struct Result {
    std::string name;
    double ours;  // record set / data source
    double raw;
    std::string unit;
    // Met when ours <= limit (absolute) or ours / raw <= limit (ratio); no limit: information only.
    enum class Target { Ratio, Absolute, None } target;
    double limit;
    std::string note;
};

std::vector<Result> g_results;

// Runs ours and raw alternately, reps times each, keeping the best of each.
template <typename Ours, typename Raw>
std::pair<double, double> bestOf(int reps, Ours ours, Raw raw) {
    double bestOurs = std::numeric_limits<double>::infinity();
    double bestRaw = bestOurs;
    for (int i = 0; i < reps; ++i) {
        bestOurs = std::min(bestOurs, ours());
        bestRaw = std::min(bestRaw, raw());
    }
    return {bestOurs, bestRaw};
}

// Display width of a UTF-8 text (for the table's alignment).
std::string padded(const std::string& s, std::size_t width) {
    std::size_t chars = 0;
    for (unsigned char c : s)
        chars += (c & 0xC0) != 0x80;
    return s + std::string(width > chars ? width - chars : 0, ' ');
}

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

void printResults() {
    std::printf("\n%s%s%s%s%s%s\n", padded("measurement", 50).c_str(),
                padded("record set", 16).c_str(), padded("raw sqlite3", 16).c_str(),
                padded("ratio", 9).c_str(), padded("target", 14).c_str(), "result");
    for (const Result& r : g_results) {
        const double ratio = r.raw > 0 ? r.ours / r.raw : 0;
        std::string target;
        std::string verdict;
        switch (r.target) {
            case Result::Target::Ratio:
                target = cat("ratio <= ", fixed(r.limit, 1));
                verdict = ratio <= r.limit ? "ok" : "MISS";
                break;
            case Result::Target::Absolute:
                target = cat("< ", fixed(r.limit, 0), " ", r.unit);
                verdict = r.ours < r.limit ? "ok" : "MISS";
                break;
            case Result::Target::None:
                target = "(info)";
                break;
        }
        const int decimals = r.ours < 10 ? 3 : 1;
        std::printf("%s%s%s%s%s%s\n", padded(r.name, 50).c_str(),
                    padded(cat(fixed(r.ours, decimals), " ", r.unit), 16).c_str(),
                    padded(cat(fixed(r.raw, decimals), " ", r.unit), 16).c_str(),
                    padded(fixed(ratio, 2), 9).c_str(), padded(target, 14).c_str(),
                    verdict.c_str());
        if (!r.note.empty())
            std::printf("    %s\n", r.note.c_str());
    }
}

void benchOpen(const QString& path, qint64 rows) {
    auto [ours, raw] = bestOf(
        5,
        [&] {
            std::optional<DataSource> ds;
            const auto start = Clock::now();
            ds.emplace();
            ds->setDatabaseName(path);
            ds->setRecordSource(QStringLiteral("LIBRI"));
            ds->refresh();
            ds->moveLast();
            ds->moveFirst();
            const double ms = msSince(start);
            if (ds->recordset().recordCount() != rows)
                throw std::runtime_error("data source sees a different number of cards");
            return ms;
        },
        [&] {
            const auto start = Clock::now();
            RawDb db(path);
            const std::vector<qint64> keys = scanKeys(db.get());
            const double ms = msSince(start);
            g_sink = keys.size();
            return ms;
        });
    g_results.push_back(
        {"open LIBRI + moveLast + moveFirst", ours, raw, "ms", Result::Target::Ratio, 2.0, {}});
}

void benchMoves(DataSource& ds, sqlite3* db, const std::vector<qint64>& keys) {
    const int count = int(keys.size());
    const int start = std::max(0, std::min(count / 3, count - 10001));
    const int moves = std::min(10000, count - 1 - start);
    if (moves <= 0)
        return;
    RawStmt row(db, "SELECT * FROM LIBRI WHERE rowid=?");
    int titleColumn = -1;
    for (int c = 0; c < sqlite3_column_count(row.get()); ++c)
        if (std::string(sqlite3_column_name(row.get(), c)) == "TITOLO")
            titleColumn = c;
    const QString title = QStringLiteral("TITOLO");
    auto [ours, raw] = bestOf(
        5,
        [&] {
            ds.recordset().setAbsolutePosition(start);
            std::size_t sink = 0;
            const auto begin = Clock::now();
            for (int i = 0; i < moves; ++i) {
                ds.moveNext();
                sink += std::size_t(ds.recordset().value(title).toString().size());
            }
            const double ms = msSince(begin);
            g_sink = sink;
            if (ds.recordset().absolutePosition() != start + moves)
                throw std::runtime_error("moveNext ended on the wrong card");
            return ms;
        },
        [&] {
            std::size_t sink = 0;
            const auto begin = Clock::now();
            for (int i = 1; i <= moves; ++i) {
                sqlite3_bind_int64(row.get(), 1, keys[std::size_t(start + i)]);
                if (sqlite3_step(row.get()) == SQLITE_ROW) {
                    sqlite3_column_text(row.get(), titleColumn);
                    sink += std::size_t(sqlite3_column_bytes(row.get(), titleColumn));
                }
                sqlite3_reset(row.get());
            }
            const double ms = msSince(begin);
            g_sink = sink;
            return ms;
        });
    const double perMove = 1000.0 / moves;
    g_results.push_back(
        {cat("moveNext + value(\"TITOLO\"), per move (", std::to_string(moves), ")"),
         ours * perMove,
         raw * perMove,
         "µs",
         Result::Target::Absolute,
         50.0,
         {}});
}

void benchFindOneField(RecordSet& rs, sqlite3* db, const std::vector<qint64>& keys) {
    const std::string word(SampleCatalogue::rareTitleWord);
    const QString criterion =
        QStringLiteral("TITOLO Like \"*%1*\"").arg(QString::fromStdString(word));
    const std::string pattern = cat("%", word, "%");

    RawStmt count(db, "SELECT count(*) FROM LIBRI WHERE TITOLO LIKE ?1");
    sqlite3_bind_text(count.get(), 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    const qint64 matches = count.firstKey().value_or(0);

    RawStmt first(db, "SELECT rowid FROM LIBRI WHERE TITOLO LIKE ?1 ORDER BY rowid LIMIT 1");
    sqlite3_bind_text(first.get(), 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    int rawPosition = -1;
    int ourPosition = -1;
    auto [ours, raw] = bestOf(
        5,
        [&] {
            rs.moveFirst();
            const auto start = Clock::now();
            rs.findFirst(criterion);
            const double ms = msSince(start);
            ourPosition = rs.noMatch() ? -1 : rs.absolutePosition();
            return ms;
        },
        [&] {
            const auto start = Clock::now();
            const std::optional<qint64> key = first.firstKey();
            const double ms = msSince(start);
            rawPosition = positionOf(keys, key);
            return ms;
        });
    const std::string name = cat("findFirst TITOLO Like \"*", word, "*\"");
    g_results.push_back({name, ours, raw, "ms", Result::Target::Ratio, 1.5,
                         cat(std::to_string(matches), " matching cards; first at position ",
                             std::to_string(rawPosition),
                             ourPosition == rawPosition ? "" : " (record set found another!)")});

    const int middle = int(keys.size()) / 2;
    RawStmt next(db,
                 "SELECT rowid FROM LIBRI WHERE TITOLO LIKE ?1 AND rowid > ?2 "
                 "ORDER BY rowid LIMIT 1");
    sqlite3_bind_text(next.get(), 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(next.get(), 2, keys[std::size_t(middle)]);
    auto [oursNext, rawNext] = bestOf(
        5,
        [&] {
            rs.setAbsolutePosition(middle);
            const auto start = Clock::now();
            rs.findNext(criterion);
            const double ms = msSince(start);
            ourPosition = rs.noMatch() ? -1 : rs.absolutePosition();
            return ms;
        },
        [&] {
            const auto start = Clock::now();
            const std::optional<qint64> key = next.firstKey();
            const double ms = msSince(start);
            rawPosition = positionOf(keys, key);
            return ms;
        });
    g_results.push_back(
        {"findNext, same criterion, from the middle", oursNext, rawNext, "ms",
         Result::Target::Ratio, 1.5,
         cat("from position ", std::to_string(middle), " to ", std::to_string(rawPosition),
             ourPosition == rawPosition ? "" : " (record set found another!)")});
}

void benchFindAllFields(RecordSet& rs, sqlite3* db, sqlite3* dbWithLike) {
    const std::string text = "xqzwj";  // in no card
    const QStringList fields = rs.fieldNames();
    QStringList terms;
    std::string likeSql = "SELECT rowid FROM LIBRI WHERE ";
    std::string functionSql = likeSql;
    for (int i = 0; i < fields.size(); ++i) {
        terms << QStringLiteral("%1 Like \"*%2*\"").arg(fields[i], QString::fromStdString(text));
        const std::string quoted = cat("\"", fields[i].toStdString(), "\"");
        likeSql += cat(i ? " OR " : "", quoted, " LIKE ?1");
        functionSql += cat(i ? " OR " : "", "raccolio_like(", quoted, ", ?1)");
    }
    likeSql += " ORDER BY rowid LIMIT 1";
    functionSql += " ORDER BY rowid LIMIT 1";
    const QString criterion = terms.join(QStringLiteral(" OR "));

    RawStmt like(db, likeSql);
    const std::string likePattern = cat("%", text, "%");
    sqlite3_bind_text(like.get(), 1, likePattern.c_str(), -1, SQLITE_TRANSIENT);
    RawStmt function(dbWithLike, functionSql);
    const std::string functionPattern = cat("*", text, "*");
    sqlite3_bind_text(function.get(), 1, functionPattern.c_str(), -1, SQLITE_TRANSIENT);

    bool found = false;
    auto [ours, raw] = bestOf(
        3,
        [&] {
            rs.moveFirst();
            const auto start = Clock::now();
            found = rs.findFirst(criterion);
            return msSince(start);
        },
        [&] {
            const auto start = Clock::now();
            found = found || like.firstKey().has_value();
            return msSince(start);
        });
    const std::string name =
        cat("findFirst on all ", std::to_string(fields.size()), " fields, no match");
    g_results.push_back({name, ours, raw, "ms", Result::Target::Ratio, 1.5,
                         found ? "something matched: the whole table was not scanned" : ""});

    // Where the time goes: the same scan with the program's pattern function in raw SQL.
    auto [withFunction, withLike] = bestOf(
        3,
        [&] {
            const auto start = Clock::now();
            function.firstKey();
            return msSince(start);
        },
        [&] {
            const auto start = Clock::now();
            like.firstKey();
            return msSince(start);
        });
    g_results.push_back({"  same, raw SQL: raccolio_like() vs LIKE",
                         withFunction,
                         withLike,
                         "ms",
                         Result::Target::None,
                         0,
                         {}});
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
            const qint64 others = std::min<qint64>(n, 1000);
            const auto start = Clock::now();
            SampleCatalogue::create(path, {n, others, others, others});
            std::printf("generated %s: %lld books in %.1f s\n", qPrintable(path),
                        static_cast<long long>(n), msSince(start) / 1000.0);
        }

        RawDb raw(path);
        RawDb rawWithLike(path, true);
        const std::vector<qint64> keys = scanKeys(raw.get());
        std::printf("catalogue %s: %zu books; SQLite %s\n", qPrintable(path), keys.size(),
                    sqlite3_libversion());
        if (keys.size() < 2) {
            std::printf("too few books to measure\n");
            return 0;
        }

        benchOpen(path, qint64(keys.size()));

        DataSource ds;
        ds.setDatabaseName(path);
        ds.setRecordSource(QStringLiteral("LIBRI"));
        ds.refresh();
        benchMoves(ds, raw.get(), keys);
        benchFindOneField(ds.recordset(), raw.get(), keys);
        benchFindAllFields(ds.recordset(), raw.get(), rawWithLike.get());
    } catch (const AppError& e) {
        std::printf("error %d (%s): %s\n", e.number(), qPrintable(e.source()),
                    qPrintable(e.description()));
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
    }
    printResults();
    return 0;
}
