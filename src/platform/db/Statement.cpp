#include "platform/db/Statement.h"

#include <sqlite3.h>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"

namespace {

const QString kSource = QStringLiteral("Database");

}  // namespace

Statement::~Statement() {
    sqlite3_finalize(st_);
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(st_);
        st_ = std::exchange(other.st_, nullptr);
    }
    return *this;
}

void Statement::bind(const QVariantList& params, int first) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        const int index = first + i;
        int rc;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(st_, index);
        } else {
            switch (v.typeId()) {
                case QMetaType::Bool:
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                    rc = sqlite3_bind_int64(st_, index, v.toLongLong());
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    rc = sqlite3_bind_double(st_, index, v.toDouble());
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray b = v.toByteArray();
                    rc = sqlite3_bind_blob64(st_, index, b.constData(), sqlite3_uint64(b.size()),
                                             SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    const QByteArray t = v.toString().toUtf8();
                    rc = sqlite3_bind_text64(st_, index, t.constData(), sqlite3_uint64(t.size()),
                                             SQLITE_TRANSIENT, SQLITE_UTF8);
                    break;
                }
            }
        }
        if (rc != SQLITE_OK)
            throw Database::lastError(sqlite3_db_handle(st_), kSource);
    }
}

void Statement::bindInt64(int index, qint64 value) {
    if (sqlite3_bind_int64(st_, index, value) != SQLITE_OK)
        throw Database::lastError(sqlite3_db_handle(st_), kSource);
}

bool Statement::step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Described before the reset, which ends the failed run (and its read lock).
    const AppError error = Database::lastError(sqlite3_db_handle(st_), kSource);
    sqlite3_reset(st_);
    throw error;
}

void Statement::run() {
    while (step()) {
    }
    sqlite3_reset(st_);
}

void Statement::reset() noexcept {
    sqlite3_reset(st_);  // repeats the last step's failure, already reported by step()
}

int Statement::columnCount() const {
    return sqlite3_column_count(st_);
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(st_, column)) {
        case SQLITE_INTEGER:
            return QVariant(qint64(sqlite3_column_int64(st_, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st_, column));
        case SQLITE_BLOB: {
            const void* p = sqlite3_column_blob(st_, column);
            return QVariant(
                QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(st_, column)));
        }
        case SQLITE_NULL:
            return QVariant();
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, column));
            return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(st_, column)));
        }
    }
}

qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(st_, column);
}
