#include <zip.h>

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "test_support/ErrorOf.h"
#include "test_support/FileBytes.h"
#include "test_support/TempProgramFolder.h"
#include "transfer/Tellico.h"

namespace {

const QString kDtd = QStringLiteral("/usr/share/tellico/tellico.dtd");

// A zip of the given members, made with the same library the program reads with.
void writeZip(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& members) {
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(zip);
    QList<QByteArray> keep;
    for (const auto& [name, data] : members) {
        keep << data;
        zip_source_t* src =
            zip_source_buffer(zip, keep.last().constData(), zip_uint64_t(data.size()), 0);
        QVERIFY(zip_file_add(zip, name.constData(), src, ZIP_FL_OVERWRITE) >= 0);
    }
    QCOMPARE(zip_close(zip), 0);
}

QByteArray bookXml(const QByteArray& title, const QByteArray& doctype = {}, int type = 2) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + doctype +
           "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">"
           "<collection title=\"Libri\" type=\"" +
           QByteArray::number(type) +
           "\">"
           "<fields><field name=\"_default\"/></fields>"
           "<entry id=\"1\"><title>" +
           title +
           "</title>"
           "<authors><author>Calvino, Italo</author><author>Eco</author></authors>"
           "<pub_year>1957</pub_year><publisher>Einaudi</publisher>"
           "<genres><genre>Narrativa</genre></genres>"
           "<keywords><keyword>a</keyword><keyword>b</keyword><keyword>c</keyword>"
           "<keyword>d</keyword><keyword>e</keyword><keyword>f</keyword></keywords>"
           "<comments>Bello</comments><isbn>88-06</isbn></entry>"
           "</collection></tellico>";
}

}  // namespace

class TestTellico : public QObject {
    Q_OBJECT
private slots:
    void importsABookCollection() {
        TempProgramFolder folder;
        auto db = Database::open(folder.cataloguePath());
        // An external entity is left unresolved: nothing is read from disk.
        const QByteArray doctype =
            "<!DOCTYPE tellico [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]>\n";
        writeZip(folder.file("libri.tc"),
                 {{"tellico.xml", bookXml("Il barone &secret; rampante", doctype)}});
        Archive chosen = Archive::Media;
        const CardImport::Result r =
            Tellico::importFile(*db, folder.file("libri.tc"), [&](Archive a) { chosen = a; });
        QCOMPARE(chosen, Archive::Books);
        QCOMPARE(r.imported, 1);
        const QString title = folder.column("LIBRI", "TITOLO").value(0);
        QVERIFY2(title.startsWith("Il barone") && !title.contains("root"), qPrintable(title));
        QCOMPARE(folder.column("LIBRI", "AUTORE"), QStringList{"Calvino, Italo; Eco"});
        QCOMPARE(folder.column("LIBRI", "ANNO"), QStringList{"1957"});
        QCOMPARE(folder.column("LIBRI", "NOTE"), QStringList{"Bello"});
        // Keywords fill CHIAVE1..CHIAVE5 as far as they go.
        QCOMPARE(folder.column("LIBRI", "CHIAVE5"), QStringList{"e"});
        QVERIFY(folder.column("AUTORI", "SOMMA").contains("Calvino, Italo; Eco"));
    }

    void exportThenImportGivesTheSameCards_data() {
        QTest::addColumn<int>("archive");
        QTest::newRow("Biblioteca") << int(Archive::Books);
        QTest::newRow("Musica") << int(Archive::Music);
        QTest::newRow("Video") << int(Archive::Videos);
    }

    void exportThenImportGivesTheSameCards() {
        QFETCH(int, archive);
        const ArchiveDef& def = Archives::def(Archive(archive));
        QList<int> cards = {0, 0, 0, 0};
        cards[archive] = 3;
        TempProgramFolder folder(cards);
        auto db = Database::open(folder.cataloguePath());
        // Lists, lines, markup characters and accents; an empty field.
        for (const QString& f : def.tableOrder)
            db->query(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = 2").arg(def.table, f),
                      {f + QStringLiteral(" <città> & \"uno\"; due")});
        for (const char* f : {"NOTE", "ATTORI", "CANZONI"})
            if (def.tableOrder.contains(f))
                db->query(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = 3").arg(def.table, f),
                          {QStringLiteral("prima riga\r\nseconda riga")});
        db->query(QStringLiteral("UPDATE %1 SET TITOLO = NULL WHERE rowid = 1").arg(def.table));
        QList<QStringList> before;
        for (const QString& f : def.tableOrder)
            before << folder.column(def.table, f);

        QCOMPARE(Tellico::exportFile(*db, def, folder.file("out.tc")), 3);
        db->exec(QStringLiteral("DELETE FROM %1").arg(def.table));
        QCOMPARE(Tellico::importFile(*db, folder.file("out.tc"), {}).imported, 3);
        for (int i = 0; i < def.tableOrder.size(); ++i)
            QCOMPARE(folder.column(def.table, def.tableOrder[i]), before[i]);
    }

