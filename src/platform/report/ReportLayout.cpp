#include "platform/report/ReportLayout.h"

#include <algorithm>
#include <limits>

#include "platform/core/AppError.h"
#include "platform/core/Log.h"
#include "platform/db/Collation.h"
#include "platform/db/Database.h"
#include "platform/db/SortKeys.h"
#include "platform/db/Statement.h"

namespace {

constexpr double kMargin = 40;
constexpr double kLine = 14;           // one body line
constexpr double kCardGap = 8;         // between two cards
constexpr double kTop = kMargin + 70;  // where the body starts (below title, heading, captions)
constexpr double kFooter = 24;
constexpr int kAnchorEvery = 64;  // pages between two start keys a walk remembers

}  // namespace

ReportLayout::ReportLayout(ReportTemplate report, std::shared_ptr<Database> db, QDate today)
    : report_(std::move(report)), db_(std::move(db)), today_(today) {
    const QString table = db_->canonicalTableName(report_.source);  // 3265 when missing
    const QStringList available = db_->fieldNames(table);
    const auto field = [&](const QString& f) {
        const auto found = std::find_if(available.begin(), available.end(), [&](const QString& a) {
            return a.compare(f, Qt::CaseInsensitive) == 0;
        });
        if (found == available.end())
            throw AppError(kReportErrorNumber, QStringLiteral("ReportEngine"),
                           QStringLiteral("Il modello di stampa %1 usa il campo %2, che la "
                                          "tabella %3 non ha.")
                               .arg(report_.name, f, table));
        return *found;
    };
    for (const QString& f : report_.fields())
        field(f);
    // As the table spells them: they name the key table.
    QStringList order;
    for (const QString& f : report_.order)
        if (!order.contains(field(f)))
            order << field(f);
    report_.source = table;
    report_.order = order;
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
    boxes_ = columnBoxes();
    if (!report_.order.isEmpty()) {
        // Sorting a million titles with the collator for a page takes seconds; walking the
        // index of their stored keys takes milliseconds. Built once, then kept in step.
        keyTable_ = SortKeys::prepare(*db_, table, report_.order, count_);
        source_ = keyTable_.isEmpty() ? Source::Sort : Source::Keys;
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
        columns << QStringLiteral("L.") + Database::quoteIdentifier(f);
    return columns.join(u',');
}

QString ReportLayout::orderText() const {
    QStringList order;
    for (const QString& f : report_.order)
        order << QStringLiteral("L.%1 COLLATE %2")
                     .arg(Database::quoteIdentifier(f), QLatin1String(Collation::italian));
    order << QStringLiteral("L.rowid");
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
            } catch (const AppError& e) {
                // Only the cache is larger than it was; the report is right all the same.
                qCWarning(lcDb).noquote() << "cannot restore the page cache size:" << e.description();
            }
        }
    } restore{*db_, cache.toLongLong()};
    Statement keys = db_->prepare(QStringLiteral("SELECT L.rowid FROM %1 AS L ORDER BY %2")
                                      .arg(Database::quoteIdentifier(report_.source), orderText()));
    keys_.reserve(size_t(count_));
    while (keys.step())
        keys_.push_back(keys.int64(0));
    keysRead_ = true;
}

