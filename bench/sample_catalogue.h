#pragma once

// Sample catalogues for benchmarks and manual testing: a new catalogue whose archives
// hold many cards of varied, Italian-looking text. Deterministic for a given seed, so
// two runs measure the same data. Rows go in through one prepared INSERT inside one
// transaction on the raw connection; the record set would be far too slow for millions.

#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cards/Archives.h"
#include "cards/Catalogue.h"
#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "platform/db/TrigramIndex.h"
#include "sample_words.h"

namespace SampleCatalogue {

// A benchmark's arguments: a number (cards) and a catalogue path, both optional, in any
// order. Without a path the benchmark makes a sample catalogue of its own.
struct BenchArgs {
    QString path;
    qint64 cards;
};

inline BenchArgs benchArgs(const QStringList& args, qint64 defaultCards = 1000000) {
    BenchArgs out{{}, defaultCards};
    for (const QString& arg : args) {
        bool isNumber = false;
        const qint64 value = arg.toLongLong(&isNumber);
        if (isNumber)
            out.cards = value;
        else
            out.path = arg;
    }
    return out;
}

// A word that appears only in about one title in rareTitleOdds, so a find on it
// matches a few hundred cards in a million.
inline constexpr std::string_view rareTitleWord = "pergamena";
inline constexpr std::size_t rareTitleOdds = 3000;
inline constexpr std::uint64_t defaultSeed = 0x5eed5eedULL;

// How many cards each archive gets.
struct Counts {
    qint64 libri = 0;
    qint64 cdaudio = 0;
    qint64 cdrom = 0;
    qint64 video = 0;

    static Counts all(qint64 n) { return {n, n, n, n}; }
    qint64 of(const QString& table) const {
        if (table == QLatin1String("LIBRI"))
            return libri;
        if (table == QLatin1String("CDAUDIO"))
            return cdaudio;
        if (table == QLatin1String("CDROM"))
            return cdrom;
        if (table == QLatin1String("VIDEO"))
            return video;
        return 0;
    }
};

// splitmix64: tiny, fast and good enough for sample text.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    int between(int lo, int hi) { return lo + static_cast<int>(below(std::size_t(hi - lo + 1))); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }
    const std::string& pickFrom(const std::vector<std::string>& items) {
        return items[below(items.size())];
    }

private:
    std::uint64_t state_;
};

