#include "platform/db/RecordSet.h"

#include <sqlite3.h>

#include <algorithm>

#include "platform/core/AppError.h"
#include "platform/db/Collation.h"
#include "platform/db/Criteria.h"
#include "platform/db/Database.h"
#include "platform/db/IndexedFind.h"

namespace {

const QString kSource = QStringLiteral("RecordSet");

// The engine's own number for Update without AddNew or Edit.
constexpr int kUpdateWithoutEdit = 3020;

[[noreturn]] void noCurrentRecord() {
    throw AppError(ErrorCode::NoCurrentRecord, kSource, QStringLiteral("Nessun record corrente"));
}

[[noreturn]] void noSuchField(const QString& what) {
    throw AppError(ErrorCode::ItemNotFound, kSource,
                   QStringLiteral("Campo %1 non trovato nell'insieme").arg(what));
}

// Runs a statement that returns no rows.
void run(Database& db, const QString& sql, const QVariantList& params) {
    Statement s = db.prepare(sql);
    s.bind(params);
    s.run();
}

// The first column of every row, as keys.
std::vector<qint64> keysOf(Statement& s, std::size_t expected = 0) {
    std::vector<qint64> keys;
    keys.reserve(expected);
    while (s.step())
        keys.push_back(s.int64(0));
    return keys;
}

// Index of key in the set, or -1. A table-ordered set is sorted by rowid: new
// records take a rowid above every existing one.
qint64 indexOf(const std::vector<qint64>& keys, qint64 key, bool sorted) {
    if (sorted) {
        const auto it = std::lower_bound(keys.begin(), keys.end(), key);
        return it != keys.end() && *it == key ? qint64(it - keys.begin()) : -1;
    }
    const auto it = std::find(keys.begin(), keys.end(), key);
    return it != keys.end() ? qint64(it - keys.begin()) : -1;
}

}  // namespace

