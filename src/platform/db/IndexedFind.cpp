#include "platform/db/IndexedFind.h"

#include <sqlite3.h>

#include <QSet>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/LikePattern.h"
#include "platform/db/TrigramIndex.h"

namespace IndexedFind {

namespace {

constexpr char32_t kCodePoints = 0x110000;
// A term narrows enough with this many trigrams; more only cost lookups.
constexpr int kMaxTrigramsPerTest = 12;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The first character of a well-formed UTF-8 text.
char32_t firstCharacter(const char* p, int n) {
    const auto b = static_cast<unsigned char>(p[0]);
    if (b < 0x80 || n < 2)
        return b;
    const int len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    char32_t c = b & (0x7F >> len);
    for (int i = 1; i < len && i < n; ++i)
        c = (c << 6) | (static_cast<unsigned char>(p[i]) & 0x3F);
    return c;
}

struct TokenWalk {
    std::vector<char32_t>* folded;
    const std::vector<int>* offsets;  // byte offset of each character of the text
    size_t next = 0;
    bool inStep = true;
};

int onToken(void* context, int, const char* token, int bytes, int start, int) {
    auto* walk = static_cast<TokenWalk*>(context);
    // One trigram per character, in order; anything else and nothing is trusted.
    if (walk->next >= walk->folded->size() || (*walk->offsets)[walk->next] != start || bytes < 1) {
        walk->inStep = false;
        return SQLITE_ERROR;
    }
    (*walk->folded)[walk->next++] = firstCharacter(token, bytes);
    return SQLITE_OK;
}

// How the index's tokenizer folds each character, learnt by having it read every one.
// Empty when it cannot be asked: then nothing is used from the index.
std::vector<char32_t> tokenizerFolding() {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(raw);
        return {};
    }
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    fts5_api* api = nullptr;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(raw, "SELECT fts5(?1)", -1, &st, nullptr) != SQLITE_OK)
            return {};
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(st, sqlite3_finalize);
        sqlite3_bind_pointer(st, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(st);
    }
    if (!api)
        return {};
    void* userData = nullptr;
    fts5_tokenizer tokenizer{};
    if (api->xFindTokenizer(api, "trigram", &userData, &tokenizer) != SQLITE_OK)
        return {};
    const char* args[] = {"case_sensitive", "0"};
    Fts5Tokenizer* instance = nullptr;
    if (tokenizer.xCreate(userData, args, 2, &instance) != SQLITE_OK)
        return {};
    std::string text;
    std::vector<int> offsets;
    offsets.reserve(kCodePoints);
    for (char32_t c = 1; c < kCodePoints; ++c) {
        if (isSurrogate(c))
            continue;
        offsets.push_back(int(text.size()));
        LikePattern::appendUtf8(text, c);
    }
    text += "  ";  // so that the last characters start a trigram too
    std::vector<char32_t> folded(offsets.size());
    TokenWalk walk{&folded, &offsets};
    const int rc = tokenizer.xTokenize(instance, &walk, FTS5_TOKENIZE_DOCUMENT, text.data(),
                                       int(text.size()), onToken);
    tokenizer.xDelete(instance);
    if (rc != SQLITE_OK || !walk.inStep || walk.next != folded.size()) {
        qCWarning(lcDb) << "the trigram tokenizer could not be asked how it folds: search scans";
        return {};
    }
    std::vector<char32_t> byCharacter(kCodePoints, 0);
    size_t i = 0;
    for (char32_t c = 1; c < kCodePoints; ++c)
        if (!isSurrogate(c))
            byCharacter[c] = folded[i++];
    return byCharacter;
}

// A character is usable when every character raccolio_like takes for it is folded by the
// tokenizer to the same character as it: then a card matching the pattern holds the
// trigram the index is asked for.
class UsableCharacters {
public:
    UsableCharacters() : usable_(agreeingCharacters(tokenizerFolding())) {}
    bool operator()(char32_t c) const { return c < usable_.size() && c != 0xFFFD && usable_[c]; }

private:
    std::vector<bool> usable_;
};

const UsableCharacters& usableCharacters() {
    static const UsableCharacters table;  // learnt once per run: about 0.1 s (0.5 s in debug)
    return table;
}

// The characters of a text; a lone surrogate stands as U+FFFD, which is never used, as
// it is unclear what it becomes in the UTF-8 raccolio_like is given.
std::u32string characters(const QString& text) {
    std::u32string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += char32_t(QChar::surrogateToUcs4(u, text[++i].unicode()));
        } else {
            out += isSurrogate(u) ? char32_t(0xFFFD) : char32_t(u);
        }
    }
    return out;
}

// The literal runs of a pattern as raccolio_like reads it: *, ?, # and a closed [...] end
// a run; an unclosed "[" is a character like any other.
std::vector<std::u32string> literalRuns(const QString& pattern) {
    const std::u32string chars = characters(pattern);
    std::vector<std::u32string> runs(1);
    for (size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == U'*' || c == U'?' || c == U'#') {
            runs.emplace_back();
        } else if (c == U'[' && chars.find(U']', i + 1) != std::u32string::npos) {
            i = chars.find(U']', i + 1);
            runs.emplace_back();
        } else {
            runs.back() += c;
        }
    }
    return runs;
}

