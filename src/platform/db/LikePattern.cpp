#include "platform/db/LikePattern.h"

#include <sqlite3.h>

#include <QChar>
#include <memory>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Pattern matching on UTF-8 text.

struct AsciiLower {
    unsigned char t[256];  // a plain array: no accessor call in the hot loops of debug builds
};
constexpr AsciiLower makeAsciiLower() {
    AsciiLower l{};
    for (int i = 0; i < 256; ++i)
        l.t[i] = (i >= 'A' && i <= 'Z') ? static_cast<unsigned char>(i + 32)
                                        : static_cast<unsigned char>(i);
    return l;
}
constexpr AsciiLower kLower = makeAsciiLower();

// Case folding per character. A non-ASCII character never folds onto an ASCII one
// (the Kelvin sign stays itself), so ASCII text can be compared byte by byte.
inline char32_t fold(char32_t c) {
    if (c < 0x80)
        return kLower.t[c];
    const char32_t f = QChar::toCaseFolded(c);
    return f < 0x80 ? c : f;
}

// Decodes one character at p (p < end); an invalid byte stands for itself.
inline char32_t decode(const unsigned char* p, const unsigned char* end, int& len) {
    const unsigned char b = *p;
    if (b < 0x80) {
        len = 1;
        return b;
    }
    int n;
    char32_t c;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        c = b & 0x07;
    } else {
        len = 1;
        return 0xDC00 + b;  // a lone surrogate: matches nothing but itself
    }
    if (end - p < n) {
        len = 1;
        return 0xDC00 + b;
    }
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            len = 1;
            return 0xDC00 + b;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    // An overlong form is not that character: "\xC1\xA1" must not pass for "a".
    static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kShortest[n]) {
        len = 1;
        return 0xDC00 + b;
    }
    len = n;
    return c;
}

inline bool isDigitChar(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 0x80 && QChar::isDigit(c));
}

struct Range {
    char32_t lo, hi;  // folded bounds
};

struct Element {
    enum Kind : unsigned char { Literal, AnyOne, Digit, Class, Star };
    Kind kind;
    bool negated;       // Class: [!...]
    char32_t ch;        // Literal: folded character
    size_t rangeBegin;  // Class: its ranges in Pattern::ranges_
    size_t rangeEnd;
};

struct Segment {
    size_t offset, size;  // folded UTF-8 bytes in Pattern::segmentText_
    size_t chars;
};

// A compiled pattern. Patterns of literals and stars only (the common "*text*")
// take a segment search; the others a backtracking walk over characters. The hot
// paths use raw pointers so that they stay fast in unoptimised builds too.
class Pattern {
public:
    explicit Pattern(std::string_view text) {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const auto* end = p + text.size();
        while (p < end) {
            int len;
            const char32_t c = decode(p, end, len);
            p += len;
            if (c == '*') {
                if (elements_.empty() || elements_.back().kind != Element::Star)
                    elements_.push_back({Element::Star, false, 0, 0, 0});
            } else if (c == '?') {
                elements_.push_back({Element::AnyOne, false, 0, 0, 0});
            } else if (c == '#') {
                elements_.push_back({Element::Digit, false, 0, 0, 0});
            } else if (c == '[' && parseClass(p, end)) {
                // parseClass moved p past the closing bracket
            } else {
                elements_.push_back({Element::Literal, false, fold(c), 0, 0});
            }
        }
        Segment current{0, 0, 0};
        for (const Element& e : elements_) {
            if (e.kind == Element::Star) {
                current.size = segmentText_.size() - current.offset;
                segments_.push_back(current);
                current = {segmentText_.size(), 0, 0};
            } else if (e.kind == Element::Literal) {
                LikePattern::appendUtf8(segmentText_, e.ch);
                ++current.chars;
            } else {
                literalOnly_ = false;
            }
        }
        current.size = segmentText_.size() - current.offset;
        segments_.push_back(current);
        anchoredStart_ = elements_.empty() || elements_.front().kind != Element::Star;
        anchoredEnd_ = elements_.empty() || elements_.back().kind != Element::Star;
    }

    bool matches(const unsigned char* v, size_t n) const {
        return literalOnly_ ? matchSegments(v, n) : matchGeneral(v, n);
    }

private:
    static constexpr size_t npos = ~size_t(0);

