#include <QTest>

#include "TempProgramFolder.h"
#include "cards/Archives.h"
#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "registers/LookupListEditor.h"

namespace {

const QString kNoMatch = QStringLiteral("Nessuna corrispondenza trovata nella scheda specificata.");

}  // namespace

// The word-list editor on a new catalogue: GEN2 starts with Backup, Documenti, Giochi,
// Multimedia, Programmi; MUSICATIPOBRANO with seven words; CHIAVE with six.
class TestLookupListEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<DataSource> source;
    std::unique_ptr<LookupListEditor> editor;

    void open(const QString& name) { editor->activate(name); }
    QString counter() const {
        return QStringLiteral("%1 di %2").arg(editor->position()).arg(editor->count());
    }
    void sql(const QString& text) { Database::open(folder->cataloguePath())->exec(text); }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>();
        source = std::make_unique<DataSource>();
        source->setDatabaseName(QStringLiteral("RACCOLIO.MDB"));
        editor = std::make_unique<LookupListEditor>(*source, folder->services);
    }
    void cleanup() {
        editor.reset();
        source.reset();
        QCOMPARE(folder->messages.pendingAnswers(), 0);
        folder.reset();
    }

    void servesTheThirteenListsByExactName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field");
        const char* rows[][2] = {{"MUSICATIPOBRANO", "TIPOBRANO"},
                                 {"ARG1", "ARGOMENTO"},
                                 {"FORMATO", "FORMATO"},
                                 {"LIBRERIA", "LIBRERIA"},
                                 {"MUSICAPOSRACCOLIO", "POSRACCOLIO"},
                                 {"GEN3", "GENERE"},
                                 {"ARG4", "ARGOMENTO"},
                                 {"GEN2", "GENERE"},
                                 {"ARG3", "ARGOMENTO"},
                                 {"MUSICADIRETTORE", "DIRETTORE"},
                                 {"MUSICAAUTORE", "AUTORE"},
                                 {"MUSICASOLISTA", "SOLISTA"},
                                 {"MUSICAORCHESTRA", "ORCHESTRA"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
    void servesTheThirteenListsByExactName() {
        QFETCH(QString, name);
        QFETCH(QString, field);
        QCOMPARE(LookupListEditor::lookupLists().size(), std::size_t(13));
        const auto list = LookupListEditor::listNamed(name);
        QVERIFY(list);
        QCOMPARE(list->recordSource,
                 QStringLiteral("select %1.* from %1 order by %2").arg(name, field));
        QCOMPARE(list->wordField, field);
        QVERIFY(!LookupListEditor::listNamed(name.toLower()));
        QVERIFY(!LookupListEditor::listNamed(name + QLatin1Char(' ')));
        // Each opens, sorted by its word, with every word counted.
        open(name);
        QCOMPARE(editor->wordField(), field);
        QCOMPARE(counter(), QStringLiteral("1 di %1").arg(folder->count(name)));
        QStringList words = folder->column(name, field);
        words.sort();
        QCOMPARE(editor->currentWord(), words.first());
    }

    void authorsAndKeywordsAreNotAmongThem() {
        QVERIFY(!LookupListEditor::listNamed(QStringLiteral("AUTORI")));
        QVERIFY(!LookupListEditor::listNamed(QStringLiteral("CHIAVE")));
        const WordList keywords = LookupListEditor::keywordList();
        QCOMPARE(keywords.recordSource, QStringLiteral("CHIAVE"));
        QCOMPARE(keywords.wordField, QStringLiteral("CHIAVE"));
    }

    void opensSortedAndKeepsAnUnknownNamesList() {
        sql(QStringLiteral("INSERT INTO GEN2 (GENERE) VALUES ('Audio')"));
        open(QStringLiteral("GEN2"));
        QCOMPARE(counter(), QStringLiteral("1 di 6"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Audio"));
        editor->last();
        QCOMPARE(editor->currentWord(), QStringLiteral("Programmi"));
        // A name that is no list reloads the list already chosen, from its first word.
        open(QStringLiteral("gen2"));
        QCOMPARE(counter(), QStringLiteral("1 di 6"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Audio"));
        QCOMPARE(editor->wordField(), QStringLiteral("GENERE"));
    }

    void unknownNameWithoutAListFails() {
        QVERIFY_THROWS_EXCEPTION(AppError, open(QStringLiteral("NESSUNA")));
        QVERIFY(editor->wordField().isEmpty());
    }

    void stepsPastEitherEndStayOnTheEnd() {
        open(QStringLiteral("GEN2"));
        editor->previous();
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Backup"));
        editor->next();
        editor->next();
        QCOMPARE(counter(), QStringLiteral("3 di 5"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Giochi"));
        editor->last();
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
        editor->next();
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Programmi"));
        editor->previous();
        QCOMPARE(counter(), QStringLiteral("4 di 5"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Multimedia"));
        editor->first();
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(folder->messages.count(), 0);
    }

    void deletingTheThirdOfFiveShowsTheFirstOfFour() {
        open(QStringLiteral("GEN2"));
        editor->next();
        editor->next();
        QVERIFY(editor->remove());
        QCOMPARE(counter(), QStringLiteral("1 di 4"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Backup"));
        QCOMPARE(folder->column(QStringLiteral("GEN2"), QStringLiteral("GENERE")),
                 (QStringList{QStringLiteral("Backup"), QStringLiteral("Documenti"),
                              QStringLiteral("Multimedia"), QStringLiteral("Programmi")}));
        QCOMPARE(folder->messages.count(), 0);
    }

    void theLastWordIsNeverDeleted() {
        sql(QStringLiteral("DELETE FROM FORMATO WHERE FORMATO <> 'Rilegato'"));
        open(QStringLiteral("FORMATO"));
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
        QVERIFY(!editor->remove());
        QCOMPARE(folder->messages.texts(),
                 QStringList{QStringLiteral(
                     "Impossibile eliminare questa cartella. L'raccolio potrebbe danneggiarsi.")});
        QCOMPARE(folder->messages.log().first().icon, MessageService::Icon::Critical);
        QCOMPARE(folder->column(QStringLiteral("FORMATO"), QStringLiteral("FORMATO")),
                 QStringList{QStringLiteral("Rilegato")});
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
    }

    void anAddedWordIsTheLastOfTheList() {
        open(QStringLiteral("MUSICATIPOBRANO"));
        QCOMPARE(counter(), QStringLiteral("1 di 7"));
        // Sorted first, yet a new word joins the end until the list is reloaded.
        folder->input.queueText(QStringLiteral("Blues"));
        QVERIFY(editor->add());
        QCOMPARE(
            folder->input.prompts(),
            QStringList{QStringLiteral("Immettere la nuova parola da inserire nella lista...")});
        QCOMPARE(counter(), QStringLiteral("8 di 8"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Blues"));
        QVERIFY(folder->column(QStringLiteral("MUSICATIPOBRANO"), QStringLiteral("TIPOBRANO"))
                    .contains(QStringLiteral("Blues")));
        editor->first();
        editor->next();
        QCOMPARE(editor->currentWord(), QStringLiteral("Jazz"));
        open(QStringLiteral("MUSICATIPOBRANO"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Blues"));
    }

    void anEmptyOrCancelledAddStoresNothing() {
        open(QStringLiteral("GEN2"));
        editor->next();
        folder->input.queueText(QString());
        QVERIFY(!editor->add());
        folder->input.queueCancel();
        QVERIFY(!editor->add());
        QCOMPARE(folder->count(QStringLiteral("GEN2")), 5);
        QCOMPARE(counter(), QStringLiteral("2 di 5"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Documenti"));
        QCOMPARE(source->recordset().editMode(), RecordSet::EditMode::None);
        // The next move is an ordinary one: no blank record stored on the way.
        editor->next();
        QCOMPARE(editor->currentWord(), QStringLiteral("Giochi"));
        QCOMPARE(folder->count(QStringLiteral("GEN2")), 5);
    }

    void findsFromTheStartOrOnward() {
        open(QStringLiteral("GEN2"));
        folder->state.searchText = QStringLiteral("ro");
        QVERIFY(editor->find(true));
        QCOMPARE(editor->currentWord(), QStringLiteral("Programmi"));
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
        QCOMPARE(folder->state.searchCriterion, QStringLiteral("GENERE LIKE \"*ro*\""));
        // Nothing further: the message, and the counter recomputed where it stays.
        QVERIFY(!editor->find(false));
        QCOMPARE(folder->messages.texts(), QStringList{kNoMatch});
        QCOMPARE(folder->messages.log().first().icon, MessageService::Icon::Information);
        QCOMPARE(editor->currentWord(), QStringLiteral("Programmi"));
        QCOMPARE(counter(), QStringLiteral("5 di 5"));

        // Onward from the current word, case-insensitively.
        editor->first();
        folder->state.searchText = QStringLiteral("I");
        QVERIFY(editor->find(false));
        QCOMPARE(editor->currentWord(), QStringLiteral("Documenti"));
        QCOMPARE(counter(), QStringLiteral("2 di 5"));
        QVERIFY(editor->find(false));
        QCOMPARE(editor->currentWord(), QStringLiteral("Giochi"));
        QCOMPARE(counter(), QStringLiteral("3 di 5"));
        QVERIFY(editor->find(true));
        QCOMPARE(counter(), QStringLiteral("2 di 5"));
    }

    void aSearchedTextIsDataButWildcardsStay() {
        sql(QStringLiteral("INSERT INTO GEN2 (GENERE) VALUES ('Rock \"duro\"')"));
        open(QStringLiteral("GEN2"));
        folder->state.searchText = QStringLiteral("\"duro");
        QVERIFY(editor->find(true));
        QCOMPARE(editor->currentWord(), QStringLiteral("Rock \"duro\""));
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        folder->state.searchText = QStringLiteral("M?lti");
        QVERIFY(editor->find(true));
        QCOMPARE(editor->currentWord(), QStringLiteral("Multimedia"));
        QCOMPARE(folder->messages.count(), 0);
    }

    void keywordsKeepTheTableOrder() {
        editor->setList(LookupListEditor::keywordList());
        source->refresh();
        editor->setUp();
        QCOMPARE(counter(), QStringLiteral("1 di 6"));
        QCOMPARE(editor->currentWord(), QStringLiteral("Classico"));
        editor->last();
        QCOMPARE(editor->currentWord(), QStringLiteral("Raro"));
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        folder->state.searchText = QStringLiteral("pre");
        QVERIFY(editor->find(true));
        QCOMPARE(editor->currentWord(), QStringLiteral("Preferito"));
        QCOMPARE(folder->state.searchCriterion, QStringLiteral("CHIAVE LIKE \"*pre*\""));
    }
};

QTEST_GUILESS_MAIN(TestLookupListEditor)
#include "tst_lookuplisteditor.moc"