inline std::vector<std::string> utf8List(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

// Builds one card's field texts. Each generator appends to its buffer and says
// whether the field has a value (false: Null, as an untouched card field is).
class CardText {
public:
    explicit CardText(Rng& rng) : rng_(rng) {
        keywords_ = utf8List(Archives::lookupByTable(Archives::keywordTable())->starterWords);
    }

    void noun(std::string& out, bool capital = false) {
        const SampleWords::Noun& n = rng_.pick(SampleWords::nouns);
        const std::size_t from = out.size();
        out += n.article;
        out += n.word;
        if (capital)
            capitalise(out, from);
    }
    void nounWithAdjective(std::string& out, bool article, bool capital) {
        const SampleWords::Noun& n = rng_.pick(SampleWords::nouns);
        const SampleWords::Adjective& a = rng_.pick(SampleWords::adjectives);
        const std::size_t from = out.size();
        if (article)
            out += n.article;
        out += n.word;
        out += ' ';
        out += n.feminine ? a.feminine : a.masculine;
        if (capital)
            capitalise(out, from);
    }
    void person(std::string& out) {  // "Cognome Nome", as the authors register shows names
        out += rng_.pick(SampleWords::surnames);
        out += ' ';
        out += rng_.pick(SampleWords::firstNames);
    }
    void number(std::string& out, int n) { out += std::to_string(n); }

    void title(std::string& out) {
        switch (rng_.below(8)) {
            case 0:
            case 1:
                nounWithAdjective(out, true, true);
                break;
            case 2:
                noun(out, true);
                out += " di ";
                out += rng_.pick(SampleWords::places);
                break;
            case 3:
                noun(out, true);
                out += " e ";
                noun(out);
                break;
            case 4:
                nounWithAdjective(out, false, true);
                break;
            case 5:
                nounWithAdjective(out, true, true);
                out += " di ";
                out += rng_.pick(SampleWords::places);
                break;
            case 6:
                out += rng_.pick(SampleWords::firstNames);
                out += " e ";
                noun(out);
                break;
            default:
                out += rng_.pick(SampleWords::titlePrefixes);
                out += rng_.chance(50) ? rng_.pick(SampleWords::places)
                                       : rng_.pick(SampleWords::firstNames);
                break;
        }
        if (rng_.below(rareTitleOdds) == 0) {
            out += " e la ";
            out += rareTitleWord;
        }
    }
    bool subtitle(std::string& out) {
        if (!rng_.chance(45))
            return false;
        if (rng_.chance(70)) {
            out += rng_.pick(SampleWords::subtitles);
        } else {
            out += "Con un saggio di ";
            out += rng_.pick(SampleWords::firstNames);
            out += ' ';
            out += rng_.pick(SampleWords::surnames);
        }
        return true;
    }
    // Mostly recent years, some as old as the archive's medium allows.
    void year(std::string& out, int first) {
        const int recent = std::max(first, 1960);
        number(out, rng_.chance(75) ? rng_.between(recent, 2023) : rng_.between(first, recent));
    }
    template <std::size_t N>
    void sentence(std::string& out, const std::string_view (&subjects)[N]) {
        out += rng_.pick(subjects);
        out += ' ';
        out += rng_.pick(SampleWords::noteVerbs);
        out += ' ';
        if (rng_.chance(50))
            nounWithAdjective(out, true, false);
        else
            noun(out);
        if (rng_.chance(40)) {
            out += " di ";
            out += rng_.pick(SampleWords::places);
        }
        out += '.';
    }
    template <std::size_t N>
    bool notes(std::string& out, const std::string_view (&subjects)[N]) {
        if (!rng_.chance(70))
            return false;
        const int count = rng_.between(1, 3);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += ' ';
            sentence(out, subjects);
        }
        switch (rng_.below(6)) {
            case 0:
                out += " Acquistato a ";
                out += rng_.pick(SampleWords::places);
                out += " nel ";
                year(out, 1950);
                out += '.';
                break;
            case 1:
                out += " Regalo di ";
                out += rng_.pick(SampleWords::firstNames);
                out += '.';
                break;
            case 2:
                out += ' ';
                out += rng_.pick(SampleWords::remarks);
                break;
            default:
                break;
        }
        return true;
    }
    // A numbered list of short titles, one a line (tables of contents, track lists).
    bool numberedList(std::string& out, unsigned percent, int lo, int hi) {
        if (!rng_.chance(percent))
            return false;
        const int count = rng_.between(lo, hi);
        for (int i = 1; i <= count; ++i) {
            if (i > 1)
                out += '\n';
            number(out, i);
            out += ". ";
            if (rng_.chance(50))
                nounWithAdjective(out, true, true);
            else
                noun(out, true);
        }
        return true;
    }
    bool fileList(std::string& out) {
        if (!rng_.chance(60))
            return false;
        const int count = rng_.between(2, 6);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += '\n';
            out += rng_.pick(SampleWords::fileNames);
        }
        return true;
    }
    // One name a line, as the actor list of the card writes them.
    void actors(std::string& out) {
        const int count = rng_.between(2, 5);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += '\n';
            out += rng_.pick(SampleWords::firstNames);
            out += ' ';
            out += rng_.pick(SampleWords::surnames);
        }
    }

    // Keywords fill CHIAVE1.. from the left, without repeats, as the keyword picker does.
    void startCard() {
        keywordCount_ = rng_.chance(50) ? 0 : rng_.between(1, 5);
        keywordCount_ = std::min(keywordCount_, int(keywords_.size()));
        for (std::size_t i = 0; i < keywordOrder_.size(); ++i)
            keywordOrder_[i] = i;
        for (std::size_t i = 0; i < std::size_t(keywordCount_); ++i)
            std::swap(keywordOrder_[i], keywordOrder_[i + rng_.below(keywords_.size() - i)]);
        hasQuotation_ = rng_.chance(5);
    }
    bool keyword(std::string& out, int index) {
        if (index >= keywordCount_)
            return false;
        out += keywords_[keywordOrder_[std::size_t(index)]];
        return true;
    }
    bool quotationPage(std::string& out) {
        if (!hasQuotation_)
            return false;
        number(out, rng_.between(1, 480));
        return true;
    }
    bool quotation(std::string& out) {
        if (!hasQuotation_)
            return false;
        out += "«";
        nounWithAdjective(out, true, true);
        out += " ricorda ";
        noun(out);
        out += ".»";
        return true;
    }

    Rng& rng() { return rng_; }

private:
    static void capitalise(std::string& s, std::size_t at) {
        if (at < s.size() && s[at] >= 'a' && s[at] <= 'z')
            s[at] = char(s[at] - 'a' + 'A');
    }

    Rng& rng_;
    std::vector<std::string> keywords_;
    std::array<std::size_t, 16> keywordOrder_{};
    int keywordCount_ = 0;
    bool hasQuotation_ = false;
};

using FieldGenerator = std::function<bool(CardText&, std::string&)>;

inline FieldGenerator always(void (CardText::*f)(std::string&)) {
    return [f](CardText& c, std::string& out) {
        (c.*f)(out);
        return true;
    };
}

