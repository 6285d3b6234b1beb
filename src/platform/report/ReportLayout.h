#pragma once

#include <QDate>
#include <QRectF>
#include <QSizeF>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/report/ReportTemplate.h"

class Database;
class Statement;

// One text (or rule) on a page, in points from the page's top left corner.
struct ReportItem {
    enum class Style { Title, Heading, Small, Label, Text, Rule };
    QRectF box;
    QString text;
    Style style = Style::Text;
    bool alignRight = false;
    bool centred = false;
};

// Lays out a template over its data. Every record takes the same height, so page n is
// records (n-1)*k+1 .. n*k of the template's order: no pass over the pages before it,
// nothing of a page kept after it. The order is Italian, as in the card lists; it is read
// through stored collation keys (SortKeys) where the catalogue has them or can be given
// them, else by sorting with the collation: page 1 by a bounded sort, any other page
// through the row keys in order, read once (8 bytes a record) when first needed.
class ReportLayout {
public:
    ReportLayout(ReportTemplate report, std::shared_ptr<Database> db, QDate today);

    QSizeF pageSize() const;  // points; A4
    int recordsPerPage() const { return perPage_; }
    qint64 recordCount() const { return count_; }
    int pageCount() const;
    std::vector<ReportItem> page(int number) const;  // 1-based
    // Lays out pages first..last in order, reading their records with one cursor, and hands
    // each to sink; sink returning false stops the walk. Returns false when stopped.
    bool walk(int first, int last,
              const std::function<bool(int page, std::vector<ReportItem> items)>& sink) const;
    const ReportTemplate& report() const { return report_; }

private:
    enum class Source { Keys, TableOrder, Sort };
    // Where a page starts: its first record's key (Null in table order) and rowid.
    struct Anchor {
        QVariant key;
        qint64 id = 0;
    };
    QString columnsText() const;
    QString orderText() const;
    void readKeys() const;
    std::optional<Anchor> anchorOf(int page) const;
    std::vector<ReportItem> frame() const;  // title, heading, date, captions
    std::vector<QRectF> columnBoxes() const;
    void addRecord(std::vector<ReportItem>& items, double& y, const Statement& row) const;
    void addFooter(std::vector<ReportItem>& items, int number) const;

    ReportTemplate report_;
    std::shared_ptr<Database> db_;
    QDate today_;
    QStringList fields_;
    qint64 count_ = 0;
    int perPage_ = 1;
    Source source_ = Source::TableOrder;
    QString keyTable_;                  // SortKeys table, with Source::Keys
    mutable std::vector<qint64> keys_;  // rowids in report order, once a later page is asked
    mutable bool keysRead_ = false;
    std::vector<QRectF> boxes_;              // columns, left to right
    mutable std::map<int, Anchor> anchors_;  // pages visited, and every 64th page walked
};
