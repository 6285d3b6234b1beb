#include "search/ResultGridModel.h"

#include <algorithm>
#include <climits>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/Statement.h"

ResultGridModel::ResultGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultGridModel::showHeader(const QStringList& fields) {
    showResult(nullptr, QString(), fields, 0);
}

void ResultGridModel::showResult(std::shared_ptr<Database> db, const QString& table,
                                 const QStringList& fields, qint64 count) {
    beginResetModel();
    db_ = std::move(db);
    table_ = table;
    fields_ = fields;
    count_ = db_ ? std::min<qint64>(count, INT_MAX) : 0;
    firstKey_ = -1;
    blocks_.clear();
    used_.clear();
    if (db_ && count_ > 0) {
        // The search writes its table in one go into a new table, so the rowids are
        // 1..count and a row's position is its key: any block is an index lookup. A table
        // changed by another tool is read by offset instead.
        // Two statements: SQLite finds min() or max() alone at one end of the table, both
        // together only by reading all of it.
        const auto end = [this](const char* which) {
            return db_
                ->query(QStringLiteral("SELECT %1(rowid) FROM %2")
                            .arg(QLatin1String(which), Database::quoteIdentifier(table_)))
                .value(0)
                .value(0)
                .toLongLong();
        };
        const qint64 low = end("min");
        if (end("max") - low + 1 == count_)
            firstKey_ = low;
    }
    endResetModel();
}

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(count_);
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(fields_.size());
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return fields_.value(section);
    return section + 1;
}

const std::vector<QStringList>& ResultGridModel::block(qint64 number) const {
    if (const auto found = blocks_.find(number); found != blocks_.end()) {
        used_.remove(number);
        used_.push_front(number);
        return found->second;
    }
    std::vector<QStringList> rows;
    const qint64 first = number * blockRows;
    try {
        QStringList columns;
        for (const QString& f : fields_)
            columns << Database::quoteIdentifier(f);
        const QString table = Database::quoteIdentifier(table_);
        const bool keyed = firstKey_ >= 0;
        Statement read = db_->prepare(
            keyed ? QStringLiteral("SELECT %1 FROM %2 WHERE rowid BETWEEN ? AND ? ORDER BY rowid")
                        .arg(columns.join(u','), table)
                  : QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid LIMIT ? OFFSET ?")
                        .arg(columns.join(u','), table));
        if (keyed)
            read.bind({firstKey_ + first, firstKey_ + first + blockRows - 1});
        else
            read.bind({blockRows, first});
        rows.reserve(blockRows);
        while (read.step()) {
            QStringList row;
            for (int c = 0; c < read.columnCount(); ++c)
                row << read.value(c).toString();
            rows.push_back(std::move(row));
        }
    } catch (const AppError& e) {
        // Asked for while the view paints: an empty block rather than an exception in the
        // event loop. The next search shows the table again.
        qCWarning(lcDb).noquote() << "result rows" << first << "not read:" << e.description();
    }
    if (blocks_.size() >= keptBlocks) {
        blocks_.erase(used_.back());
        used_.pop_back();
    }
    used_.push_front(number);
    const auto& kept = blocks_[number] = std::move(rows);
    if (!kept.empty())
        emit rowsRead(int(first), int(first) + int(kept.size()) - 1);
    return kept;
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole) || !db_)
        return {};
    const std::vector<QStringList>& rows = block(index.row() / blockRows);
    const size_t at = size_t(index.row() % blockRows);
    return at < rows.size() ? rows[at].value(index.column()) : QVariant();
}
