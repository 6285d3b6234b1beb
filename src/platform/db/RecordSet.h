#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

#include "platform/db/Statement.h"

class Database;

// An ordered list of row keys over one table (its rowid order, a field order or
// the rows matching a criterion) with a current position, an edit buffer and the
// find operations. Moves store a pending edit or new record first, as bound data
// controls do.
class RecordSet {
public:
    using Bookmark = qint64;
    enum class EditMode { None, Edit, Add };

    // table: an existing table; criterion: empty or "F Like \"pat\" OR ..." ;
    // orderBy: empty (table order) or a field name, optionally followed by DESC, in
    // Italian order (see Collation.h); equal values keep their table order.
    RecordSet(std::shared_ptr<Database> db, const QString& table, const QString& criterion = {},
              const QString& orderBy = {});
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    const QString& tableName() const { return table_; }
    // The whole table in its own order: the finds can go through its trigram index.
    bool inTableOrder() const { return rowidOrder_ && whereSql_.isEmpty(); }

    // Position. BOF/EOF are both true on an empty set.
    bool bof() const;
    bool eof() const;
    bool hasCurrent() const { return !bof() && !eof() && !deleted_; }
    int recordCount() const;
    int absolutePosition() const;            // 0-based; -1 when there is no current record
    void setAbsolutePosition(int position);  // 3021 when out of range
    double percentPosition() const;          // 0..100; 0 with no current record
    Bookmark bookmark() const;               // 3021 with no current record
    void setBookmark(Bookmark b);            // 3021 for a bookmark not (any longer) in the set

    // Moves (store a pending edit first). 3021 on an empty set, or next/previous
    // once already past that end.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // Editing.
    EditMode editMode() const { return mode_; }
    void addNew();  // empty buffer; stored by update() or by a move
    void edit();    // editing the current record (implicit on setValue)
    void update();  // store the buffer; a new record joins the end of the set and becomes current
    void cancelUpdate();  // drop the buffer; after a cancelled addNew the previous record is
                          // current again
    void
    deleteCurrent();  // 3021 with no current record; afterwards no record is current until a move

    // Fields in table order.
    int fieldCount() const { return int(fields_.size()); }
    QString fieldName(int position) const;
    int fieldIndex(const QString& name) const;  // case-insensitive; 3265 when missing
    QStringList fieldNames() const { return fields_; }
    QVariant value(const QString& field) const;  // current value (buffer when editing); 3021
    QVariant value(int position) const;
    void setValue(const QString& field, const QVariant& v);  // enters Edit mode when not editing
    void setValue(int position, const QVariant& v);
    // Whether the pending edit or addition wrote the field; false with none pending.
    bool isEdited(const QString& field) const;

    // Finds by criterion, in the set's order. On no match the current record stays.
    bool findFirst(const QString& criterion);
    bool findLast(const QString& criterion);
    bool findNext(const QString& criterion);
    bool findPrevious(const QString& criterion);
    bool noMatch() const { return noMatch_; }

    // Reloads the key list (rows added or removed elsewhere); keeps the current row when it still
    // exists.
    void requery();

private:
    void load();
    void storePending();
    void requireCurrent(const char* op) const;
    void loadCurrentRow() const;
    bool findFrom(const QString& criterion, qint64 start, int step);
    std::vector<qint64> matchingKeys(const QString& criterion) const;

    std::shared_ptr<Database> db_;
    QString table_;
    QString criterion_;
    QString orderBy_;
    QStringList fields_;
    std::vector<qint64> keys_;
    qint64 pos_ = -1;  // -1 BOF, keys_.size() EOF
    bool rowidOrder_ = true;
    EditMode mode_ = EditMode::None;
    qint64 posBeforeAdd_ = -1;
    QVariantList buffer_;
    mutable qint64 cachedKey_ = -1;
    mutable QVariantList cachedRow_;
    bool noMatch_ = false;
    bool deleted_ = false;  // the current record was deleted: pos_ is the one that followed it
    bool deletedBeforeAdd_ = false;
    QString whereSql_;  // the set's own criterion, compiled
    QVariantList whereParams_;
    QString orderSql_;
    std::vector<bool> dirty_;  // fields written since edit()/addNew()
    mutable Statement fetch_;  // SELECT * ... WHERE rowid=?, kept for every move
};
