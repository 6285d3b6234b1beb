#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>

struct ArchiveDef;
class Database;
class QIODevice;

namespace CsvExport {

// Asked now and then during long work; false stops it with AppError(DialogCancelled).
using Tick = std::function<bool(qint64 done, qint64 total)>;

// Appends one CSV field, quoted when it holds a comma, a quote or a line break.
void appendField(std::string& out, const char* data, std::size_t size);

// The archive's fields, in table order, as a SELECT list over `table`: the archive's own
// table, or its structured-search result table (which writes " " for an empty field and
// may lack fields).
QString selectList(Database& db, const ArchiveDef& archive, const QString& table);

// Writes every card of the archive (or of `table`, see selectList), every field, column
// names = field names: UTF-8 with a byte-order mark (so spreadsheets show the accents),
// comma, CRLF. Returns the cards written.
qint64 write(Database& db, const ArchiveDef& archive, QIODevice& out, const Tick& tick = {},
             const QString& table = {});

}  // namespace CsvExport
