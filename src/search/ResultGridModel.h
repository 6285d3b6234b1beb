#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

class Database;

// The result grid: the field names as the header, one row per card of the result table
// in the order the search stored them. The row count is the result's from the start, so
// the scroll bar is true; rows are read by position in blocks as the view reaches them,
// and only the blocks last used are kept, so a million matches cost no more to show than
// a hundred.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultGridModel(QObject* parent = nullptr);

    // Header only (no result shown).
    void showHeader(const QStringList& fields);
    // The count rows of the result table, read on demand.
    void showResult(std::shared_ptr<Database> db, const QString& table, const QStringList& fields,
                    qint64 count);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    qint64 resultCount() const { return count_; }
    static constexpr int blockRows = 256;
    static constexpr size_t keptBlocks = 64;

signals:
    // Rows first..last were read from the table (the view may widen its columns).
    void rowsRead(int first, int last) const;

private:
    const std::vector<QStringList>& block(qint64 number) const;

    std::shared_ptr<Database> db_;
    QString table_;
    QStringList fields_;
    qint64 count_ = 0;
    qint64 firstKey_ = 0;  // rowid of row 0 when the rowids run without a gap, else -1
    mutable std::unordered_map<qint64, std::vector<QStringList>> blocks_;
    mutable std::list<qint64> used_;  // block numbers, most recent first
};
