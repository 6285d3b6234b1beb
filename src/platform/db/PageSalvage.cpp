#include "platform/db/PageSalvage.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"

// The layout read here is SQLite's documented file format: a 100-byte header on page 1,
// b-tree pages (header, cell pointer array, cells), records (a header of serial types,
// then the values), overflow chains and the freelist.
namespace PageSalvage {

namespace {

constexpr uchar kIndexInterior = 0x02;
constexpr uchar kTableInterior = 0x05;
constexpr uchar kIndexLeaf = 0x0A;
constexpr uchar kTableLeaf = 0x0D;
constexpr qint64 kNoBound = std::numeric_limits<qint64>::min();

// What the first pass makes of each page.
enum Kind : uchar { Garbage, TableLeafPage, TableInteriorPage, IndexPage };
// What reached a page: a walk, an overflow chain, the freelist.
enum Reach : uchar { Unreached, InTree, Overflow, Free, Damaged };

quint32 be32(const uchar* p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}
quint16 be16(const uchar* p) {
    return quint16((p[0] << 8) | p[1]);
}

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

const uchar* bytesOf(const QByteArray& a) {
    return reinterpret_cast<const uchar*>(a.constData());
}

// A b-tree page whose header and cell pointers all lie where they may.
struct PageView {
    uchar type = 0;
    int cells = 0;
    int pointers = 0;  // offset of the cell pointer array
    quint32 rightChild = 0;
};

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

int cellOffset(const QByteArray& page, const PageView& v, int i) {
    return be16(bytesOf(page) + v.pointers + 2 * i);
}

bool textOnlyFits(qint64 serialType) {
    return serialType == 0 || serialType >= 12;
}

}  // namespace

// The passes of one salvage: classify every page, walk each table from its root, then give
// the stray pages to the table they fit.
class Walker {
public:
    Walker(Reader& reader, const std::vector<TableSpec>& tables, const Reader::Sink& sink,
           const Reader::Progress& progress)
        : r_(reader), tables_(tables), sink_(sink), progress_(progress),
          kind_(size_t(reader.pageCount_ + 1), Garbage),
          reach_(size_t(reader.pageCount_ + 1), Unreached) {}

    struct Range {
        qint64 lo, hi;  // lo < rowid <= hi; lo kNoBound: no lower bound
        bool holds(qint64 rowid) const { return (lo == kNoBound || rowid > lo) && rowid <= hi; }
    };
    struct Damage {
        int depth;
        Range range;
    };
    struct WalkResult {
        int leafDepth = -1;
        std::vector<Damage> damage;
    };
    using OnLeaf = std::function<void(const QByteArray& page, const PageView& view)>;

    Outcome run();

    // Walks down from `top` in key order; every sound table leaf goes to onLeaf. Pages
    // already reached by another walk, out of range, or seen twice count as damage.
    void walk(qint64 top, bool mark, WalkResult& result, const OnLeaf& onLeaf);

    // Payload of leaf cell i, its overflow chain followed; false when unreadable.
    bool leafCell(const QByteArray& page, const PageView& v, int i, bool mark, qint64& rowid,
                  QByteArray& payload);
    bool record(const QByteArray& payload, std::vector<Value>& values,
                std::vector<qint64>* types = nullptr) const;

private:
    bool chain(quint32 first, qint64 length, bool mark, QByteArray& into);
    void markFreelist();
    void classify();
    void markIndexOverflow();
    void tick() {
        if (progress_ && (r_.pagesRead_ & 255) == 0)
            progress_(std::min(r_.pagesRead_, 2 * r_.pageCount_), 2 * r_.pageCount_);
    }
    bool shapeFits(const TableSpec& t, const std::vector<qint64>& types, bool exact) const {
        if (int(types.size()) > t.columns || (exact && int(types.size()) != t.columns))
            return false;
        for (size_t i = 0; i < types.size(); ++i)
            if (i < t.textOnly.size() && t.textOnly[i] && !textOnlyFits(types[i]))
                return false;
        return true;
    }