    // "[...]" after the opening bracket; an unclosed bracket is an ordinary character.
    bool parseClass(const unsigned char*& pos, const unsigned char* end) {
        const unsigned char* p = pos;
        bool negated = false;
        if (p < end && *p == '!') {
            negated = true;
            ++p;
        }
        std::vector<char32_t> chars;
        while (p < end && *p != ']') {
            int len;
            chars.push_back(decode(p, end, len));
            p += len;
        }
        if (p >= end)
            return false;
        pos = p + 1;
        const size_t first = ranges_.size();
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i + 2 < chars.size() && chars[i + 1] == '-') {
                char32_t lo = fold(chars[i]), hi = fold(chars[i + 2]);
                if (lo > hi)
                    std::swap(lo, hi);
                ranges_.push_back({lo, hi});
                i += 2;
            } else {
                ranges_.push_back({fold(chars[i]), fold(chars[i])});
            }
        }
        elements_.push_back({Element::Class, negated, 0, first, ranges_.size()});
        return true;
    }

    // Does the segment match the value at byte i? Returns the end offset or npos.
    static size_t matchAt(const unsigned char* v, size_t n, size_t i, const unsigned char* s,
                          size_t sn) {
        const unsigned char* sEnd = s + sn;
        const unsigned char* vEnd = v + n;
        const unsigned char* q = v + i;
        while (s < sEnd) {
            if (q >= vEnd)
                return npos;
            if (*s < 0x80) {
                if (kLower.t[*q] != *s)
                    return npos;
                ++s;
                ++q;
            } else {
                int ls, lq;
                const char32_t cs = decode(s, sEnd, ls);
                const char32_t cq = decode(q, vEnd, lq);
                if (fold(cq) != cs)
                    return npos;
                s += ls;
                q += lq;
            }
        }
        return size_t(q - v);
    }

    // Leftmost occurrence of the segment at or after byte i; returns its end or npos.
    static size_t find(const unsigned char* v, size_t n, size_t i, const unsigned char* s,
                       size_t sn) {
        if (sn == 0)
            return i;
        const unsigned char first = s[0];
        if (first < 0x80) {
            for (; i < n; ++i) {
                if (kLower.t[v[i]] == first) {
                    const size_t e = matchAt(v, n, i, s, sn);
                    if (e != npos)
                        return e;
                }
            }
            return npos;
        }
        while (i < n) {
            const size_t e = matchAt(v, n, i, s, sn);
            if (e != npos)
                return e;
            int len;
            decode(v + i, v + n, len);
            i += size_t(len);
        }
        return npos;
    }

    static size_t charsBetween(const unsigned char* v, size_t from, size_t to) {
        size_t chars = 0;
        for (int len; from < to; from += size_t(len), ++chars)
            decode(v + from, v + to, len);
        return chars;
    }

    bool matchSegments(const unsigned char* v, size_t n) const {
        const Segment* seg = segments_.data();
        const size_t count = segments_.size();
        const auto* text = reinterpret_cast<const unsigned char*>(segmentText_.data());
        if (count == 1)  // no star at all: the whole value
            return matchAt(v, n, 0, text, seg[0].size) == n;
        size_t pos = 0;
        size_t k = 0;
        if (anchoredStart_) {
            pos = matchAt(v, n, 0, text + seg[0].offset, seg[0].size);
            if (pos == npos)
                return false;
            k = 1;
        }
        for (; k + 1 < count; ++k) {
            pos = find(v, n, pos, text + seg[k].offset, seg[k].size);
            if (pos == npos)
                return false;
        }
        if (!anchoredEnd_)
            return true;
        // The last segment ends the value: step back as many characters as it has
        // (folding keeps one character for one).
        const Segment& last = seg[count - 1];
        size_t start = n;
        for (size_t c = last.chars; c > 0 && start > 0; --c) {
            --start;
            while (start > 0 && (v[start] & 0xC0) == 0x80)
                --start;
        }
        // Stray continuation bytes are characters of their own, which the step back
        // cannot tell: then the characters from start are not the segment's count.
        if (charsBetween(v, start, n) != last.chars)
            return matchGeneral(v, n);
        return start >= pos && matchAt(v, n, start, text + last.offset, last.size) == n;
    }

    bool matchOne(const Element& e, char32_t c) const {
        switch (e.kind) {
            case Element::Literal:
                return fold(c) == e.ch;
            case Element::AnyOne:
                return true;
            case Element::Digit:
                return isDigitChar(c);
            case Element::Class: {
                const char32_t f = fold(c);
                const Range* r = ranges_.data();
                bool in = false;
                for (size_t i = e.rangeBegin; i < e.rangeEnd && !in; ++i)
                    in = (f >= r[i].lo && f <= r[i].hi) || (c >= r[i].lo && c <= r[i].hi);
                return in != e.negated;
            }
            case Element::Star:
                break;
        }
        return false;
    }

    // After a star, the next possible start: a literal ASCII element lets us skip
    // straight to its next occurrence.
    static size_t skipAhead(const unsigned char* v, size_t n, size_t i, const Element& next) {
        if (next.kind != Element::Literal || next.ch >= 0x80)
            return i;
        while (i < n && kLower.t[v[i]] != next.ch)
            ++i;
        return i;
    }

    // Every element but the star takes exactly one character, so remembering the
    // last star is enough backtracking.
    bool matchGeneral(const unsigned char* v, size_t n) const {
        const unsigned char* end = v + n;
        const Element* el = elements_.data();
        const size_t m = elements_.size();
        size_t vi = 0, pi = 0;
        size_t starPi = npos, starVi = 0;
        for (;;) {
            if (pi < m && el[pi].kind == Element::Star) {
                if (pi + 1 == m)
                    return true;  // a trailing star takes whatever is left
                starPi = pi++;
                starVi = skipAhead(v, n, vi, el[pi]);
                vi = starVi;
                continue;
            }
            if (vi >= n)
                break;
            int len;
            const char32_t c = decode(v + vi, end, len);
            if (pi < m && matchOne(el[pi], c)) {
                vi += size_t(len);
                ++pi;
                continue;
            }
            if (starPi == npos)
                return false;
            int sl;
            decode(v + starVi, end, sl);
            starVi = skipAhead(v, n, starVi + size_t(sl), el[starPi + 1]);
            vi = starVi;
            pi = starPi + 1;
        }
        while (pi < m && el[pi].kind == Element::Star)
            ++pi;
        return pi == m;
    }

    std::vector<Element> elements_;
    std::vector<Range> ranges_;
    std::vector<Segment> segments_;  // literal runs between stars
    std::string segmentText_;
    bool literalOnly_ = true;
    bool anchoredStart_ = true;  // the pattern does not begin with a star
    bool anchoredEnd_ = true;    // the pattern does not end with a star
};

