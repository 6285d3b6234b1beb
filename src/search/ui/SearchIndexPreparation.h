#pragma once

#include <QString>

class Database;
struct ArchiveDef;
class QWidget;

// Before a search that the archive's trigram index would answer at once, on a catalogue made
// before there were such indexes: builds the index, showing "Preparazione dell'indice di
// ricerca..." with "Annulla" while it takes. A cancel, a read-only catalogue or a build that
// fails leaves this search to read every card; the next search offers the build again.
void prepareSearchIndex(QWidget* parent, Database& db, const QString& table,
                        const QString& criterion);

// The same before the structured search for a choice of its field list and a text.
void prepareSearchIndex(QWidget* parent, Database& db, const ArchiveDef& archive,
                        const QString& choice, const QString& text);
