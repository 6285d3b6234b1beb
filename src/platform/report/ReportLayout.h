#pragma once

#include <QDate>
#include <QRectF>
#include <QSizeF>
#include <memory>
#include <vector>

#include "platform/report/ReportTemplate.h"

class Database;

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
// nothing of a page kept after it. The table gets an index in the template's order (once);
// where that cannot be written, page 1 is read by a bounded sort and any other page through
// the row keys in order, read once (8 bytes a record) when first needed.
class ReportLayout {
public:
    ReportLayout(ReportTemplate report, std::shared_ptr<Database> db, QDate today);

    QSizeF pageSize() const;  // points; A4
    int recordsPerPage() const { return perPage_; }
    qint64 recordCount() const { return count_; }
    int pageCount() const;
    std::vector<ReportItem> page(int number) const;  // 1-based
    const ReportTemplate& report() const { return report_; }

private:
    QString columnsText() const;
    QString orderText() const;
    void readKeys() const;
    bool createOrderIndex() const;

    ReportTemplate report_;
    std::shared_ptr<Database> db_;
    QDate today_;
    QStringList fields_;
    qint64 count_ = 0;
    int perPage_ = 1;
    mutable std::vector<qint64> keys_;  // rowids in report order, once a later page is asked
    mutable bool keysRead_ = false;
    bool indexed_ = false;
};
