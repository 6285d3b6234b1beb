#pragma once

#include <QFile>
#include <QString>

#include "platform/db/Database.h"

// Damage as a torn or stray write leaves it: one page of a table or index overwritten.

// The number (from 1) of a page of the b-tree `name` of the type asked ("leaf",
// "internal"), as SQLite's dbstat table counts it; 0 when there is none.
inline qint64 pageOf(const QString& path, const QString& name, const QString& type) {
    const auto rows = Database::open(path)->query(
        QStringLiteral("SELECT pageno FROM dbstat WHERE name = ? AND pagetype = ? LIMIT 1"),
        {name, type});
    return rows.isEmpty() ? 0 : rows.first().value(0).toLongLong();
}

constexpr qint64 kPageSize = 4096;  // the catalogue's

// Fills page `page` (from 1) with `byte`; false when it could not be written.
inline bool overwritePage(const QString& path, qint64 page, char byte = char(0xFF)) {
    QFile f(path);
    return page > 0 && f.open(QIODevice::ReadWrite) && f.seek((page - 1) * kPageSize) &&
           f.write(QByteArray(kPageSize, byte)) == kPageSize;
}

// Changes the text `from` to `to` (as long) wherever page `page` holds it: a page that
// still reads well, with wrong contents. False when nothing was changed.
inline bool rewritePage(const QString& path, qint64 page, const QByteArray& from,
                        const QByteArray& to) {
    QFile f(path);
    if (page <= 0 || from.size() != to.size() || !f.open(QIODevice::ReadWrite) ||
        !f.seek((page - 1) * kPageSize))
        return false;
    QByteArray bytes = f.read(kPageSize);
    if (!bytes.contains(from))
        return false;
    bytes.replace(from, to);
    return f.seek((page - 1) * kPageSize) && f.write(bytes) == kPageSize;
}

// The first page of the first overflow chain of table `name`: the pages a row too long for
// its leaf spills onto. Overwritten, it breaks the chain, so that row alone cannot be read.
// 0 when the table has none.
inline qint64 firstOverflowPageOf(const QString& path, const QString& name) {
    const auto rows = Database::open(path)->query(
        QStringLiteral("SELECT pageno FROM dbstat WHERE name = ? AND pagetype = 'overflow' "
                       "ORDER BY path LIMIT 1"),
        {name});
    return rows.isEmpty() ? 0 : rows.first().value(0).toLongLong();
}
