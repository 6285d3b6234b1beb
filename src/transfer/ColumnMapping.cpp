#include "transfer/ColumnMapping.h"

#include <QHash>
#include <algorithm>

#include "cards/Archives.h"

namespace {

// Lower case, no accents, letters and digits only: "Anno di pubblicazione" and
// "ANNO_DI_PUBBLICAZIONE" meet, as do "Nazionalità" and "nazionalita".
QString normalized(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

// Column names of the usual exports, by the field they fill where the archive has it.
const QHash<QString, QStringList>& usualNames() {
    static const QHash<QString, QStringList> names = {
        {QStringLiteral("TITOLO"), {"title", "titolo", "name", "nome", "album", "titolo/i"}},
        {QStringLiteral("SOTTOTITOLO"), {"subtitle", "sottotitolo"}},
        {QStringLiteral("AUTORE"),
         {"author", "authors", "autore", "autori", "artist", "artists", "artista", "composer",
          "compositore", "author l-f"}},
        {QStringLiteral("ANNO"),
         {"year", "anno", "year published", "original publication year", "publication year",
          "released", "release year", "release date", "uscita", "data di uscita"}},
        {QStringLiteral("EDITORE"),
         {"publisher", "publishers", "editore", "casa editrice", "produttore", "producer"}},
        {QStringLiteral("ARGOMENTO"),
         {"subject", "subjects", "argomento", "topic", "category", "categoria"}},
        {QStringLiteral("GENERE"), {"genre", "genres", "genere", "style"}},
        {QStringLiteral("TIPOBRANO"), {"genre", "genres", "genere", "style", "tipo di brano"}},
        {QStringLiteral("FORMATO"), {"format", "formato", "binding", "rilegatura"}},
        {QStringLiteral("SUPPORTO"), {"format", "formato", "medium", "media", "supporto"}},
        {QStringLiteral("LIBRERIA"), {"location", "shelf", "posizione", "scaffale"}},
        {QStringLiteral("POSIZIONERACCOLIO"), {"location", "shelf", "posizione"}},
        {QStringLiteral("INDICE"), {"contents", "table of contents", "indice", "sommario"}},
        {QStringLiteral("NOTE"),
         {"notes", "note", "comments", "comment", "commenti", "commento", "my review", "review",
          "private notes", "description", "descrizione"}},
        {QStringLiteral("REGISTA"), {"director", "directors", "regista", "regia"}},
        {QStringLiteral("DIRETTORE"), {"conductor", "direttore"}},
        {QStringLiteral("ORCHESTRA"), {"orchestra"}},
        {QStringLiteral("SOLISTA"), {"soloist", "solista"}},
        {QStringLiteral("CANZONI"),
         {"tracks", "tracklist", "track list", "tracce", "brani", "canzoni", "songs"}},
        {QStringLiteral("ATTORI"), {"cast", "actors", "attori", "interpreti"}},
        {QStringLiteral("DURATA"), {"duration", "durata", "runtime", "running time", "length"}},
        {QStringLiteral("COLORE"), {"color", "colour", "colore"}},
        {QStringLiteral("NAZIONE"), {"country", "nation", "nationality", "nazione", "paese"}},
        {QStringLiteral("CODICE"),
         {"code", "codice", "barcode", "ean", "upc", "catalog#", "catalog number"}},
        {QStringLiteral("ETICHETTA"), {"label", "etichetta"}},
        {QStringLiteral("RATED"), {"rated", "certification", "mpaa rating"}},
        {QStringLiteral("GIUDIZIO"), {"my rating", "giudizio", "voto"}},
        {QStringLiteral("SPAZIO"), {"space left", "free space", "spazio libero"}},
        {QStringLiteral("ELENCO"), {"files", "file list", "elenco file"}},
        {QStringLiteral("CHIAVE1"), {"keywords", "tags", "parole chiave", "bookshelves"}},
    };
    return names;
}

}  // namespace

ColumnMapping::ColumnMapping(const ArchiveDef& archive, const QStringList& columns)
    : columns_(columns), fields_(archive.tableOrder) {
    for (const QString& c : columns)
        targets_.push_back(guessField(archive, c));
}

int ColumnMapping::guessField(const ArchiveDef& archive, const QString& column) {
    const QString wanted = normalized(column);
    if (wanted.isEmpty())
        return -1;
    const QStringList& order = archive.tableOrder;
    // The field's own name or its card label first, then the usual names.
    for (int i = 0; i < order.size(); ++i)
        if (normalized(order[i]) == wanted)
            return i;
    for (const FieldDef& f : archive.fields)
        if (!f.label.isEmpty() && normalized(f.label) == wanted)
            return int(order.indexOf(f.field));
    for (int i = 0; i < order.size(); ++i)
        for (const QString& name : usualNames().value(order[i]))
            if (normalized(name) == wanted)
                return i;
    return -1;
}

void ColumnMapping::setTarget(int column, int field) {
    targets_.at(std::size_t(column)) = (field >= 0 && field < fieldCount()) ? field : -1;
}

std::vector<bool> ColumnMapping::mappedFields() const {
    std::vector<bool> mapped(std::size_t(fieldCount()), false);
    for (int t : targets_)
        if (t >= 0)
            mapped[std::size_t(t)] = true;
    return mapped;
}

bool ColumnMapping::mapsAnything() const {
    for (int t : targets_)
        if (t >= 0)
            return true;
    return false;
}

void ColumnMapping::apply(const std::vector<std::string>& row,
                          std::vector<std::string>& values) const {
    values.resize(std::size_t(fieldCount()));
    for (std::string& v : values)
        v.clear();
    const std::size_t n = std::min(row.size(), targets_.size());
    for (std::size_t c = 0; c < n; ++c) {
        const int t = targets_[c];
        if (t < 0 || row[c].empty())
            continue;
        std::string& v = values[std::size_t(t)];
        if (!v.empty())
            v += "; ";
        v += row[c];
    }
}
