#include "transfer/Tellico.h"

#include <zip.h>

#include <QFile>
#include <QXmlStreamReader>
#include <memory>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "transfer/TellicoFormat.h"
#include "transfer/TextEncoding.h"

// Reading Tellico files; writing them is in TellicoExport.cpp.
namespace Tellico {

namespace {

const QString kSource = QStringLiteral("Tellico");
constexpr qint64 kChunk = 1 << 20;
constexpr int kKeywords = 5;

[[noreturn]] void fail(const QString& why) {
    throw AppError(ErrorCode::FileError, kSource, why);
}

[[noreturn]] void damaged(const QString& why) {
    fail(QStringLiteral("Il file Tellico è danneggiato o incompleto: %1.").arg(why));
}

// The length of the longest prefix that is whole, valid UTF-8; -1 when an invalid
// sequence comes first. A character cut by the end of the chunk waits for the next one.
qsizetype validUtf8Prefix(const QByteArray& bytes) {
    const qsizetype n = bytes.size();
    qsizetype cut = n;
    // Back up over at most three bytes of a sequence the chunk ends inside.
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const int need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (need > back)
            cut = n - back;
        break;
    }
    if (!TextEncoding::isValidUtf8(bytes.constData(), std::size_t(cut)))
        return -1;
    return cut;
}

struct ZipContent {
    zip_t* archive = nullptr;
    zip_file_t* file = nullptr;
    qint64 total = 0;
    ~ZipContent() {
        if (file)
            zip_fclose(file);
        if (archive)
            zip_discard(archive);
    }
};

// A member name that would land outside a folder it were unpacked into.
bool leavesFolder(const QString& name) {
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) ||
        (name.size() > 1 && name[1] == QLatin1Char(':')))
        return true;
    const QStringList parts =
        QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    return parts.contains(QStringLiteral(".."));
}

std::function<QByteArray()> openZip(const QString& path) {
    auto content = std::make_shared<ZipContent>();
    int error = 0;
    // No ZIP_CHECKCONS: zips written with data descriptors would fail it. A cut file
    // loses its central directory, and a damaged member fails its CRC when read.
    content->archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!content->archive)
        damaged(QStringLiteral("l'archivio zip non si legge"));
    const zip_int64_t count = zip_get_num_entries(content->archive, 0);
    zip_int64_t found = -1;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(content->archive, zip_uint64_t(i), 0);
        const QString name = raw ? QString::fromUtf8(raw) : QString();
        if (leavesFolder(name))
            fail(QStringLiteral("Il file Tellico contiene un percorso fuori dall'archivio (%1): "
                                "non viene importato.")
                     .arg(name));
        if (name == QLatin1String("tellico.xml"))
            found = i;
    }
    if (found < 0)
        damaged(QStringLiteral("manca tellico.xml"));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(content->archive, zip_uint64_t(found), 0, &stat) != 0)
        damaged(QStringLiteral("tellico.xml non si legge"));
    const auto tooBig = [] {
        fail(QStringLiteral("Il file Tellico si espande oltre 2 GB: non viene importato."));
    };
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(kMaxUnpacked))
        tooBig();
    content->file = zip_fopen_index(content->archive, zip_uint64_t(found), 0);
    if (!content->file)
        damaged(QStringLiteral("tellico.xml non si legge"));
    return [content, tooBig] {
        QByteArray chunk(kChunk, Qt::Uninitialized);
        const zip_int64_t n = zip_fread(content->file, chunk.data(), zip_uint64_t(chunk.size()));
        if (n < 0)
            damaged(QStringLiteral("tellico.xml non si legge fino in fondo"));
        content->total += n;
        // The declared size may lie.
        if (content->total > kMaxUnpacked)
            tooBig();
        chunk.truncate(qsizetype(n));
        return chunk;
    };
}

