#include "transfer/Tellico.h"

#include <sqlite3.h>
#include <zip.h>

#include <QFile>
#include <QTemporaryFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <memory>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "transfer/TellicoFormat.h"
#include "transfer/TextEncoding.h"

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

QString text(sqlite3_stmt* st, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, column)) : QString();
}

QStringList lines(const QString& value) {
    QStringList out;
    for (const QString& line : value.split(QLatin1Char('\n')))
        if (const QString l = line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
            !l.isEmpty())
            out << l;
    return out;
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

// XML readers turn a CR LF into LF; a card's line breaks stay CR LF as character
// references.
void writeText(QXmlStreamWriter& w, const QString& element, const QString& value) {
    w.writeStartElement(element);
    const QStringList parts = value.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            w.writeEntityReference(QStringLiteral("#13"));
        if (!parts[i].isEmpty())
            w.writeCharacters(parts[i]);
    }
    w.writeEndElement();
}

void writeField(QXmlStreamWriter& w, const TellicoFormat::FieldMap& f) {
    using TellicoFormat::Shape;
    w.writeStartElement(QStringLiteral("field"));
    w.writeAttribute(QStringLiteral("name"), f.element);
    w.writeAttribute(QStringLiteral("title"), f.title);
    w.writeAttribute(QStringLiteral("category"),
                     f.paragraph || f.shape == Shape::Table ? f.title : QStringLiteral("Raccolio"));
    const int type = f.shape == Shape::Table ? 8 : f.paragraph ? 2 : 1;
    w.writeAttribute(QStringLiteral("type"), QString::number(type));
    // 1 = several values, 2 = grouped by them, 4 = completion
    const int flags = f.shape == Shape::Multiple || f.shape == Shape::Keywords ? 7 : 0;
    w.writeAttribute(QStringLiteral("flags"), QString::number(flags));
    w.writeAttribute(QStringLiteral("format"), QStringLiteral("4"));  // left as written
    w.writeAttribute(QStringLiteral("i18n"), QStringLiteral("false"));
    if (f.shape == Shape::Table) {
        w.writeStartElement(QStringLiteral("prop"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("columns"));
        w.writeCharacters(QStringLiteral("1"));
        w.writeEndElement();
    }
    w.writeEndElement();
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
        throw AppError(ErrorCode::FileNotFound, kSource,
                       QStringLiteral("File non trovato: %1").arg(path));
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

bool canExport(Archive archive) {
    return TellicoFormat::collectionTypeOf(archive) != 0;
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

void writeXml(Database& db, const ArchiveDef& archive, QIODevice& out, const CsvExport::Tick& tick,
              qint64* written, const QString& table) {
    using TellicoFormat::Shape;
    const int type = TellicoFormat::collectionTypeOf(archive.id);
    if (type == 0)
        fail(QStringLiteral("L'archivio %1 non ha una collezione corrispondente in Tellico.")
                 .arg(archive.caption));
    const std::vector<TellicoFormat::FieldMap>& fields = TellicoFormat::fieldsOf(archive.id);
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeDTD(
        QStringLiteral("<!DOCTYPE tellico PUBLIC \"-//Robby Stephenson/DTD Tellico V11.0//EN\" "
                       "\"http://periapsis.org/tellico/dtd/v11/tellico.dtd\">"));
    w.writeStartElement(QStringLiteral("tellico"));
    w.writeDefaultNamespace(QStringLiteral("http://periapsis.org/tellico/"));
    w.writeAttribute(QStringLiteral("syntaxVersion"), QStringLiteral("11"));
    w.writeStartElement(QStringLiteral("collection"));
    w.writeAttribute(QStringLiteral("title"), archive.caption);
    w.writeAttribute(QStringLiteral("type"), QString::number(type));
    w.writeStartElement(QStringLiteral("fields"));
    for (const TellicoFormat::FieldMap& f : fields)
        writeField(w, f);
    w.writeEndElement();

    Statement select =
        db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                       .arg(CsvExport::selectList(db, archive, table),
                            Database::quoteIdentifier(table.isEmpty() ? archive.table : table)));
    qint64 id = 0;
    while (select.step()) {
        const auto value = [&](const QString& field) {
            const qsizetype i = archive.tableOrder.indexOf(field);
            return i < 0 ? QString() : text(select.get(), int(i));
        };
        w.writeStartElement(QStringLiteral("entry"));
        w.writeAttribute(QStringLiteral("id"), QString::number(++id));
        for (const TellicoFormat::FieldMap& f : fields) {
            QStringList values;
            switch (f.shape) {
                case Shape::Single:
                    values << value(f.field);
                    break;
                case Shape::Multiple:
                    values = value(f.field).split(QStringLiteral("; "));
                    break;
                case Shape::Table:
                    values = lines(value(f.field));
                    break;
                case Shape::Keywords:
                    for (int k = 1; k <= kKeywords; ++k)
                        values << value(QStringLiteral("CHIAVE%1").arg(k));
                    break;
            }
            values.removeAll(QString());
            if (values.isEmpty())
                continue;
            if (f.shape == Shape::Single) {
                writeText(w, f.element, values.first());
                continue;
            }
            w.writeStartElement(f.container());
            for (const QString& v : values) {
                if (f.shape == Shape::Table) {
                    w.writeStartElement(f.element);
                    writeText(w, QStringLiteral("column"), v);
                    w.writeEndElement();
                } else {
                    writeText(w, f.element, v);
                }
            }
            w.writeEndElement();
        }
        w.writeEndElement();
        if ((id & 255) == 0 && tick && !tick(id, 0))
            throw AppError(ErrorCode::DialogCancelled, kSource,
                           QStringLiteral("Esportazione annullata"));
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    if (w.hasError())
        fail(QStringLiteral("Impossibile scrivere il file Tellico."));
    if (written)
        *written = id;
}

qint64 exportFile(Database& db, const ArchiveDef& archive, const QString& path,
                  const CsvExport::Tick& tick, const QString& table) {
    // The XML goes to a temporary file first, so a million cards need no room in memory.
    QTemporaryFile xml(path + QStringLiteral(".XXXXXX.xml"));
    if (!xml.open())
        fail(QStringLiteral("Impossibile creare il file %1: %2.")
                 .arg(xml.fileName(), xml.errorString()));
    qint64 written = 0;
    writeXml(db, archive, xml, tick, &written, table);
    if (!xml.flush())
        fail(QStringLiteral("Impossibile scrivere il file %1: %2.")
                 .arg(xml.fileName(), xml.errorString()));

    // libzip writes a temporary file beside the target and renames it over the target
    // only once complete.
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        fail(QStringLiteral("Impossibile creare il file %1.").arg(path));
    zip_source_t* source =
        zip_source_file(zip, QFile::encodeName(xml.fileName()).constData(), 0, -1);
    if (!source ||
        zip_file_add(zip, "tellico.xml", source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        if (source)
            zip_source_free(source);
        zip_discard(zip);
        fail(QStringLiteral("Impossibile scrivere il file %1.").arg(path));
    }
    if (zip_close(zip) != 0) {
        const QString why = QString::fromUtf8(zip_strerror(zip));
        zip_discard(zip);
        fail(QStringLiteral("Impossibile scrivere il file %1: %2.").arg(path, why));
    }
    return written;
}

}  // namespace Tellico