RecordSet::RecordSet(std::shared_ptr<Database> db, const QString& table, const QString& criterion,
                     const QString& orderBy)
    : db_(std::move(db)), criterion_(criterion.trimmed()), orderBy_(orderBy.simplified()) {
    if (!db_)
        throw AppError(ErrorCode::DatabaseClosed, kSource, QStringLiteral("Il database è chiuso"));
    table_ = db_->canonicalTableName(table);
    fields_ = db_->fieldNames(table_);
    if (!criterion_.isEmpty())
        whereSql_ = Criteria::toSql(criterion_, fields_, whereParams_);
    if (!orderBy_.isEmpty()) {
        const QStringList parts = orderBy_.split(QLatin1Char(' '));
        const bool desc =
            parts.size() == 2 && parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        const bool asc =
            parts.size() == 2 && parts[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0;
        if (parts.size() > 2 || (parts.size() == 2 && !desc && !asc))
            throw AppError(ErrorCode::BadCriterion, kSource,
                           QStringLiteral("Ordinamento non valido: %1").arg(orderBy_));
        QString field = parts[0];
        if (field.startsWith(QLatin1Char('[')) && field.endsWith(QLatin1Char(']')))
            field = field.mid(1, field.size() - 2);
        orderSql_ = Database::quoteIdentifier(fields_[fieldIndex(field)]) +
                    QStringLiteral(" COLLATE ") + QLatin1String(Collation::italian) +
                    (desc ? QStringLiteral(" DESC") : QString()) + QStringLiteral(", rowid");
        rowidOrder_ = false;
    }
    fetch_ = db_->prepare(
        QStringLiteral("SELECT * FROM %1 WHERE rowid=?").arg(Database::quoteIdentifier(table_)),
        true);
    load();
    pos_ = keys_.empty() ? -1 : 0;  // a new set stands on its first record
}

RecordSet::~RecordSet() = default;

void RecordSet::load() {
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(Database::quoteIdentifier(table_));
    if (!whereSql_.isEmpty())
        sql += QStringLiteral(" WHERE ") + whereSql_;
    sql += QStringLiteral(" ORDER BY ") + (rowidOrder_ ? QStringLiteral("rowid") : orderSql_);
    Statement s = db_->prepare(sql);
    s.bind(whereParams_);
    keys_ = keysOf(s, keys_.size());
    cachedKey_ = -1;
}

// --- position -------------------------------------------------------------

bool RecordSet::bof() const {
    return keys_.empty() || (!deleted_ && pos_ < 0);
}

bool RecordSet::eof() const {
    return keys_.empty() || (!deleted_ && pos_ >= qint64(keys_.size()));
}

int RecordSet::recordCount() const {
    return int(keys_.size());
}

int RecordSet::absolutePosition() const {
    return hasCurrent() ? int(pos_) : -1;
}

void RecordSet::setAbsolutePosition(int position) {
    storePending();
    if (position < 0 || position >= recordCount())
        noCurrentRecord();
    pos_ = position;
    deleted_ = false;
    cachedKey_ = -1;
}

double RecordSet::percentPosition() const {
    return hasCurrent() ? double(pos_) * 100.0 / double(keys_.size()) : 0.0;
}

RecordSet::Bookmark RecordSet::bookmark() const {
    requireCurrent("Bookmark");
    return keys_[size_t(pos_)];
}

void RecordSet::setBookmark(Bookmark b) {
    storePending();
    const qint64 index = indexOf(keys_, b, rowidOrder_);
    if (index < 0)
        noCurrentRecord();
    pos_ = index;
    deleted_ = false;
    cachedKey_ = -1;
}

void RecordSet::requireCurrent(const char*) const {
    if (!hasCurrent())
        noCurrentRecord();
}

// --- moves ----------------------------------------------------------------

void RecordSet::moveFirst() {
    storePending();
    if (keys_.empty())
        noCurrentRecord();
    pos_ = 0;
    deleted_ = false;
    cachedKey_ = -1;
}

void RecordSet::moveLast() {
    storePending();
    if (keys_.empty())
        noCurrentRecord();
    pos_ = qint64(keys_.size()) - 1;
    deleted_ = false;
    cachedKey_ = -1;
}

void RecordSet::moveNext() {
    storePending();
    if (keys_.empty())
        noCurrentRecord();
    if (deleted_) {
        deleted_ = false;  // pos_ already names the record after the deleted one
    } else {
        if (pos_ >= qint64(keys_.size()))
            noCurrentRecord();
        ++pos_;
    }
    cachedKey_ = -1;
}

void RecordSet::movePrevious() {
    storePending();
    if (keys_.empty())
        noCurrentRecord();
    if (deleted_) {
        deleted_ = false;
        --pos_;
    } else {
        if (pos_ < 0)
            noCurrentRecord();
        pos_ = std::min(pos_, qint64(keys_.size())) - 1;
    }
    cachedKey_ = -1;
}

// --- editing --------------------------------------------------------------

void RecordSet::storePending() {
    if (mode_ != EditMode::None)
        update();
}

void RecordSet::addNew() {
    storePending();
    posBeforeAdd_ = pos_;
    deletedBeforeAdd_ = deleted_;
    buffer_ = QVariantList(fields_.size());
    dirty_.assign(size_t(fields_.size()), false);
    mode_ = EditMode::Add;
}

void RecordSet::edit() {
    if (mode_ != EditMode::None)
        return;
    requireCurrent("Edit");
    loadCurrentRow();
    buffer_ = cachedRow_;
    dirty_.assign(size_t(fields_.size()), false);
    mode_ = EditMode::Edit;
}

void RecordSet::update() {
    if (mode_ == EditMode::None)
        throw AppError(kUpdateWithoutEdit, kSource, QStringLiteral("Update senza AddNew o Edit"));
    QStringList names;
    QVariantList values;
    for (int i = 0; i < fields_.size(); ++i) {
        if (dirty_[size_t(i)]) {
            names << Database::quoteIdentifier(fields_[i]);
            values << buffer_[i];
        }
    }
    const QString table = Database::quoteIdentifier(table_);
    if (mode_ == EditMode::Edit) {
        // Only the fields written: another data source may have changed the others.
        if (!names.isEmpty()) {
            values << keys_[size_t(pos_)];
            run(*db_,
                QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?")
                    .arg(table, names.join(QStringLiteral("=?, "))),
                values);
        }
    } else {
        if (names.isEmpty()) {
            run(*db_, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table), {});
        } else {
            QStringList marks;
            for (qsizetype i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            run(*db_,
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                values);
        }
        keys_.push_back(sqlite3_last_insert_rowid(db_->handle()));
        pos_ = qint64(keys_.size()) - 1;
        deleted_ = false;
    }
    mode_ = EditMode::None;
    buffer_.clear();
    dirty_.clear();
    cachedKey_ = -1;
}

void RecordSet::cancelUpdate() {
    // Without a pending edit there is nothing to drop: not an error.
    if (mode_ == EditMode::Add) {
        pos_ = posBeforeAdd_;
        deleted_ = deletedBeforeAdd_;
    }
    mode_ = EditMode::None;
    buffer_.clear();
    dirty_.clear();
}

void RecordSet::deleteCurrent() {
    if (mode_ == EditMode::Add)
        noCurrentRecord();  // the new record is not stored yet
    requireCurrent("Delete");
    mode_ = EditMode::None;  // a pending edit of the deleted record goes with it
    buffer_.clear();
    dirty_.clear();
    run(*db_, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(Database::quoteIdentifier(table_)),
        {keys_[size_t(pos_)]});
    keys_.erase(keys_.begin() + pos_);
    cachedKey_ = -1;
    if (keys_.empty()) {
        pos_ = -1;
        deleted_ = false;
    } else {
        deleted_ = true;
    }
}

// --- fields ---------------------------------------------------------------

QString RecordSet::fieldName(int position) const {
    if (position < 0 || position >= fields_.size())
        noSuchField(QString::number(position));
    return fields_[position];
}

int RecordSet::fieldIndex(const QString& name) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    noSuchField(name);
}

