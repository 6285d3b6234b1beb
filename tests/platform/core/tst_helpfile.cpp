#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "platform/core/AppError.h"
#include "platform/core/HelpFile.h"

namespace {

const QString kSample = QStringLiteral(
    "RACCOLIO-HELP 1\r\n"
    "// a comment\r\n"
    "@topic indice\r\n"
    "@title Sommario\r\n"
    "@keywords Sommario\r\n"
    "Vedere [[uno]] e [[due|il secondo]].\r\n"
    "\r\n"
    "== Sezione & altro\r\n"
    "- voce <1>\r\n"
    "- voce **forte** [[uno|che\r\n"
    "  continua]]\r\n"
    "Testo dopo.\r\n"
    "@topic uno\r\n"
    "@title Primo argomento\r\n"
    "@keywords zeta; Àncora; comune\r\n"
    "@keywords Ultimo\r\n"
    "Corpo di uno.\r\n"
    "@topic due\r\n"
    "@title Secondo\r\n"
    "@keywords COMUNE; beta\r\n"
    "Corpo di [[manca]].\r\n");

QString dataFile() {
    return QStringLiteral(RACCOLIO_DATA_DIR "/RACCOLIO.HLP");
}

}  // namespace

class TestHelpFile : public QObject {
    Q_OBJECT

private slots:
    void parsesTopicsKeywordsAndBody();
    void refusesMalformedFiles_data();
    void refusesMalformedFiles();
    void missingFileIsError53();
    void indexIsAlphabeticalAndMergesCase();
    void requestsLandOnTheRightTopic();
    void rendersMarkupAsHtml();

    void shippedFileLoadsWithWorkingLinks();
    void shippedFileCoversEveryWindowAndCommand();
};

void TestHelpFile::parsesTopicsKeywordsAndBody() {
    const HelpFile file = HelpFile::parse(kSample);
    QCOMPARE(file.topics().size(), 3);
    QCOMPARE(file.contents().id, QStringLiteral("indice"));
    const HelpTopic* uno = file.find(QStringLiteral("UNO"));
    QVERIFY(uno);
    QCOMPARE(uno->title, QStringLiteral("Primo argomento"));
    QCOMPARE(uno->keywords, (QStringList{"zeta", "Àncora", "comune", "Ultimo"}));
    QCOMPARE(uno->body, QStringLiteral("Corpo di uno."));
    QCOMPARE(HelpFile::links(file.contents()), (QStringList{"uno", "due", "uno"}));
    QVERIFY(!file.find(QStringLiteral("manca")));
    QVERIFY(file.fingerprint() != HelpFile::parse(kSample + QStringLiteral("x")).fingerprint());
}

void TestHelpFile::refusesMalformedFiles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("why");
    QTest::newRow("no signature") << "@topic a\n@title A\n"
                                  << "riga 1";
    QTest::newRow("empty") << ""
                           << "riga 1";
    QTest::newRow("no topics") << "RACCOLIO-HELP 1\n// solo commenti\n"
                               << "nessun argomento";
    QTest::newRow("text before topics") << "RACCOLIO-HELP 1\nciao\n"
                                        << "riga 2";
    QTest::newRow("no title") << "RACCOLIO-HELP 1\n@topic a\ntesto\n@topic b\n@title B\n"
                              << "riga 2";
    QTest::newRow("repeated id") << "RACCOLIO-HELP 1\n@topic a\n@title A\n@topic A\n@title B\n"
                                 << "riga 4";
    QTest::newRow("bad id") << "RACCOLIO-HELP 1\n@topic a b\n@title A\n"
                            << "riga 2";
    QTest::newRow("unknown directive") << "RACCOLIO-HELP 1\n@topic a\n@titolo A\n"
                                       << "riga 3";
}

void TestHelpFile::refusesMalformedFiles() {
    QFETCH(QString, text);
    QFETCH(QString, why);
    try {
        HelpFile::parse(text, QStringLiteral("PROVA.HLP"));
        QFAIL("accepted a malformed file");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrorCode::FileError);
        QVERIFY2(e.description().contains(QStringLiteral("PROVA.HLP")),
                 qPrintable(e.description()));
        QVERIFY2(e.description().contains(why), qPrintable(e.description()));
    }
}

void TestHelpFile::missingFileIsError53() {
    QTemporaryDir dir;
    try {
        HelpFile::load(QDir(dir.path()).filePath(QStringLiteral("RACCOLIO.HLP")));
        QFAIL("loaded a missing file");
    } catch (const AppError& e) {
        QCOMPARE(e.number(), ErrorCode::FileNotFound);
        QVERIFY(e.description().contains(QStringLiteral("RACCOLIO.HLP")));
    }
}

void TestHelpFile::indexIsAlphabeticalAndMergesCase() {
    const HelpFile file = HelpFile::parse(kSample);
    QCOMPARE(file.keywords(),
             (QStringList{"Àncora", "beta", "comune", "Sommario", "Ultimo", "zeta"}));
    const auto shared = file.topicsFor(QStringLiteral("Comune"));
    QCOMPARE(shared.size(), 2);
    QCOMPARE(shared[0]->id, QStringLiteral("uno"));
    QCOMPARE(shared[1]->id, QStringLiteral("due"));
    QVERIFY(file.topicsFor(QStringLiteral("comun")).isEmpty());
}

