#include "shell/ActorList.h"

#include <QFile>
#include <QStringDecoder>
#include <optional>

namespace ActorList {

QStringList parse(const QString& text) {
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
            ++i;
        if (i >= n)
            break;
        QString item;
        if (text[i] == QLatin1Char('"')) {
            ++i;
            while (i < n && text[i] != QLatin1Char('"') && text[i] != QLatin1Char('\n'))
                item += text[i++];
            if (i < n && text[i] == QLatin1Char('"'))
                ++i;
            // Whatever follows the closing quote up to the delimiter is dropped.
            while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n'))
                ++i;
        } else {
            while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n'))
                item += text[i++];
            while (item.endsWith(QLatin1Char('\r')) || item.endsWith(QLatin1Char(' ')))
                item.chop(1);
        }
        if (i < n)
            ++i;  // the delimiter
        items << item;
    }
    return items;
}

QStringList parse(const QByteArray& data) {
    QString text;
    // Notepad's "Unicode" save: UTF-16 behind a byte order mark.
    const std::optional<QStringConverter::Encoding> marked =
        QStringConverter::encodingForData(data);
    if (marked && *marked != QStringConverter::Utf8) {
        text = QStringDecoder(*marked).decode(data);
    } else {
        // Stateless: a sequence cut short by the end of the file is an error too.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(data);
        // Old lists were written in the Windows code page: bytes that are not UTF-8 mean
        // Latin-1 (a replacement character truly in the file is not such a sign).
        if (utf8.hasError())
            text = QString::fromLatin1(data);
    }
    // A zero is no part of a name, and would cut it short in the field it goes to.
    text.remove(QChar(u'\0'));
    return parse(text);
}

QStringList readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parse(f.readAll());
}

}  // namespace ActorList