void RecordSet::loadCurrentRow() const {
    const qint64 key = keys_[size_t(pos_)];
    if (cachedKey_ == key)
        return;
    fetch_.reset();
    fetch_.bindInt64(1, key);
    if (!fetch_.step())  // deleted through another data source
        throw AppError(ErrorCode::NoCurrentRecord, kSource,
                       QStringLiteral("Nessun record corrente: il record è stato eliminato"));
    const int columns = std::min(fetch_.columnCount(), int(fields_.size()));
    cachedRow_ = QVariantList(fields_.size());
    for (int c = 0; c < columns; ++c)
        cachedRow_[c] = fetch_.value(c);
    fetch_.reset();  // ends the read at once: writers must not wait on a browsing set
    cachedKey_ = key;
}

QVariant RecordSet::value(int position) const {
    if (position < 0 || position >= fields_.size())
        noSuchField(QString::number(position));
    if (mode_ != EditMode::None)
        return buffer_[position];
    requireCurrent("Value");
    loadCurrentRow();
    return cachedRow_[position];
}

QVariant RecordSet::value(const QString& field) const {
    return value(fieldIndex(field));
}

void RecordSet::setValue(int position, const QVariant& v) {
    if (position < 0 || position >= fields_.size())
        noSuchField(QString::number(position));
    if (mode_ == EditMode::None)
        edit();
    buffer_[position] = v;
    dirty_[size_t(position)] = true;
}

void RecordSet::setValue(const QString& field, const QVariant& v) {
    setValue(fieldIndex(field), v);
}

bool RecordSet::isEdited(const QString& field) const {
    const int position = fieldIndex(field);
    return mode_ != EditMode::None && dirty_[size_t(position)];
}

