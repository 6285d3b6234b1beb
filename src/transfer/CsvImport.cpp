#include "transfer/CsvImport.h"

#include <QIODevice>

#include "platform/core/AppError.h"
#include "transfer/ColumnMapping.h"
#include "transfer/CsvReader.h"

namespace CsvImport {

Preview preview(QIODevice& in, int rows) {
    CsvReader reader(in);
    Preview p;
    p.columns = reader.header();
    p.delimiter = reader.delimiter();
    p.encoding = reader.encoding();
    CsvReader::Row row;
    while (int(p.rows.size()) < rows && reader.next(row))
        p.rows.push_back(row);
    return p;
}

CardImport::Result run(Database& db, const ArchiveDef& archive, QIODevice& in,
                       const ColumnMapping& mapping, bool skipExisting,
                       const CsvExport::Tick& tick) {
    CsvReader reader(in);
    if (reader.header() != mapping.columns())
        throw AppError(ErrorCode::FileError, QStringLiteral("CsvImport"),
                       QStringLiteral("Il file è cambiato dopo la scelta delle colonne."));
    const qint64 total = in.size();
    CardImport import(db, archive, mapping.mappedFields(), skipExisting);
    CsvReader::Row row;
    std::vector<std::string> values;
    qint64 rows = 0;
    while (reader.next(row)) {
        mapping.apply(row, values);
        import.add(values);
        if ((++rows & 255) == 0 && tick && !tick(reader.bytesRead(), total))
            throw AppError(ErrorCode::DialogCancelled, QStringLiteral("CsvImport"),
                           QStringLiteral("Importazione annullata"));
    }
    return import.commit();
}

}  // namespace CsvImport
