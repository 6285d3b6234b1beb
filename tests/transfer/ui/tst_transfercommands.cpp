#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <functional>

#include "platform/db/Database.h"
#include "test_support/FileBytes.h"
#include "test_support/MainWindowFixture.h"

// Import and export as the user reaches them: the menu, the mapping window, the closing
// message and the card shown afterwards.
class TestTransferCommands : public QObject, MainWindowTest {
    Q_OBJECT

    // Clicks a tool; the mapping window, when it shows, is answered with `button`.
    QString clickAnswering(const char* id, const char* button,
                           const std::function<void(QWidget&)>& before = {}) {
        return modalNameDuring(
            [&] { click(id); },
            [&](QWidget& modal) {
                if (before)
                    before(modal);
                if (auto* b = modal.findChild<QAbstractButton*>(QString::fromUtf8(button)))
                    b->click();
            });
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{2, 0, 0, 0});
        window = startProgram(*folder);
    }
    void cleanup() { closeAll(); }

    // A column the user sets to "(non importare)" stays out.
    void importsASpreadsheetFileAndShowsTheFirstNewCard() {
        // What an Italian spreadsheet saves: Windows-1252, semicolons.
        folder->writeFile("libri.csv",
                          "Titolo;Autore;Casa editrice;Argomento\r\n"
                          "Citt\xE0 invisibili;Calvino;Einaudi;Narrativa\r\n"
                          "Il nome della rosa;Eco;Bompiani;Giallo storico\r\n");
        folder->files.queueFileName(folder->file("libri.csv"));
        QCOMPARE(clickAnswering("ID_ImportaSchede", "ImportButton",
                                [](QWidget& mapping) {
                                    child<QComboBox>(mapping, "FieldCombo2")->setCurrentIndex(0);
                                }),
                 QStringLiteral("ImportMappingWindow"));
        QCOMPARE(folder->messages.lastText(),
                 QStringLiteral("Importate 2 schede (0 saltate, 3 parole aggiunte alle liste)."));
        QCOMPARE(folder->column("LIBRI", "EDITORE").last(), QString());
        QCOMPARE(child<QLabel>(*window, "Label5")->text(), QStringLiteral("4"));
        QCOMPARE(child<QLabel>(*window, "Label7")->text(), QStringLiteral("3"));
        QCOMPARE(child<QLineEdit>(*window, "Text1")->text(), QStringLiteral("Città invisibili"));
        // The new words are offered by the card's combo.
        QVERIFY(child<QComboBox>(*window, "DBCombo2")->findText("Giallo storico") >= 0);
        click("ID_Next");
        QCOMPARE(child<QLineEdit>(*window, "Text1")->text(), QStringLiteral("Il nome della rosa"));
    }

    void aTellicoMusicCollectionGoesIntoMusica() {
        folder->writeFile("dischi.xml",
                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                          "<tellico xmlns=\"http://periapsis.org/tellico/\" syntaxVersion=\"11\">"
                          "<collection title=\"Dischi\" type=\"4\">"
                          "<entry id=\"1\"><title>Kind of Blue</title>"
                          "<artists><artist>Miles Davis</artist></artists></entry>"
                          "<entry id=\"2\"><title>Milestones</title>"
                          "<artists><artist>Miles Davis</artist></artists></entry>"
                          "</collection></tellico>");
        folder->files.queueFileName(folder->file("dischi.xml"));
        click("ID_ImportaSchede");
        QCOMPARE(folder->messages.lastText(),
                 QStringLiteral("Importate 2 schede (0 saltate, 1 parola aggiunta alle liste)."));
        QCOMPARE(child<QTabBar>(*window, "TabStrip1")->currentIndex(), 1);
        QCOMPARE(child<QLabel>(*window, "Label5")->text(), QStringLiteral("2"));
        QCOMPARE(child<QLabel>(*window, "Label7")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(*window, "Text1BBB")->text(), QStringLiteral("Kind of Blue"));
    }

    void aCancelledMappingOrABadFileStoresNothing() {
        // The fault lies past the rows the mapping window shows.
        QByteArray bad = "Titolo\r\n";
        for (int i = 0; i < 30; ++i)
            bad += "Libro\r\n";
        folder->writeFile("bad.csv", bad + "\"Senza fine\r\n");
        folder->files.queueFileName(folder->file("bad.csv"));
        QCOMPARE(clickAnswering("ID_ImportaSchede", "CancelButton"),
                 QStringLiteral("ImportMappingWindow"));
        QCOMPARE(folder->messages.count(), 0);
        folder->files.queueFileName(folder->file("bad.csv"));
        clickAnswering("ID_ImportaSchede", "ImportButton");
        QVERIFY2(folder->messages.lastText().contains("riga 32"),
                 qPrintable(folder->messages.lastText()));
        QCOMPARE(folder->count("LIBRI"), 2);
        QCOMPARE(child<QLabel>(*window, "Label5")->text(), QStringLiteral("2"));
    }

    void aReadOnlyCatalogueExportsButTakesNothingIn() {
        closeMainWindow(*folder, window);
        const auto readOnly = Database::open(folder->cataloguePath(), Database::OpenMode::ReadOnly);
        window = startProgram(*folder);
        click("ID_ImportaSchede");
        QVERIFY2(folder->messages.lastText().contains("importare schede"),
                 qPrintable(folder->messages.lastText()));
        folder->files.queueFileName(folder->file("out.csv"));
        click("ID_EsportaSchede");
        QVERIFY(folder->messages.lastText().startsWith("Esportate 2 schede"));
    }

    void exportsTheArchiveShown() {
        folder->files.queueFileName(folder->file("out.csv"));
        click("ID_EsportaSchede");
        QCOMPARE(folder->messages.lastText(),
                 QStringLiteral("Esportate 2 schede nel file out.csv."));
        QVERIFY(readBytes(folder->file("out.csv")).startsWith("\xEF\xBB\xBFTITOLO,"));
        // Over an existing file only when the user says so; over the catalogue never.
        QVERIFY(writeBytes(folder->file("out.csv"), "vecchio"));
        folder->messages.queueNo();
        folder->files.queueFileName(folder->file("out.csv"));
        click("ID_EsportaSchede");
        QCOMPARE(readBytes(folder->file("out.csv")), QByteArray("vecchio"));
        const QByteArray catalogue = readBytes(folder->cataloguePath());
        folder->files.queueFileName(folder->cataloguePath());
        click("ID_EsportaSchede");
        QCOMPARE(readBytes(folder->cataloguePath()), catalogue);
        QCOMPARE(folder->messages.pendingAnswers(), 0);
        // Or the cards the last structured search found, if the user says so; the blanks
        // the search writes for empty fields go.
        Database::open(folder->cataloguePath())
            ->exec(
                "CREATE TABLE TempLibri (TITOLO TEXT, NOTE TEXT);"
                "INSERT INTO TempLibri VALUES ('Trovato', ' ')");
        folder->messages.queueYes();
        folder->files.queueFileName(folder->file("found.csv"));
        click("ID_EsportaSchede");
        QVERIFY(folder->messages.lastText().startsWith("Esportata 1 scheda "));
        const QByteArray found = readBytes(folder->file("found.csv"));
        QVERIFY2(found.endsWith("\r\nTrovato" + QByteArray(16, ',') + "\r\n"), found.constData());
        // Storage media have no Tellico collection.
        child<QTabBar>(*window, "TabStrip1")->setCurrentIndex(2);
        folder->files.queueFileName(folder->file("media.tc"));
        click("ID_EsportaSchede");
        QVERIFY(folder->messages.lastText().contains("solo in CSV"));
        QVERIFY(!QFile::exists(folder->file("media.tc")));
    }
};

QTEST_MAIN(TestTransferCommands)
#include "tst_transfercommands.moc"