// --- finds ----------------------------------------------------------------

bool RecordSet::findFirst(const QString& criterion) {
    storePending();
    return findFrom(criterion, 0, 1);
}

bool RecordSet::findLast(const QString& criterion) {
    storePending();
    return findFrom(criterion, qint64(keys_.size()) - 1, -1);
}

bool RecordSet::findNext(const QString& criterion) {
    storePending();
    const qint64 start = deleted_ ? pos_ : (pos_ < 0 ? 0 : pos_ + 1);
    return findFrom(criterion, start, 1);
}

bool RecordSet::findPrevious(const QString& criterion) {
    storePending();
    const qint64 size = qint64(keys_.size());
    const qint64 start = deleted_ ? pos_ - 1 : (pos_ >= size ? size - 1 : pos_ - 1);
    return findFrom(criterion, start, -1);
}

std::vector<qint64> RecordSet::matchingKeys(const QString& criterion) const {
    QVariantList params;
    const QString crit = Criteria::toSql(criterion, fields_, params);
    Statement s = db_->prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY rowid")
                                   .arg(Database::quoteIdentifier(table_), crit));
    s.bind(params);
    return keysOf(s);
}

bool RecordSet::findFrom(const QString& criterion, qint64 start, int step) {
    QVariantList params;
    const QString crit = Criteria::toSql(criterion, fields_, params);  // syntax errors first
    noMatch_ = true;
    const qint64 size = qint64(keys_.size());
    if (start < 0 || start >= size)
        return false;
    qint64 found = -1;
    if (rowidOrder_ && whereSql_.isEmpty()) {
        // Table order: let SQLite walk the rowids, stopping at the first match; through the
        // table's trigram index when it can narrow the rows to look at.
        const IndexedFind::Plan plan = IndexedFind::plan(*db_, table_, criterion);
        const QString from = step > 0 ? QStringLiteral(">=") : QStringLiteral("<=");
        QString where = QStringLiteral("rowid %1 ?").arg(from);
        if (plan.usable()) {
            const QString index = Database::quoteIdentifier(plan.index);
            where =
                QStringLiteral("rowid IN (SELECT rowid FROM %1 WHERE rowid %2 ? AND %1 MATCH ?)")
                    .arg(index, from);
            params.prepend(plan.match);
        }
        Statement s = db_->prepare(
            QStringLiteral("SELECT rowid FROM %1 WHERE %2 AND (%3) ORDER BY rowid %4 LIMIT 1")
                .arg(Database::quoteIdentifier(table_), where, crit,
                     step > 0 ? QStringLiteral("ASC") : QStringLiteral("DESC")));
        s.bind(params, 2);
        qint64 bound = keys_[size_t(start)];
        for (;;) {
            s.reset();
            s.bindInt64(1, bound);
            if (!s.step())
                break;
            const qint64 rowid = s.int64(0);
            found = indexOf(keys_, rowid, true);
            if (found >= 0)
                break;
            // A row added elsewhere since the set was loaded: not ours, look further.
            bound = step > 0 ? rowid + 1 : rowid - 1;
        }
    } else {
        const std::vector<qint64> matches = matchingKeys(criterion);
        for (qint64 i = start; i >= 0 && i < size; i += step) {
            if (std::binary_search(matches.begin(), matches.end(), keys_[size_t(i)])) {
                found = i;
                break;
            }
        }
    }
    if (found < 0)
        return false;
    pos_ = found;
    deleted_ = false;
    cachedKey_ = -1;
    noMatch_ = false;
    return true;
}

void RecordSet::requery() {
    storePending();
    const bool had = hasCurrent();
    const qint64 key = had ? keys_[size_t(pos_)] : 0;
    load();
    deleted_ = false;
    const qint64 index = had ? indexOf(keys_, key, rowidOrder_) : -1;
    pos_ = index >= 0 ? index : (keys_.empty() ? -1 : 0);
}
