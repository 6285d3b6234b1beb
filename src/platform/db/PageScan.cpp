#include "platform/db/PageScan.h"

#include <QFile>
#include <optional>

namespace {

// SQLite's variable-length integer at `at`; none when it runs past `end`.
std::optional<quint64> varint(const uchar* data, qsizetype& at, qsizetype end) {
    quint64 value = 0;
    for (int i = 0; i < 9; ++i) {
        if (at >= end)
            return std::nullopt;
        const uchar byte = data[at++];
        if (i == 8)
            return (value << 8) | byte;
        value = (value << 7) | (byte & 0x7f);
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

quint16 be16(const uchar* p) {
    return quint16((p[0] << 8) | p[1]);
}

// The field count of the record in one cell of a table leaf page, when the cell is sound
// and every field is text or empty; -1 otherwise. Cells spilling onto overflow pages are
// not judged (0).
int textFieldCount(const uchar* page, qsizetype size, qsizetype cell) {
    qsizetype at = cell;
    const auto payload = varint(page, at, size);
    const auto rowid = varint(page, at, size);
    if (!payload || !rowid)
        return -1;
    if (*payload > quint64(size - 35))
        return 0;  // partly on overflow pages
    const qsizetype end = at + qsizetype(*payload);
    if (end > size)
        return -1;
    const qsizetype start = at;
    const auto headerSize = varint(page, at, end);
    if (!headerSize || *headerSize < 1 || qsizetype(*headerSize) > end - start)
        return -1;
    const qsizetype headerEnd = start + qsizetype(*headerSize);
    quint64 body = 0;
    int fields = 0;
    while (at < headerEnd) {
        const auto type = varint(page, at, headerEnd);
        if (!type || (*type != 0 && (*type < 13 || *type % 2 == 0)))
            return -1;  // not NULL nor text
        if (*type != 0)
            body += (*type - 13) / 2;
        ++fields;
    }
    // The fields' lengths must add up to the payload exactly.
    return at == headerEnd && quint64(headerEnd - start) + body == *payload ? fields : -1;
}

// Whether the page is a table leaf page whose every judged cell has one of the counts.
bool matches(const uchar* page, qsizetype size, const QList<int>& fieldCounts) {
    if (page[0] != 0x0d)
        return false;
    const int cells = be16(page + 3);
    const int content = be16(page + 5) == 0 ? 65536 : be16(page + 5);
    if (cells == 0 || 8 + 2 * cells > content || content > size)
        return false;
    int count = -1;
    for (int i = 0; i < cells; ++i) {
        const qsizetype cell = be16(page + 8 + 2 * i);
        if (cell < content || cell >= size)
            return false;
        const int n = textFieldCount(page, size, cell);
        if (n < 0 || (n > 0 && count > 0 && n != count))
            return false;
        if (n > 0)
            count = n;
    }
    return count > 0 && fieldCounts.contains(count);
}

}  // namespace

namespace PageScan {

bool holdsTextRecords(const QString& path, const QList<int>& fieldCounts) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // One pass for every page size: blocks are a multiple of the largest, so a page of any
    // size lies whole in one block; a page starts where the file offset is a multiple of
    // its size. Page 1 starts with the file header, the part known to be gone.
    constexpr qsizetype kBlock = 16 * 65536;
    for (qint64 at = 0; !file.atEnd(); at += kBlock) {
        const QByteArray block = file.read(kBlock);
        const auto* data = reinterpret_cast<const uchar*>(block.constData());
        for (qsizetype offset = 0; offset < block.size(); offset += 512) {
            if (data[offset] != 0x0d)
                continue;
            for (qsizetype pageSize = 512; pageSize <= 65536; pageSize *= 2)
                if ((at + offset) % pageSize == 0 && at + offset >= pageSize &&
                    offset + pageSize <= block.size() &&
                    matches(data + offset, pageSize, fieldCounts))
                    return true;
        }
        if (block.size() < kBlock)
            break;
    }
    return false;
}

}  // namespace PageScan
