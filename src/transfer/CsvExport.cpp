#include "transfer/CsvExport.h"

#include <sqlite3.h>

#include <QIODevice>
#include <cstring>

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/db/Database.h"

namespace CsvExport {

namespace {

const QString kSource = QStringLiteral("CsvExport");

void flush(std::string& buffer, QIODevice& out) {
    if (out.write(buffer.data(), qint64(buffer.size())) != qint64(buffer.size()))
        throw AppError(ErrorCode::FileError, kSource,
                       QStringLiteral("Impossibile scrivere il file: %1").arg(out.errorString()));
    buffer.clear();
}

}  // namespace

void appendField(std::string& out, const char* data, std::size_t size) {
    bool quote = false;
    for (std::size_t i = 0; i < size && !quote; ++i) {
        const char c = data[i];
        quote = c == ',' || c == '"' || c == '\n' || c == '\r';
    }
    if (!quote) {
        out.append(data, size);
        return;
    }
    out += '"';
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '"')
            out += '"';
        out += data[i];
    }
    out += '"';
}

QString selectList(Database& db, const ArchiveDef& archive, const QString& table) {
    QStringList columns;
    const bool result = !table.isEmpty() && table.compare(archive.table, Qt::CaseInsensitive) != 0;
    const QStringList present = result ? db.fieldNames(table) : archive.tableOrder;
    for (const QString& f : archive.tableOrder) {
        const QString q = Database::quoteIdentifier(f);
        if (!present.contains(f, Qt::CaseInsensitive))
            columns << QStringLiteral("NULL");
        else
            columns << (result ? QStringLiteral("NULLIF(%1, ' ')").arg(q) : q);
    }
    return columns.join(QLatin1Char(','));
}

qint64 write(Database& db, const ArchiveDef& archive, QIODevice& out, const Tick& tick,
             const QString& source) {
    std::string buffer = "\xEF\xBB\xBF";
    for (int i = 0; i < archive.tableOrder.size(); ++i) {
        if (i > 0)
            buffer += ',';
        const QByteArray name = archive.tableOrder[i].toUtf8();
        appendField(buffer, name.constData(), std::size_t(name.size()));
    }
    buffer += "\r\n";
    const QString table = Database::quoteIdentifier(source.isEmpty() ? archive.table : source);
    qint64 total = 0;
    {
        Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(table));
        if (count.step())
            total = count.int64(0);
    }
    Statement select = db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                      .arg(selectList(db, archive, source), table));
    sqlite3_stmt* st = select.get();
    const int width = int(archive.tableOrder.size());
    qint64 written = 0;
    while (select.step()) {
        for (int i = 0; i < width; ++i) {
            if (i > 0)
                buffer += ',';
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            if (p)
                appendField(buffer, p, std::size_t(sqlite3_column_bytes(st, i)));
        }
        buffer += "\r\n";
        ++written;
        if (buffer.size() >= (1u << 20)) {
            flush(buffer, out);
            if (tick && !tick(written, total))
                throw AppError(ErrorCode::DialogCancelled, kSource,
                               QStringLiteral("Esportazione annullata"));
        }
    }
    flush(buffer, out);
    return written;
}

}  // namespace CsvExport
