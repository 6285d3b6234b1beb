#include "search/ResultGridModel.h"

#include "platform/db/Database.h"
#include "platform/db/Statement.h"

ResultGridModel::ResultGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultGridModel::showHeader(const QStringList& fields) {
    beginResetModel();
    db_.reset();
    table_.clear();
    fields_ = fields;
    count_ = 0;
    lastKey_ = 0;
    rows_.clear();
    endResetModel();
}

void ResultGridModel::showResult(std::shared_ptr<Database> db, const QString& table,
                                 const QStringList& fields, qint64 count) {
    beginResetModel();
    db_ = std::move(db);
    table_ = table;
    fields_ = fields;
    count_ = count;
    lastKey_ = 0;
    rows_.clear();
    endResetModel();
}

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + int(rows_.size());
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(fields_.size());
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (index.row() == 0)
        return fields_.value(index.column());
    const QStringList& row = rows_[size_t(index.row() - 1)];
    return row.value(index.column());
}

bool ResultGridModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && db_ && qint64(rows_.size()) < count_;
}

void ResultGridModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    // Keyed on rowid, so page n costs the same as page 1.
    QStringList columns;
    for (const QString& f : fields_)
        columns << Database::quoteIdentifier(f);
    Statement page =
        db_->prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? ORDER BY rowid "
                                    "LIMIT %3")
                         .arg(columns.join(u','), Database::quoteIdentifier(table_))
                         .arg(pageRows));
    page.bind({lastKey_});
    std::vector<QStringList> read;
    while (page.step()) {
        lastKey_ = page.int64(0);
        QStringList row;
        for (int c = 1; c < page.columnCount(); ++c)
            row << page.value(c).toString();
        read.push_back(std::move(row));
    }
    if (read.empty()) {
        count_ = qint64(rows_.size());  // the table is shorter than announced
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + int(read.size()) - 1);
    for (QStringList& row : read)
        rows_.push_back(std::move(row));
    endInsertRows();
}
