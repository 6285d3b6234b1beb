#include <QTest>

#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "registers/AuthorsRegister.h"
#include "test_support/TempProgramFolder.h"

using Order = AuthorsRegister::Order;

// The register on a new catalogue (one author, Manzoni Alessandro) plus the authors each
// case adds straight to the file.
class TestAuthorsRegister : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<DataSource> source;
    std::unique_ptr<AuthorsRegister> reg;

    void addAuthor(const QString& name, const QString& surname, const QString& nation = {},
                   const QString& fullName = {}) {
        Database::open(folder->cataloguePath())
            ->query(QStringLiteral("INSERT INTO AUTORI (NOME, COGNOME, NAZIONE, SOMMA) "
                                   "VALUES (?, ?, ?, ?)"),
                    {name, surname, nation, fullName});
    }
    void addFour() {
        addAuthor(QStringLiteral("Umberto"), QStringLiteral("Èco"), QStringLiteral("Italia"));
        addAuthor(QStringLiteral("Gabriele"), QStringLiteral("D'Annunzio"));
        addAuthor(QStringLiteral("Dante"), QStringLiteral("Alighieri"), QStringLiteral("Italia"));
        addAuthor(QStringLiteral("Victor"), QStringLiteral("Hugo"), QStringLiteral("Francia"));
    }
    QString counter() const {
        return QStringLiteral("%1 di %2").arg(reg->position()).arg(reg->count());
    }
    QString field(const char* name) const {
        return source->recordset().value(QString::fromLatin1(name)).toString();
    }
    QStringList walk() {
        QStringList surnames{field("COGNOME")};
        for (int i = 1; i < reg->count(); ++i) {
            reg->next();
            surnames << field("COGNOME");
        }
        return surnames;
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>();
        source = std::make_unique<DataSource>();
        source->setDatabaseName(QStringLiteral("RACCOLIO.MDB"));
        reg = std::make_unique<AuthorsRegister>(*source, folder->services);
    }
    void cleanup() {
        reg.reset();
        source.reset();
        QCOMPARE(folder->messages.pendingAnswers(), 0);
        folder.reset();
    }

    void bothOrdersInItalianOrder() {
        addFour();
        reg->load();
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(walk(), QStringList({"Manzoni", "Alighieri", "D'Annunzio", "Èco", "Hugo"}));
        reg->load(Order::BySurname);
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(walk(), QStringList({"Alighieri", "D'Annunzio", "Èco", "Hugo", "Manzoni"}));
        // Past the end the counter stays.
        reg->next();
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
    }

    void onlyEditedNamesRewriteTheFullName() {
        // Full names written by other tools: one that does not follow its names, one of a
        // row without names.
        addAuthor(QStringLiteral(""), QStringLiteral("Omero"), {}, QStringLiteral("vecchio"));
        addAuthor(QStringLiteral(""), QStringLiteral(""), {}, QStringLiteral("Verga"));
        reg->load(Order::BySurname);
        const QStringList before = folder->column("AUTORI", "SOMMA");
        reg->next();
        reg->next();
        reg->previous();
        reg->first();
        reg->last();
        reg->first();
        QCOMPARE(folder->column("AUTORI", "SOMMA"), before);
        QCOMPARE(reg->surnameShown(), QStringLiteral("Verga"));

        // An edit of another field leaves the full name; a first name typed beside the
        // surname shown makes both names real.
        source->recordset().setValue(QStringLiteral("NAZIONE"), QStringLiteral("Italia"));
        reg->next();
        QCOMPARE(folder->column("AUTORI", "SOMMA"), before);
        QCOMPARE(folder->column("AUTORI", "COGNOME").last(), QString());
        reg->first();
        source->recordset().setValue(QStringLiteral("NOME"), QStringLiteral("Giovanni"));
        reg->next();
        QCOMPARE(folder->column("AUTORI", "COGNOME").last(), QStringLiteral("Verga"));
        QCOMPARE(folder->column("AUTORI", "SOMMA").last(), QStringLiteral("Verga Giovanni"));

        // A name edited in the window reaches the full name as the record is stored.
        reg->last();
        QCOMPARE(field("COGNOME"), QStringLiteral("Omero"));
        source->recordset().setValue(QStringLiteral("NOME"), QStringLiteral("Poeta"));
        reg->first();
        QCOMPARE(folder->column("AUTORI", "SOMMA"),
                 QStringList({"Manzoni Alessandro", "Omero Poeta", "Verga Giovanni"}));
    }

    void additionConfirmedOrCancelled() {
        addFour();
        reg->load();
        reg->beginAdd();
        QVERIFY(reg->adding());
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        source->recordset().setValue(QStringLiteral("NOME"), QStringLiteral("Italo"));
        // Nothing else while it is open; a reload in another order would store the half-typed
        // author.
        QVERIFY(!reg->first());
        QVERIFY(!reg->remove());
        QVERIFY(!reg->load(Order::BySurname));
        QVERIFY(!reg->mayClose());
        QCOMPARE(
            folder->messages.texts(),
            QStringList({AuthorsRegister::busyMessage(), AuthorsRegister::busyMessage(),
                         AuthorsRegister::busyMessage(), AuthorsRegister::closeRefusedMessage()}));
        QCOMPARE(folder->messages.log().last().icon, MessageService::Icon::Critical);
        reg->cancelAdd();
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
        QCOMPARE(folder->count("AUTORI"), 5);
        QCOMPARE(field("COGNOME"), QStringLiteral("Hugo"));

        reg->beginAdd();
        source->recordset().setValue(QStringLiteral("NOME"), QStringLiteral("Mario"));
        source->recordset().setValue(QStringLiteral("COGNOME"), QStringLiteral("Rossi"));
        reg->confirmAdd();
        QVERIFY(!reg->adding() && reg->mayClose());
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        QCOMPARE(reg->currentFullName(), QStringLiteral("Rossi Mario"));
        QCOMPARE(folder->column("AUTORI", "SOMMA").last(), QStringLiteral("Rossi Mario"));
    }

    void findOverTheFourFields() {
        addFour();
        reg->load(Order::BySurname);
        folder->state.searchText = QStringLiteral("ital");
        QVERIFY(reg->find(true));
        QCOMPARE(field("COGNOME"), QStringLiteral("Alighieri"));
        QVERIFY(reg->find(false));
        QCOMPARE(counter(), QStringLiteral("3 di 5"));
        QCOMPARE(folder->state.searchCriterion, AuthorsRegister::criterion("ital"));
        // A quote is a character to find (Manzoni's notes hold one).
        folder->state.searchText = QStringLiteral("de \"I");
        QVERIFY(reg->find(true));
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
        folder->state.searchText = QStringLiteral("zzz");
        QVERIFY(!reg->find(true));
        QCOMPARE(folder->messages.count(), 1);
        QCOMPARE(counter(), QStringLiteral("5 di 5"));
    }

    void theOnlyAuthorStays() {
        reg->load();
        QVERIFY(!reg->remove());
        QCOMPARE(folder->count("AUTORI"), 1);
        QCOMPARE(folder->messages.count(), 1);
        addAuthor(QStringLiteral("Dante"), QStringLiteral("Alighieri"));
        reg->load(Order::BySurname);
        QVERIFY(reg->remove());
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
        QCOMPARE(field("COGNOME"), QStringLiteral("Manzoni"));
    }
};

QTEST_GUILESS_MAIN(TestAuthorsRegister)
#include "tst_authorsregister.moc"