// Values of an entry into the archive's fields, in table order.
void cardOf(const Entry& entry, const ArchiveDef& archive, std::vector<std::string>& values) {
    values.assign(std::size_t(archive.tableOrder.size()), std::string());
    const auto put = [&](const QString& field, const QString& value) {
        const qsizetype i = archive.tableOrder.indexOf(field);
        if (i >= 0)
            values[std::size_t(i)] = value.toStdString();
    };
    for (const TellicoFormat::FieldMap& f : TellicoFormat::fieldsOf(archive.id)) {
        QStringList found = entry.value(f.element);
        if (f.shape != TellicoFormat::Shape::Single)
            found += entry.value(f.container());
        found.removeAll(QString());
        if (found.isEmpty())
            continue;
        switch (f.shape) {
            case TellicoFormat::Shape::Single:
            case TellicoFormat::Shape::Multiple:
                put(f.field, found.join(QStringLiteral("; ")));
                break;
            case TellicoFormat::Shape::Table:
                put(f.field, found.join(QStringLiteral("\r\n")));
                break;
            case TellicoFormat::Shape::Keywords:
                for (int k = 0; k < kKeywords && k < found.size(); ++k)
                    put(QStringLiteral("CHIAVE%1").arg(k + 1), found[k]);
                break;
        }
    }
}

std::vector<bool> mappedFields(const ArchiveDef& archive) {
    std::vector<bool> mapped(std::size_t(archive.tableOrder.size()), false);
    for (const TellicoFormat::FieldMap& f : TellicoFormat::fieldsOf(archive.id)) {
        if (f.shape == TellicoFormat::Shape::Keywords) {
            for (int k = 1; k <= kKeywords; ++k)
                if (const qsizetype i =
                        archive.tableOrder.indexOf(QStringLiteral("CHIAVE%1").arg(k));
                    i >= 0)
                    mapped[std::size_t(i)] = true;
        } else if (const qsizetype i = archive.tableOrder.indexOf(f.field); i >= 0) {
            mapped[std::size_t(i)] = true;
        }
    }
    return mapped;
}

CardImport::Result importFrom(Database& db, const std::function<QByteArray()>& content,
                              const std::function<void(Archive)>& chosen,
                              const CsvExport::Tick& tick) {
    std::unique_ptr<CardImport> import;
    const ArchiveDef* archive = nullptr;
    std::vector<std::string> values;
    qint64 entries = 0;
    parse(
        content,
        [&](int type) {
            const std::optional<Archive> a = TellicoFormat::archiveOf(type);
            if (!a)
                fail(QStringLiteral("Il file Tellico contiene una collezione di %1: si "
                                    "importano solo collezioni di libri, musica e video.")
                         .arg(TellicoFormat::collectionTypeName(type)));
            archive = &Archives::def(*a);
            if (chosen)
                chosen(*a);
            import = std::make_unique<CardImport>(db, *archive, mappedFields(*archive), false);
        },
        [&](const Entry& entry) {
            cardOf(entry, *archive, values);
            import->add(values);
            if ((++entries & 63) == 0 && tick && !tick(0, 0))
                throw AppError(ErrorCode::DialogCancelled, kSource,
                               QStringLiteral("Importazione annullata"));
        });
    if (!import)
        fail(QStringLiteral("Il file non contiene una collezione Tellico."));
    return import->commit();
}

}  // namespace

