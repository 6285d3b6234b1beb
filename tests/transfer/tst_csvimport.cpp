#include <QBuffer>
#include <QTest>

#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "registers/AuthorsRegister.h"
#include "test_support/ErrorOf.h"
#include "test_support/TempProgramFolder.h"
#include "transfer/ColumnMapping.h"
#include "transfer/CsvExport.h"
#include "transfer/CsvImport.h"
#include "transfer/CsvReader.h"

namespace {

struct Parsed {
    QStringList header;
    QList<QStringList> rows;
    char delimiter = 0;
};

std::unique_ptr<QBuffer> reading(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

Parsed parse(const QByteArray& bytes) {
    const auto buffer = reading(bytes);
    CsvReader reader(*buffer);
    Parsed p{reader.header(), {}, reader.delimiter()};
    CsvReader::Row row;
    while (reader.next(row)) {
        QStringList r;
        for (const std::string& f : row)
            r << QString::fromStdString(f);
        p.rows << r;
    }
    return p;
}

QByteArray utf16le(const QString& text) {
    QByteArray out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return out;
}

const ArchiveDef& books() {
    return Archives::def(Archive::Books);
}

CardImport::Result importCsv(Database& db, const QByteArray& bytes, bool skip = false,
                             const CsvExport::Tick& tick = {}) {
    const ColumnMapping mapping(books(), CsvImport::preview(*reading(bytes)).columns);
    return CsvImport::run(db, books(), *reading(bytes), mapping, skip, tick);
}

}  // namespace

class TestCsvImport : public QObject {
    Q_OBJECT
private slots:
    void readsTheDialects_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<char>("delimiter");
        QTest::newRow("utf-8, comma, quotes with comma, quote and line break")
            << QByteArray("Titolo,Note\r\n\"Uno, due\",\"a \"\"b\"\"\r\nc\"\r\nCittà,\r\n") << ',';
        QTest::newRow("utf-8 with BOM, semicolon")
            << QByteArray("\xEF\xBB\xBFTitolo;Note\n\"Uno, due\";\"a \"\"b\"\"\r\nc\"\nCittà;")
            << ';';
        QTest::newRow("utf-16 with BOM, tab")
            << utf16le(QStringLiteral(
                   "Titolo\tNote\r\n\"Uno, due\"\t\"a \"\"b\"\"\r\nc\"\r\nCittà\t\r\n"))
            << '\t';
        QTest::newRow("windows-1252, semicolon, blank lines, no final line break")
            << QByteArray("Titolo;Note\r\n\r\n\"Uno, due\";\"a \"\"b\"\"\r\nc\"\r\nCitt\xE0;")
            << ';';
        // Plain ASCII for longer than the look at the start: the accent comes late.
        QTest::newRow("looks like utf-8, windows-1252 further on")
            << QByteArray("Titolo;Note\r\n") + QByteArray(1200000, '\n') +
                   QByteArray("\"Uno, due\";\"a \"\"b\"\"\r\nc\"\r\nCitt\xE0;")
            << ';';
        QTest::newRow("a UTF-8 mark, yet a windows-1252 accent")
            << QByteArray("\xEF\xBB\xBFTitolo;Note\n\"Uno, due\";\"a \"\"b\"\"\r\nc\"\nCitt\xE0;")
            << ';';
    }

    void readsTheDialects() {
        QFETCH(QByteArray, bytes);
        QFETCH(char, delimiter);
        const Parsed p = parse(bytes);
        QCOMPARE(p.delimiter, delimiter);
        QCOMPARE(p.header, (QStringList{QStringLiteral("Titolo"), QStringLiteral("Note")}));
        QCOMPARE(p.rows.size(), 2);
        QCOMPARE(p.rows[0],
                 (QStringList{QStringLiteral("Uno, due"), QStringLiteral("a \"b\"\r\nc")}));
        QCOMPARE(p.rows[1], (QStringList{QStringLiteral("Città"), QString()}));
    }

    void refusesMalformedFilesNamingTheLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("words");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("vuoto");
        QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF") << QStringLiteral("vuoto");
        QTest::newRow("unclosed quote at the end")
            << QByteArray("a,b\n1,2\n3,\"open\nstill\n") << QStringLiteral("riga 3");
        QTest::newRow("more fields than the header")
            << QByteArray("a,b\n1,2\n\"x\ny\",2\n1,2,3\n") << QStringLiteral("riga 5");
        QTest::newRow("binary") << QByteArray("a,b\n1,2\n\x89PNG\0\0\x1A", 16)
                                << QStringLiteral("riga 3");
        QTest::newRow("text after a closing quote")
            << QByteArray("a,b\n\"1\"x,2\n") << QStringLiteral("riga 2");
    }

    void refusesMalformedFilesNamingTheLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, words);
        QString description;
        QCOMPARE(errorOf([&] { parse(bytes); }, &description), ErrorCode::FileError);
        QVERIFY2(description.contains(words), qPrintable(description));
    }

    void guessesFieldsFromUsualColumnNames() {
        // By field name, by card label (case and accents aside), by another program's name;
        // and nothing for a column with no field.
        const std::tuple<Archive, const char*, const char*> guesses[] = {
            {Archive::Books, "sottotitolo", "SOTTOTITOLO"},
            {Archive::Books, "Casa editrice", "EDITORE"},
            {Archive::Videos, "Nazionalita", "NAZIONE"},
            {Archive::Music, "Artist", "AUTORE"},
            {Archive::Books, "ISBN13", ""}};
        for (const auto& [archive, column, field] : guesses) {
            const ArchiveDef& def = Archives::def(archive);
            const int i = ColumnMapping::guessField(def, QString::fromLatin1(column));
            QCOMPARE(i < 0 ? QString() : def.tableOrder[i], QString::fromLatin1(field));
        }
    }

    void storesAllRowsJoiningColumnsAndAddingListWords() {
        TempProgramFolder folder({1, 0, 0, 0});
        auto db = Database::open(folder.cataloguePath());
        const int topics = folder.count("ARG1");
        const CardImport::Result r = importCsv(*db,
                                               "Title,Author,Additional Authors,Subject,Keywords\n"
                                               "Primo,Rossi,,Storia,Raro\n"
                                               "Secondo,Bianchi,Verdi,Alchimia,Nuova parola\n"
                                               "Terzo,,,Alchimia,\n");
        QCOMPARE(r.imported, 3);
        QCOMPARE(r.skipped, 0);
        // Rossi, Bianchi and Alchimia and "Nuova parola" are new; Storia and Raro were there.
        QCOMPARE(r.wordsAdded, 4);
        QCOMPARE(folder.column("LIBRI", "TITOLO").mid(1),
                 (QStringList{"Primo", "Secondo", "Terzo"}));
        QCOMPARE(folder.column("LIBRI", "AUTORE").mid(1), (QStringList{"Rossi", "Bianchi", ""}));
        QCOMPARE(folder.count("ARG1"), topics + 1);
        QVERIFY(folder.column("AUTORI", "SOMMA").contains("Bianchi"));
        QVERIFY(folder.column("CHIAVE", "CHIAVE").contains("Nuova parola"));

        // The column guessed as nothing is left out; a second column on a field is joined.
        ColumnMapping mapping(
            books(), CsvImport::preview(*reading("Titolo,Author,Autore\nX,Uno,Due\n")).columns);
        std::vector<std::string> values;
        mapping.apply({"X", "Uno", "Due"}, values);
        QCOMPARE(values[std::size_t(books().tableOrder.indexOf("AUTORE"))],
                 std::string("Uno; Due"));
    }

    void newAuthorsKeepTheirNamesInTheRegister() {
        TempProgramFolder folder({0, 0, 0, 0});
        importCsv(*Database::open(folder.cataloguePath()),
                  "Title,Author\nPrimo,De Luca Anna\nSecondo,Omero\n");
        const QStringList names = folder.column("AUTORI", "SOMMA");
        // Paging through the register writes nothing back.
        DataSource source;
        source.setDatabaseName(QStringLiteral("RACCOLIO.MDB"));
        AuthorsRegister reg(source, folder.services);
        reg.load(AuthorsRegister::Order::BySurname);
        for (int i = 1; i < reg.count(); ++i)
            reg.next();
        reg.first();
        QCOMPARE(folder.column("AUTORI", "SOMMA"), names);
        QCOMPARE(names.mid(names.size() - 2), (QStringList{"De Luca Anna", "Omero"}));
        // Split into the names the register rebuilds the full name from.
        QCOMPARE(folder.column("AUTORI", "COGNOME").mid(names.size() - 2),
                 (QStringList{"De", "Omero"}));
        QCOMPARE(folder.column("AUTORI", "NOME").mid(names.size() - 2),
                 (QStringList{"Luca Anna", ""}));
    }

    void storesNothingOnABadLineOrACancel() {
        TempProgramFolder folder({2, 0, 0, 0});
        auto db = Database::open(folder.cataloguePath());
        const int words = folder.count("ARG1");
        QByteArray good = "Titolo,Argomento\n";
        for (int i = 0; i < 2000; ++i)
            good += "Libro " + QByteArray::number(i) + ",Nuovo argomento\n";

        QString description;
        QCOMPARE(errorOf([&] { importCsv(*db, good + "Ultimo,x,troppo\n"); }, &description),
                 ErrorCode::FileError);
        QVERIFY2(description.contains(QStringLiteral("riga 2002")), qPrintable(description));

        int ticks = 0;
        QCOMPARE(errorOf([&] {
                     importCsv(*db, good, false, [&](qint64, qint64) { return ++ticks < 3; });
                 }),
                 ErrorCode::DialogCancelled);
        QCOMPARE(ticks, 3);

        QCOMPARE(folder.count("LIBRI"), 2);
        QCOMPARE(folder.count("ARG1"), words);
        // The catalogue takes the next import as if nothing had happened.
        QCOMPARE(importCsv(*db, good).imported, 2000);
    }

    void skipsCardsAlreadyThere() {
        TempProgramFolder folder({2, 0, 0, 0});
        auto db = Database::open(folder.cataloguePath());
        const CardImport::Result r = importCsv(*db,
                                               "TITOLO,NOTE\n"
                                               "LIBRI 1 TITOLO,LIBRI 1 NOTE\n"  // there
                                               "LIBRI 2 TITOLO,altro\n"         // differs in NOTE
                                               "Nuovo,\n"
                                               "Nuovo,\n",  // there once the row above is in
                                               true);
        QCOMPARE(r.imported, 2);
        QCOMPARE(r.skipped, 2);
        QCOMPARE(folder.count("LIBRI"), 4);
    }

    void exportThenImportGivesTheSameCards() {
        TempProgramFolder folder({3, 0, 0, 0});
        auto db = Database::open(folder.cataloguePath());
        db->query(
            QStringLiteral("UPDATE LIBRI SET NOTE = ?, TITOLO = ?, ANNO = NULL WHERE rowid = 2"),
            {QStringLiteral("Riga uno\r\nRiga \"due\", con virgola"), QStringLiteral("Perché;sì")});
        QList<QStringList> before;
        for (const QString& f : books().tableOrder)
            before << folder.column("LIBRI", f);

        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QCOMPARE(CsvExport::write(*db, books(), out), 3);
        const QByteArray csv = out.data();
        QVERIFY(csv.startsWith("\xEF\xBB\xBFTITOLO,SOTTOTITOLO,"));
        QVERIFY(csv.contains("\"Riga uno\r\nRiga \"\"due\"\", con virgola\""));
        QVERIFY(csv.endsWith("\r\n"));

        db->exec(QStringLiteral("DELETE FROM LIBRI"));
        QCOMPARE(importCsv(*db, csv).imported, 3);
        for (int i = 0; i < books().tableOrder.size(); ++i)
            QCOMPARE(folder.column("LIBRI", books().tableOrder[i]), before[i]);
    }
};

QTEST_GUILESS_MAIN(TestCsvImport)
#include "tst_csvimport.moc"
