#pragma once

#include <functional>

#include "platform/db/PageFormat.h"
#include "platform/db/PageSalvage.h"

namespace PageSalvage {

using namespace detail;

// The passes of one salvage: classify every page, walk each table from its root, then give
// the stray pages to the table they fit.
class Walker {
public:
    Walker(Reader& reader, const std::vector<TableShape>& tables, const Reader::Sink& sink,
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

    // Payload of leaf cell i, its overflow chain followed as far as it can be trusted, and
    // the whole payload's size; false when the cell itself is unreadable.
    bool leafCell(const QByteArray& page, const PageView& v, int i, bool mark, qint64& rowid,
                  QByteArray& payload, qint64& size);
    // The row of leaf cell i; false when unreadable. `cut`: some of its bytes were lost with
    // a broken overflow chain, and some of what came before the break is kept.
    bool row(const QByteArray& page, const PageView& v, int i, bool mark, qint64& rowid,
             std::vector<Value>& values, std::vector<qint64>& types, bool& cut);

private:
    bool chain(quint32 first, qint64 length, bool mark, QByteArray& into);
    void markFreelist();
    void classify();
    void markIndexOverflow();
    void tick() {
        if (progress_ && (r_.pagesRead_ & 255) == 0)
            progress_(std::min(r_.pagesRead_, 2 * r_.pageCount_), 2 * r_.pageCount_);
    }
    bool shapeFits(const TableShape& t, const std::vector<qint64>& types, bool exact) const {
        if (int(types.size()) > t.columns || (exact && int(types.size()) != t.columns))
            return false;
        for (size_t i = 0; i < types.size(); ++i)
            if (i < t.textOnly.size() && t.textOnly[i] && !textOnlyFits(types[i]))
                return false;
        return true;
    }

    Reader& r_;
    const std::vector<TableShape>& tables_;
    const Reader::Sink& sink_;
    const Reader::Progress& progress_;
    std::vector<uchar> kind_;
    std::vector<uchar> reach_;
};

}  // namespace PageSalvage
