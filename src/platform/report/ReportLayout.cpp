#include "platform/report/ReportLayout.h"

#include <algorithm>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Database.h"
#include "platform/db/Statement.h"

namespace {

constexpr double kMargin = 40;
constexpr double kLine = 14;           // one body line
constexpr double kCardGap = 8;         // between two cards
constexpr double kTop = kMargin + 70;  // where the body starts (below title, heading, captions)
constexpr double kFooter = 24;

}  // namespace

ReportLayout::ReportLayout(ReportTemplate report, std::shared_ptr<Database> db, QDate today)
    : report_(std::move(report)), db_(std::move(db)), today_(today) {
    const QString table = db_->canonicalTableName(report_.source);  // 3265 when missing
    const QStringList available = db_->fieldNames(table);
    for (const QString& f : report_.fields() + report_.order) {
        if (!available.contains(f, Qt::CaseInsensitive))
            throw AppError(kReportErrorNumber, QStringLiteral("ReportEngine"),
                           QStringLiteral("Il modello di stampa %1 usa il campo %2, che la "
                                          "tabella %3 non ha.")
                               .arg(report_.name, f, table));
    }
    report_.source = table;
    fields_ = report_.fields();
    count_ =
        db_->query(QStringLiteral("SELECT COUNT(*) FROM %1").arg(Database::quoteIdentifier(table)))
            .value(0)
            .value(0)
            .toLongLong();
    const double body = pageSize().height() - kTop - kMargin - kFooter;
    const double record = report_.body == ReportTemplate::Body::Cards
                              ? double(fields_.size()) * kLine + kCardGap
                              : kLine;
    perPage_ = std::max(1, int(body / record));
    indexed_ = report_.order.isEmpty() || createOrderIndex();
}

bool ReportLayout::createOrderIndex() const {
    // Sorting a million titles for a page takes seconds; walking an index in the report's
    // order takes milliseconds. NOCASE is SQLite's own collation, so any other tool can still
    // write the table. Built once, then kept up to date by SQLite.
    QStringList columns, name{QStringLiteral("raccolio_ordine"), report_.source};
    for (const QString& f : report_.order) {
        columns << Database::quoteIdentifier(f) + QStringLiteral(" COLLATE NOCASE");
        name << f;
    }
    try {
        db_->exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                      .arg(Database::quoteIdentifier(name.join(u'_')),
                           Database::quoteIdentifier(report_.source), columns.join(u',')));
        return true;
    } catch (const AppError& e) {
        // A catalogue that cannot be written: pages come through a sort instead.
        qCInfo(lcDb).noquote() << "no index for the order of" << report_.name << "-"
                               << e.description();
        return false;
    }
}

QSizeF ReportLayout::pageSize() const {
    return report_.landscape ? QSizeF(842, 595) : QSizeF(595, 842);
}

int ReportLayout::pageCount() const {
    return std::max<int>(1, int((count_ + perPage_ - 1) / perPage_));
}

QString ReportLayout::columnsText() const {
    QStringList columns;
    for (const QString& f : fields_)
        columns << Database::quoteIdentifier(f);
    return columns.join(u',');
}

QString ReportLayout::orderText() const {
    QStringList order;
    for (const QString& f : report_.order)
        order << Database::quoteIdentifier(f) + QStringLiteral(" COLLATE NOCASE");
    order << QStringLiteral("rowid");
    return order.join(u',');
}

void ReportLayout::readKeys() const {
    if (keysRead_)
        return;
    // The sort spills to disk beyond the page cache: give it room for this one statement.
    const QVariant cache = db_->query(QStringLiteral("PRAGMA cache_size")).value(0).value(0);
    db_->exec(QStringLiteral("PRAGMA cache_size = -131072"));
    struct Restore {
        Database& db;
        qint64 pages;
        ~Restore() {
            try {
                db.exec(QStringLiteral("PRAGMA cache_size = %1").arg(pages));
            } catch (...) {
            }
        }
    } restore{*db_, cache.toLongLong()};
    Statement keys = db_->prepare(QStringLiteral("SELECT rowid FROM %1 ORDER BY %2")
                                      .arg(Database::quoteIdentifier(report_.source), orderText()));
    keys_.reserve(size_t(count_));
    while (keys.step())
        keys_.push_back(keys.int64(0));
    keysRead_ = true;
}

