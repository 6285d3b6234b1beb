#include "cards/Archives.h"

namespace {

using K = InputKind;

FieldDef text(const char* f, const char* label, const char* ctl, bool enterIgnored = false) {
    return {QString::fromUtf8(f),
            QString::fromUtf8(label),
            QString::fromUtf8(ctl),
            K::Text,
            {},
            enterIgnored,
            false};
}
FieldDef memo(const char* f, const char* label, const char* ctl) {
    return {QString::fromUtf8(f),
            QString::fromUtf8(label),
            QString::fromUtf8(ctl),
            K::MultiLine,
            {},
            false,
            true};
}
FieldDef lookup(const char* f, const char* label, const char* ctl, const char* table) {
    return {QString::fromUtf8(f),
            QString::fromUtf8(label),
            QString::fromUtf8(ctl),
            K::Lookup,
            QString::fromUtf8(table),
            false,
            false};
}
FieldDef hidden(const char* f, const char* ctl, bool longText) {
    return {QString::fromUtf8(f), {}, QString::fromUtf8(ctl), K::Hidden, {}, false, longText};
}

QStringList keywordFields() {
    return {QStringLiteral("CHIAVE1"), QStringLiteral("CHIAVE2"), QStringLiteral("CHIAVE3"),
            QStringLiteral("CHIAVE4"), QStringLiteral("CHIAVE5")};
}

// Appends the keyword fields (shown by read-only labels) and the table order.
// Labels that open a pop-up list or a window carry their own names.
void markLinkLabels(ArchiveDef& a) {
    struct Link {
        const char* control;
        const char* label;
        const char* tip;
    };
    static constexpr Link links[] = {
        {"Text14", "Supporto", "Click per la lista..."},
        {"Text138", "Rated", "Click per la lista..."},
        {"Text139", "Giudizio", "Click per la lista..."},
        {"Text15", "Attori", "Click per la lista..."},
        {"Text7C", "Label29", "Click per inserimento..."},
    };
    for (FieldDef& f : a.fields)
        for (const Link& l : links)
            if (f.control == QLatin1String(l.control)) {
                f.linkLabel = QString::fromUtf8(l.label);
                f.linkTip = QString::fromUtf8(l.tip);
            }
}

ArchiveDef finish(ArchiveDef a, const QStringList& labels, QStringList order = {}) {
    markLinkLabels(a);
    a.keywordLabels = labels;
    const QStringList keys = keywordFields();
    for (int i = 0; i < keys.size(); ++i)
        a.fields.push_back({keys[i], {}, labels[i], K::Keyword, {}, false, false});
    if (order.isEmpty()) {
        for (const FieldDef& f : a.fields)
            if (f.kind != K::Keyword)
                order << f.field;
        order << keys;
    }
    a.tableOrder = order;
    return a;
}

std::vector<ArchiveDef> buildArchives() {
    std::vector<ArchiveDef> v;
    // The search windows rely on CITAZIONE_PAGINA and CITAZIONE_CITAZIONE standing
    // at positions 13 and 14 of LIBRI.
    v.push_back(finish(
        {Archive::Books,
         1,
         QStringLiteral("Biblioteca"),
         QStringLiteral("LIBRI"),
         QStringLiteral("Data1"),
         QStringLiteral("Frame1"),
         QStringLiteral("TempLibri"),
         QStringLiteral("Ricerca nell'raccolio: BIBLIOTECA"),
         QStringLiteral("LIBRI.RPT"),
         QStringLiteral("LIBRI2.RPT"),
         QStringLiteral("Raccolio: LIBRERIA - Campo di ricerca: "),
         {text("TITOLO", "Titolo", "Text1", true), text("SOTTOTITOLO", "Sottotitolo", "Text2"),
          lookup("AUTORE", "Autore", "DBCombo6", "AUTORI"),
          text("ANNO", "Anno di pubblicazione", "Text4"),
          text("EDITORE", "Casa editrice", "Text5A"),
          lookup("ARGOMENTO", "Argomento", "DBCombo2", "ARG1"),
          lookup("FORMATO", "Formato", "DBCombo3", "FORMATO"),
          lookup("LIBRERIA", "Pos. in libreria", "DBCombo4", "LIBRERIA"),
          memo("INDICE", "Indice", "Text9A"), memo("NOTE", "Note", "Text10A"),
          hidden("CITAZIONE_CITAZIONE", "Text5", true), hidden("CITAZIONE_PAGINA", "Text3", false)},
         {},
         {}},
        {QStringLiteral("Label4"), QStringLiteral("Label6"), QStringLiteral("Label8"),
         QStringLiteral("Label11"), QStringLiteral("Label12")},
        {QStringLiteral("TITOLO"), QStringLiteral("SOTTOTITOLO"), QStringLiteral("AUTORE"),
         QStringLiteral("ANNO"), QStringLiteral("EDITORE"), QStringLiteral("ARGOMENTO"),
         QStringLiteral("FORMATO"), QStringLiteral("LIBRERIA"), QStringLiteral("CHIAVE1"),
         QStringLiteral("CHIAVE2"), QStringLiteral("CHIAVE3"), QStringLiteral("CHIAVE4"),
         QStringLiteral("CHIAVE5"), QStringLiteral("CITAZIONE_PAGINA"),
         QStringLiteral("CITAZIONE_CITAZIONE"), QStringLiteral("INDICE"), QStringLiteral("NOTE")}));
    v.push_back(finish(
        {Archive::Music,
         2,
         QStringLiteral("Musica"),
         QStringLiteral("CDAUDIO"),
         QStringLiteral("Data2"),
         QStringLiteral("Frame2"),
         QStringLiteral("TempAudio"),
         QStringLiteral("Ricerca nell'raccolio: MUSICA"),
         QStringLiteral("MUSICA.RPT"),
         QStringLiteral("MUSICA2.RPT"),
         QStringLiteral("Raccolio: MUSICA - Campo di ricerca: "),
         {text("TITOLO", "Titolo", "Text1BBB", true),
          lookup("AUTORE", "Autore", "DBCombo12", "MUSICAAUTORE"), text("ANNO", "Anno", "Text3B"),
          lookup("DIRETTORE", "Direttore", "DBCombo11", "MUSICADIRETTORE"),
          lookup("ORCHESTRA", "Orchestra", "DBCombo14", "MUSICAORCHESTRA"),
          lookup("SOLISTA", "Solista", "DBCombo13", "MUSICASOLISTA"),
          lookup("TIPOBRANO", "Tipo di brano", "DBCombo1", "MUSICATIPOBRANO"),
          lookup("POSIZIONERACCOLIO", "Posizione in raccolio", "DBCombo5", "MUSICAPOSRACCOLIO"),
          memo("CANZONI", "Canzoni inserite", "Text8B"), memo("NOTE", "Note", "Text6A")},
         {},
         {}},
        {QStringLiteral("Label28"), QStringLiteral("Label16"), QStringLiteral("Label15"),
         QStringLiteral("Label14"), QStringLiteral("Label13")}));
    v.push_back(finish(
        {Archive::Media,
         3,
         QStringLiteral("Memorie di massa"),
         QStringLiteral("CDROM"),
         QStringLiteral("Data3"),
         QStringLiteral("Frame3"),
         QStringLiteral("TempCdrom"),
         QStringLiteral("Ricerca nell'raccolio: MEMORIE DI MASSA"),
         QStringLiteral("MEMORIE.RPT"),
         QStringLiteral("MEMORIE2.RPT"),
         QStringLiteral("Raccolio: MEMORIE DI MASSA - Campo di ricerca: "),
         {text("TITOLO", "Titolo del supporto", "Text1C", true),
          text("ETICHETTA", "Etichetta disco/CD-ROM", "Text3C"),
          text("EDITORE", "Produttore/Editore", "Text6C"),
          text("ANNO", "Anno di produzione", "Text13"),
          lookup("GENERE", "Genere", "DBCombo9", "GEN2"),
          lookup("ARGOMENTO", "Argomento", "DBCombo10", "ARG3"),
          text("SUPPORTO", "Supporto", "Text14"),
          memo("ELENCO", "Elenco files importanti", "Text7C"), memo("NOTE", "Note", "Text8C")},
         {},
         {}},
        {QStringLiteral("Label22"), QStringLiteral("Label21"), QStringLiteral("Label20"),
         QStringLiteral("Label19"), QStringLiteral("Label18")}));
    v.push_back(finish(
        {Archive::Videos,
         4,
         QStringLiteral("Video"),
         QStringLiteral("VIDEO"),
         QStringLiteral("Data4"),
         QStringLiteral("Frame4"),
         QStringLiteral("TempVideo"),
         QStringLiteral("Ricerca nell'raccolio: VIDEOTECA"),
         QStringLiteral("VIDEO.RPT"),
         QStringLiteral("VIDEO2.RPT"),
         QStringLiteral("Raccolio: VIDEOTECA - Campo di ricerca: "),
         {text("TITOLO", "Titolo/i", "Text311"), text("CODICE", "Codice", "Text111", true),
          text("ANNO", "Anno di pubblicazione", "Text211", true),
          text("REGISTA", "Regista/Autore", "Text321"), text("DURATA", "Durata", "Text322"),
          text("COLORE", "Color - B/W", "Text134"), text("NAZIONE", "Nazionalità", "Text135"),
          text("SUPPORTO", "Tipo di supporto", "Text159"),
          text("ETICHETTA", "Etichetta", "Text151"), text("SPAZIO", "Spazio rimasto", "Text155"),
          lookup("GENERE", "Genere", "DBCombo7", "GEN3"),
          lookup("ARGOMENTO", "Argomento", "DBCombo8", "ARG4"), memo("ATTORI", "Attori", "Text15"),
          text("GIUDIZIO", "Giudizio", "Text139"), text("RATED", "Rated", "Text138"),
          memo("NOTE", "Commenti e Note", "Text140")},
         {},
         {}},
        {QStringLiteral("Label27"), QStringLiteral("Label26"), QStringLiteral("Label25"),
         QStringLiteral("Label24"), QStringLiteral("Label23")}));
    return v;
}

QStringList words(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

LookupDef lk(const char* table, const char* field, const char* ds, const char* combo,
             const char* archive, const char* cardField, QStringList starter) {
    return {QString::fromUtf8(table), QString::fromUtf8(field),   QString::fromUtf8(ds),
            QString::fromUtf8(combo), QString::fromUtf8(archive), QString::fromUtf8(cardField),
            std::move(starter)};
}

std::vector<LookupDef> buildLookups() {
    std::vector<LookupDef> v = {
        lk("AUTORI", "SOMMA", "Data5", "DBCombo6", "LIBRI", "AUTORE",
           words({"Manzoni Alessandro"})),
        lk("ARG1", "ARGOMENTO", "Data9", "DBCombo2", "LIBRI", "ARGOMENTO",
           words({"Arte", "Biografia", "Cucina", "Filosofia", "Informatica", "Narrativa", "Poesia",
                  "Scienze", "Storia", "Viaggi"})),
        lk("FORMATO", "FORMATO", "Data7", "DBCombo3", "LIBRI", "FORMATO",
           words({"Brossura", "Cartonato", "Edizione tascabile", "Rilegato", "Volume illustrato"})),
        lk("LIBRERIA", "LIBRERIA", "Data8", "DBCombo4", "LIBRI", "LIBRERIA",
           words({"Scaffale 1", "Scaffale 2", "Scaffale 3", "Soggiorno", "Studio"})),
        lk("MUSICAAUTORE", "AUTORE", "Data6", "DBCombo12", "CDAUDIO", "AUTORE",
           words({"Beethoven", "Mozart", "Verdi", "Vivaldi"})),
        lk("MUSICADIRETTORE", "DIRETTORE", "Data10", "DBCombo11", "CDAUDIO", "DIRETTORE",
           words({"Claudio Abbado", "Riccardo Muti", "Arturo Toscanini"})),
        lk("MUSICAORCHESTRA", "ORCHESTRA", "Data13", "DBCombo14", "CDAUDIO", "ORCHESTRA",
           words({"Filarmonica della Scala", "Orchestra dell'Accademia di Santa Cecilia",
                  "Wiener Philharmoniker"})),
        lk("MUSICASOLISTA", "SOLISTA", "Data18", "DBCombo13", "CDAUDIO", "SOLISTA",
           words({"Pianoforte", "Soprano", "Tenore", "Violino", "Violoncello"})),
        lk("MUSICATIPOBRANO", "TIPOBRANO", "Data19", "DBCombo1", "CDAUDIO", "TIPOBRANO",
           words({"Concerto", "Jazz", "Musica da camera", "Opera lirica", "Pop", "Rock",
                  "Sinfonia"})),
        lk("MUSICAPOSRACCOLIO", "POSRACCOLIO", "Data17", "DBCombo5", "CDAUDIO", "POSIZIONERACCOLIO",
           words({"Cassetto 1", "Cassetto 2", "Mobile soggiorno", "Scaffale CD"})),
        lk("GEN2", "GENERE", "Data14", "DBCombo9", "CDROM", "GENERE",
           words({"Backup", "Documenti", "Giochi", "Multimedia", "Programmi"})),
        lk("ARG3", "ARGOMENTO", "Data11", "DBCombo10", "CDROM", "ARGOMENTO",
           words({"Fotografie", "Grafica", "Musica", "Sistema operativo", "Utilità"})),
        lk("GEN3", "GENERE", "Data15", "DBCombo7", "VIDEO", "GENERE",
           words({"Animazione", "Avventura", "Commedia", "Documentario", "Drammatico",
                  "Fantascienza", "Giallo", "Western"})),
        lk("ARG4", "ARGOMENTO", "Data12", "DBCombo8", "VIDEO", "ARGOMENTO",
           words({"Cinema", "Famiglia", "Natura", "Sport", "Viaggi"})),
        lk("CHIAVE", "CHIAVE", "Data16", "", "", "",
           words({"Classico", "Da leggere", "Preferito", "Prestato", "Regalo", "Raro"})),
    };
    // These editors stay open beside the card instead of waiting for an answer.
    for (LookupDef& l : v)
        if (l.table == QLatin1String("MUSICADIRETTORE") ||
            l.table == QLatin1String("MUSICAAUTORE") || l.table == QLatin1String("MUSICASOLISTA") ||
            l.table == QLatin1String("MUSICAORCHESTRA") || l.table == QLatin1String("ARG3"))
            l.modalEditor = false;
    return v;
}

StatisticsChoiceDef stat(const char* caption, const char* field, const char* title,
                         std::array<bool, 4> in, bool isDefault = false) {
    return {QString::fromUtf8(caption), QString::fromUtf8(field), QString::fromUtf8(title), in,
            isDefault};
}

}  // namespace

namespace Archives {

const std::vector<ArchiveDef>& all() {
    static const std::vector<ArchiveDef> v = buildArchives();
    return v;
}

const ArchiveDef& def(Archive archive) {
    return all().at(std::size_t(archiveIndex(archive)));
}

const ArchiveDef& byTab(int tab) {
    return all().at(std::size_t(tab - 1));
}

const ArchiveDef* byTable(const QString& table) {
    for (const ArchiveDef& a : all())
        if (a.table.compare(table, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

const ArchiveDef* byDataSource(const QString& ds) {
    for (const ArchiveDef& a : all())
        if (a.dataSource == ds)
            return &a;
    return nullptr;
}

const std::vector<LookupDef>& lookups() {
    static const std::vector<LookupDef> v = buildLookups();
    return v;
}

const LookupDef* lookupByTable(const QString& table) {
    for (const LookupDef& l : lookups())
        if (l.table.compare(table, Qt::CaseInsensitive) == 0)
            return &l;
    return nullptr;
}

const LookupDef* lookupByCombo(const QString& combo) {
    for (const LookupDef& l : lookups())
        if (!l.combo.isEmpty() && l.combo == combo)
            return &l;
    return nullptr;
}

const std::vector<ChoiceListDef>& choiceLists() {
    static const std::vector<ChoiceListDef> v = {
        {QStringLiteral("Combo1"), Archive::Media, QStringLiteral("Text14"), mediumTypes(), false},
        {QStringLiteral("Combo2"), Archive::Videos, QStringLiteral("Text138"), ratings(), false},
        {QStringLiteral("Combo3"), Archive::Videos, QStringLiteral("Text139"), judgements(), false},
        // Filled from attori.dat at start-up.
        {QStringLiteral("Combo4"), Archive::Videos, QStringLiteral("Text15"), {}, true},
    };
    return v;
}

const std::vector<StatisticsChoiceDef>& statisticsChoices() {
    static const std::vector<StatisticsChoiceDef> v = {
        stat("Anno", "ANNO", "-- ANNO --", {true, true, true, true}),
        stat("Argomento", "ARGOMENTO", "-- ARGOMENTO --", {true, true, true, true}, true),
        stat("Autore", "AUTORE", "-- AUTORE --", {true, true, false, false}),
        stat("Editore", "EDITORE", "-- EDITORE --", {true, false, true, false}),
        stat("Formato", "FORMATO", "-- FORMATO --", {true, false, false, false}),
        stat("Pos. libreria", "LIBRERIA", "-- Posizione in LIBRERIA --",
             {true, false, false, false}),
        stat("Direttore", "DIRETTORE", "-- DIRETTORE d'orchestra --", {false, true, false, false}),
        stat("Genere", "GENERE", "-- GENERE --", {false, true, true, true}),
        stat("Tipo supporto", "SUPPORTO", "-- Tipo di SUPPORTO --", {false, false, true, false}),
        stat("Rating", "RATED", "-- RATING --", {false, false, false, true}),
        stat("Giudizio", "GIUDIZIO", "-- GIUDIZIO --", {false, false, false, true}),
    };
    return v;
}

QString authorsReportTemplate() {
    return QStringLiteral("AUTORI.RPT");
}

QStringList authorFields() {
    return {QStringLiteral("NOME"), QStringLiteral("COGNOME"), QStringLiteral("NAZIONE"),
            QStringLiteral("NOTE"), QStringLiteral("SOMMA")};
}

QString keywordTable() {
    return QStringLiteral("CHIAVE");
}

QStringList mediumTypes() {
    return words({"CD Rom", "CD RW", "Floppy 1.44 Mb", "Floppy 1.2 Mb", "Floppy 720 Kb",
                  "Floppy 360 Kb", "Iomega Zip", "Iomega Jaz", "Iomega Ditto", "SyQuest Ezlyer 230",
                  "SyQuest SyJet", "Unità a nastro"});
}

QStringList ratings() {
    return words({"No rated", "G", "PG", "PG-14", "R", "NC-18"});
}

QStringList judgements() {
    return words({"Pessimo", "Inguardabile", "Mediocre", "Sufficiente", "Discreto", "Buono",
                  "Molto buono", "Ottimo", "Stupendo", "Best-seller"});
}

}  // namespace Archives