void deletePattern(void* p) {
    delete static_cast<Pattern*>(p);
}

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);  // a Null never matches
        return;
    }
    const auto* value = sqlite3_value_text(argv[0]);
    const auto valueSize = size_t(sqlite3_value_bytes(argv[0]));
    // The pattern is a bound parameter: compile it once per statement run.
    const auto* pattern = static_cast<const Pattern*>(sqlite3_get_auxdata(ctx, 1));
    if (pattern) {
        sqlite3_result_int(ctx, value && pattern->matches(value, valueSize) ? 1 : 0);
        return;
    }
    const auto* pt = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    auto compiled =
        std::make_unique<Pattern>(std::string_view(pt, size_t(sqlite3_value_bytes(argv[1]))));
    sqlite3_result_int(ctx, value && compiled->matches(value, valueSize) ? 1 : 0);
    sqlite3_set_auxdata(ctx, 1, compiled.release(), deletePattern);  // frees it on failure
}

}  // namespace

namespace LikePattern {

void appendUtf8(std::string& s, char32_t c) {
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
}

bool matches(std::string_view value, std::string_view pattern) {
    const Pattern compiled(pattern);
    return compiled.matches(reinterpret_cast<const unsigned char*>(value.data()), value.size());
}

char32_t foldCharacter(char32_t c) {
    return fold(c);
}

void registerSqlFunction(sqlite3* db) {
    sqlite3_create_function_v2(db, "raccolio_like", 2,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               likeFunction, nullptr, nullptr, nullptr);
}

}  // namespace LikePattern
