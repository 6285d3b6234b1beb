// Any bytes read as a damaged catalogue: the page reader ends, reads nothing outside the
// input, and hands back only rows that fit the tables it was given.
#include <QByteArray>
#include <QLoggingCategory>
#include <cstdint>
#include <cstdlib>

#include "platform/db/PageSalvage.h"

// The reader says on standard error what it leaves out; at this rate that is only noise.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLoggingCategory::setFilterRules(QStringLiteral("raccolio.db.warning=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PageSalvage::Reader reader(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const PageSalvage::Schema schema = reader.schema();
    std::vector<PageSalvage::TableShape> tables;
    for (const PageSalvage::SchemaEntry& e : schema.entries)
        if (e.type == QLatin1String("table") && e.rootPage > 0 && tables.size() < 8)
            tables.push_back({e.name, e.rootPage, 3, {false, true, false}});
    // Tables whose roots are not known, as when the schema page is lost.
    tables.push_back({QStringLiteral("LIBRI"), 0, 2, {true, true}});
    tables.push_back({QStringLiteral("AUTORI"), 0, 5, {true, true, true, true, true}});
    qint64 lastPages = -1;
    const PageSalvage::Outcome outcome = reader.salvage(
        tables,
        [&](int table, qint64, const std::vector<PageSalvage::Value>& values, bool) {
            if (table < 0 || size_t(table) >= tables.size() ||
                int(values.size()) > tables[size_t(table)].columns)
                abort();
            for (const PageSalvage::Value& v : values)
                (void)reader.text(v);
        },
        [&](qint64 done, qint64 total) {
            if (done < lastPages || done > total)
                abort();
            lastPages = done;
        });
    if (outcome.tables.size() != tables.size())
        abort();
    return 0;
}
