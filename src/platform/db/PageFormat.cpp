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

bool decodeRecord(const QByteArray& payload, std::vector<Value>& values,
                  std::vector<qint64>* types) {
    const uchar* d = bytesOf(payload);
    const uchar* end = d + payload.size();
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
    const uchar* body = headerEnd;
    static constexpr int kIntSize[] = {0, 1, 2, 3, 4, 6, 8};
    for (size_t i = 0; i < serial.size(); ++i) {
        const qint64 t = serial[i];
        Value& v = values[i];
        if (t >= 1 && t <= 7) {
            const int len = t == 7 ? 8 : kIntSize[t];
            if (end - body < len)
                return false;
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
            body += len;
        } else if (t == 8 || t == 9) {
            v.kind = Value::Kind::Integer;
            v.integer = t - 8;
        } else if (t >= 12) {
            const qint64 len = (t - 12) / 2;
            if (end - body < len)
                return false;
            v.kind = t % 2 ? Value::Kind::Text : Value::Kind::Blob;
            v.bytes = QByteArray(reinterpret_cast<const char*>(body), len);
            body += len;
        }
    }
    if (body != end)
        return false;
    if (types)
        *types = std::move(serial);
    return true;
}

}  // namespace PageSalvage::detail
