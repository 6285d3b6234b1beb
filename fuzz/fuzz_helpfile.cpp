// The help file: parsed or refused with an AppError; every topic it yields can be
// shown and every keyword resolves.
#include <QByteArray>
#include <cstdint>

#include "platform/core/AppError.h"
#include "platform/core/HelpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536)
        return 0;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const HelpFile help = HelpFile::parse(bytes);
        if (help.isEmpty())
            return 0;
        for (const HelpTopic& topic : help.topics()) {
            (void)help.html(topic);
            for (const QString& link : HelpFile::links(topic))
                (void)help.find(link);
        }
        for (const QString& keyword : help.keywords())
            (void)help.resolve(HelpRequest::keyword(keyword));
        (void)help.resolve(HelpRequest::keyword(help.contents().title.left(20)));
        (void)help.resolve(HelpRequest::contents());
    } catch (const AppError&) {
    }
    return 0;
}