// The first record of a page, found from the nearest page whose start is known (page 1, a
// page seen before, every 64th page of a walk) or from the end, whichever is fewer
// records away: SQLite then skips entries of an index holding only keys and rowids.
std::optional<ReportLayout::Anchor> ReportLayout::anchorOf(int page) const {
    const qint64 before = qint64(page - 1) * perPage_;
    if (before >= count_)
        return std::nullopt;
    const bool keyed = source_ == Source::Keys;
    // Before every record: any key is at least the empty one.
    Anchor base{keyed ? QVariant(QByteArray("")) : QVariant(), std::numeric_limits<qint64>::min()};
    int basePage = 1;
    if (auto it = anchors_.upper_bound(page); it != anchors_.begin()) {
        --it;
        basePage = it->first;
        base = it->second;
    }
    if (basePage == page)
        return base;
    const QString from = Database::quoteIdentifier(keyed ? keyTable_ : report_.source);
    const QString columns = keyed ? QStringLiteral("k, id") : QStringLiteral("NULL, rowid");
    const QString order = keyed ? QStringLiteral("k %1, id %1") : QStringLiteral("rowid %1");
    const qint64 forward = before - qint64(basePage - 1) * perPage_;
    const qint64 backward = count_ - 1 - before;
    Statement skip;
    if (backward < forward) {
        skip = db_->prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT 1 OFFSET ?")
                                .arg(columns, from, order.arg(QStringLiteral("DESC"))));
        skip.bind({backward});
    } else {
        skip = db_->prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT 1 OFFSET ?")
                .arg(columns, from,
                     keyed ? QStringLiteral("(k, id) >= (?, ?)") : QStringLiteral("rowid >= ?"),
                     order.arg(QString())));
        skip.bind(keyed ? QVariantList{base.key, base.id, forward}
                        : QVariantList{base.id, forward});
    }
    if (!skip.step())
        return std::nullopt;  // fewer records than when the report was opened
    Anchor found{skip.value(0), skip.int64(1)};
    anchors_[page] = found;
    return found;
}

bool ReportLayout::walk(int first, int last,
                        const std::function<bool(int, std::vector<ReportItem>)>& sink) const {
    first = std::max(first, 1);
    last = std::min(last, pageCount());
    const QString table = Database::quoteIdentifier(report_.source);
    const qint64 limit = qint64(last - first + 1) * perPage_;
    Statement rows;
    bool more = false;
    if (source_ == Source::Sort) {
        rows = db_->prepare(QStringLiteral("SELECT NULL, L.rowid, %1 FROM %2 AS L ORDER BY %3 "
                                           "LIMIT ? OFFSET ?")
                                .arg(columnsText(), table, orderText()));
        rows.bind({limit, qint64(first - 1) * perPage_});
        more = true;
    } else if (first <= last) {
        if (const std::optional<Anchor> start = anchorOf(first)) {
            if (source_ == Source::Keys) {
                // The key table leads, so SQLite walks its index and fetches each record by
                // rowid: one cursor in report order, nothing sorted.
                rows = db_->prepare(
                    QStringLiteral("SELECT D.k, D.id, %1 FROM %2 AS D CROSS JOIN %3 AS L "
                                   "ON L.rowid = D.id WHERE (D.k, D.id) >= (?, ?) "
                                   "ORDER BY D.k, D.id LIMIT ?")
                        .arg(columnsText(), Database::quoteIdentifier(keyTable_), table));
                rows.bind({start->key, start->id, limit});
            } else {
                rows = db_->prepare(QStringLiteral("SELECT NULL, L.rowid, %1 FROM %2 AS L "
                                                   "WHERE L.rowid >= ? ORDER BY L.rowid LIMIT ?")
                                        .arg(columnsText(), table));
                rows.bind({start->id, limit});
            }
            more = true;
        }
    }
    for (int number = first; number <= last; ++number) {
        std::vector<ReportItem> items = frame();
        double y = kTop;
        for (int r = 0; more && r < perPage_; ++r) {
            if (!rows.step()) {
                more = false;
                break;
            }
            if (r == 0 && source_ != Source::Sort && (number - 1) % kAnchorEvery == 0)
                anchors_[number] = Anchor{rows.value(0), rows.int64(1)};
            addRecord(items, y, rows);
        }
        addFooter(items, number);
        if (!sink(number, std::move(items)))
            return false;
    }
    return true;
}

std::vector<ReportItem> ReportLayout::page(int number) const {
    if (source_ == Source::Sort && number > 1) {
        // Without stored keys, page 1 comes by a bounded sort (no key list needed to open a
        // report), later pages through the rowids in order.
        readKeys();
        std::vector<ReportItem> items = frame();
        Statement row =
            db_->prepare(QStringLiteral("SELECT NULL, L.rowid, %1 FROM %2 AS L WHERE L.rowid = ?")
                             .arg(columnsText(), Database::quoteIdentifier(report_.source)));
        const qint64 first = qint64(number - 1) * perPage_;
        const qint64 last = std::min<qint64>({first + perPage_, count_, qint64(keys_.size())});
        double y = kTop;
        for (qint64 i = first; i < last; ++i) {
            row.reset();
            row.bind({keys_[size_t(i)]});
            if (row.step())
                addRecord(items, y, row);
        }
        addFooter(items, number);
        return items;
    }
    std::vector<ReportItem> items;
    walk(number, number, [&](int, std::vector<ReportItem> laidOut) {
        items = std::move(laidOut);
        return true;
    });
    if (items.empty()) {  // a page past the end: its frame only
        items = frame();
        addFooter(items, number);
    }
    return items;
}

