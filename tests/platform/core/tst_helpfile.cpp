#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "platform/core/HelpFile.h"
#include "shell/Tools.h"
#include "test_support/ErrorOf.h"

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
    void parsesTopicsKeywordsAndBody() {
        const HelpFile file = HelpFile::parse(kSample);
        QCOMPARE(file.topics().size(), 3);
        QCOMPARE(file.contents().id, QStringLiteral("indice"));
        const HelpTopic* uno = file.find(QStringLiteral("UNO"));
        QVERIFY(uno);
        QCOMPARE(uno->keywords, (QStringList{"zeta", "Àncora", "comune", "Ultimo"}));
        QCOMPARE(uno->body, QStringLiteral("Corpo di uno."));
        QCOMPARE(HelpFile::links(file.contents()), (QStringList{"uno", "due", "uno"}));
        QVERIFY(!file.find(QStringLiteral("manca")));
        QVERIFY(file.fingerprint() != HelpFile::parse(kSample + QStringLiteral("x")).fingerprint());
    }

    void refusesMalformedFiles() {
        // text, and the place the message must name
        const char* cases[][2] = {
            {"@topic a\n@title A\n", "riga 1"},
            {"", "riga 1"},
            {"RACCOLIO-HELP 1\n// solo commenti\n", "nessun argomento"},
            {"RACCOLIO-HELP 1\nciao\n", "riga 2"},
            {"RACCOLIO-HELP 1\n@topic a\ntesto\n@topic b\n@title B\n", "riga 2"},  // no title
            {"RACCOLIO-HELP 1\n@topic a\n@title A\n@topic A\n@title B\n", "riga 4"},
            {"RACCOLIO-HELP 1\n@topic a b\n@title A\n", "riga 2"},
            {"RACCOLIO-HELP 1\n@topic a\n@titolo A\n", "riga 3"}};
        for (const auto& c : cases) {
            QString why;
            QCOMPARE(errorOf([&] { HelpFile::parse(QString::fromUtf8(c[0]), "PROVA.HLP"); }, &why),
                     ErrorCode::FileError);
            QVERIFY2(
                why.contains(QStringLiteral("PROVA.HLP")) && why.contains(QString::fromUtf8(c[1])),
                qPrintable(why));
        }
        QTemporaryDir dir;
        QString why;
        QCOMPARE(
            errorOf([&] { HelpFile::load(dir.filePath(QStringLiteral("RACCOLIO.HLP"))); }, &why),
            ErrorCode::FileNotFound);
        QVERIFY(why.contains(QStringLiteral("RACCOLIO.HLP")));
    }

    // The index is alphabetical and merges case; a keyword of several topics leaves the
    // choice to the index.
    void requestsLandOnTheRightTopic() {
        const HelpFile file = HelpFile::parse(kSample);
        QCOMPARE(file.keywords(),
                 (QStringList{"Àncora", "beta", "comune", "Sommario", "Ultimo", "zeta"}));
        QVERIFY(file.topicsFor(QStringLiteral("comun")).isEmpty());
        const auto landsOn = [&](const HelpRequest& r) {
            const HelpTarget t = file.resolve(r);
            return t.topic ? t.topic->id : t.keyword + u'/' + QString::number(t.candidates.size());
        };
        QCOMPARE(landsOn(HelpRequest::contents()), QStringLiteral("indice"));
        QCOMPARE(landsOn(HelpRequest::index()), QStringLiteral("/0"));
        QCOMPARE(landsOn(HelpRequest::keyword(QStringLiteral("BETA"))), QStringLiteral("due"));
        QCOMPARE(landsOn(HelpRequest::keyword(QStringLiteral("comune"))),
                 QStringLiteral("comune/2"));
        QVERIFY(landsOn(HelpRequest::keyword(QStringLiteral("nulla"))).endsWith(u"/0"));
    }

    void rendersMarkupAsHtml() {
        const HelpFile file = HelpFile::parse(kSample);
        const QString html = file.html(file.contents());
        const char* parts[] = {
            // A bare link takes the target's title; a link with text keeps its own.
            "<a href=\"topic:uno\">Primo argomento</a>", "<a href=\"topic:due\">il secondo</a>",
            "<h3>Sezione &amp; altro</h3>",
            // An indented line continues the item, also in the middle of a link.
            "<li>voce <b>forte</b> <a href=\"topic:uno\">che continua</a></li>",
            "</ul>\n<p>Testo dopo.</p>"};
        for (const char* part : parts)
            QVERIFY2(html.contains(QString::fromUtf8(part)), part);
        const QString broken = file.html(*file.find(QStringLiteral("due")));
        QVERIFY(broken.contains(QStringLiteral("<a href=\"topic:manca\">manca</a>")));

        // Marks never closed are plain text; a body full of them renders at once, not
        // in time growing with its square.
        const QString opened(1 << 20, u'[');
        const HelpFile open = HelpFile::parse(
            QStringLiteral("RACCOLIO-HELP 1\n@topic a\n@title A\n") + opened + "**<");
        QCOMPARE(open.html(open.contents()), "<h2>A</h2>\n<p>" + opened + "**&lt;</p>\n");
    }

    void shippedFileLoadsWithWorkingLinks() {
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
    }

    void shippedFileCoversEveryCommand() {
        const HelpFile file = HelpFile::load(dataFile());
        // Every command as bars and menus name it, and Gioca, which sits on none.
        QStringList names{QStringLiteral("Gioca")};
        std::function<void(const std::vector<ToolPlace>&)> collect = [&](const auto& places) {
            for (const ToolPlace& p : places) {
                if (!p.isSeparator())
                    names << p.caption;
                collect(p.submenu);
            }
        };
        collect(ToolSet::menuBar());
        collect(ToolSet::toolBar2());
        collect(ToolSet::toolBar3());
        for (const QString& name : names)
            QVERIFY2(!file.topicsFor(name).isEmpty(), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
