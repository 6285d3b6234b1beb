#include "platform/db/Database.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <map>

#include "platform/core/AppError.h"
#include "platform/core/AppInfo.h"
#include "platform/core/FileIdentity.h"
#include "platform/db/Collation.h"
#include "platform/db/Criteria.h"
#include "platform/db/RecordSet.h"


namespace {

const QString kSource = QStringLiteral("Database");

// Italian words for the failures a user can meet; the engine's own text follows
// for the rare ones, so that support can tell them apart.
QString describe(int rc, const char* engineText) {
    const QString detail = QString::fromUtf8(engineText ? engineText : "");
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("Il database è in uso da un'altra operazione");
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return QStringLiteral("Il database è di sola lettura");
        case SQLITE_FULL:
            return QStringLiteral("Spazio su disco insufficiente per il database");
        case SQLITE_CANTOPEN:
            return QStringLiteral("Impossibile aprire il file del database");
        case SQLITE_IOERR:
            return QStringLiteral("Errore di lettura o scrittura nel file del database");
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            // Found while reading a card, long after start-up: say where the way out is.
            return QStringLiteral("Il file del database è danneggiato: il comando \"Recupero "
                                  "Dati\" salva le schede ancora leggibili");
        case SQLITE_CONSTRAINT:
            return QStringLiteral("Il valore non è ammesso dalla tabella (%1)").arg(detail);
        default:
            return QStringLiteral("Operazione sul database non riuscita (%1)").arg(detail);
    }
}

int codeFor(int rc) {
    switch (rc & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
            return ErrorCode::FileError;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ErrorCode::DatabaseDamaged;
        default:
            return ErrorCode::DatabaseError;
    }
}

AppError notACatalogue(const QString& path) {
    return notACatalogueError(kSource, path);
}

// The live connection of every open file, by canonical path. Never destroyed, so that
// a connection let go during the program's exit still finds it.
struct Registry {
    QMutex mutex;
    std::map<QString, std::weak_ptr<Database>> connections;
};

Registry& registry() {
    static auto* r = new Registry;
    return *r;
}

}  // namespace

Database::Database(QString path, sqlite3* db) : path_(std::move(path)), db_(db) {}

Database::~Database() {
    if (!key_.isEmpty()) {
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        const auto it = r.connections.find(key_);
        if (it != r.connections.end() && it->second.expired())  // not a newer one for the path
            r.connections.erase(it);
    }
    // v2 lets statements still held elsewhere finish; the handle closes with the last one.
    sqlite3_close_v2(db_);
}

std::shared_ptr<Database> Database::open(const QString& path, OpenMode mode) {
    const bool existed = QFileInfo::exists(path);
    if (mode != OpenMode::CreateIfMissing && !existed)
        throw fileNotFoundError(kSource, path);
    if (existed && QFileInfo(path).isDir())
        throw AppError(ErrorCode::FileError, kSource,
                       QStringLiteral("Impossibile aprire il file del database %1").arg(path));

    if (existed) {
        const QString key = QFileInfo(path).canonicalFilePath();
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        const auto it = r.connections.find(key);
        if (it != r.connections.end()) {
            std::shared_ptr<Database> live = it->second.lock();
            if (live && live->fileId_ == fileIdentity(key) &&
                (mode != OpenMode::ReadOnly || live->isReadOnly()))
                return live;
        }
    }

    int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::CreateIfMissing)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = describe(rc, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        sqlite3_close_v2(raw);
        throw AppError(codeFor(rc), kSource, text + QStringLiteral(": ") + path);
    }
    std::shared_ptr<Database> db(new Database(path, raw));
    db->self_ = db;
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, 5000);
    Criteria::registerFunctions(raw);
    Collation::registerItalian(raw);

    // A read first: a foreign or truncated file is refused before anything could write to it.
    {
        sqlite3_stmt* prepared = nullptr;
        int r =
            sqlite3_prepare_v2(raw, "SELECT count(*) FROM sqlite_master", -1, &prepared, nullptr);
        const Statement st(prepared);
        if (r == SQLITE_OK)
            r = sqlite3_step(st.get());
        if (r != SQLITE_ROW) {
            const int base = sqlite3_extended_errcode(raw) & 0xff;
            if (base == SQLITE_NOTADB || base == SQLITE_CORRUPT)
                throw notACatalogue(path);
            db->fail(kSource);
        }
    }
    // Durability: a stored card must survive a crash or a power cut.
    db->exec(QStringLiteral("PRAGMA synchronous=FULL"));
    db->query(QStringLiteral("PRAGMA journal_mode=DELETE"));
    if (!existed)
        db->exec(QStringLiteral("PRAGMA user_version=0"));  // lays the new file on disk now

    db->key_ = QFileInfo(path).canonicalFilePath();
    db->fileId_ = fileIdentity(db->key_);
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    r.connections[db->key_] = db;  // replaces a connection to a file no longer there
    return db;
}