std::vector<ReportItem> ReportLayout::page(int number) const {
    using S = ReportItem::Style;
    const QSizeF size = pageSize();
    const double width = size.width() - 2 * kMargin;
    std::vector<ReportItem> items;
    items.push_back({QRectF(kMargin, kMargin, width, 20), report_.title, S::Title});
    // The date keeps a box of its own, so a long heading ends in "…" before it.
    constexpr double dateWidth = 100;
    items.push_back({QRectF(kMargin, kMargin + 22, width - dateWidth, 16),
                     report_.expandedHeading(), S::Heading});
    items.push_back({QRectF(kMargin + width - dateWidth, kMargin + 22, dateWidth, 16),
                     QStringLiteral("Data: ") + today_.toString(QStringLiteral("dd/MM/yyyy")),
                     S::Small, true});

    // Column boxes: the template's weights share the page width.
    int total = 0;
    for (const ReportColumn& c : report_.columns)
        total += c.weight;
    const bool cards = report_.body == ReportTemplate::Body::Cards;
    std::vector<QRectF> boxes;
    double x = kMargin;
    for (const ReportColumn& c : report_.columns) {
        const double w = width * c.weight / total;
        boxes.emplace_back(x, 0, w, kLine);
        x += w;
    }
    const double captionsTop = kTop - 20;
    if (!cards) {
        for (size_t i = 0; i < boxes.size(); ++i)
            items.push_back({boxes[i].translated(0, captionsTop).adjusted(0, 0, -4, 0),
                             report_.columns[i].caption, S::Label});
    }
    items.push_back({QRectF(kMargin, kTop - 4, width, 0), {}, S::Rule});

    // Through the order's index, any page is a short walk. Without it, page 1 comes by a
    // bounded sort (no key list needed to open a report), later pages by key.
    const QString table = Database::quoteIdentifier(report_.source);
    const bool ranged = indexed_ || number == 1;
    Statement rows = db_->prepare(
        ranged ? QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT ? OFFSET ?")
                     .arg(columnsText(), table, orderText())
               : QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(columnsText(), table));
    const qint64 first = qint64(number - 1) * perPage_;
    const qint64 last = std::min<qint64>(first + perPage_, count_);
    if (ranged)
        rows.bind({perPage_, first});
    else
        readKeys();
    qint64 next = first;
    double y = kTop;
    const double labelWidth = width * 0.25;
    const auto step = [&] {
        if (ranged)
            return rows.step();
        while (next < last && next < qint64(keys_.size())) {
            rows.reset();
            rows.bind({keys_[size_t(next++)]});
            if (rows.step())
                return true;
        }
        return false;
    };
    while (step()) {
        for (int c = 0; c < rows.columnCount(); ++c) {
            const QString value = rows.value(c).toString().trimmed();
            if (cards) {
                items.push_back({QRectF(kMargin, y, labelWidth - 6, kLine),
                                 report_.columns[size_t(c)].caption, S::Label});
                items.push_back(
                    {QRectF(kMargin + labelWidth, y, width - labelWidth, kLine), value, S::Text});
                y += kLine;
            } else {
                items.push_back(
                    {boxes[size_t(c)].translated(0, y).adjusted(0, 0, -4, 0), value, S::Text});
            }
        }
        if (cards) {
            items.push_back({QRectF(kMargin, y + kCardGap / 2, width, 0), {}, S::Rule});
            y += kCardGap;
        } else {
            y += kLine;
        }
    }
    const double footerTop = size.height() - kMargin - 12;
    items.push_back({QRectF(kMargin, footerTop - 6, width, 0), {}, S::Rule});
    items.push_back({QRectF(kMargin, footerTop, width, 12),
                     QStringLiteral("Pagina %1 di %2").arg(number).arg(pageCount()), S::Small,
                     false, true});
    return items;
}
