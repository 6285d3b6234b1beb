#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// The one table of archives: every archive, its card fields, their labels, controls,
// kinds of input and lookup tables. Card frames, find field lists, search captions,
// statistics options and print commands read it instead of repeating it.

// The four archives, in tab order.
enum class Archive { Books, Music, Media, Videos };
inline constexpr std::array<Archive, 4> allArchives = {Archive::Books, Archive::Music,
                                                       Archive::Media, Archive::Videos};
inline constexpr int archiveIndex(Archive a) {
    return static_cast<int>(a);
}

enum class InputKind {
    Text,       // single-line text box
    MultiLine,  // multi-line text box (long texts)
    Lookup,     // data-bound combo fed by a lookup table
    Keyword,    // read-only label showing CHIAVE1..CHIAVE5
    Hidden      // not shown on the card (quotation fields, set by the quotation window)
};

struct FieldDef {
    QString field;    // table field
    QString label;    // card label ("" for keywords and hidden fields)
    QString control;  // control objectName
    InputKind kind;
    QString lookupTable;  // for Lookup fields
    bool enterIgnored = false;
    bool longText = false;
    // A label that opens a list or a window for the field: its name and tool tip.
    QString linkLabel = {};
    QString linkTip = {};
};

struct LookupDef {
    QString table;       // lookup table
    QString wordField;   // its word field
    QString dataSource;  // main-window data source ("Data5"..)
    QString combo;       // combo objectName ("" for CHIAVE)
    QString archiveTable;
    QString cardField;
    QStringList starterWords;  // words a new catalogue starts with
    // A double click on the combo's button opens the list's editor, modal or not; the
    // authors' combo opens the authors register instead.
    bool modalEditor = true;
    bool opensAuthorsRegister() const { return table == QLatin1String("AUTORI"); }
};

// A pop-up choice list that a card label calls over the field it fills.
struct ChoiceListDef {
    QString list;     // Combo1..Combo4
    Archive archive;  // the card it sits on
    QString control;  // the field it fills (Text14, ...)
    QStringList entries;
    bool appendsLine;  // the actor list adds a line; the others replace the text
};

// A field the statistics window can count, with the chart's bottom title, and the
// archives that have it.
struct StatisticsChoiceDef {
    QString caption;
    QString field;
    QString bottomTitle;
    std::array<bool, 4> inArchive;  // by archiveIndex
    bool isDefault = false;
};

struct ArchiveDef {
    Archive id;
    int tab;                       // 1..4
    QString caption;               // tab caption
    QString table;                 // LIBRI, CDAUDIO, CDROM, VIDEO
    QString dataSource;            // Data1..Data4
    QString frame;                 // Frame1..Frame4
    QString resultTable;           // TempLibri, ... (structured search)
    QString searchCaption;         // caption of the structured search window
    QString reportTemplate;        // whole-archive report (LIBRI.RPT, ...)
    QString searchReportTemplate;  // search-result report (LIBRI2.RPT, ...)
    QString searchHeading;         // archive label of the printed search heading
    std::vector<FieldDef> fields;  // card order (what the card shows)
    QStringList tableOrder;        // field order of the table
    QStringList keywordLabels;     // controls of CHIAVE1..CHIAVE5
};

namespace Archives {

const std::vector<ArchiveDef>& all();
const ArchiveDef& def(Archive archive);
const ArchiveDef& byTab(int tab);                 // 1..4
const ArchiveDef* byTable(const QString& table);  // case-insensitive; nullptr when unknown
const ArchiveDef* byDataSource(const QString& dataSource);

// The fourteen lookup tables and CHIAVE, in data-source order of the table of lookups.
const std::vector<LookupDef>& lookups();
const LookupDef* lookupByTable(const QString& table);  // case-insensitive
const LookupDef* lookupByCombo(const QString& combo);

const std::vector<ChoiceListDef>& choiceLists();  // Combo1..Combo4
const std::vector<StatisticsChoiceDef>& statisticsChoices();
QString authorsReportTemplate();  // "AUTORI.RPT"

// AUTORI's fields in table order.
QStringList authorFields();
QString keywordTable();  // "CHIAVE"

// Fixed value lists of the cards.
QStringList mediumTypes();
QStringList ratings();
QStringList judgements();

}  // namespace Archives