QStringList Database::openFiles() {
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    QStringList files;
    for (const auto& [path, connection] : r.connections)
        if (!connection.expired())
            files << path;
    return files;
}

int Database::addTableListener(TableListener listener) {
    tableListeners_[++nextListener_] = std::move(listener);
    return nextListener_;
}

void Database::removeTableListener(int id) {
    tableListeners_.erase(id);
}

void Database::tableReplaced(const QString& table) {
    // A copy: a listener may remove itself (its window closes) while told.
    const std::map<int, TableListener> listeners = tableListeners_;
    for (const auto& [id, listener] : listeners)
        if (tableListeners_.count(id))
            listener(table);
}

bool Database::isReadOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
}

AppError Database::lastError(sqlite3* connection, const QString& source) {
    const int rc = sqlite3_extended_errcode(connection);
    return AppError(codeFor(rc), source, describe(rc, sqlite3_errmsg(connection)));
}

void Database::fail(const QString& source) const {
    throw lastError(db_, source);
}

void Database::exec(const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        fail(kSource);
    }
}

Statement Database::prepare(const QString& sql, bool persistent) const {
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(db_, text.constData(), int(text.size()),
                           persistent ? SQLITE_PREPARE_PERSISTENT : 0, &st, nullptr) != SQLITE_OK)
        fail(kSource);
    return Statement(st);
}

QString Database::quoteIdentifier(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QList<QVariantList> Database::query(const QString& sql, const QVariantList& params) {
    Statement st = prepare(sql);
    st.bind(params);
    QList<QVariantList> rows;
    const int columns = st.columnCount();
    while (st.step()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << st.value(c);
        rows << row;
    }
    return rows;
}

bool Database::hasTable(const QString& table) const {
    return !const_cast<Database*>(this)
                ->query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND "
                                       "name=? COLLATE NOCASE"),
                        {table})
                .isEmpty();
}

QStringList Database::tableNames() const {
    QStringList names;
    const auto rows = const_cast<Database*>(this)->query(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                       "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"));
    for (const QVariantList& r : rows)
        names << r.value(0).toString();
    return names;
}

QString Database::canonicalTableName(const QString& table) const {
    const auto rows = const_cast<Database*>(this)->query(
        QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
        {table});
    if (rows.isEmpty())
        throw AppError(ErrorCode::ItemNotFound, kSource,
                       QStringLiteral("Tabella %1 non trovata nel database").arg(table));
    return rows.first().value(0).toString();
}

QStringList Database::fieldNames(const QString& table) const {
    const QString name = canonicalTableName(table);
    QStringList fields;
    const auto rows = const_cast<Database*>(this)->query(
        QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {name});
    for (const QVariantList& r : rows)
        fields << r.value(0).toString();
    return fields;
}

void Database::createTable(const QString& table, const QStringList& longTextFields) {
    if (table.trimmed().isEmpty() || longTextFields.isEmpty())
        throw AppError(ErrorCode::DatabaseError, kSource,
                       QStringLiteral("Definizione della tabella %1 non valida").arg(table));
    if (hasTable(table))
        throw AppError(ErrorCode::DatabaseError, kSource,
                       QStringLiteral("La tabella %1 esiste già").arg(table));
    QStringList columns;
    for (const QString& f : longTextFields) {
        if (f.trimmed().isEmpty())
            throw AppError(ErrorCode::DatabaseError, kSource,
                           QStringLiteral("Nome di campo vuoto nella tabella %1").arg(table));
        columns << quoteIdentifier(f) + QStringLiteral(" TEXT");  // TEXT has no length limit
    }
    exec(QStringLiteral("CREATE TABLE %1 (%2)")
             .arg(quoteIdentifier(table), columns.join(QStringLiteral(", "))));
}

void Database::dropTable(const QString& table) {
    exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(canonicalTableName(table))));
}

std::unique_ptr<RecordSet> Database::openRecordSet(const QString& recordSource) {
    const RecordSource rs = RecordSource::parse(recordSource);
    return std::make_unique<RecordSet>(self_.lock(), rs.table, rs.criterion, rs.orderBy);
}

void Database::beginTransaction() {
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void Database::commit() {
    exec(QStringLiteral("COMMIT"));
}

QString Database::engineName() {
    return QStringLiteral("SQLite");
}

QString Database::engineVersion() {
    return QString::fromLatin1(sqlite3_libversion());
}