    Reader& r_;
    const std::vector<TableSpec>& tables_;
    const Reader::Sink& sink_;
    const Reader::Progress& progress_;
    std::vector<uchar> kind_;
    std::vector<uchar> reach_;
};

bool Walker::chain(quint32 first, qint64 length, bool mark, QByteArray& into) {
    const qint64 room = r_.usable_ - 4;
    const qint64 most = (length + room - 1) / room;
    std::vector<qint64> pages;
    QByteArray page;
    qint64 next = first;
    while (length > 0) {
        if (next < 2 || next > r_.pageCount_ || qint64(pages.size()) >= most ||
            std::find(pages.begin(), pages.end(), next) != pages.end() ||
            reach_[size_t(next)] == Free || reach_[size_t(next)] == InTree ||
            !r_.readPage(next, page))
            return false;
        pages.push_back(next);
        const qint64 take = std::min(room, length);
        into.append(page.constData() + 4, take);
        length -= take;
        next = be32(bytesOf(page));
    }
    if (mark)
        for (const qint64 p : pages)
            reach_[size_t(p)] = Overflow;
    return true;
}

bool Walker::leafCell(const QByteArray& page, const PageView& v, int i, bool mark,
                      qint64& rowid, QByteArray& payload) {
    const uchar* d = bytesOf(page);
    const uchar* end = d + r_.usable_;
    const uchar* p = d + cellOffset(page, v, i);
    qint64 size = 0;
    int n = varint(p, end, size);
    if (n == 0 || size < 0 || size > 0x7FFFFFFF)
        return false;
    p += n;
    n = varint(p, end, rowid);
    if (n == 0)
        return false;
    p += n;
    const qint64 u = r_.usable_;
    const qint64 x = u - 35;
    qint64 local = size;
    if (size > x) {
        const qint64 m = ((u - 12) * 32 / 255) - 23;
        const qint64 k = m + ((size - m) % (u - 4));
        local = k <= x ? k : m;
    }
    const qint64 spill = size > local ? 4 : 0;
    if (end - p < local + spill)
        return false;
    payload = QByteArray(reinterpret_cast<const char*>(p), local);
    if (spill == 0)
        return true;
    return chain(be32(p + local), size - local, mark, payload);
}

bool Walker::record(const QByteArray& payload, std::vector<Value>& values,
                    std::vector<qint64>* types) const {
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

void Walker::walk(qint64 top, bool mark, WalkResult& result, const OnLeaf& onLeaf) {
    struct Step {
        qint64 page;
        int depth;
        Range range;
    };
    std::vector<Step> stack{{top, 0, {kNoBound, std::numeric_limits<qint64>::max()}}};
    std::unordered_set<qint64> seen;
    QByteArray page;
    while (!stack.empty()) {
        const Step s = stack.back();
        stack.pop_back();
        const bool inFile = s.page >= 1 && s.page <= r_.pageCount_;
        std::optional<PageView> view;
        if (inFile && !seen.count(s.page) && reach_[size_t(s.page)] != InTree &&
            reach_[size_t(s.page)] != Free && r_.readPage(s.page, page)) {
            tick();
            view = parsePage(page, s.page, r_.usable_);
        }
        if (!view || (view->type != kTableLeaf && view->type != kTableInterior)) {
            result.damage.push_back({s.depth, s.range});
            if (inFile && mark && reach_[size_t(s.page)] == Unreached)
                reach_[size_t(s.page)] = Damaged;
            continue;
        }
        seen.insert(s.page);
        if (mark)
            reach_[size_t(s.page)] = InTree;
        if (view->type == kTableLeaf) {
            if (result.leafDepth < 0)
                result.leafDepth = s.depth;
            onLeaf(page, *view);
            continue;
        }
        std::vector<Step> children;
        qint64 lo = s.range.lo;
        const uchar* d = bytesOf(page);
        for (int i = 0; i < view->cells; ++i) {
            const uchar* p = d + cellOffset(page, *view, i);
            qint64 key = 0;
            if (d + r_.usable_ - p < 5 || varint(p + 4, d + r_.usable_, key) == 0) {
                result.damage.push_back({s.depth + 1, {lo, s.range.hi}});
                continue;
            }
            children.push_back({be32(p), s.depth + 1, {lo, std::min(key, s.range.hi)}});
            lo = std::max(key, lo);
        }
        children.push_back({view->rightChild, s.depth + 1, {lo, s.range.hi}});
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

void Walker::markFreelist() {
    QByteArray header;
    if (!r_.readPage(1, header))
        return;
    qint64 trunk = be32(bytesOf(header) + 32);
    std::unordered_set<qint64> seen;
    QByteArray page;
    while (trunk >= 2 && trunk <= r_.pageCount_ && !seen.count(trunk) &&
           r_.readPage(trunk, page)) {
        seen.insert(trunk);
        reach_[size_t(trunk)] = Free;
        const uchar* d = bytesOf(page);
        const qint64 leaves = be32(d + 4);
        if (leaves > r_.usable_ / 4 - 2)
            break;
        for (qint64 i = 0; i < leaves; ++i)
            if (const qint64 leaf = be32(d + 8 + 4 * i); leaf >= 2 && leaf <= r_.pageCount_)
                reach_[size_t(leaf)] = Free;
        trunk = be32(d);
    }
}

void Walker::classify() {
    QByteArray page;
    for (qint64 p = 1; p <= r_.pageCount_; ++p) {
        if (!r_.readPage(p, page))
            continue;
        tick();
        const auto view = parsePage(page, p, r_.usable_);
        if (!view)
            continue;
        kind_[size_t(p)] = view->type == kTableLeaf       ? TableLeafPage
                           : view->type == kTableInterior ? TableInteriorPage
                                                          : IndexPage;
    }
}

// Index entries spill to overflow pages too; those pages are accounted for, not strays.
void Walker::markIndexOverflow() {
    const qint64 u = r_.usable_;
    const qint64 x = ((u - 12) * 64 / 255) - 23;
    const qint64 m = ((u - 12) * 32 / 255) - 23;
    QByteArray page, spilled;
    for (qint64 p = 1; p <= r_.pageCount_; ++p) {
        if (kind_[size_t(p)] != IndexPage || reach_[size_t(p)] == Free || !r_.readPage(p, page))
            continue;
        const auto view = parsePage(page, p, r_.usable_);
        if (!view)
            continue;
        const uchar* d = bytesOf(page);
        const int skip = view->type == kIndexInterior ? 4 : 0;
        for (int i = 0; i < view->cells; ++i) {
            const uchar* c = d + cellOffset(page, *view, i) + skip;
            qint64 size = 0;
            const int n = c < d + u ? varint(c, d + u, size) : 0;
            if (n == 0 || size <= x || size > 0x7FFFFFFF)
                continue;
            const qint64 k = m + ((size - m) % (u - 4));
            const qint64 local = k <= x ? k : m;
            if (d + u - (c + n) < local + 4)
                continue;
            spilled.clear();
            chain(be32(c + n + local), size - local, true, spilled);
        }
    }
}

Outcome Walker::run() {
    Outcome out;
    out.tables.assign(tables_.size(), TableOutcome());
    markFreelist();
    classify();
    std::vector<WalkResult> walks(tables_.size());
    std::vector<bool> groupDamage(tables_.size(), false), ambiguous(tables_.size(), false);
    std::vector<bool> received(tables_.size(), false);

    // The schema's own pages and their overflow are accounted for first.
    {
        WalkResult schema;
        walk(1, true, schema, [&](const QByteArray& page, const PageView& v) {
            qint64 rowid;
            QByteArray payload;
            for (int i = 0; i < v.cells; ++i)
                leafCell(page, v, i, true, rowid, payload);
        });
    }
    markIndexOverflow();

    std::vector<Value> values;
    std::vector<qint64> types;
    for (size_t t = 0; t < tables_.size(); ++t) {
        if (tables_[t].rootPage <= 0)
            continue;
        walk(tables_[t].rootPage, true, walks[t], [&](const QByteArray& page, const PageView& v) {
            for (int i = 0; i < v.cells; ++i) {
                qint64 rowid = 0;
                QByteArray payload;
                if (!leafCell(page, v, i, true, rowid, payload) ||
                    !record(payload, values, &types) || !shapeFits(tables_[t], types, false)) {
                    ++out.tables[t].lost;
                    continue;
                }
                sink_(int(t), rowid, values);
            }
        });
    }

    // Stray pages: sound table pages no walk reached. Only the top of each stray subtree
    // starts a group; the group goes to the one table it fits, in shape and in the key range
    // of a damaged page of that table.
    std::vector<qint64> strays;
    std::unordered_set<qint64> below;
    QByteArray page;
    for (qint64 p = 2; p <= r_.pageCount_; ++p) {
        if (reach_[size_t(p)] != Unreached && reach_[size_t(p)] != Damaged)
            continue;
        if (kind_[size_t(p)] != TableLeafPage && kind_[size_t(p)] != TableInteriorPage)
            continue;
        strays.push_back(p);
        if (kind_[size_t(p)] != TableInteriorPage || !r_.readPage(p, page))
            continue;
        const auto view = parsePage(page, p, r_.usable_);
        for (int i = 0; view && i < view->cells; ++i)
            if (const int c = cellOffset(page, *view, i); c + 4 <= r_.usable_)
                below.insert(be32(bytesOf(page) + c));
        if (view)
            below.insert(view->rightChild);
    }
    const auto fits = [&](size_t t, qint64 rowid) {
        if (tables_[t].rootPage <= 0)
            return true;
        const WalkResult& w = walks[t];
        return std::any_of(w.damage.begin(), w.damage.end(),
                           [&](const Damage& d) { return d.range.holds(rowid); });
    };
    for (const qint64 top : strays) {
        if (below.count(top) || reach_[size_t(top)] == InTree)
            continue;
        std::vector<bool> candidate(tables_.size(), true);
        qint64 rows = 0;
        WalkResult trial;
        walk(top, false, trial, [&](const QByteArray& leaf, const PageView& v) {
            for (int i = 0; i < v.cells; ++i) {
                qint64 rowid = 0;
                QByteArray payload;
                if (!leafCell(leaf, v, i, false, rowid, payload) ||
                    !record(payload, values, &types))
                    continue;
                ++rows;
                for (size_t t = 0; t < tables_.size(); ++t)
                    if (candidate[t] && (!shapeFits(tables_[t], types, true) || !fits(t, rowid)))
                        candidate[t] = false;
            }
        });
        const auto n = std::count(candidate.begin(), candidate.end(), true);
        if (rows == 0)
            continue;
        if (n != 1) {
            if (n > 1) {
                out.unassigned += rows;
                for (size_t t = 0; t < tables_.size(); ++t)
                    if (candidate[t])
                        ambiguous[t] = true;
            }
            qCWarning(lcDb).noquote() << "salvage: the" << rows << "rows under page" << top
                                      << "fit" << n << "tables and are left out";
            continue;
        }
        const size_t t = size_t(std::find(candidate.begin(), candidate.end(), true) -
                                candidate.begin());
        received[t] = true;
        WalkResult taken;
        walk(top, true, taken, [&](const QByteArray& leaf, const PageView& v) {
            for (int i = 0; i < v.cells; ++i) {
                qint64 rowid = 0;
                QByteArray payload;
                if (!leafCell(leaf, v, i, true, rowid, payload) ||
                    !record(payload, values, &types) || !shapeFits(tables_[t], types, true)) {
                    ++out.tables[t].lost;
                    continue;
                }
                sink_(int(t), rowid, values);
            }
        });
        if (!taken.damage.empty())
            groupDamage[t] = true;
    }

    // Pages nothing accounts for: unreadable, and not known to be a damaged page of a tree.
    qint64 unexplained = 0;
    const qint64 lockBytePage = 1073741824LL / r_.pageSize_ + 1;
    for (qint64 p = 2; p <= r_.pageCount_; ++p)
        if (reach_[size_t(p)] == Unreached && kind_[size_t(p)] == Garbage && p != lockBytePage)
            ++unexplained;

    for (size_t t = 0; t < tables_.size(); ++t) {
        TableOutcome& o = out.tables[t];
        const WalkResult& w = walks[t];
        bool known = !ambiguous[t] && !groupDamage[t];
        if (tables_[t].rootPage <= 0) {
            known = known && unexplained == 0;
        } else {
            for (const Damage& d : w.damage) {
                // All leaves of a b-tree lie at one depth: above it a damaged page held keys
                // only, and its leaves are among the strays unless some page is unreadable.
                const bool interior =
                    (w.leafDepth >= 0 && d.depth < w.leafDepth) || (d.depth == 0 && received[t]);
                if (!interior || unexplained > 0)
                    known = false;
            }
        }
        o.lostKnown = known;
        if (!known && tables_[t].rootPage > 0 && !groupDamage[t]) {
            o.bounded = true;
            for (const Damage& d : w.damage) {
                o.bounded = o.bounded && d.range.lo != kNoBound &&
                            d.range.hi != std::numeric_limits<qint64>::max() &&
                            d.range.lo < d.range.hi;
                o.unreadable.emplace_back(d.range.lo, d.range.hi);
            }
            if (!o.bounded)
                o.unreadable.clear();
        }
    }
    out.pagesRead = r_.pagesRead_;
    if (progress_)
        progress_(2 * r_.pageCount_, 2 * r_.pageCount_);
    return out;
}

Reader::Reader(QByteArray bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {
    readHeader();
}

Reader::Reader(std::unique_ptr<QFile> file) : file_(std::move(file)), size_(file_->size()) {
    readHeader();
}

Reader::~Reader() = default;

std::unique_ptr<Reader> Reader::openFile(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw AppError(ErrorCode::FileError, QStringLiteral("PageSalvage"),
                       QStringLiteral("Impossibile leggere il file %1").arg(path));
    return std::unique_ptr<Reader>(new Reader(std::move(file)));
}

bool Reader::readPage(qint64 page, QByteArray& out) {
    if (page < 1 || page > pageCount_)
        return false;
    const qint64 offset = (page - 1) * pageSize_;
    ++pagesRead_;
    if (!file_) {
        out = bytes_.mid(offset, pageSize_);
    } else {
        out.resize(pageSize_);
        if (!file_->seek(offset) || file_->read(out.data(), pageSize_) != pageSize_)
            return false;
    }
    return out.size() == pageSize_;
}

void Reader::readHeader() {
    QByteArray header;
    if (file_) {
        header = file_->read(100);
    } else {
        header = bytes_.left(100);
    }
    const uchar* h = bytesOf(header);
    if (header.size() == 100 && header.startsWith(QByteArray("SQLite format 3\0", 16))) {
        int size = be16(h + 16);
        if (size == 1)
            size = 65536;
        const int reserved = h[20];
        if (size >= 512 && size <= 65536 && (size & (size - 1)) == 0 && size - reserved >= 480) {
            headerSound_ = true;
            pageSize_ = size;
            usable_ = size - reserved;
            if (h[56] >= 1 && h[56] <= 3)
                encoding_ = Encoding(h[56]);
        }
    }
    if (!headerSound_) {
        // The header is gone: take the page size at which pages read as b-tree pages. At
        // twice the true size every other true page still reads as one, so the smallest
        // size that does about as well as the best wins.
        std::vector<std::pair<int, double>> shares;
        double best = 0;
        for (int size = 512; size <= 65536; size *= 2) {
            pageSize_ = usable_ = size;
            pageCount_ = size_ / size;
            const qint64 last = std::min<qint64>(pageCount_, 2000);
            qint64 sound = 0;
            QByteArray page;
            for (qint64 p = 2; p <= last; ++p)
                if (readPage(p, page) && parsePage(page, p, usable_))
                    ++sound;
            const double share = last >= 2 ? double(sound) / double(last - 1) : 0;
            shares.emplace_back(size, share);
            best = std::max(best, share);
        }
        int bestSize = 4096;
        if (best > 0)
            for (const auto& [size, share] : shares)
                if (share >= best * 0.75) {
                    bestSize = size;
                    break;
                }
        pageSize_ = usable_ = bestSize;
    }
    pageCount_ = size_ / pageSize_;
    pagesRead_ = 0;
}

QString Reader::text(const Value& v) const {
    switch (encoding_) {
    case Encoding::Utf16le:
        return QStringDecoder(QStringDecoder::Utf16LE).decode(v.bytes);
    case Encoding::Utf16be:
        return QStringDecoder(QStringDecoder::Utf16BE).decode(v.bytes);
    case Encoding::Utf8:
        break;
    }
    return QString::fromUtf8(v.bytes);
}

Schema Reader::schema() {
    Schema out;
    const std::vector<TableSpec> none;
    const Sink noSink;
    const Progress noProgress;
    Walker walker(*this, none, noSink, noProgress);
    Walker::WalkResult result;
    bool allCells = true;
    std::vector<Value> values;
    walker.walk(1, false, result, [&](const QByteArray& page, const PageView& v) {
        for (int i = 0; i < v.cells; ++i) {
            qint64 rowid = 0;
            QByteArray payload;
            if (!walker.leafCell(page, v, i, false, rowid, payload) ||
                !walker.record(payload, values) || values.size() < 5 ||
                values[3].kind != Value::Kind::Integer) {
                allCells = false;
                continue;
            }
            out.entries.push_back(
                {text(values[0]), text(values[1]), text(values[2]), values[3].integer,
                 values[4].kind == Value::Kind::Text ? text(values[4]) : QString()});
        }
    });
    out.complete = allCells && result.damage.empty();
    pagesRead_ = 0;
    return out;
}

Outcome Reader::salvage(const std::vector<TableSpec>& tables, const Sink& sink,
                        const Progress& progress) {
    pagesRead_ = 0;
    Walker walker(*this, tables, sink, progress);
    return walker.run();
}

}  // namespace PageSalvage
