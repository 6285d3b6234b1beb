#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <vector>

class Database;

// The result grid: row 0 holds the field names, then one row per card of the result
// table in the order the search stored them. Rows are read in pages as the view scrolls
// to them, so a million matches cost no more to show than a hundred.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultGridModel(QObject* parent = nullptr);

    // Header row only (no result shown).
    void showHeader(const QStringList& fields);
    // The header row and the count rows of the result table, read on demand.
    void showResult(std::shared_ptr<Database> db, const QString& table, const QStringList& fields,
                    qint64 count);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    qint64 resultCount() const { return count_; }
    static constexpr int pageRows = 256;

private:
    std::shared_ptr<Database> db_;
    QString table_;
    QStringList fields_;
    qint64 count_ = 0;
    qint64 lastKey_ = 0;  // rowid of the last row read
    std::vector<QStringList> rows_;
};
