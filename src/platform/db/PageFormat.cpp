#include "platform/db/PageFormat.h"

#include <cstring>

namespace PageSalvage::detail {

// A varint that must end before `end`; 0 when it does not.
int varint(const uchar* p, const uchar* end, qint64& value) {
    quint64 v = 0;
    for (int i = 0; i < 8; ++i) {
        if (p + i >= end)
            return 0;
        v = (v << 7) | (p[i] & 0x7F);
        if (!(p[i] & 0x80)) {
            value = static_cast<qint64>(v);
            return i + 1;
        }
    }
    if (p + 8 >= end)
        return 0;
    value = static_cast<qint64>((v << 8) | p[8]);
    return 9;
}

std::optional<PageView> parsePage(const QByteArray& page, qint64 number, int usable) {
    const int start = number == 1 ? 100 : 0;
    if (page.size() < usable || start + 8 > usable)
        return std::nullopt;
    const uchar* d = bytesOf(page);
    PageView v;
    v.type = d[start];
    if (v.type != kTableLeaf && v.type != kTableInterior && v.type != kIndexLeaf &&
        v.type != kIndexInterior)
        return std::nullopt;
    const bool interior = v.type == kTableInterior || v.type == kIndexInterior;
    const int header = interior ? 12 : 8;
    if (start + header > usable)
        return std::nullopt;
    v.cells = be16(d + start + 3);
    int content = be16(d + start + 5);
    if (content == 0)
        content = 65536;
    v.pointers = start + header;
    const int pointerEnd = v.pointers + 2 * v.cells;
    if (pointerEnd > usable || (v.cells > 0 && (content < pointerEnd || content >= usable)))
        return std::nullopt;
    for (int i = 0; i < v.cells; ++i) {
        const int cell = be16(d + v.pointers + 2 * i);
        if (cell < content || cell >= usable)
            return std::nullopt;
    }
    if (interior)
        v.rightChild = be32(d + start + 8);
    return v;
}

namespace {

// The longest start of a text that ends on a whole character of the file's encoding.
QByteArray wholeCharacters(QByteArray text, Encoding encoding) {
    if (encoding == Encoding::Utf8) {
        qsizetype lead = text.size() - 1;
        while (lead >= 0 && lead > text.size() - 4 && (uchar(text[lead]) & 0xC0) == 0x80)
            --lead;
        if (lead >= 0) {
            const uchar b = uchar(text[lead]);
            const qsizetype length = (b & 0xE0) == 0xC0   ? 2
                                     : (b & 0xF0) == 0xE0 ? 3
                                     : (b & 0xF8) == 0xF0 ? 4
                                                          : 1;
            if (text.size() - lead < length)
                text.truncate(lead);
        }
        return text;
    }
    text.truncate(text.size() & ~qsizetype(1));
    if (text.size() >= 2) {
        const uchar* last = bytesOf(text) + text.size() - 2;
        const int high = encoding == Encoding::Utf16le ? last[1] : last[0];
        if (high >= 0xD8 && high <= 0xDB)  // the first half of a pair
            text.chop(2);
    }
    return text;
}

}  // namespace

bool decodeRecord(const QByteArray& payload, qint64 size, Encoding encoding,
                  std::vector<Value>& values, std::vector<qint64>* types) {
    const uchar* d = bytesOf(payload);
    const uchar* end = d + payload.size();
    if (size < payload.size())
        return false;
    qint64 headerSize = 0;
    int n = varint(d, end, headerSize);
    if (n == 0 || headerSize < n || headerSize > payload.size())
        return false;
    std::vector<qint64> serial;
    const uchar* p = d + n;
    const uchar* headerEnd = d + headerSize;
    while (p < headerEnd) {
        qint64 t = 0;
        n = varint(p, headerEnd, t);
        if (n == 0 || t < 0 || t == 10 || t == 11)
            return false;
        serial.push_back(t);
        p += n;
    }
    values.assign(serial.size(), Value());
    static constexpr int kIntSize[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    // Every field's place is checked against the record's size before any is read: a
    // length in the header may be anything.
    qint64 at = headerSize;
    bool cut = false;
    for (size_t i = 0; i < serial.size(); ++i) {
        const qint64 t = serial[i];
        const qint64 len = t >= 12 ? (t - 12) / 2 : kIntSize[t];
        if (len > size - at)
            return false;
        const qint64 start = at;
        at += len;
        Value& v = values[i];
        if (cut)
            continue;
        const uchar* body = d + start;  // every field before this one was there whole
        if (len > end - body) {
            cut = true;
            if (t >= 12 && end > body) {
                v.bytes = QByteArray(reinterpret_cast<const char*>(body), end - body);
                v.kind = t % 2 ? Value::Kind::Text : Value::Kind::Blob;
                if (t % 2)
                    v.bytes = wholeCharacters(v.bytes, encoding);
                if (v.bytes.isEmpty())
                    v = Value();
            }
            continue;
        }
        if (t >= 1 && t <= 7) {
            quint64 bits = (body[0] & 0x80) && t != 7 ? ~quint64(0) : 0;
            for (int b = 0; b < len; ++b)
                bits = (bits << 8) | body[b];
            if (t == 7) {
                v.kind = Value::Kind::Real;
                std::memcpy(&v.real, &bits, sizeof v.real);
            } else {
                v.kind = Value::Kind::Integer;
                v.integer = static_cast<qint64>(bits);
            }
        } else if (t == 8 || t == 9) {
            v.kind = Value::Kind::Integer;
            v.integer = t - 8;
        } else if (t >= 12) {
            v.kind = t % 2 ? Value::Kind::Text : Value::Kind::Blob;
            v.bytes = QByteArray(reinterpret_cast<const char*>(body), len);
        }
    }
    if (at != size)
        return false;
    if (types)
        *types = std::move(serial);
    return true;
}

}  // namespace PageSalvage::detail
