#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The one table of archives: every archive, its card fields, their labels, controls,
// kinds of input and lookup tables. Card frames, find field lists, search captions,
// statistics options and print commands read it instead of repeating it.

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
};

struct LookupDef {
    QString table;       // lookup table
    QString wordField;   // its word field
    QString dataSource;  // main-window data source ("Data5"..)
    QString combo;       // combo objectName ("" for CHIAVE)
    QString archiveTable;
    QString cardField;
    QStringList starterWords;  // words a new catalogue starts with
};

struct ArchiveDef {
    int tab;                       // 1..4
    QString caption;               // tab caption
    QString table;                 // LIBRI, CDAUDIO, CDROM, VIDEO
    QString dataSource;            // Data1..Data4
    QString frame;                 // Frame1..Frame4
    QString resultTable;           // TempLibri, ...
    std::vector<FieldDef> fields;  // card order (what the card shows)
    QStringList tableOrder;        // field order of the table
    QStringList keywordLabels;     // controls of CHIAVE1..CHIAVE5
};

namespace Archives {

const std::vector<ArchiveDef>& all();
const ArchiveDef& byTab(int tab);                 // 1..4
const ArchiveDef* byTable(const QString& table);  // case-insensitive; nullptr when unknown
const ArchiveDef* byDataSource(const QString& dataSource);

// The fourteen lookup tables and CHIAVE, in data-source order of the table of lookups.
const std::vector<LookupDef>& lookups();
const LookupDef* lookupByTable(const QString& table);  // case-insensitive
const LookupDef* lookupByCombo(const QString& combo);

// AUTORI's fields in table order.
QStringList authorFields();
QString keywordTable();  // "CHIAVE"

// Fixed value lists of the cards.
QStringList mediumTypes();
QStringList ratings();
QStringList judgements();

}  // namespace Archives
