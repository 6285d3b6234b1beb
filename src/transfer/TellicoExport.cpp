#include "transfer/Tellico.h"

#include <sqlite3.h>
#include <zip.h>

#include <QFile>
#include <QTemporaryFile>
#include <QXmlStreamWriter>

#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "transfer/TellicoFormat.h"

// Writing Tellico files; reading them is in Tellico.cpp.
namespace Tellico {

namespace {

const QString kSource = QStringLiteral("Tellico");
constexpr int kKeywords = 5;

[[noreturn]] void fail(const QString& why) {
    throw AppError(ErrorCode::FileError, kSource, why);
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

bool canExport(Archive archive) {
    return TellicoFormat::collectionTypeOf(archive) != 0;
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
