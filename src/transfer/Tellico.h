#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

#include "cards/Archives.h"
#include "transfer/CardImport.h"
#include "transfer/CsvExport.h"

class Database;
class QIODevice;

// Tellico files: a .tc (a zip holding tellico.xml) or the plain XML. Read with no
// external entity resolved and nothing fetched from disk or network; a damaged file (a
// truncated zip, a path outside the archive, an unpacked size over 2 GB, invalid UTF-8,
// an empty file) is refused with a message saying so.
namespace Tellico {

// One entry: element name -> values (several for a list, one line each for a table).
using Entry = QHash<QString, QStringList>;

// Parses tellico.xml as its bytes arrive: `collection` once the type is read, `entry`
// for each entry. `next` hands the next chunk, empty at the end. AppError(FileError) on
// anything malformed.
void parse(const std::function<QByteArray()>& next, const std::function<void(int type)>& collection,
           const std::function<void(const Entry&)>& entry);

// A chunk source over the file at path: the zip's tellico.xml, or the file itself.
std::function<QByteArray()> openContent(const QString& path);

// The largest tellico.xml taken in.
inline constexpr qint64 kMaxUnpacked = qint64(2) << 30;

bool canExport(Archive archive);

// Imports into the archive of the collection's type, in one transaction. `chosen` hears the
// archive before anything is stored.
CardImport::Result importFile(Database& db, const QString& path,
                              const std::function<void(Archive)>& chosen,
                              const CsvExport::Tick& tick = {});
// The same from the XML's bytes (tests and fuzzing).
CardImport::Result importXml(Database& db, const QByteArray& xml);

// The archive (or `table`, see CsvExport::selectList) as Tellico XML, valid against
// Tellico's DTD.
void writeXml(Database& db, const ArchiveDef& archive, QIODevice& out,
              const CsvExport::Tick& tick = {}, qint64* written = nullptr,
              const QString& table = {});
// A .tc file at path; returns the cards written. The file is put in place only when complete.
qint64 exportFile(Database& db, const ArchiveDef& archive, const QString& path,
                  const CsvExport::Tick& tick = {}, const QString& table = {});

}  // namespace Tellico
