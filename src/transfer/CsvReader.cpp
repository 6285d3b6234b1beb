#include "transfer/CsvReader.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

#include "platform/core/AppError.h"

namespace {

constexpr qint64 kChunk = 1 << 20;
const QString kSource = QStringLiteral("CsvReader");

// The delimiter is the candidate met most often, outside quotes, in the first line.
char guessDelimiter(const std::string& text) {
    int counts[3] = {0, 0, 0};
    const char candidates[3] = {',', ';', '\t'};
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted)
            for (int k = 0; k < 3; ++k)
                if (c == candidates[k])
                    ++counts[k];
    }
    const int best = int(std::max_element(counts, counts + 3) - counts);
    return counts[best] > 0 ? candidates[best] : ',';
}

}  // namespace

// A read allocates what it asks for: no more than the file still holds.
QByteArray CsvReader::readChunk() {
    const qint64 left = in_.bytesAvailable();
    if (left <= 0 && !in_.isSequential())
        return {};
    return in_.read(left > 0 ? std::min(left, kChunk) : kChunk);
}

CsvReader::CsvReader(QIODevice& in) : in_(in) {
    raw_ = readChunk();
    consumed_ = raw_.size();
    encoding_ = TextEncoding::detect(raw_);
    if (encoding_ == TextEncoding::Kind::Utf16LE)
        utf16_.emplace(QStringConverter::Utf16LE);
    else if (encoding_ == TextEncoding::Kind::Utf16BE)
        utf16_.emplace(QStringConverter::Utf16BE);
    raw_.remove(0, TextEncoding::bomLength(encoding_));
    refill();
    delimiter_ = guessDelimiter(buf_.substr(0, std::min<std::size_t>(buf_.size(), 65536)));
    Row first;
    int fields = 0;
    while (readRecord(first, fields)) {
        if (fields == 1 && first[0].empty())
            continue;
        for (int i = 0; i < fields; ++i) {
            QString name = QString::fromUtf8(first[std::size_t(i)]).trimmed();
            if (name.isEmpty())
                name = QStringLiteral("Colonna %1").arg(i + 1);
            header_ << name;
        }
        return;
    }
    throw AppError(ErrorCode::FileError, kSource, QStringLiteral("Il file è vuoto."));
}

// Moves the next chunk of the file, decoded, behind what is left to parse.
bool CsvReader::refill() {
    if (pos_ > 0) {
        buf_.erase(0, pos_);
        pos_ = 0;
    }
    if (raw_.isEmpty() && !eof_) {
        raw_ = readChunk();
        consumed_ += raw_.size();
    }
    if (raw_.isEmpty()) {
        eof_ = true;
        return false;
    }
    if (utf16_) {
        const QString text = utf16_->decode(raw_);
        const QByteArray utf8 = text.toUtf8();
        buf_.append(utf8.constData(), std::size_t(utf8.size()));
    } else if (encoding_ == TextEncoding::Kind::Windows1252) {
        TextEncoding::appendWindows1252(buf_, raw_.constData(), std::size_t(raw_.size()));
    } else {
        buf_.append(raw_.constData(), std::size_t(raw_.size()));
    }
    raw_.clear();
    return true;
}

int CsvReader::peek() {
    if (pos_ == buf_.size() && !refill())
        return -1;
    return static_cast<unsigned char>(buf_[pos_]);
}

int CsvReader::get() {
    const int c = peek();
    if (c >= 0)
        ++pos_;
    return c;
}

void CsvReader::fail(int line, const QString& what) const {
    throw AppError(ErrorCode::FileError, kSource,
                   QStringLiteral("Il file non è un CSV valido: riga %1, %2.").arg(line).arg(what));
}

// A field that is not valid UTF-8 in a file that looked like UTF-8 (or said so) is taken
// as Windows-1252: a spreadsheet saved mostly plain letters before the first accent.
void CsvReader::finishField(std::string& field) const {
    if (encoding_ != TextEncoding::Kind::Utf8 && encoding_ != TextEncoding::Kind::Utf8Bom)
        return;
    bool ascii = true;
    for (char c : field)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii || TextEncoding::isValidUtf8(field.data(), field.size()))
        return;
    std::string converted;
    TextEncoding::appendWindows1252(converted, field.data(), field.size());
    field.swap(converted);
}

bool CsvReader::readRecord(Row& row, int& fields) {
    fields = 0;
    if (peek() < 0)
        return false;
    rowLine_ = line_;
    for (;;) {
        if (std::size_t(fields) == row.size())
            row.emplace_back();
        std::string& field = row[std::size_t(fields++)];
        field.clear();
        if (peek() == '"') {
            get();
            const int startLine = line_;
            for (;;) {
                // Copy up to the next quote in one go.
                if (pos_ == buf_.size() && !refill())
                    fail(startLine, QStringLiteral("virgolette aperte e mai chiuse"));
                const char* begin = buf_.data() + pos_;
                const char* end = buf_.data() + buf_.size();
                const char* quote =
                    static_cast<const char*>(std::memchr(begin, '"', std::size_t(end - begin)));
                const char* stop = quote ? quote : end;
                if (std::memchr(begin, '\0', std::size_t(stop - begin)))
                    fail(line_, QStringLiteral("il contenuto non è testo"));
                line_ += int(std::count(begin, stop, '\n'));
                field.append(begin, std::size_t(stop - begin));
                pos_ += std::size_t(stop - begin);
                if (!quote)
                    continue;
                get();
                if (peek() == '"') {
                    get();
                    field += '"';
                    continue;
                }
                break;
            }
            finishField(field);
            const int c = get();
            if (c == delimiter_)
                continue;
            if (c == '\r') {
                if (peek() == '\n')
                    get();
                ++line_;
                return true;
            }
            if (c == '\n') {
                ++line_;
                return true;
            }
            if (c < 0)
                return true;
            fail(line_, QStringLiteral("testo dopo le virgolette di chiusura"));
        }
        for (;;) {
            if (pos_ == buf_.size() && !refill()) {
                finishField(field);
                return true;
            }
            const char* begin = buf_.data() + pos_;
            const char* end = buf_.data() + buf_.size();
            const char* p = begin;
            while (p != end && *p != delimiter_ && *p != '\n' && *p != '\r' && *p != '\0')
                ++p;
            field.append(begin, std::size_t(p - begin));
            pos_ += std::size_t(p - begin);
            if (p == end)
                continue;
            const char c = *p;
            ++pos_;
            if (c == '\0')
                fail(line_, QStringLiteral("il contenuto non è testo"));
            finishField(field);
            if (c == delimiter_)
                break;
            if (c == '\r' && peek() == '\n')
                get();
            ++line_;
            return true;
        }
    }
}

bool CsvReader::next(Row& row) {
    const std::size_t width = std::size_t(header_.size());
    int fields = 0;
    while (readRecord(spare_, fields)) {
        if (fields == 1 && spare_[0].empty())
            continue;  // a blank line
        for (std::size_t i = width; i < std::size_t(fields); ++i)
            if (!spare_[i].empty())
                fail(rowLine_, QStringLiteral("%1 campi, ma la prima riga ne nomina %2")
                                   .arg(fields)
                                   .arg(width));
        row.resize(width);
        for (std::size_t i = 0; i < width; ++i) {
            if (i < std::size_t(fields))
                row[i].swap(spare_[i]);
            else
                row[i].clear();
        }
        return true;
    }
    return false;
}