inline FieldGenerator fromList(std::vector<std::string> words, unsigned percent) {
    return [words = std::move(words), percent](CardText& c, std::string& out) {
        if (words.empty() || !c.rng().chance(percent))
            return false;
        out += c.rng().pickFrom(words);
        return true;
    };
}

template <std::size_t N>
FieldGenerator fromWords(const std::string_view (&words)[N], unsigned percent) {
    return [&words, percent](CardText& c, std::string& out) {
        if (!c.rng().chance(percent))
            return false;
        out += c.rng().pick(words);
        return true;
    };
}

// "<prefix><number>" with number in [lo, hi], or Null.
inline FieldGenerator numbered(std::string prefix, int lo, int hi, std::string suffix,
                               unsigned percent) {
    return [prefix = std::move(prefix), suffix = std::move(suffix), lo, hi, percent](
               CardText& c, std::string& out) {
        if (!c.rng().chance(percent))
            return false;
        out += prefix;
        c.number(out, c.rng().between(lo, hi));
        out += suffix;
        return true;
    };
}

inline int firstYear(const QString& table) {
    if (table == QLatin1String("CDAUDIO"))
        return 1950;
    if (table == QLatin1String("CDROM"))
        return 1985;
    if (table == QLatin1String("VIDEO"))
        return 1930;
    return 1850;
}

inline FieldGenerator notesFor(const QString& table) {
    if (table == QLatin1String("CDAUDIO"))
        return
            [](CardText& c, std::string& out) { return c.notes(out, SampleWords::musicSubjects); };
    if (table == QLatin1String("CDROM"))
        return
            [](CardText& c, std::string& out) { return c.notes(out, SampleWords::mediaSubjects); };
    if (table == QLatin1String("VIDEO"))
        return
            [](CardText& c, std::string& out) { return c.notes(out, SampleWords::filmSubjects); };
    return [](CardText& c, std::string& out) { return c.notes(out, SampleWords::bookSubjects); };
}

// What goes into one field of one archive; an unknown field gets a short phrase.
inline FieldGenerator generatorFor(const ArchiveDef& archive, const QString& field) {
    const QString& table = archive.table;
    for (const FieldDef& f : archive.fields) {
        if (f.field != field)
            continue;
        if (f.kind == InputKind::Keyword) {
            const int index = field.right(1).toInt() - 1;
            return [index](CardText& c, std::string& out) { return c.keyword(out, index); };
        }
        if (f.kind == InputKind::Lookup && f.lookupTable != QLatin1String("AUTORI")) {
            const LookupDef* l = Archives::lookupByTable(f.lookupTable);
            const bool optional =
                table == QLatin1String("CDAUDIO") &&
                (field == QLatin1String("DIRETTORE") || field == QLatin1String("ORCHESTRA") ||
                 field == QLatin1String("SOLISTA"));
            return fromList(l ? utf8List(l->starterWords) : std::vector<std::string>{},
                            optional ? 55 : 92);
        }
    }
    if (field == QLatin1String("TITOLO"))
        return always(&CardText::title);
    if (field == QLatin1String("SOTTOTITOLO"))
        return [](CardText& c, std::string& out) { return c.subtitle(out); };
    if (field == QLatin1String("AUTORE") || field == QLatin1String("REGISTA"))
        return always(&CardText::person);
    if (field == QLatin1String("ANNO"))
        return [first = firstYear(table)](CardText& c, std::string& out) {
            c.year(out, first);
            return true;
        };
    if (field == QLatin1String("EDITORE"))
        return table == QLatin1String("CDROM") ? fromWords(SampleWords::softwareHouses, 85)
                                               : fromWords(SampleWords::publishers, 90);
    if (field == QLatin1String("NOTE"))
        return notesFor(table);
    if (field == QLatin1String("INDICE"))
        return [](CardText& c, std::string& out) { return c.numberedList(out, 30, 3, 9); };
    if (field == QLatin1String("CANZONI"))
        return [](CardText& c, std::string& out) { return c.numberedList(out, 75, 4, 14); };
    if (field == QLatin1String("ELENCO"))
        return [](CardText& c, std::string& out) { return c.fileList(out); };
    if (field == QLatin1String("CITAZIONE_PAGINA"))
        return [](CardText& c, std::string& out) { return c.quotationPage(out); };
    if (field == QLatin1String("CITAZIONE_CITAZIONE"))
        return [](CardText& c, std::string& out) { return c.quotation(out); };
    if (field == QLatin1String("ATTORI"))
        return always(&CardText::actors);
    if (field == QLatin1String("ETICHETTA"))
        return table == QLatin1String("VIDEO") ? numbered("Cassetta ", 1, 400, {}, 80)
                                               : numbered("CD ", 1, 999, {}, 90);
    if (field == QLatin1String("CODICE"))
        return numbered("V", 10000, 99999, {}, 100);
    if (field == QLatin1String("DURATA"))
        return numbered({}, 70, 190, " min", 90);
    if (field == QLatin1String("SPAZIO"))
        return numbered({}, 0, 120, " min", 40);
    if (field == QLatin1String("COLORE"))
        return [](CardText& c, std::string& out) {
            out += c.rng().chance(85) ? "Colore" : "Bianco e nero";
            return true;
        };
    if (field == QLatin1String("NAZIONE"))
        return fromWords(SampleWords::countries, 90);
    if (field == QLatin1String("SUPPORTO"))
        return table == QLatin1String("CDROM") ? fromList(utf8List(Archives::mediumTypes()), 95)
                                               : fromWords(SampleWords::videoMedia, 95);
    if (field == QLatin1String("GIUDIZIO"))
        return fromList(utf8List(Archives::judgements()), 80);
    if (field == QLatin1String("RATED"))
        return fromList(utf8List(Archives::ratings()), 60);
    return [](CardText& c, std::string& out) {
        c.noun(out, true);
        return true;
    };
}