void parse(const std::function<QByteArray()>& next, const std::function<void(int type)>& collection,
           const std::function<void(const Entry&)>& entry) {
    QXmlStreamReader xml;
    QByteArray carry;
    bool seenBytes = false;
    const auto feed = [&] {
        QByteArray chunk = next();
        if (chunk.isEmpty()) {
            if (!carry.isEmpty())
                fail(QStringLiteral("Il file Tellico non è un testo UTF-8 valido."));
            return false;
        }
        seenBytes = true;
        chunk.prepend(carry);
        const qsizetype valid = validUtf8Prefix(chunk);
        if (valid < 0)
            fail(QStringLiteral("Il file Tellico non è un testo UTF-8 valido."));
        carry = chunk.mid(valid);
        chunk.truncate(valid);
        xml.addData(chunk);
        return true;
    };
    if (!feed() && !seenBytes)
        fail(QStringLiteral("Il file è vuoto."));

    int depth = 0;
    int entryDepth = -1;
    bool rootChecked = false;
    bool collectionSeen = false;
    bool inFirstCollection = false;
    Entry current;
    QString fieldName, fieldText, valueText, columnText;
    bool fieldHasValues = false;
    int column = -1;
    for (;;) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && feed())
                continue;
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                damaged(QStringLiteral("il testo XML finisce a metà"));
            fail(QStringLiteral("Il file Tellico non è un XML valido (riga %1: %2).")
                     .arg(xml.lineNumber())
                     .arg(xml.errorString()));
        }
        if (token == QXmlStreamReader::EndDocument)
            break;
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringView name = xml.name();
            if (!rootChecked) {
                if (name != QLatin1String("tellico"))
                    fail(QStringLiteral("Il file non è un file Tellico."));
                rootChecked = true;
            } else if (depth == 2 && name == QLatin1String("collection")) {
                inFirstCollection = !collectionSeen;
                if (!collectionSeen) {
                    collectionSeen = true;
                    bool ok = false;
                    const int type = xml.attributes().value(QStringLiteral("type")).toInt(&ok);
                    if (!ok)
                        fail(QStringLiteral("La collezione Tellico non dice di che tipo è."));
                    collection(type);
                }
            } else if (depth == 3 && inFirstCollection && name == QLatin1String("entry")) {
                entryDepth = depth;
                current.clear();
            } else if (entryDepth > 0 && depth == entryDepth + 1) {
                fieldName = name.toString();
                fieldText.clear();
                fieldHasValues = false;
            } else if (entryDepth > 0 && depth == entryDepth + 2) {
                fieldHasValues = true;
                valueText.clear();
                column = -1;
            } else if (entryDepth > 0 && depth == entryDepth + 3) {
                if (++column == 0)
                    columnText.clear();
            }
        } else if (token == QXmlStreamReader::Characters && entryDepth > 0) {
            if (depth == entryDepth + 1)
                fieldText += xml.text();
            else if (depth == entryDepth + 2)
                valueText += xml.text();
            else if (depth == entryDepth + 3 && column == 0)
                columnText += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            if (entryDepth > 0) {
                // A table row keeps its first column, not the layout around the columns.
                if (depth == entryDepth + 2)
                    current[fieldName] << (column >= 0 ? columnText : valueText);
                else if (depth == entryDepth + 1 && !fieldHasValues)
                    current[fieldName] << fieldText;
                else if (depth == entryDepth) {
                    entryDepth = -1;
                    entry(current);
                }
            }
            --depth;
        }
        // Entity references stay unresolved: nothing outside the file is read.
    }
    if (!collectionSeen)
        fail(QStringLiteral("Il file non contiene una collezione Tellico."));
}

std::function<QByteArray()> openContent(const QString& path) {
    auto file = std::make_shared<QFile>(path);
    if (!file->exists())
        throw fileNotFoundError(kSource, path);
    if (!file->open(QIODevice::ReadOnly))
        throw AppError(
            ErrorCode::FileError, kSource,
            QStringLiteral("Impossibile aprire il file %1: %2").arg(path, file->errorString()));
    if (file->size() == 0)
        fail(QStringLiteral("Il file è vuoto."));
    if (file->peek(4) == QByteArray("PK\x03\x04", 4) ||
        file->peek(4) == QByteArray("PK\x05\x06", 4)) {
        file->close();
        return openZip(path);
    }
    return [file] {
        const QByteArray chunk = file->read(kChunk);
        if (chunk.isEmpty() && file->error() != QFileDevice::NoError)
            damaged(file->errorString());
        return chunk;
    };
}

CardImport::Result importFile(Database& db, const QString& path,
                              const std::function<void(Archive)>& chosen,
                              const CsvExport::Tick& tick) {
    return importFrom(db, openContent(path), chosen, tick);
}

CardImport::Result importXml(Database& db, const QByteArray& xml) {
    bool given = false;
    return importFrom(db,
                      [&]() -> QByteArray {
                          if (given)
                              return {};
                          given = true;
                          return xml;
                      },
                      {}, {});
}

}  // namespace Tellico
