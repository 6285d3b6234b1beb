#include "platform/db/Criteria.h"

#include <sqlite3.h>

#include <QChar>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "platform/db/LikePattern.h"

namespace {

const QString kSource = QStringLiteral("Criteria");

// ---------------------------------------------------------------------------
// Tokens of criteria and record sources.

struct Token {
    enum Kind { Word, String, Bracketed, Symbol, End } kind;
    QString text;  // word / unquoted string / bracket content / the symbol
    qsizetype begin = 0;
    qsizetype end = 0;  // offsets in the source text
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

[[noreturn]] void badSyntax(const QString& text) {
    throw AppError(ErrorCode::BadCriterion, kSource,
                   QStringLiteral("Sintassi non valida nel criterio: %1").arg(text));
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {  // a doubled quote is one quote
                        text += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                text += s[i++];
            }
            if (!closed)
                badSyntax(s);
            out.push_back({Token::String, text, start, i});
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = s.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                badSyntax(s);
            out.push_back({Token::Bracketed, s.mid(i + 1, close - i - 1), start, close + 1});
            i = close + 1;
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            out.push_back({Token::Word, s.mid(start, i - start), start, i});
        } else {
            ++i;
            out.push_back({Token::Symbol, QString(c), start, i});
        }
    }
    out.push_back({Token::End, {}, n, n});
    return out;
}

bool isKeyword(const Token& t, const char* word) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}
bool isSymbol(const Token& t, char c) {
    return t.kind == Token::Symbol && t.text == QChar(c);
}

// criterion := and { OR and }; and := term { AND term };
// term := NOT term | "(" criterion ")" | field LIKE string
class CriterionParser {
public:
    using Node = Criteria::Node;

    CriterionParser(const QString& text, const QStringList& fields)
        : text_(text), tokens_(tokenize(text)), fields_(fields) {}

    Node parse() {
        Node node = parseOr();
        if (tokens_[pos_].kind != Token::End)
            badSyntax(text_);
        return node;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }

    Node parseOr() {
        Node first = parseAnd();
        if (!isKeyword(peek(), "OR"))
            return first;
        Node node{Node::Or, {}, {}, {}};
        node.children.push_back(std::move(first));
        while (isKeyword(peek(), "OR")) {
            ++pos_;
            node.children.push_back(parseAnd());
        }
        return node;
    }

    Node parseAnd() {
        Node first = parseTerm();
        if (!isKeyword(peek(), "AND"))
            return first;
        Node node{Node::And, {}, {}, {}};
        node.children.push_back(std::move(first));
        while (isKeyword(peek(), "AND")) {
            ++pos_;
            node.children.push_back(parseTerm());
        }
        return node;
    }

    Node parseTerm() {
        if (isKeyword(peek(), "NOT")) {
            ++pos_;
            Node node{Node::Not, {}, {}, {}};
            node.children.push_back(parseTerm());
            return node;
        }
        if (isSymbol(peek(), '(')) {
            // "(" opens either a parenthesised field or a parenthesised criterion.
            const size_t saved = pos_;
            QString field;
            if (tryField(field) && isKeyword(peek(), "LIKE"))
                return likeTest(field);
            pos_ = saved + 1;
            Node node{Node::Group, {}, {}, {}};
            node.children.push_back(parseOr());
            if (!isSymbol(peek(), ')'))
                badSyntax(text_);
            ++pos_;
            return node;
        }
        QString field;
        if (!tryField(field) || !isKeyword(peek(), "LIKE"))
            badSyntax(text_);
        return likeTest(field);
    }

    // field := NAME | TABLE.NAME | [NAME] | "(" field ")"; leaves pos_ after it.
    bool tryField(QString& name) {
        const Token& t = peek();
        if (isSymbol(t, '(')) {
            ++pos_;
            if (!tryField(name) || !isSymbol(peek(), ')'))
                return false;
            ++pos_;
            return true;
        }
        if (t.kind == Token::Bracketed) {
            name = t.text;
            ++pos_;
        } else if (t.kind == Token::Word && !isKeyword(t, "NOT")) {
            name = t.text;
            ++pos_;
        } else {
            return false;
        }
        if (isSymbol(peek(), '.')) {  // TABLE.NAME: the table is the set's own
            ++pos_;
            const Token& f = peek();
            if (f.kind != Token::Word && f.kind != Token::Bracketed)
                return false;
            name = f.text;
            ++pos_;
        }
        return true;
    }

    Node likeTest(const QString& field) {
        ++pos_;  // LIKE
        const Token& pattern = peek();
        if (pattern.kind != Token::String)
            badSyntax(text_);
        ++pos_;
        QString canonical;
        for (const QString& f : fields_) {
            if (f.compare(field, Qt::CaseInsensitive) == 0) {
                canonical = f;
                break;
            }
        }
        if (canonical.isEmpty())
            throw AppError(ErrorCode::ItemNotFound, kSource,
                           QStringLiteral("Campo %1 non trovato").arg(field));
        return Node{Node::Like, canonical, pattern.text, {}};
    }