void TestHelpFile::requestsLandOnTheRightTopic() {
    const HelpFile file = HelpFile::parse(kSample);
    QCOMPARE(file.resolve(HelpRequest::contents()).topic, &file.contents());

    const HelpTarget index = file.resolve(HelpRequest::index());
    QVERIFY(!index.topic);
    QVERIFY(index.keyword.isEmpty());

    const HelpTarget one = file.resolve(HelpRequest::keyword(QStringLiteral("BETA")));
    QVERIFY(one.topic);
    QCOMPARE(one.topic->id, QStringLiteral("due"));

    const HelpTarget several = file.resolve(HelpRequest::keyword(QStringLiteral("comune")));
    QVERIFY(!several.topic);
    QCOMPARE(several.keyword, QStringLiteral("comune"));
    QCOMPARE(several.candidates.size(), 2);

    const HelpTarget none = file.resolve(HelpRequest::keyword(QStringLiteral("nulla")));
    QVERIFY(!none.topic);
    QVERIFY(none.candidates.isEmpty());
    QVERIFY(!file.resolve(HelpRequest::keyword({})).topic);
}

void TestHelpFile::rendersMarkupAsHtml() {
    const HelpFile file = HelpFile::parse(kSample);
    const QString html = file.html(file.contents());
    QVERIFY(html.contains(QStringLiteral("<h2>Sommario</h2>")));
    // A bare link takes the target's title; a link with text keeps its own.
    QVERIFY(html.contains(QStringLiteral("<a href=\"topic:uno\">Primo argomento</a>")));
    QVERIFY(html.contains(QStringLiteral("<a href=\"topic:due\">il secondo</a>")));
    QVERIFY(html.contains(QStringLiteral("<h3>Sezione &amp; altro</h3>")));
    QVERIFY(html.contains(QStringLiteral("<li>voce &lt;1&gt;</li>")));
    // An indented line continues the item, also in the middle of a link.
    QVERIFY(html.contains(
        QStringLiteral("<li>voce <b>forte</b> <a href=\"topic:uno\">che continua</a></li>")));
    QVERIFY(html.contains(QStringLiteral("</ul>\n<p>Testo dopo.</p>")));
    const QString broken = file.html(*file.find(QStringLiteral("due")));
    QVERIFY(broken.contains(QStringLiteral("<a href=\"topic:manca\">manca</a>")));
}

void TestHelpFile::shippedFileLoadsWithWorkingLinks() {
    const HelpFile file = HelpFile::load(dataFile());
    QSet<QString> reached{file.contents().id.toLower()};
    QList<const HelpTopic*> queue{&file.contents()};
    while (!queue.isEmpty()) {
        const HelpTopic* topic = queue.takeFirst();
        for (const QString& id : HelpFile::links(*topic)) {
            const HelpTopic* target = file.find(id);
            QVERIFY2(target, qPrintable(topic->id + QStringLiteral(" -> ") + id));
            if (!reached.contains(target->id.toLower())) {
                reached.insert(target->id.toLower());
                queue.append(target);
            }
        }
    }
    for (const HelpTopic& topic : file.topics()) {
        QVERIFY2(reached.contains(topic.id.toLower()), qPrintable(topic.id + " not reachable"));
        QVERIFY2(!topic.keywords.isEmpty(), qPrintable(topic.id + " has no keyword"));
    }
    // "Supporto Prodotto" lands on exactly one topic.
    QCOMPARE(file.topicsFor(QStringLiteral("Supporto")).size(), 1);
    QCOMPARE(file.resolve(HelpRequest::keyword(QStringLiteral("Supporto"))).topic->id,
             QStringLiteral("supporto"));
}

void TestHelpFile::shippedFileCoversEveryWindowAndCommand() {
    const HelpFile file = HelpFile::load(dataFile());
    // Every command of the command bar and every window, by the name the user sees.
    const QStringList names = {
        // commands
        "Aggiungi Cartella", "Elimina Cartella", "Conferma", "Prima Scheda", "Scheda Precedente",
        "Scheda Successiva", "Ultima Scheda", "Backup Dati", "Ripristino Dati",
        "Compattamento Dati", "Recupero Dati", "Configurazione...", "Manutenzione Password",
        "Uscita", "Anteprima di Stampa", "Stampa...", "Ricerca Semplice",
        "Ricerca con Stampa Strutturata", "Parole Chiavi", "Grafici Statistici", "Guida in Linea",
        "Indice della Guida", "Supporto Prodotto", "Brenvati sul WEB", "Home Page",
        "Posta Elettronica", "Info Sistema", "Info Versione", "Gioca", "MENU", "STRUMENTI", "HELP",
        // windows
        "Finestra principale", "Configurazione programma...", "Cambia password",
        "Password all'avvio", "Informazioni su", "Modalità di backup...", "Trova...",
        "Aggiornamento lista...", "Aggiornamento lista chiavi...",
        "Parole chiavi della cartella corrente...", "Citazioni...", "Autori...",
        "Selezione files...", "Statistiche", "Grafico", "Stampa ricerca", "Biblioteca", "Musica",
        "Memorie di massa", "Video", "Memoria Computer"};
    for (const QString& name : names)
        QVERIFY2(!file.topicsFor(name).isEmpty(), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
