#include <algorithm>
#include <unordered_set>

#include "platform/core/Log.h"
#include "platform/db/PageWalker.h"

// The passes of a salvage over SQLite's documented file format: the freelist, every page
// classified, each table walked from its root, overflow chains, then the stray pages.
namespace PageSalvage {

// Follows an overflow chain for `length` bytes into `into`; true when all of them came. A
// page is trusted only when it points on as a sound chain's page does: to a page of the file
// not yet in the chain that no tree or freelist holds, or, the last, to none. A page
// overwritten by a stray write fails that, and is left out with everything after it.
bool Walker::chain(quint32 first, qint64 length, bool mark, QByteArray& into) {
    const qint64 room = r_.usable_ - 4;
    std::vector<qint64> pages;
    const auto onward = [&](qint64 p) {
        return p >= 2 && p <= r_.pageCount_ &&
               std::find(pages.begin(), pages.end(), p) == pages.end() &&
               reach_[size_t(p)] != Free && reach_[size_t(p)] != InTree;
    };
    QByteArray page;
    qint64 at = first;
    size_t trusted = 0;
    while (length > 0 && onward(at) && r_.readPage(at, page)) {
        pages.push_back(at);
        const qint64 take = std::min(room, length);
        const qint64 next = be32(bytesOf(page));
        if (take == length ? next != 0 : !onward(next))
            break;
        into.append(page.constData() + 4, take);
        length -= take;
        at = next;
        trusted = pages.size();
    }
    if (mark)
        for (size_t i = 0; i < trusted; ++i)
            reach_[size_t(pages[i])] = Overflow;
    return length == 0;
}

bool Walker::leafCell(const QByteArray& page, const PageView& v, int i, bool mark, qint64& rowid,
                      QByteArray& payload, qint64& size) {
    const uchar* d = bytesOf(page);
    const uchar* end = d + r_.usable_;
    const uchar* p = d + cellOffset(page, v, i);
    size = 0;
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
    chain(be32(p + local), size - local, mark, payload);
    return true;
}

bool Walker::row(const QByteArray& page, const PageView& v, int i, bool mark, qint64& rowid,
                 std::vector<Value>& values, std::vector<qint64>& types, bool& cut) {
    QByteArray payload;
    qint64 size = 0;
    if (!leafCell(page, v, i, mark, rowid, payload, size) ||
        !decodeRecord(payload, size, r_.encoding_, values, &types))
        return false;
    cut = payload.size() < size;
    // A row cut before anything of it could be read is no row to keep.
    return !cut || std::any_of(values.begin(), values.end(),
                               [](const Value& f) { return f.kind != Value::Kind::Null; });
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

// Free pages keep what they held: deleted cards must not come back as strays. A damaged
// header or trunk could point at live pages, so the list is trusted only as far as it is
// plausible: a trunk is no b-tree page, its count fits, and no more pages are freed than the
// header says.
void Walker::markFreelist() {
    QByteArray header;
    if (!r_.readPage(1, header) || !r_.headerSound_)
        return;
    qint64 trunk = be32(bytesOf(header) + 32);
    qint64 left = be32(bytesOf(header) + 36);
    std::unordered_set<qint64> seen;
    QByteArray page;
    while (trunk >= 2 && trunk <= r_.pageCount_ && left > 0 && !seen.count(trunk) &&
           r_.readPage(trunk, page) && !parsePage(page, trunk, r_.usable_)) {
        seen.insert(trunk);
        const uchar* d = bytesOf(page);
        const qint64 leaves = be32(d + 4);
        if (leaves > r_.usable_ / 4 - 2 || leaves + 1 > left)
            break;
        reach_[size_t(trunk)] = Free;
        for (qint64 i = 0; i < leaves; ++i)
            if (const qint64 leaf = be32(d + 8 + 4 * i); leaf >= 2 && leaf <= r_.pageCount_)
                reach_[size_t(leaf)] = Free;
        left -= leaves + 1;
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
            qint64 rowid, size;
            QByteArray payload;
            for (int i = 0; i < v.cells; ++i)
                leafCell(page, v, i, true, rowid, payload, size);
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
                bool cut = false;
                if (!row(page, v, i, true, rowid, values, types, cut) ||
                    !shapeFits(tables_[t], types, false)) {
                    ++out.tables[t].lost;
                    continue;
                }
                sink_(int(t), rowid, values, cut);
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
                bool cut = false;
                if (!row(leaf, v, i, false, rowid, values, types, cut))
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
                bool cut = false;
                if (!row(leaf, v, i, true, rowid, values, types, cut) ||
                    !shapeFits(tables_[t], types, true)) {
                    ++out.tables[t].lost;
                    continue;
                }
                sink_(int(t), rowid, values, cut);
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

}  // namespace PageSalvage