std::vector<std::u32string> usableRunsOf(const QString& pattern) {
    const UsableCharacters& usable = usableCharacters();
    std::vector<std::u32string> out;
    const auto keep = [&](std::u32string run) {
        // A card may hold stray bytes after a character: raccolio_like reads them apart,
        // the tokenizer into that character. Only the last character of a run can meet them.
        if (!run.empty() && run.back() >= 0x80)
            run.pop_back();
        if (run.size() >= 3)
            out.push_back(std::move(run));
    };
    for (const std::u32string& run : literalRuns(pattern)) {
        std::u32string part;
        for (const char32_t c : run) {
            if (usable(c)) {
                part += c;
            } else {
                keep(std::move(part));
                part.clear();
            }
        }
        keep(std::move(part));
    }
    return out;
}

QString quotedTrigram(const std::u32string& run, size_t at) {
    QString t = QString::fromUcs4(run.data() + at, 3);
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

// The candidates of one Like test: every trigram of every usable run, a few of them
// spread over the runs when there are many.
QString likeQuery(const QString& pattern) {
    QStringList trigrams;
    for (const std::u32string& run : usableRunsOf(pattern))
        for (size_t at = 0; at + 3 <= run.size(); ++at)
            trigrams << quotedTrigram(run, at);
    trigrams.removeDuplicates();
    if (trigrams.size() > kMaxTrigramsPerTest) {
        QStringList spread;
        for (int k = 0; k < kMaxTrigramsPerTest; ++k)
            spread << trigrams[qsizetype(k) * (trigrams.size() - 1) / (kMaxTrigramsPerTest - 1)];
        trigrams = spread;
    }
    return trigrams.join(QStringLiteral(" AND "));
}

QString query(const Criteria::Node& node, const QStringList& fields) {
    using Node = Criteria::Node;
    switch (node.kind) {
        case Node::Like:
            return fields.contains(node.field) ? likeQuery(node.pattern) : QString();
        case Node::Not:
            return {};
        case Node::Group:
            return query(node.children.front(), fields);
        case Node::And: {
            // One narrowing test is enough: the others are checked on the candidates.
            QStringList parts;
            for (const Node& child : node.children)
                if (const QString q = query(child, fields); !q.isEmpty())
                    parts << QLatin1Char('(') + q + QLatin1Char(')');
            parts.removeDuplicates();
            return parts.join(QStringLiteral(" AND "));
        }
        case Node::Or: {
            QStringList parts;
            for (const Node& child : node.children) {
                const QString q = query(child, fields);
                if (q.isEmpty())
                    return {};  // that branch may match a card without any trigram
                parts << QLatin1Char('(') + q + QLatin1Char(')');
            }
            parts.removeDuplicates();
            return parts.join(QStringLiteral(" OR "));
        }
    }
    return {};
}

}  // namespace

std::vector<bool> agreeingCharacters(const std::vector<char32_t>& tokenizerFolding) {
    std::vector<bool> usable(kCodePoints, false);
    if (tokenizerFolding.size() < kCodePoints)
        return usable;
    constexpr char32_t kUnseen = 0xFFFFFFFF, kSplit = 0xFFFFFFFE;
    std::vector<char32_t> byClass(kCodePoints, kUnseen);  // by raccolio_like's folding
    for (char32_t c = 1; c < kCodePoints; ++c) {
        if (isSurrogate(c))
            continue;
        const char32_t likeFold = LikePattern::foldCharacter(c);
        if (likeFold >= kCodePoints)
            continue;
        char32_t& seen = byClass[likeFold];
        if (seen == kUnseen)
            seen = tokenizerFolding[c];
        else if (seen != tokenizerFolding[c])
            seen = kSplit;
    }
    for (char32_t c = 1; c < kCodePoints; ++c) {
        if (isSurrogate(c))
            continue;
        const char32_t likeFold = LikePattern::foldCharacter(c);
        usable[c] =
            likeFold < kCodePoints && byClass[likeFold] != kSplit && byClass[likeFold] != kUnseen;
    }
    return usable;
}

QString candidateQuery(const Criteria::Node& criterion, const QStringList& indexedFields) {
    return query(criterion, indexedFields);
}

QStringList usableRuns(const QString& pattern) {
    QStringList out;
    for (const std::u32string& run : usableRunsOf(pattern))
        out << QString::fromUcs4(run.data(), qsizetype(run.size()));
    return out;
}

QString Plan::candidateFilter(QVariantList& params) const {
    params << match;
    const QString q = Database::quoteIdentifier(index);
    return QStringLiteral("rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH ?)").arg(q);
}

Plan plan(Database& db, const QString& table, const QString& criterion) {
    const QString canonical = db.canonicalTableName(table);
    const Criteria::Node parsed = Criteria::parse(criterion, db.fieldNames(canonical));
    const QStringList fields = TrigramIndex::indexedFields(db, canonical);
    if (fields.isEmpty())
        return {};
    const QString match = candidateQuery(parsed, fields);
    if (match.isEmpty())
        return {};
    return {TrigramIndex::indexName(canonical), match};
}

bool wouldUseMissingIndex(Database& db, const QString& table, const QString& criterion) {
    const QString canonical = db.canonicalTableName(table);
    const QStringList fields = db.fieldNames(canonical);
    const Criteria::Node parsed = Criteria::parse(criterion, fields);
    return !TrigramIndex::exists(db, canonical) && !candidateQuery(parsed, fields).isEmpty();
}

}  // namespace IndexedFind
