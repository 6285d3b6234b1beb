#include <QStringDecoder>
#include <algorithm>
#include <unordered_set>

#include "platform/core/AppError.h"
#include "platform/db/PageWalker.h"

namespace PageSalvage {

Reader::Reader(QByteArray bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {
    readHeader();
}

Reader::Reader(std::unique_ptr<QFile> file) : file_(std::move(file)), size_(file_->size()) {
    readHeader();
}

Reader::~Reader() = default;

std::unique_ptr<Reader> Reader::openFile(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw AppError(ErrorCode::FileError, QStringLiteral("PageSalvage"),
                       QStringLiteral("Impossibile leggere il file %1").arg(path));
    return std::unique_ptr<Reader>(new Reader(std::move(file)));
}

bool Reader::readPage(qint64 page, QByteArray& out) {
    if (page < 1 || page > pageCount_)
        return false;
    const qint64 offset = (page - 1) * pageSize_;
    ++pagesRead_;
    if (!file_) {
        out = bytes_.mid(offset, pageSize_);
    } else {
        out.resize(pageSize_);
        if (!file_->seek(offset) || file_->read(out.data(), pageSize_) != pageSize_)
            return false;
    }
    return out.size() == pageSize_;
}

void Reader::readHeader() {
    QByteArray header;
    if (file_) {
        header = file_->read(100);
    } else {
        header = bytes_.left(100);
    }
    const uchar* h = bytesOf(header);
    if (header.size() == 100 && header.startsWith(QByteArray("SQLite format 3\0", 16))) {
        int size = be16(h + 16);
        if (size == 1)
            size = 65536;
        const int reserved = h[20];
        if (size >= 512 && size <= 65536 && (size & (size - 1)) == 0 && size - reserved >= 480) {
            headerSound_ = true;
            pageSize_ = size;
            usable_ = size - reserved;
            if (h[56] >= 1 && h[56] <= 3)
                encoding_ = Encoding(h[56]);
        }
    }
    if (!headerSound_) {
        // The header is gone: take the page size at which pages read as b-tree pages. At
        // twice the true size every other true page still reads as one, so the smallest
        // size that does about as well as the best wins.
        std::vector<std::pair<int, double>> shares;
        double best = 0;
        for (int size = 512; size <= 65536; size *= 2) {
            pageSize_ = usable_ = size;
            pageCount_ = size_ / size;
            const qint64 last = std::min<qint64>(pageCount_, 2000);
            qint64 sound = 0;
            QByteArray page;
            for (qint64 p = 2; p <= last; ++p)
                if (readPage(p, page) && parsePage(page, p, usable_))
                    ++sound;
            const double share = last >= 2 ? double(sound) / double(last - 1) : 0;
            shares.emplace_back(size, share);
            best = std::max(best, share);
        }
        int bestSize = 4096;
        if (best > 0)
            for (const auto& [size, share] : shares)
                if (share >= best * 0.75) {
                    bestSize = size;
                    break;
                }
        pageSize_ = usable_ = bestSize;
    }
    pageCount_ = size_ / pageSize_;
    pagesRead_ = 0;
}

QString Reader::text(const Value& v) const {
    switch (encoding_) {
    case Encoding::Utf16le:
        return QStringDecoder(QStringDecoder::Utf16LE).decode(v.bytes);
    case Encoding::Utf16be:
        return QStringDecoder(QStringDecoder::Utf16BE).decode(v.bytes);
    case Encoding::Utf8:
        break;
    }
    return QString::fromUtf8(v.bytes);
}

Schema Reader::schema() {
    Schema out;
    const std::vector<TableShape> none;
    const Sink noSink;
    const Progress noProgress;
    Walker walker(*this, none, noSink, noProgress);
    Walker::WalkResult result;
    bool allCells = true;
    std::vector<Value> values;
    walker.walk(1, false, result, [&](const QByteArray& page, const PageView& v) {
        for (int i = 0; i < v.cells; ++i) {
            qint64 rowid = 0, size = 0;
            QByteArray payload;
            // An entry is taken whole or not at all: a cut statement could make another object.
            if (!walker.leafCell(page, v, i, false, rowid, payload, size) ||
                payload.size() != size || !decodeRecord(payload, size, encoding_, values) ||
                values.size() < 5 || values[3].kind != Value::Kind::Integer) {
                allCells = false;
                continue;
            }
            out.entries.push_back(
                {text(values[0]), text(values[1]), text(values[2]), values[3].integer,
                 values[4].kind == Value::Kind::Text ? text(values[4]) : QString()});
        }
    });
    out.complete = allCells && result.damage.empty();
    pagesRead_ = 0;
    return out;
}

qint64 Reader::indexEntries(qint64 root) {
    // Each entry lies on exactly one page, interior or leaf. A sound tree points at each of
    // its pages once, so a page met twice ends the count as surely as an unreadable one.
    std::vector<qint64> pending{root};
    std::unordered_set<qint64> met{root};
    qint64 entries = 0;
    QByteArray page;
    while (!pending.empty()) {
        const qint64 p = pending.back();
        pending.pop_back();
        if (p < 1 || p > pageCount_ || !readPage(p, page))
            return -1;
        const auto v = parsePage(page, p, usable_);
        if (!v || (v->type != kIndexLeaf && v->type != kIndexInterior))
            return -1;
        entries += v->cells;
        if (v->type == kIndexLeaf)
            continue;
        for (int i = 0; i <= v->cells; ++i) {
            const int cell = i < v->cells ? cellOffset(page, *v, i) : 0;
            if (cell + 4 > usable_)
                return -1;
            const qint64 child = i < v->cells ? be32(bytesOf(page) + cell) : v->rightChild;
            if (!met.insert(child).second)
                return -1;
            pending.push_back(child);
        }
    }
    return entries;
}

Outcome Reader::salvage(const std::vector<TableShape>& tables, const Sink& sink,
                        const Progress& progress) {
    pagesRead_ = 0;
    Walker walker(*this, tables, sink, progress);
    return walker.run();
}

}  // namespace PageSalvage
