#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "cards/Archives.h"

// How the cards of an archive meet the entries of a Tellico collection (docs/transfer.md
// has the table). Element names are those Tellico's own DTD allows in an entry.
namespace TellicoFormat {

enum class Shape {
    Single,    // <publisher>text</publisher>
    Multiple,  // <authors><author>a</author><author>b</author></authors>, "; " on the card
    Table,     // <tracks><track><column>a</column></track>...</tracks>, one line each
    Keywords   // <keywords><keyword>..</keyword></keywords> <-> CHIAVE1..CHIAVE5
};

struct FieldMap {
    QString field;    // card field ("" for the keywords)
    QString element;  // Tellico field name = the element of one value
    Shape shape;
    QString title;   // title of the field written in the collection
    bool paragraph;  // a long text
    QString container() const { return element + QLatin1Char('s'); }
};

// Tellico's numbers for its collection types.
inline constexpr int kBooks = 2;
inline constexpr int kVideos = 3;
inline constexpr int kMusic = 4;

std::optional<Archive> archiveOf(int collectionType);
int collectionTypeOf(Archive archive);  // 0 when the archive has no Tellico counterpart
QString collectionTypeName(int collectionType);
const std::vector<FieldMap>& fieldsOf(Archive archive);

}  // namespace TellicoFormat
