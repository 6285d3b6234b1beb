#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Reads the rows of a damaged SQLite file from its pages, without SQLite: a damaged page
// above the leaves hides nothing that is still on them. The file is only read, and every
// number in it is checked before it is used: the input may be any bytes at all.
namespace PageSalvage {

// One field of a row as the file stores it.
struct Value {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;  // text in the file's encoding, or a blob
};

// One entry of the file's own schema table.
struct SchemaEntry {
    QString type, name, table;
    qint64 rootPage = 0;
    QString sql;
};

struct Schema {
    std::vector<SchemaEntry> entries;
    bool complete = false;  // false: some of the schema's pages could not be read
};

// A table as the caller knows it: what its rows must look like to be given a page that no
// walk from a root reaches.
struct TableShape {
    QString name;
    qint64 rootPage = 0;  // 0 when not known
    int columns = 0;
    std::vector<bool> textOnly;  // per column: TEXT affinity, so only NULL, text or blob
};

struct TableOutcome {
    qint64 lost = 0;        // rows seen but unreadable, or rows that cannot be placed
    bool lostKnown = true;  // false when a page that may have held rows is unreadable
    // When not known and `bounded`: every row that could not be read had a rowid in one of
    // these ranges (lo, hi], taken from the keys of the pages above the damaged ones.
    std::vector<std::pair<qint64, qint64>> unreadable;
    bool bounded = false;
};

struct Outcome {
    std::vector<TableOutcome> tables;  // by index of the TableShape
    qint64 unassigned = 0;             // rows on stray pages that more than one table fits
    qint64 pagesRead = 0;
};

enum class Encoding { Utf8 = 1, Utf16le = 2, Utf16be = 3 };

class Reader {
public:
    // Raises AppError(FileError) when the file cannot be opened for reading.
    static std::unique_ptr<Reader> openFile(const QString& path);
    explicit Reader(QByteArray bytes);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    int pageSize() const { return pageSize_; }
    qint64 pageCount() const { return pageCount_; }
    Encoding encoding() const { return encoding_; }
    bool headerSound() const { return headerSound_; }

    Schema schema();

    // Rows in a fixed order: each table's rows reached from its root in key order, table by
    // table, then the rows of stray pages, by page number. A rowid may come more than once
    // (an old copy of a page); the caller keeps the first whole one, else the first. `cut`:
    // the row's overflow chain broke, and only what lay before the break came back (see
    // decodeRecord).
    using Sink =
        std::function<void(int table, qint64 rowid, const std::vector<Value>& values, bool cut)>;
    using Progress = std::function<void(qint64 pagesRead, qint64 pageCount)>;
    Outcome salvage(const std::vector<TableShape>& tables, const Sink& sink,
                    const Progress& progress = {});

    // How many entries the index b-tree from `root` holds (the rows of a table without
    // rowids); -1 when some page of it cannot be read.
    qint64 indexEntries(qint64 root);

    // Decodes a text field of this file to a QString.
    QString text(const Value& v) const;

private:
    explicit Reader(std::unique_ptr<QFile> file);
    void readHeader();
    bool readPage(qint64 page, QByteArray& out);

    std::unique_ptr<QFile> file_;
    QByteArray bytes_;
    qint64 size_ = 0;
    int pageSize_ = 4096;
    int usable_ = 4096;
    qint64 pageCount_ = 0;
    Encoding encoding_ = Encoding::Utf8;
    bool headerSound_ = false;
    qint64 pagesRead_ = 0;

    friend class Walker;
};

}  // namespace PageSalvage
