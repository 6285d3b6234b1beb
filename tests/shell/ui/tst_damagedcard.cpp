#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QtEndian>

#include "maintenance/CatalogueFiles.h"
#include "platform/db/Database.h"
#include "test_support/DamagedPages.h"
#include "test_support/FileBytes.h"
#include "test_support/MainWindowFixture.h"

namespace {

const QString kLongNote(20000, u'n');

// The page reads well again, as after a read that failed once; the file's change counter
// moves on, so that the engine reads the page anew instead of keeping what it read.
void putPageBack(const QString& path, qint64 page, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((page - 1) * kPageSize));
    QCOMPARE(f.write(bytes), kPageSize);
    quint32 value = 0;
    QVERIFY(f.seek(24) && f.read(reinterpret_cast<char*>(&value), 4) == 4);
    value = qToBigEndian(qFromBigEndian(value) + 1);
    for (qint64 at : {24, 92})  // the change counter, and the one the page count is valid for
        QVERIFY(f.seek(at) && f.write(reinterpret_cast<const char*>(&value), 4) == 4);
}

}  // namespace

// A card whose row has a broken page, met while the program runs: 4 books, the second
// with a note long enough to spill over several pages, the first of which is overwritten.
class TestDamagedCard : public QObject, MainWindowTest {
    Q_OBJECT

    qint64 damagedPage = 0;
    QByteArray goodPage;

    QString secondBook(const char* field) const {
        return folder->column("LIBRI", QString::fromLatin1(field)).value(1);
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{4, 0, 0, 0});
        const QString path = folder->cataloguePath();
        Database::open(path)->query(QStringLiteral("UPDATE LIBRI SET NOTE = ? WHERE rowid = 2"),
                                    {kLongNote});
        damagedPage = firstOverflowPageOf(path, QStringLiteral("LIBRI"));
        goodPage = readBytes(path).mid((damagedPage - 1) * kPageSize, kPageSize);
        QCOMPARE(goodPage.size(), kPageSize);
        QVERIFY(overwritePage(path, damagedPage));
    }
    void cleanup() { closeAll(); }

    // What the card shows is not the card: even once the row could be read again, no
    // typing reaches it and an edit set from elsewhere is refused, so the card that is
    // left keeps its stored note.
    void unreadableCardIsNeverStored() {
        window = startMainWindow(*folder);
        click("ID_Next");
        auto* note = control<QPlainTextEdit>("Text10A");
        QVERIFY(note->toPlainText().isEmpty());
        putPageBack(folder->cataloguePath(), damagedPage, goodPage);

        QTest::keyClicks(note, QStringLiteral("x"));
        QTest::keyClicks(control<QLineEdit>("Text1"), QStringLiteral("y"));
        window->setCardField(QStringLiteral("NOTE"), QStringLiteral("Nota nuova"));
        click("ID_Next");
        QCOMPARE(secondBook("NOTE"), kLongNote);
        QCOMPARE(secondBook("TITOLO"), QStringLiteral("LIBRI 2 TITOLO"));
        // The refusal said once, for the edit set from elsewhere; typing met closed fields.
        QCOMPARE(folder->messages.count(), 1);
        QVERIFY(folder->messages.lastText().contains(QStringLiteral("3049")));
    }

    // Meeting the damage offers the recovery once; declined, browsing goes on without
    // another word, accepted, the catalogue is whole again.
    void damageIsOfferedOnce_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("declined") << false;
        QTest::newRow("accepted") << true;
    }
    void damageIsOfferedOnce() {
        QFETCH(bool, accept);
        window = startProgram(*folder);
        QCOMPARE(folder->messages.count(), 0);
        accept ? folder->messages.queueYes() : folder->messages.queueNo();
        click("ID_Next");
        QTRY_COMPARE(folder->messages.count(), accept ? 2 : 1);
        QCOMPARE(folder->messages.log().first().icon, MessageService::Icon::Question);
        QCOMPARE(CatalogueFiles::examine(folder->cataloguePath()) == CatalogueFiles::State::Healthy,
                 accept);
        for (const char* id : {"ID_First", "ID_Next", "ID_Next", "ID_Previous"})
            click(id);
        QTest::qWait(50);
        QCOMPARE(folder->messages.count(), accept ? 2 : 1);
    }
};

QTEST_MAIN(TestDamagedCard)
#include "tst_damagedcard.moc"
