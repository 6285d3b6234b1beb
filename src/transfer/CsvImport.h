#pragma once

#include <QList>
#include <QStringList>
#include <string>
#include <vector>

#include "transfer/CardImport.h"
#include "transfer/CsvExport.h"
#include "transfer/TextEncoding.h"

class ColumnMapping;
class QIODevice;

// A CSV file into an archive: a first look for the mapping window, then the import.
namespace CsvImport {

struct Preview {
    QStringList columns;
    std::vector<std::vector<std::string>> rows;  // the first rows, as read
    char delimiter = ',';
    TextEncoding::Kind encoding = TextEncoding::Kind::Utf8;
};

// The column names and the first `rows` rows. A malformed start is refused as the import
// would refuse it.
Preview preview(QIODevice& in, int rows = 20);

// Reads the whole file and stores its rows in one transaction: all or none. A malformed
// row anywhere (its line named in the message), a failure or a cancel store nothing.
CardImport::Result run(Database& db, const ArchiveDef& archive, QIODevice& in,
                       const ColumnMapping& mapping, bool skipExisting,
                       const CsvExport::Tick& tick = {});

}  // namespace CsvImport
