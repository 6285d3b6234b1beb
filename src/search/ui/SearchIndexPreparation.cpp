#include "search/ui/SearchIndexPreparation.h"

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/IndexedFind.h"
#include "platform/db/TrigramIndex.h"
#include "platform/ui/LongWork.h"
#include "search/StructuredSearch.h"

void prepareSearchIndex(QWidget* parent, Database& db, const QString& table,
                        const QString& criterion) {
    if (db.isReadOnly() || !IndexedFind::wouldUseMissingIndex(db, table, criterion))
        return;
    LongWork work(parent, QStringLiteral("Preparazione dell'indice di ricerca..."));
    try {
        TrigramIndex::build(db, table, work.ticker());
    } catch (const AppError& e) {
        // The search itself does not need the index: it reads every card instead.
        qCWarning(lcUi).noquote() << "the search index of" << table
                                  << "could not be built:" << e.description();
    }
}

void prepareSearchIndex(QWidget* parent, Database& db, const ArchiveDef& archive,
                        const QString& choice, const QString& text) {
    prepareSearchIndex(parent, db, archive.table,
                       StructuredSearch::criterion(db, archive, choice, text));
}