std::vector<ReportItem> ReportLayout::frame() const {
    using S = ReportItem::Style;
    const QSizeF size = pageSize();
    const double width = size.width() - 2 * kMargin;
    std::vector<ReportItem> items;
    items.reserve(size_t(8 + perPage_ * fields_.size() * 2));
    items.push_back({QRectF(kMargin, kMargin, width, 20), report_.title, S::Title});
    // The date keeps a box of its own, so a long heading ends in "…" before it.
    constexpr double dateWidth = 100;
    items.push_back({QRectF(kMargin, kMargin + 22, width - dateWidth, 16),
                     report_.expandedHeading(), S::Heading});
    items.push_back({QRectF(kMargin + width - dateWidth, kMargin + 22, dateWidth, 16),
                     QStringLiteral("Data: ") + today_.toString(QStringLiteral("dd/MM/yyyy")),
                     S::Small, true});
    if (report_.body == ReportTemplate::Body::Columns) {
        const double captionsTop = kTop - 20;
        for (size_t i = 0; i < boxes_.size(); ++i)
            items.push_back({boxes_[i].translated(0, captionsTop).adjusted(0, 0, -4, 0),
                             report_.columns[i].caption, S::Label});
    }
    items.push_back({QRectF(kMargin, kTop - 4, width, 0), {}, S::Rule});
    return items;
}

// Column boxes: the template's weights share the page width.
std::vector<QRectF> ReportLayout::columnBoxes() const {
    const double width = pageSize().width() - 2 * kMargin;
    int total = 0;
    for (const ReportColumn& c : report_.columns)
        total += c.weight;
    std::vector<QRectF> boxes;
    double x = kMargin;
    for (const ReportColumn& c : report_.columns) {
        const double w = width * c.weight / total;
        boxes.emplace_back(x, 0, w, kLine);
        x += w;
    }
    return boxes;
}

// One record: its fields are the row's columns from the third on (key and rowid first).
void ReportLayout::addRecord(std::vector<ReportItem>& items, double& y,
                             const Statement& row) const {
    using S = ReportItem::Style;
    const double width = pageSize().width() - 2 * kMargin;
    if (report_.body == ReportTemplate::Body::Cards) {
        const double labelWidth = width * 0.25;
        for (int c = 0; c < int(fields_.size()); ++c) {
            items.push_back({QRectF(kMargin, y, labelWidth - 6, kLine),
                             report_.columns[size_t(c)].caption, S::Label});
            items.push_back({QRectF(kMargin + labelWidth, y, width - labelWidth, kLine),
                             row.value(c + 2).toString().trimmed(), S::Text});
            y += kLine;
        }
        items.push_back({QRectF(kMargin, y + kCardGap / 2, width, 0), {}, S::Rule});
        y += kCardGap;
        return;
    }
    for (int c = 0; c < int(fields_.size()); ++c)
        items.push_back({boxes_[size_t(c)].translated(0, y).adjusted(0, 0, -4, 0),
                         row.value(c + 2).toString().trimmed(), S::Text});
    y += kLine;
}

void ReportLayout::addFooter(std::vector<ReportItem>& items, int number) const {
    const QSizeF size = pageSize();
    const double width = size.width() - 2 * kMargin;
    const double footerTop = size.height() - kMargin - 12;
    items.push_back({QRectF(kMargin, footerTop - 6, width, 0), {}, ReportItem::Style::Rule});
    items.push_back({QRectF(kMargin, footerTop, width, 12),
                     QStringLiteral("Pagina %1 di %2").arg(number).arg(pageCount()),
                     ReportItem::Style::Small, false, true});
}
