// tellico.xml as the import reads it, handed over in two chunks so that the reader also
// resumes in the middle of a token: it gives entries or an AppError, and nothing else.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "platform/core/AppError.h"
#include "transfer/Tellico.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = bytes.isEmpty() ? 0 : qsizetype(data[0]) % (bytes.size() + 1);
    int handed = 0;
    bool typed = false;
    try {
        Tellico::parse(
            [&]() -> QByteArray {
                switch (handed++) {
                    case 0:
                        return bytes.left(cut);
                    case 1:
                        return bytes.mid(cut);
                    default:
                        return {};
                }
            },
            [&](int) { typed = true; },
            [&](const Tellico::Entry&) {
                // Entries come only inside a collection whose type was told.
                if (!typed)
                    abort();
            });
    } catch (const AppError&) {
    }
    return 0;
}