    const QString& text_;
    std::vector<Token> tokens_;
    const QStringList& fields_;
    size_t pos_ = 0;
};

QString render(const Criteria::Node& node, QVariantList& params) {
    using Node = Criteria::Node;
    switch (node.kind) {
        case Node::Like:
            params << node.pattern;
            return QStringLiteral("raccolio_like(%1, ?)")
                .arg(Database::quoteIdentifier(node.field));
        case Node::Not:
            return QStringLiteral("NOT (") + render(node.children.front(), params) +
                   QLatin1Char(')');
        case Node::Group:
            return QLatin1Char('(') + render(node.children.front(), params) + QLatin1Char(')');
        case Node::And:
        case Node::Or: {
            const QString glue =
                node.kind == Node::And ? QStringLiteral(" AND ") : QStringLiteral(" OR ");
            QString sql;
            for (const Node& child : node.children) {
                if (!sql.isEmpty())
                    sql += glue;
                sql += render(child, params);
            }
            return sql;
        }
    }
    return {};
}

}  // namespace

namespace Criteria {

Node parse(const QString& criterion, const QStringList& fields) {
    return CriterionParser(criterion, fields).parse();
}

QString toSql(const QString& criterion, const QStringList& fields, QVariantList& params) {
    const Node node = parse(criterion, fields);  // only a complete criterion adds parameters
    return render(node, params);
}

bool like(const QString& value, const QString& pattern) {
    if (value.isNull() || pattern.isNull())
        return false;
    const QByteArray p = pattern.toUtf8();
    const QByteArray v = value.toUtf8();
    return LikePattern::matches(std::string_view(v.constData(), size_t(v.size())),
                                std::string_view(p.constData(), size_t(p.size())));
}

QString quotedContainsPattern(const QString& userText) {
    QString t = userText;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("\"*") + t + QStringLiteral("*\"");
}

void registerFunctions(sqlite3* db) {
    LikePattern::registerSqlFunction(db);
}

}  // namespace Criteria

// ---------------------------------------------------------------------------

RecordSource RecordSource::parse(const QString& text) {
    const auto bad = [&]() -> AppError {
        return AppError(ErrorCode::BadCriterion, QStringLiteral("RecordSource"),
                        QStringLiteral("Origine dei record non valida: %1").arg(text));
    };
    QString src = text.trimmed();
    while (src.endsWith(QLatin1Char(';')))
        src.chop(1);
    std::vector<Token> t;
    try {
        t = tokenize(src);
    } catch (const AppError&) {
        throw bad();
    }
    // "[]" names nothing: refused here rather than as a table that cannot be found.
    const auto isName = [](const Token& k) {
        return (k.kind == Token::Bracketed && !k.text.trimmed().isEmpty()) || k.kind == Token::Word;
    };
    RecordSource rs;
    // A bare table name.
    if (t.size() == 2 && isName(t[0]) && !isKeyword(t[0], "SELECT")) {
        rs.table = t[0].text;
        return rs;
    }
    size_t i = 0;
    if (!isKeyword(t[i++], "SELECT"))
        throw bad();
    QString qualifier;
    if (isName(t[i]) && isSymbol(t[i + 1], '.')) {
        qualifier = t[i].text;
        i += 2;
    }
    if (!isSymbol(t[i++], '*') || !isKeyword(t[i++], "FROM") || !isName(t[i]))
        throw bad();
    rs.table = t[i++].text;
    if (!qualifier.isEmpty() && qualifier.compare(rs.table, Qt::CaseInsensitive) != 0)
        throw bad();
    if (isKeyword(t[i], "WHERE")) {
        const size_t first = ++i;
        int depth = 0;
        while (t[i].kind != Token::End &&
               !(depth == 0 && isKeyword(t[i], "ORDER") && isKeyword(t[i + 1], "BY"))) {
            if (isSymbol(t[i], '('))
                ++depth;
            else if (isSymbol(t[i], ')'))
                --depth;
            ++i;
        }
        if (i == first)
            throw bad();
        rs.criterion = src.mid(t[first].begin, t[i - 1].end - t[first].begin);
    }
    if (isKeyword(t[i], "ORDER")) {
        if (!isKeyword(t[i + 1], "BY"))
            throw bad();
        i += 2;
        if (!isName(t[i]))
            throw bad();
        QString field = t[i++].text;
        if (isSymbol(t[i], '.')) {
            if (field.compare(rs.table, Qt::CaseInsensitive) != 0 || !isName(t[i + 1]))
                throw bad();
            field = t[i + 1].text;
            i += 2;
        }
        if (isKeyword(t[i], "DESC")) {
            field += QStringLiteral(" DESC");
            ++i;
        } else if (isKeyword(t[i], "ASC")) {
            ++i;
        }
        rs.orderBy = field;
    }
    if (t[i].kind != Token::End)
        throw bad();
    return rs;
}
