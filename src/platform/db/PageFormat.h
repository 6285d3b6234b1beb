#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <limits>
#include <optional>
#include <vector>

#include "platform/db/PageSalvage.h"

// SQLite's documented file format, as far as the page reader needs it: b-tree pages (header,
// cell pointer array), varints and records. Everything is checked against the page's end.
namespace PageSalvage::detail {

constexpr uchar kIndexInterior = 0x02;
constexpr uchar kTableInterior = 0x05;
constexpr uchar kIndexLeaf = 0x0A;
constexpr uchar kTableLeaf = 0x0D;
constexpr qint64 kNoBound = std::numeric_limits<qint64>::min();

// What the first pass makes of each page.
enum Kind : uchar { Garbage, TableLeafPage, TableInteriorPage, IndexPage };
// What reached a page: a walk, an overflow chain, the freelist.
enum Reach : uchar { Unreached, InTree, Overflow, Free, Damaged };

inline quint32 be32(const uchar* p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}
inline quint16 be16(const uchar* p) {
    return quint16((p[0] << 8) | p[1]);
}
inline const uchar* bytesOf(const QByteArray& a) {
    return reinterpret_cast<const uchar*>(a.constData());
}

// A varint that must end before `end`; 0 when it does not.
int varint(const uchar* p, const uchar* end, qint64& value);

// A b-tree page whose header and cell pointers all lie where they may.
struct PageView {
    uchar type = 0;
    int cells = 0;
    int pointers = 0;  // offset of the cell pointer array
    quint32 rightChild = 0;
};

std::optional<PageView> parsePage(const QByteArray& page, qint64 number, int usable);

inline int cellOffset(const QByteArray& page, const PageView& v, int i) {
    return be16(bytesOf(page) + v.pointers + 2 * i);
}

inline bool textOnlyFits(qint64 serialType) {
    return serialType == 0 || serialType >= 12;
}

// A record of `size` bytes, of which `payload` holds the first (all of them unless the rest
// lay on overflow pages that cannot be trusted): its values and serial types. False unless
// the header is whole and header and fields add up to `size` exactly. Of a cut record, every
// field whose bytes are all there keeps its value, the field the cut falls in keeps what is
// there of it (text: whole characters of `encoding`; a number: nothing), NULL when nothing,
// and the fields after it are NULL.
bool decodeRecord(const QByteArray& payload, qint64 size, Encoding encoding,
                  std::vector<Value>& values, std::vector<qint64>* types = nullptr);

}  // namespace PageSalvage::detail