// One prepared INSERT; the texts are bound without a copy (they outlive each run).
class Insert {
public:
    Insert(Database& db, const QString& sql) : st_(db.prepare(sql)) {}

    void bind(int column, const std::string& text) {
        sqlite3_bind_text(st_.get(), column, text.data(), int(text.size()), SQLITE_STATIC);
    }
    void bindNull(int column) { sqlite3_bind_null(st_.get(), column); }
    void run() { st_.run(); }

private:
    Statement st_;
};

inline QString insertSql(const QString& table, const QStringList& fields) {
    QStringList quoted;
    QStringList marks;
    for (const QString& f : fields) {
        quoted << QLatin1Char('"') + f + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
        .arg(table, quoted.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

// Appends n cards to one archive. Call inside a transaction.
inline void fillArchive(Database& db, const ArchiveDef& archive, qint64 n, std::uint64_t seed) {
    Rng rng(seed);
    CardText card(rng);
    std::vector<FieldGenerator> generators;
    for (const QString& f : archive.tableOrder)
        generators.push_back(generatorFor(archive, f));
    std::vector<std::string> values(generators.size());
    Insert insert(db, insertSql(archive.table, archive.tableOrder));
    for (qint64 row = 0; row < n; ++row) {
        card.startCard();
        for (std::size_t i = 0; i < generators.size(); ++i) {
            values[i].clear();
            if (generators[i](card, values[i]))
                insert.bind(int(i) + 1, values[i]);
            else
                insert.bindNull(int(i) + 1);
        }
        insert.run();
    }
}

// Every name the generator can give an author, in the authors register; the starter
// author is already there.
inline void fillAuthors(Database& db) {
    Insert insert(db, insertSql(QStringLiteral("AUTORI"), Archives::authorFields()));
    const std::string starter =
        Archives::lookupByTable(QStringLiteral("AUTORI"))->starterWords.value(0).toStdString();
    std::array<std::string, 5> v;  // NOME, COGNOME, NAZIONE, NOTE, SOMMA
    for (std::string_view surname : SampleWords::surnames) {
        for (std::string_view name : SampleWords::firstNames) {
            v[0] = name;
            v[1] = surname;
            v[2] = "Italia";
            v[4] = std::string(surname) + ' ' + std::string(name);
            if (v[4] == starter)
                continue;
            for (int i = 0; i < 5; ++i) {
                if (i == 3)
                    insert.bindNull(i + 1);
                else
                    insert.bind(i + 1, v[std::size_t(i)]);
            }
            insert.run();
        }
    }
}

// Adds the cards to an existing catalogue, in one transaction.
inline void fill(Database& db, const Counts& counts, std::uint64_t seed = defaultSeed) {
    // A sample file is disposable: skip the rollback journal's disk writes and syncs, then
    // give the (possibly shared) connection its usual settings back.
    db.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    db.query(QStringLiteral("PRAGMA journal_mode=MEMORY"));
    {
        Transaction transaction(db);
        fillAuthors(db);
        std::uint64_t archiveSeed = seed;
        for (const ArchiveDef& a : Archives::all()) {
            // One pass over the filled table builds the search index faster than its
            // triggers would, card by card.
            const bool indexed = TrigramIndex::exists(db, a.table);
            TrigramIndex::drop(db, a.table);
            fillArchive(db, a, counts.of(a.table), archiveSeed++);
            if (indexed)
                TrigramIndex::create(db, a.table);
        }
        transaction.commit();
    }
    db.query(QStringLiteral("PRAGMA journal_mode=DELETE"));
    db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

// Creates a new catalogue at path (which must not exist) holding the sample cards.
inline void create(const QString& path, const Counts& counts, std::uint64_t seed = defaultSeed) {
    Catalogue::create(path);
    auto db = Database::open(path);
    fill(*db, counts, seed);
}

}  // namespace SampleCatalogue
