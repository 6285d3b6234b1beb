// attori.dat as the program reads it: any bytes (UTF-8 or the old code page) give a
// list of items, none holding a delimiter.
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "shell/ActorList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("attori.dat"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    for (const QString& item : ActorList::readFile(path)) {
        if (item.contains(u'\n'))
            abort();
    }
    return 0;
}
