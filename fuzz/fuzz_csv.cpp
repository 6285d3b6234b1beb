// A CSV file as the import reads it: any bytes either give rows as wide as the header,
// every field valid UTF-8, or are refused with an AppError.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "platform/core/AppError.h"
#include "transfer/CsvReader.h"
#include "transfer/TextEncoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        CsvReader reader(buffer);
        if (reader.header().isEmpty())
            abort();
        CsvReader::Row row;
        while (reader.next(row)) {
            if (row.size() != std::size_t(reader.header().size()))
                abort();
            for (const std::string& field : row)
                if (!TextEncoding::isValidUtf8(field.data(), field.size()))
                    abort();
        }
    } catch (const AppError&) {
    }
    return 0;
}
