#pragma once

// Word lists for the sample catalogue: enough variety that titles, names and notes
// look like a real private collection, with accents and apostrophes where Italian
// has them (both matter to the find rules).

#include <string_view>

namespace SampleWords {

struct Noun {
    std::string_view article;  // with its trailing blank or apostrophe
    std::string_view word;
    bool feminine;
};

struct Adjective {
    std::string_view masculine;
    std::string_view feminine;
};

inline constexpr Noun nouns[] = {
    {"il ", "giardino", false},  {"il ", "mare", false},      {"il ", "fiume", false},
    {"il ", "silenzio", false},  {"il ", "viaggio", false},   {"il ", "ritorno", false},
    {"il ", "segreto", false},   {"il ", "castello", false},  {"il ", "bosco", false},
    {"il ", "sentiero", false},  {"il ", "ponte", false},     {"il ", "porto", false},
    {"il ", "vento", false},     {"il ", "tempo", false},     {"il ", "sogno", false},
    {"il ", "canto", false},     {"il ", "ricordo", false},   {"il ", "deserto", false},
    {"il ", "cammino", false},   {"il ", "confine", false},   {"il ", "faro", false},
    {"il ", "mulino", false},    {"il ", "labirinto", false}, {"il ", "pendolo", false},
    {"lo ", "specchio", false},  {"lo ", "straniero", false}, {"lo ", "scrittoio", false},
    {"l'", "orologio", false},   {"l'", "inverno", false},    {"l'", "autunno", false},
    {"l'", "angelo", false},     {"l'", "amico", false},      {"l'", "esilio", false},
    {"il ", "destino", false},   {"il ", "naufragio", false}, {"il ", "mercante", false},
    {"il ", "convento", false},  {"il ", "cortile", false},   {"la ", "notte", true},
    {"la ", "luna", true},       {"la ", "casa", true},       {"la ", "città", true},
    {"la ", "montagna", true},   {"la ", "strada", true},     {"la ", "memoria", true},
    {"la ", "lettera", true},    {"la ", "stagione", true},   {"la ", "finestra", true},
    {"la ", "torre", true},      {"la ", "valle", true},      {"la ", "pioggia", true},
    {"la ", "nebbia", true},     {"la ", "voce", true},       {"la ", "libertà", true},
    {"la ", "verità", true},     {"la ", "promessa", true},   {"la ", "fortuna", true},
    {"la ", "biblioteca", true}, {"la ", "spiaggia", true},   {"la ", "cattedrale", true},
    {"la ", "locanda", true},    {"la ", "bottega", true},    {"l'", "isola", true},
    {"l'", "estate", true},      {"l'", "ombra", true},       {"l'", "alba", true},
    {"l'", "attesa", true},      {"l'", "eredità", true},     {"la ", "primavera", true},
    {"la ", "rosa", true},       {"la ", "collina", true},    {"la ", "fontana", true},
};

inline constexpr Adjective adjectives[] = {
    {"silenzioso", "silenziosa"},   {"perduto", "perduta"},   {"antico", "antica"},
    {"ultimo", "ultima"},           {"lontano", "lontana"},   {"nascosto", "nascosta"},
    {"segreto", "segreta"},         {"oscuro", "oscura"},     {"luminoso", "luminosa"},
    {"dimenticato", "dimenticata"}, {"nuovo", "nuova"},       {"piccolo", "piccola"},
    {"bianco", "bianca"},           {"rosso", "rossa"},       {"azzurro", "azzurra"},
    {"grande", "grande"},           {"breve", "breve"},       {"felice", "felice"},
    {"fragile", "fragile"},         {"immobile", "immobile"}, {"inquieto", "inquieta"},
    {"sospeso", "sospesa"},         {"eterno", "eterna"},     {"invisibile", "invisibile"},
};

inline constexpr std::string_view places[] = {
    "Venezia", "Ravenna", "Trieste", "Matera",   "Urbino",  "Lecce",   "Siena",    "Mantova",
    "Palermo", "Genova",  "Torino",  "Napoli",   "Bologna", "Firenze", "Cagliari", "Bergamo",
    "Ferrara", "Perugia", "Orvieto", "Taormina", "Aosta",   "Bari",    "Como",     "Lucca",
    "Parma",   "Verona",  "Padova",  "Assisi",   "Cefalù",  "Forlì",   "Cantù",    "Gubbio",
};

inline constexpr std::string_view firstNames[] = {
    "Alessandro", "Giovanni", "Luca",     "Marco",   "Francesco", "Giuseppe", "Antonio",  "Pietro",
    "Paolo",      "Matteo",   "Andrea",   "Stefano", "Carlo",     "Lorenzo",  "Federico", "Nicola",
    "Salvatore",  "Vittorio", "Enrico",   "Emilio",  "Nicolò",    "Maria",    "Anna",     "Giulia",
    "Francesca",  "Chiara",   "Elena",    "Lucia",   "Sara",      "Laura",    "Paola",    "Silvia",
    "Caterina",   "Beatrice", "Giovanna", "Teresa",  "Rosa",      "Marta",    "Irene",    "Agnese",
};

inline constexpr std::string_view surnames[] = {
    "Rossi",     "Russo",    "Ferrari",    "Esposito",   "Bianchi",    "Romano",     "Colombo",
    "Ricci",     "Marino",   "Greco",      "Bruno",      "Gallo",      "Conti",      "De Luca",
    "Mancini",   "Costa",    "Giordano",   "Rizzo",      "Lombardi",   "Moretti",    "Barbieri",
    "Fontana",   "Santoro",  "Mariani",    "Rinaldi",    "Caruso",     "Ferrara",    "Galli",
    "Martini",   "Leone",    "Longo",      "Gentile",    "Martinelli", "Vitale",     "Lombardo",
    "Serra",     "Coppola",  "De Santis",  "D'Angelo",   "Marchetti",  "Parisi",     "Villa",
    "Conte",     "Ferraro",  "Ferri",      "Fabbri",     "Bianco",     "Marini",     "Grasso",
    "Valentini", "Messina",  "Sala",       "De Angelis", "Gatti",      "Pellegrini", "Palumbo",
    "Sanna",     "Farina",   "Rizzi",      "Monti",      "Cattaneo",   "Morelli",    "Amato",
    "Silvestri", "Mazza",    "Testa",      "Dell'Acqua", "Carbone",    "Giuliani",   "Benedetti",
    "Barone",    "Rossetti", "Caputo",     "Montanari",  "Guerra",     "Palmieri",   "Bernardi",
    "Fiore",     "De Rosa",  "Ferretti",   "Bellini",    "Basile",     "Riva",       "Donati",
    "Piras",     "Vitali",   "Battaglia",  "Sartori",    "Neri",       "Costantini", "Milani",
    "Pagano",    "Ruggiero", "Sorrentino", "D'Amico",    "Orlando",    "Negri",      "Cavalli",
};

inline constexpr std::string_view publishers[] = {
    "Einaudi",
    "Mondadori",
    "Feltrinelli",
    "Adelphi",
    "Garzanti",
    "Laterza",
    "Sellerio",
    "Bompiani",
    "Rizzoli",
    "Il Mulino",
    "Zanichelli",
    "Longanesi",
    "Guanda",
    "Marsilio",
    "Neri Pozza",
    "Salani",
    "Giunti",
    "Utet",
    "Hoepli",
    "Edizioni e/o",
    "Minimum Fax",
    "Iperborea",
    "Bollati Boringhieri",
    "Carocci",
    "Olschki",
};

inline constexpr std::string_view softwareHouses[] = {
    "Microsoft",
    "Sierra",
    "De Agostini Multimedia",
    "Giunti Multimedia",
    "Mondadori New Media",
    "Electronic Arts",
    "LucasArts",
    "Borland",
    "Symantec",
    "Corel",
    "Adobe",
    "Jackson Libri",
    "Opera Multimedia",
    "Rizzoli New Media",
};

inline constexpr std::string_view countries[] = {
    "Italia", "Francia",          "Stati Uniti", "Regno Unito", "Germania",  "Spagna", "Giappone",
    "Svezia", "Unione Sovietica", "Messico",     "Brasile",     "Argentina", "India",  "Cina",
};

inline constexpr std::string_view subtitles[] = {
    "Romanzo",           "Racconti",           "Saggio",
    "Poesie scelte",     "Edizione integrale", "Nuova edizione",
    "Cronache",          "Diario di viaggio",  "Lettere e scritti",
    "Memorie",           "Un'indagine",        "Fiabe e leggende",
    "Appunti di storia", "Ricettario",         "Guida pratica",
    "Scritti inediti",
};

inline constexpr std::string_view titlePrefixes[] = {
    "Storia di ",  "Ritorno a ", "Lettere da ", "Viaggio a ",
    "Ricordi di ", "Estate a ",  "Inverno a ",  "Notturno di ",
};

// Subjects of the notes' sentences, one list per archive in tab order.
inline constexpr std::string_view bookSubjects[] = {
    "Il libro",    "L'autore", "Questa edizione", "Il volume",
    "Il racconto", "L'opera",  "Il testo",        "La raccolta",
};
inline constexpr std::string_view musicSubjects[] = {
    "Il disco", "La registrazione", "L'esecuzione", "Il concerto", "L'album",
};
inline constexpr std::string_view mediaSubjects[] = {
    "Il supporto", "La raccolta", "L'archivio", "Il programma", "Il disco",
};
inline constexpr std::string_view filmSubjects[] = {
    "Il film", "La pellicola", "Il regista", "La storia", "Il documentario",
};

inline constexpr std::string_view noteVerbs[] = {
    "racconta",     "descrive", "ripercorre", "esplora", "raccoglie",
    "ricostruisce", "evoca",    "indaga",     "celebra", "attraversa",
};

inline constexpr std::string_view remarks[] = {
    "Prima edizione.",
    "Con dedica dell'autore.",
    "Copertina un po' rovinata.",
    "Da rileggere.",
    "Ottime condizioni.",
    "Annotazioni a matita nelle prime pagine.",
    "Manca la sovraccoperta.",
    "Edizione fuori commercio.",
    "Pagine ingiallite ma integre.",
    "Copia numerata.",
};

inline constexpr std::string_view fileNames[] = {
    "setup.exe",  "install.bat",  "leggimi.txt", "readme.txt",  "autorun.inf",  "manuale.pdf",
    "dati.dbf",   "archivio.zip", "config.sys",  "lettera.doc", "bilancio.xls", "foto.jpg",
    "musica.mid", "video.avi",    "tesi.doc",    "rubrica.mdb", "sfondo.bmp",   "gioco.exe",
};

inline constexpr std::string_view videoMedia[] = {
    "VHS", "S-VHS", "Video 8", "Hi 8", "DVD", "Betamax", "Laserdisc",
};

}  // namespace SampleWords
