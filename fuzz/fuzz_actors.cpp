// attori.dat as the program reads it: any bytes (UTF-8, UTF-16 or the old code page)
// give a list of items, none holding a delimiter or a zero.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "shell/ActorList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& item : ActorList::parse(bytes)) {
        if (item.contains(u'\n') || item.contains(QChar(u'\0')))
            abort();
    }
    return 0;
}
