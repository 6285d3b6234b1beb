#include <QTest>

#include "platform/core/AppError.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "registers/LookupListEditor.h"
#include "test_support/TempProgramFolder.h"

// The word-list editor on a new catalogue: GEN2 starts with Backup, Documenti, Giochi,
// Multimedia, Programmi; MUSICATIPOBRANO with seven words.
class TestLookupListEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<DataSource> source;
    std::unique_ptr<LookupListEditor> editor;

    void open(const QString& name) { editor->activate(name); }
    QString counter() const {
        return QStringLiteral("%1 di %2").arg(editor->position()).arg(editor->count());
    }
    // The counter and the word shown, as the window shows them together.
    QString where() const { return counter() + QStringLiteral(": ") + editor->currentWord(); }
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

    void servesEachListByExactName() {
        for (const WordList& list : LookupListEditor::lookupLists()) {
            QVERIFY(!LookupListEditor::listNamed(list.table.toLower()));
            QVERIFY(!LookupListEditor::listNamed(list.table + QLatin1Char(' ')));
            // Each opens sorted by its word, with every word counted.
            open(list.table);
            QCOMPARE(editor->wordField(), list.wordField);
            QCOMPARE(counter(), QStringLiteral("1 di %1").arg(folder->count(list.table)));
            QStringList words = folder->column(list.table, list.wordField);
            words.sort();
            QCOMPARE(editor->currentWord(), words.first());
        }
        QVERIFY(!LookupListEditor::listNamed(QStringLiteral("AUTORI")));
        QVERIFY(!LookupListEditor::listNamed(QStringLiteral("CHIAVE")));
    }

    void opensSortedAndKeepsAnUnknownNamesList() {
        // Before any list is chosen, an unknown name fails.
        QVERIFY_THROWS_EXCEPTION(AppError, open(QStringLiteral("NESSUNA")));
        QVERIFY(editor->wordField().isEmpty());
        sql(QStringLiteral("INSERT INTO GEN2 (GENERE) VALUES ('Audio')"));
        open(QStringLiteral("GEN2"));
        QCOMPARE(where(), QStringLiteral("1 di 6: Audio"));
        editor->last();
        QCOMPARE(editor->currentWord(), QStringLiteral("Programmi"));
        // A name that is no list reloads the list already chosen, from its first word.
        open(QStringLiteral("gen2"));
        QCOMPARE(where(), QStringLiteral("1 di 6: Audio"));
        QCOMPARE(editor->wordField(), QStringLiteral("GENERE"));
    }

    void stepsStayOnTheEndsAndDeleteRestartsOrRefuses() {
        open(QStringLiteral("GEN2"));
        editor->previous();
        QCOMPARE(where(), QStringLiteral("1 di 5: Backup"));
        editor->last();
        editor->next();
        editor->previous();
        QCOMPARE(where(), QStringLiteral("4 di 5: Multimedia"));
        // Deleting the third of five shows the first of four.
        editor->first();
        editor->next();
        editor->next();
        QVERIFY(editor->remove());
        QCOMPARE(where(), QStringLiteral("1 di 4: Backup"));
        QCOMPARE(folder->column("GEN2", "GENERE"),
                 (QStringList{"Backup", "Documenti", "Multimedia", "Programmi"}));
        QCOMPARE(folder->messages.count(), 0);

        // The last word of a list is never deleted.
        sql(QStringLiteral("DELETE FROM FORMATO WHERE FORMATO <> 'Rilegato'"));
        open(QStringLiteral("FORMATO"));
        QVERIFY(!editor->remove());
        QCOMPARE(folder->messages.log().first().icon, MessageService::Icon::Critical);
        QCOMPARE(folder->column("FORMATO", "FORMATO"), QStringList{QStringLiteral("Rilegato")});
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
    }

    void additions() {
        open(QStringLiteral("MUSICATIPOBRANO"));
        // Sorted first, yet a new word joins the end until the list is reloaded.
        folder->input.queueText(QStringLiteral("Blues"));
        QVERIFY(editor->add());
        QCOMPARE(where(), QStringLiteral("8 di 8: Blues"));
        // Stored: a reload finds it first.
        open(QStringLiteral("MUSICATIPOBRANO"));
        QCOMPARE(where(), QStringLiteral("1 di 8: Blues"));

        // An empty or cancelled addition stores nothing.
        open(QStringLiteral("GEN2"));
        editor->next();
        folder->input.queueText(QString());
        QVERIFY(!editor->add());
        folder->input.queueCancel();
        QVERIFY(!editor->add());
        QCOMPARE(folder->count("GEN2"), 5);
        QCOMPARE(where(), QStringLiteral("2 di 5: Documenti"));
        QCOMPARE(source->recordset().editMode(), RecordSet::EditMode::None);
        // The next move is an ordinary one: no blank record stored on the way.
        editor->next();
        QCOMPARE(editor->currentWord(), QStringLiteral("Giochi"));
        QCOMPARE(folder->count("GEN2"), 5);
    }

    void findsFromTheStartOrOnward() {
        open(QStringLiteral("GEN2"));
        folder->state.searchText = QStringLiteral("ro");
        QVERIFY(editor->find(true));
        QCOMPARE(where(), QStringLiteral("5 di 5: Programmi"));
        QCOMPARE(folder->state.searchCriterion, QStringLiteral("GENERE LIKE \"*ro*\""));
        // Nothing further: the message, and the counter recomputed where it stays.
        QVERIFY(!editor->find(false));
        QCOMPARE(folder->messages.log().first().icon, MessageService::Icon::Information);
        QCOMPARE(where(), QStringLiteral("5 di 5: Programmi"));

        // Onward from the current word, case-insensitively.
        editor->first();
        folder->state.searchText = QStringLiteral("I");
        QVERIFY(editor->find(false));
        QCOMPARE(where(), QStringLiteral("2 di 5: Documenti"));
        QVERIFY(editor->find(false));
        QCOMPARE(where(), QStringLiteral("3 di 5: Giochi"));
        QVERIFY(editor->find(true));
        QCOMPARE(counter(), QStringLiteral("2 di 5"));

        // A searched text is data, but its wildcards stay.
        sql(QStringLiteral("INSERT INTO GEN2 (GENERE) VALUES ('Rock \"duro\"')"));
        open(QStringLiteral("GEN2"));
        folder->state.searchText = QStringLiteral("\"duro");
        QVERIFY(editor->find(true));
        QCOMPARE(where(), QStringLiteral("6 di 6: Rock \"duro\""));
        folder->state.searchText = QStringLiteral("M?lti");
        QVERIFY(editor->find(true));
        QCOMPARE(editor->currentWord(), QStringLiteral("Multimedia"));
        QCOMPARE(folder->messages.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLookupListEditor)
#include "tst_lookuplisteditor.moc"
