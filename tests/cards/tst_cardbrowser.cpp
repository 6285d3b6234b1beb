#include <QSignalSpy>
#include <QTest>

#include "cards/CardBrowser.h"
#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"
#include "platform/services/MessageService.h"
#include "test_support/TempProgramFolder.h"

// The browsing and editing rules on a catalogue of 17 books, 1 music card, no storage
// media and 5 videos, without any window.
class TestCardBrowser : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::array<std::unique_ptr<DataSource>, 4> sources;
    std::unique_ptr<CardBrowser> browser;

    QString counter() const {
        return QStringLiteral("%1 di %2").arg(browser->position()).arg(browser->count());
    }
    QString title() const {
        return browser->currentSource().recordset().value(QStringLiteral("TITOLO")).toString();
    }
    void setTitle(const QString& text) {
        browser->currentSource().recordset().setValue(QStringLiteral("TITOLO"), text);
    }
    void start() {
        browser->openCurrent();
        browser->last();
        browser->first();
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{17, 1, 0, 5});
        std::array<DataSource*, 4> raw{};
        for (Archive a : allArchives) {
            auto& s = sources[std::size_t(archiveIndex(a))];
            s = std::make_unique<DataSource>();
            s->setDatabaseName(folder->cataloguePath());
            s->setRecordSource(Archives::def(a).table);
            raw[std::size_t(archiveIndex(a))] = s.get();
        }
        browser = std::make_unique<CardBrowser>(folder->messages, folder->settings);
        browser->setSources(raw);
    }
    void cleanup() {
        browser.reset();
        for (auto& s : sources)
            s.reset();
        QCOMPARE(folder->messages.pendingAnswers(), 0);
        folder.reset();
    }

    void movesAndEndMessages() {
        start();
        // Only the archive shown is read at start.
        QVERIFY(sources[0]->isOpen());
        QVERIFY(!sources[1]->isOpen() && !sources[3]->isOpen());
        QCOMPARE(counter(), QStringLiteral("1 di 17"));
        browser->previous();
        QCOMPARE(folder->messages.count(), 1);
        QCOMPARE(counter(), QStringLiteral("1 di 17"));
        QCOMPARE(title(), QStringLiteral("LIBRI 1 TITOLO"));
        browser->next();
        QCOMPARE(title(), QStringLiteral("LIBRI 2 TITOLO"));
        browser->last();
        QCOMPARE(counter(), QStringLiteral("17 di 17"));
        browser->next();
        QCOMPARE(folder->messages.count(), 2);
        QCOMPARE(counter(), QStringLiteral("17 di 17"));
        browser->previous();
        QCOMPARE(counter(), QStringLiteral("16 di 17"));
        QCOMPARE(title(), QStringLiteral("LIBRI 16 TITOLO"));
    }

    void oneCardAndEmptyArchives() {
        start();
        browser->selectArchive(Archive::Music);
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
        browser->previous();
        browser->next();
        browser->remove();
        QCOMPARE(folder->messages.count(), 3);
        QCOMPARE(folder->count("CDAUDIO"), 1);

        browser->selectArchive(Archive::Media);
        folder->messages.clear();
        QCOMPARE(counter(), QStringLiteral("0 di 0"));
        browser->first();
        browser->last();
        QCOMPARE(folder->messages.count(), 0);
        browser->previous();
        browser->next();
        QCOMPARE(counter(), QStringLiteral("0 di 0"));
        browser->add();
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
        setTitle(QStringLiteral("Dischi del 1998"));
        browser->confirm();
        QCOMPARE(counter(), QStringLiteral("1 di 1"));
        QCOMPARE(folder->column("CDROM", "TITOLO"), QStringList{QStringLiteral("Dischi del 1998")});
    }

    void tabChangeLandsOnFirstCardAndStoresTheEdit() {
        start();
        QSignalSpy changed(browser.get(), &CardBrowser::archiveChanged);
        browser->last();
        setTitle(QStringLiteral("Cambio scheda"));
        browser->selectArchive(Archive::Videos);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(title(), QStringLiteral("VIDEO 1 TITOLO"));
        QVERIFY(sources[3]->isVisible() && !sources[0]->isVisible());
        QCOMPARE(folder->column("LIBRI", "TITOLO").last(), QStringLiteral("Cambio scheda"));
        browser->selectArchive(Archive::Books);
        QCOMPARE(counter(), QStringLiteral("1 di 17"));
        QCOMPARE(title(), QStringLiteral("LIBRI 1 TITOLO"));
    }

    // Open for reading only, as a read-only file is: browsing goes on, each change is
    // refused with a message before any question, and an edit that reached the buffer is
    // dropped instead of failing every move.
    void readOnlyCatalogue() {
        const QStringList stored = folder->column("LIBRI", "TITOLO");
        const auto readOnly = Database::open(folder->cataloguePath(), Database::OpenMode::ReadOnly);
        start();
        QSignalSpy changed(browser.get(), &CardBrowser::readOnlyChanged);
        browser->checkReadOnly();
        QVERIFY(browser->isReadOnly());
        QCOMPARE(changed.count(), 1);
        browser->add();
        browser->next();
        browser->remove();  // Elimina is "1": the question is not asked in vain
        QCOMPARE(folder->messages.count(), 2);
        for (const ShownMessage& m : folder->messages.log()) {
            QCOMPARE(m.icon, MessageService::Icon::Information);
            QVERIFY(m.text.contains(folder->cataloguePath()));
        }
        QVERIFY(!browser->addPending());
        QCOMPARE(counter(), QStringLiteral("2 di 17"));

        setTitle(QStringLiteral("Mai salvato"));
        browser->next();
        QCOMPARE(title(), QStringLiteral("LIBRI 3 TITOLO"));
        setTitle(QStringLiteral("Mai salvato"));
        browser->selectArchive(Archive::Videos);
        QCOMPARE(counter(), QStringLiteral("1 di 5"));
        QCOMPARE(folder->messages.count(), 2);
        QCOMPARE(folder->column("LIBRI", "TITOLO"), stored);
    }

    void addWhileBrowsing() {
        start();
        browser->selectArchive(Archive::Videos);
        browser->next();
        browser->next();
        QSignalSpy pending(browser.get(), &CardBrowser::addPendingChanged);
        QList<int> positions;
        connect(browser.get(), &CardBrowser::positionChanged, this,
                [&positions](int p) { positions << p; });
        browser->add();  // Aggiungi is "0": no question
        QCOMPARE(folder->messages.count(), 0);
        QCOMPARE(positions, (QList<int>{5, 6}));  // the last card first, then the new one
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        QVERIFY(browser->addPending());
        QCOMPARE(pending.count(), 1);
        setTitle(QStringLiteral("Nuovo film"));
        browser->confirm();
        QVERIFY(!browser->addPending());
        QCOMPARE(counter(), QStringLiteral("6 di 6"));
        QCOMPARE(title(), QStringLiteral("Nuovo film"));
        QCOMPARE(folder->count("VIDEO"), 6);

        // A tab change with a card pending confirms it first.
        browser->add();
        setTitle(QStringLiteral("Confermato dal cambio"));
        browser->selectArchive(Archive::Books);
        QVERIFY(!browser->addPending());
        QCOMPARE(folder->column("VIDEO", "TITOLO").last(), QStringLiteral("Confermato dal cambio"));
    }

    void questionsWhenConfigured() {
        folder->settings.write(QStringLiteral("Aggiungi"), QStringLiteral("1"));
        start();
        folder->messages.queueNo();
        browser->add();
        QVERIFY(!browser->addPending());
        QCOMPARE(counter(), QStringLiteral("1 di 17"));

        browser->next();
        folder->messages.queueNo();
        browser->remove();
        QCOMPARE(counter(), QStringLiteral("2 di 17"));
        QCOMPARE(folder->count("LIBRI"), 17);
    }

    void deletePositions_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("shown");
        // The question, and nothing after it: no end-of-archive message from the move.
        QTest::addColumn<int>("messages");
        QTest::newRow("first") << 1 << "1 di 16"
                               << "LIBRI 2 TITOLO" << 1;
        QTest::newRow("seventh") << 7 << "6 di 16"
                                 << "LIBRI 6 TITOLO" << 1;
        QTest::newRow("last") << 17 << "16 di 16"
                              << "LIBRI 16 TITOLO" << 1;
    }
    void deletePositions() {
        QFETCH(int, from);
        QFETCH(QString, after);
        QFETCH(QString, shown);
        QFETCH(int, messages);
        start();
        for (int i = 1; i < from; ++i)
            browser->next();
        folder->messages.queueYes();
        browser->remove();
        QCOMPARE(counter(), after);
        QCOMPARE(title(), shown);
        QCOMPARE(folder->count("LIBRI"), 16);
        QCOMPARE(folder->messages.count(), messages);
    }
};

QTEST_GUILESS_MAIN(TestCardBrowser)
#include "tst_cardbrowser.moc"