    void exportIsValidAgainstTellicosDtd() {
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (!QFile::exists(kDtd) || xmllint.isEmpty())
            QSKIP("Tellico's DTD (tellico-data) or xmllint (libxml2-utils) is not installed");
        TempProgramFolder folder({2, 2, 0, 2});
        auto db = Database::open(folder.cataloguePath());
        for (Archive a : {Archive::Books, Archive::Music, Archive::Videos}) {
            const QString path = folder.file(Archives::def(a).table + ".xml");
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            Tellico::writeXml(*db, Archives::def(a), out);
            out.close();
            QProcess lint;
            lint.start(xmllint, {"--noout", "--nonet", "--dtdvalid", kDtd, path});
            QVERIFY(lint.waitForFinished(30000));
            QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
        }
        // And what a .tc holds is that XML.
        QCOMPARE(Tellico::exportFile(*db, Archives::def(Archive::Books), folder.file("b.tc")), 2);
        QVERIFY(readBytes(folder.file("b.tc")).startsWith("PK"));
    }

    void refusesBadFilesStoringNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        // The kind of damage, and a word of what the refusal says.
        const std::pair<const char*, const char*> rows[] = {
            {"empty", "vuoto"},   {"truncated", "danneggiato"},
            {"outside", "fuori"}, {"bomb", "2 GB"},
            {"utf8", "UTF-8"},    {"comics", "fumetti"},
            {"garbage", "XML"}};
        for (const auto& [kind, words] : rows)
            QTest::newRow(kind) << QString::fromLatin1(kind) << QString::fromLatin1(words);
    }

    void refusesBadFilesStoringNothing() {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        TempProgramFolder folder;
        auto db = Database::open(folder.cataloguePath());
        const QString path = folder.file("in.tc");
        const QByteArray good = bookXml("Primo");
        if (kind == "empty") {
            writeBytes(path, {});
        } else if (kind == "truncated") {
            writeZip(path, {{"tellico.xml", good}});
            const QByteArray whole = readBytes(path);
            writeBytes(path, whole.left(whole.size() - 30));
        } else if (kind == "outside") {
            writeZip(path, {{"tellico.xml", good}, {"../../evil.xml", "x"}});
        } else if (kind == "bomb") {
            writeZip(path, {{"tellico.xml", good}});
            // Patch the sizes written in both headers to 3 GB: what a bomb declares.
            QByteArray bytes = readBytes(path);
            const QByteArray size("\x00\x00\x00\xC0", 4);
            const qsizetype local = bytes.indexOf("PK\x03\x04");
            const qsizetype central = bytes.indexOf("PK\x01\x02");
            QVERIFY(local >= 0 && central >= 0);
            bytes.replace(local + 22, 4, size);
            bytes.replace(central + 24, 4, size);
            writeBytes(path, bytes);
        } else if (kind == "utf8") {
            QByteArray xml = good;
            xml.replace("Bello", "Bel\xC3\x28lo");
            writeBytes(path, xml);
        } else if (kind == "comics") {
            writeBytes(path, bookXml("Primo", {}, 6));
        } else {
            writeBytes(path, good.left(good.size() / 2) + "<<<>");
        }
        QString description;
        QCOMPARE(errorOf([&] { Tellico::importFile(*db, path, {}); }, &description),
                 ErrorCode::FileError);
        QVERIFY2(description.contains(words), qPrintable(description));
        QCOMPARE(folder.count("LIBRI"), 0);
        QCOMPARE(folder.count("AUTORI"), 1);
    }
};

QTEST_GUILESS_MAIN(TestTellico)
#include "tst_tellico.moc"
