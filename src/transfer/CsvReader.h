#pragma once

#include <QString>
#include <QStringConverter>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "transfer/TextEncoding.h"

class QIODevice;

// A CSV file read as a stream (RFC 4180: quoted fields may hold delimiters, quotes and
// line breaks). The first row names the columns; the delimiter (comma, semicolon or tab)
// and the encoding are found from the start of the file. Every field comes out as UTF-8.
//
// A malformed file raises AppError(FileError) naming the line: an unclosed quote, text
// after a closing quote, binary content, a row with more (non-empty) fields than the
// first row names.
class CsvReader {
public:
    using Row = std::vector<std::string>;

    // Reads the first row; an empty file is refused.
    explicit CsvReader(QIODevice& in);
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    const QStringList& header() const { return header_; }
    char delimiter() const { return delimiter_; }
    TextEncoding::Kind encoding() const { return encoding_; }

    // The next row, with exactly header().size() fields (missing ones empty); false at the
    // end. Blank lines are passed over.
    bool next(Row& row);
    int rowLine() const { return rowLine_; }  // line (from 1) where the last row began
    qint64 bytesRead() const { return consumed_; }

private:
    bool readRecord(Row& row, int& fields);
    bool refill();
    QByteArray readChunk();
    int get();
    int peek();
    [[noreturn]] void fail(int line, const QString& what) const;
    void finishField(std::string& field) const;

    QIODevice& in_;
    TextEncoding::Kind encoding_ = TextEncoding::Kind::Utf8;
    std::optional<QStringDecoder> utf16_;
    QByteArray raw_;
    std::string buf_;  // decoded UTF-8 not yet parsed
    std::size_t pos_ = 0;
    bool eof_ = false;
    qint64 consumed_ = 0;
    char delimiter_ = ',';
    QStringList header_;
    int line_ = 1;
    int rowLine_ = 0;
    Row spare_;
};
