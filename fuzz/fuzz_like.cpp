// The LIKE matcher against a plain reference: every character decoded the same way,
// then a table of "pattern prefix matches value prefix". A different answer is a bug.
#include <QChar>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/db/LikePattern.h"

namespace {

// Well-formed UTF-8 (no overlong forms) gives its code point; any other byte stands
// for itself as a lone surrogate, so it matches only the same byte.
std::vector<char32_t> decodeAll(std::string_view s) {
    std::vector<char32_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        const unsigned char b = *p;
        int n = b < 0x80             ? 1
                : (b & 0xE0) == 0xC0 ? 2
                : (b & 0xF0) == 0xE0 ? 3
                : (b & 0xF8) == 0xF0 ? 4
                                     : 0;
        char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = n > 0 && end - p >= n;
        for (int i = 1; ok && i < n; ++i) {
            ok = (p[i] & 0xC0) == 0x80;
            c = (c << 6) | (p[i] & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && c < kMin[n])
            ok = false;
        if (!ok) {
            out.push_back(0xDC00 + b);
            ++p;
        } else {
            out.push_back(c);
            p += n;
        }
    }
    return out;
}

char32_t fold(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const char32_t f = QChar::toCaseFolded(c);
    return f < 0x80 ? c : f;
}

struct Item {
    enum Kind { Literal, Any, Digit, Class, Star } kind;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

Item simple(Item::Kind kind, char32_t ch = 0) {
    Item it{kind, ch, false, {}};
    return it;
}

std::vector<Item> compile(const std::vector<char32_t>& p) {
    std::vector<Item> items;
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (c == '*') {
            items.push_back(simple(Item::Star));
        } else if (c == '?') {
            items.push_back(simple(Item::Any));
        } else if (c == '#') {
            items.push_back(simple(Item::Digit));
        } else if (c == '[') {
            size_t j = i + 1;
            bool negated = j < p.size() && p[j] == '!';
            if (negated)
                ++j;
            size_t close = j;
            while (close < p.size() && p[close] != ']')
                ++close;
            if (close >= p.size()) {
                items.push_back(simple(Item::Literal, fold(c)));
                continue;
            }
            Item item{Item::Class, 0, negated, {}};
            for (size_t k = j; k < close; ++k) {
                if (k + 2 < close && p[k + 1] == '-') {
                    char32_t lo = fold(p[k]), hi = fold(p[k + 2]);
                    if (lo > hi)
                        std::swap(lo, hi);
                    item.ranges.push_back({lo, hi});
                    k += 2;
                } else {
                    item.ranges.push_back({fold(p[k]), fold(p[k])});
                }
            }
            items.push_back(item);
            i = close;
        } else {
            items.push_back(simple(Item::Literal, fold(c)));
        }
    }
    return items;
}

bool one(const Item& it, char32_t c) {
    switch (it.kind) {
        case Item::Literal:
            return fold(c) == it.ch;
        case Item::Any:
            return true;
        case Item::Digit:
            return (c >= '0' && c <= '9') || (c >= 0x80 && QChar::isDigit(c));
        case Item::Class: {
            bool in = false;
            for (const auto& [lo, hi] : it.ranges)
                in = in || (fold(c) >= lo && fold(c) <= hi) || (c >= lo && c <= hi);
            return in != it.negated;
        }
        case Item::Star:
            break;
    }
    return false;
}

bool reference(const std::vector<char32_t>& v, const std::vector<Item>& p) {
    // row[j]: the items so far match the first j characters.
    std::vector<char> row(v.size() + 1, 0), next(v.size() + 1, 0);
    row[0] = 1;
    for (const Item& item : p) {
        for (size_t j = 0; j <= v.size(); ++j) {
            if (item.kind == Item::Star)
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else
                next[j] = j > 0 && row[j - 1] && one(item, v[j - 1]);
        }
        row.swap(next);
    }
    return row[v.size()];
}

}  // namespace

// Input: pattern, a zero byte, value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256)
        return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t cut = all.find('\0');
    if (cut == std::string_view::npos)
        return 0;
    const std::string_view pattern = all.substr(0, cut);
    const std::string_view value = all.substr(cut + 1);
    const bool got = LikePattern::matches(value, pattern);
    const bool want = reference(decodeAll(value), compile(decodeAll(pattern)));
    if (got != want) {
        fprintf(stderr, "LIKE disagrees: matches=%d reference=%d\n", got, want);
        abort();
    }
    return 0;
}
