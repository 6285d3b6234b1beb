#include "transfer/TellicoFormat.h"

namespace TellicoFormat {

namespace {

using S = Shape;

FieldMap m(const char* field, const char* element, Shape shape, const char* title,
           bool paragraph = false) {
    return {QString::fromUtf8(field), QString::fromUtf8(element), shape, QString::fromUtf8(title),
            paragraph};
}

}  // namespace

std::optional<Archive> archiveOf(int collectionType) {
    switch (collectionType) {
        case kBooks:
            return Archive::Books;
        case kMusic:
            return Archive::Music;
        case kVideos:
            return Archive::Videos;
        default:
            return std::nullopt;
    }
}

int collectionTypeOf(Archive archive) {
    switch (archive) {
        case Archive::Books:
            return kBooks;
        case Archive::Music:
            return kMusic;
        case Archive::Videos:
            return kVideos;
        case Archive::Media:
            break;
    }
    return 0;
}

QString collectionTypeName(int type) {
    static const char* const names[] = {
        "generica",        "libri",    "video",       "musica",
        "bibliografia",    "fumetti",  "vini",        "monete",
        "francobolli",     "figurine", "videogiochi", "cataloghi di file",
        "giochi da tavolo"};
    if (type >= 1 && type <= 13)
        return QString::fromUtf8(names[type - 1]);
    return QStringLiteral("sconosciuto (%1)").arg(type);
}

const std::vector<FieldMap>& fieldsOf(Archive archive) {
    static const std::vector<FieldMap> books = {
        m("TITOLO", "title", S::Single, "Titolo"),
        m("SOTTOTITOLO", "subtitle", S::Single, "Sottotitolo"),
        m("AUTORE", "author", S::Multiple, "Autore"),
        m("ANNO", "pub_year", S::Single, "Anno di pubblicazione"),
        m("EDITORE", "publisher", S::Single, "Casa editrice"),
        m("ARGOMENTO", "genre", S::Multiple, "Argomento"),
        m("FORMATO", "binding", S::Single, "Formato"),
        m("LIBRERIA", "location", S::Single, "Pos. in libreria"),
        m("INDICE", "abstract", S::Single, "Indice", true),
        m("NOTE", "comments", S::Single, "Note", true),
        m("CITAZIONE_CITAZIONE", "note", S::Single, "Citazione", true),
        m("CITAZIONE_PAGINA", "chapter", S::Single, "Pagina della citazione"),
        m("", "keyword", S::Keywords, "Parole chiave"),
    };
    static const std::vector<FieldMap> music = {
        m("TITOLO", "title", S::Single, "Titolo"),
        m("AUTORE", "artist", S::Multiple, "Autore"),
        m("ANNO", "year", S::Single, "Anno"),
        m("DIRETTORE", "director", S::Multiple, "Direttore"),
        m("ORCHESTRA", "organization", S::Single, "Orchestra"),
        m("SOLISTA", "player", S::Multiple, "Solista"),
        m("TIPOBRANO", "genre", S::Multiple, "Tipo di brano"),
        m("POSIZIONERACCOLIO", "location", S::Single, "Posizione in raccolio"),
        m("CANZONI", "track", S::Table, "Canzoni inserite"),
        m("NOTE", "comments", S::Single, "Note", true),
        m("", "keyword", S::Keywords, "Parole chiave"),
    };
    static const std::vector<FieldMap> videos = {
        m("TITOLO", "title", S::Single, "Titolo/i"),
        m("CODICE", "number", S::Single, "Codice"),
        m("ANNO", "year", S::Single, "Anno di pubblicazione"),
        m("REGISTA", "director", S::Multiple, "Regista/Autore"),
        m("DURATA", "running-time", S::Single, "Durata"),
        m("COLORE", "color", S::Single, "Color - B/W"),
        m("NAZIONE", "nationality", S::Multiple, "Nazionalità"),
        m("SUPPORTO", "medium", S::Single, "Tipo di supporto"),
        m("ETICHETTA", "label", S::Single, "Etichetta"),
        m("SPAZIO", "size", S::Single, "Spazio rimasto"),
        m("GENERE", "genre", S::Multiple, "Genere"),
        m("ARGOMENTO", "type", S::Single, "Argomento"),
        m("ATTORI", "cast", S::Table, "Attori"),
        m("GIUDIZIO", "grade", S::Single, "Giudizio"),
        m("RATED", "certification", S::Single, "Rated"),
        m("NOTE", "comments", S::Single, "Commenti e Note", true),
        m("", "keyword", S::Keywords, "Parole chiave"),
    };
    static const std::vector<FieldMap> none;
    switch (archive) {
        case Archive::Books:
            return books;
        case Archive::Music:
            return music;
        case Archive::Videos:
            return videos;
        case Archive::Media:
            break;
    }
    return none;
}

}  // namespace TellicoFormat
