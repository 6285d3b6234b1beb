// Finds through the trigram index answer what a scan answers. The input holds a criterion
// (or, when its first byte is even, a pattern tried on every field) and up to four cards of
// two fields each, as bytes that need not be well-formed UTF-8, separated by NUL bytes.
// Any difference between the index's candidates, the find and the scan aborts.
#include <sqlite3.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QVariantList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/core/AppError.h"
#include "platform/db/Criteria.h"
#include "platform/db/Database.h"
#include "platform/db/IndexedFind.h"
#include "platform/db/RecordSet.h"
#include "platform/db/Statement.h"
#include "platform/db/TrigramIndex.h"

namespace {

const QStringList kFields{QStringLiteral("A"), QStringLiteral("B")};

// The catalogue file, removed again when the fuzzer ends.
struct ScratchFile {
    QString path = QDir::temp().filePath(QStringLiteral("fuzz_trigram_%1.db").arg(getpid()));
    ScratchFile() { QFile::remove(path); }
    ~ScratchFile() { QFile::remove(path); }
};

Database& database() {
    static ScratchFile file;
    static std::shared_ptr<Database> db = [] {
        const QString& path = file.path;
        auto d = Database::open(path, Database::OpenMode::CreateIfMissing);
        d->exec(QStringLiteral("PRAGMA synchronous=OFF"));
        d->createTable(QStringLiteral("T"), kFields);
        TrigramIndex::create(*d, QStringLiteral("T"));
        return d;
    }();
    return *db;
}

QList<qint64> rowids(Database& db, const QString& sql, const QVariantList& params) {
    Statement s = db.prepare(sql);
    s.bind(params);
    QList<qint64> out;
    while (s.step())
        out << s.int64(0);
    return out;
}

[[noreturn]] void differs(const char* what, const QString& criterion) {
    fprintf(stderr, "%s differ for %s\n", what, criterion.toUtf8().constData());
    abort();
}

void check(Database& db, const QString& criterion) {
    QVariantList params;
    QString where;
    try {
        where = Criteria::toSql(criterion, kFields, params);
    } catch (const AppError&) {
        return;  // not a criterion
    }
    const QList<qint64> scanned = rowids(
        db, QStringLiteral("SELECT rowid FROM T WHERE %1 ORDER BY rowid").arg(where), params);
    const IndexedFind::Plan plan = IndexedFind::plan(db, QStringLiteral("T"), criterion);
    if (plan.usable()) {
        // No match may be missing among the candidates.
        QVariantList all;
        const QString candidates = plan.candidateFilter(all);
        all += params;
        if (rowids(db,
                   QStringLiteral("SELECT rowid FROM T WHERE %1 AND (%2) ORDER BY rowid")
                       .arg(candidates, where),
                   all) != scanned)
            differs("candidates", criterion);
    }
    auto rs = db.openRecordSet(QStringLiteral("T"));
    QList<qint64> found;
    for (bool hit = rs->findFirst(criterion); hit; hit = rs->findNext(criterion))
        found << rs->bookmark();
    if (found != scanned)
        differs("finds", criterion);
    QList<qint64> back;
    for (bool hit = rs->findLast(criterion); hit; hit = rs->findPrevious(criterion))
        back.prepend(rs->bookmark());
    if (back != scanned)
        differs("backward finds", criterion);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096)
        return 0;
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    Database& db = database();
    db.exec(QStringLiteral("BEGIN"));
    try {
        Statement insert = db.prepare(
            QStringLiteral("INSERT INTO T (A, B) VALUES (CAST(? AS TEXT), CAST(? AS TEXT))"));
        for (qsizetype i = 1; i + 1 < parts.size() && i < 9; i += 2) {
            // A blob cast to text keeps its bytes: malformed UTF-8 is stored as it came.
            insert.bind({parts[i], parts[i + 1].isEmpty() ? QVariant() : QVariant(parts[i + 1])});
            insert.run();
        }
        const QByteArray head = parts.first().mid(1);
        const QString text = QString::fromUtf8(head);
        if (static_cast<unsigned char>(data[0]) % 2 == 0) {
            QString pattern = text;
            pattern.replace(u'"', QStringLiteral("\"\""));
            check(db, QStringLiteral("A Like \"%1\" OR B Like \"%1\"").arg(pattern));
            check(db, QStringLiteral("A Like \"%1\"").arg(pattern));
        } else {
            check(db, text);
        }
    } catch (const AppError& e) {
        fprintf(stderr, "unexpected error: %s\n", e.description().toUtf8().constData());
        abort();
    }
    db.exec(QStringLiteral("ROLLBACK"));
    return 0;
}
