#include "platform/db/Collation.h"

#include <sqlite3.h>

#include <QCollator>
#include <QLocale>

#include "platform/core/AppError.h"

namespace {

int compare(void* collator, int size1, const void* text1, int size2, const void* text2) {
    // UTF-16 in native byte order on even addresses (SQLITE_UTF16_ALIGNED): QChar arrays.
    return static_cast<const QCollator*>(collator)->compare(
        static_cast<const QChar*>(text1), size1 / 2, static_cast<const QChar*>(text2), size2 / 2);
}

void destroy(void* collator) {
    delete static_cast<QCollator*>(collator);
}

}  // namespace

namespace Collation {

void registerItalian(sqlite3* db) {
    auto* collator = new QCollator(QLocale(QLocale::Italian, QLocale::Italy));
    if (sqlite3_create_collation_v2(db, italian, SQLITE_UTF16_ALIGNED, collator, compare,
                                    destroy) != SQLITE_OK) {
        delete collator;  // unlike its other interfaces, SQLite does not call destroy on failure
        throw AppError(ErrorCode::DatabaseError, QStringLiteral("Database"),
                       QStringLiteral("Impossibile preparare l'ordinamento italiano (%1)")
                           .arg(QString::fromUtf8(sqlite3_errmsg(db))));
    }
}

}  // namespace Collation
