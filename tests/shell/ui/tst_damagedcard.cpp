#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QtEndian>

#include "maintenance/CatalogueFiles.h"
#include "platform/db/Database.h"
#include "search/ui/FindWindow.h"
#include "search/ui/RicercaForm.h"
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

    // A find or a search that reads the damaged card says so, and only then offers the
    // recovery, once as for a card; one that meets no damage offers nothing.
    void searchesMeetingDamageOfferOnce_data() {
        QTest::addColumn<bool>("structured");
        QTest::newRow("find") << false;
        QTest::newRow("structured search") << true;
    }
    void searchesMeetingDamageOfferOnce() {
        QFETCH(bool, structured);
        window = startProgram(*folder);
        const auto search = [&](const char* field, const QString& text) {
            std::unique_ptr<QDialog> form;
            form = structured
                       ? std::unique_ptr<QDialog>(
                             std::make_unique<RicercaForm>(*window, folder->services, window.get()))
                       : std::make_unique<FindWindow>(*window, folder->services, window.get());
            form->show();
            child<QComboBox>(*form, "Combo1")->setCurrentText(QString::fromLatin1(field));
            child<QLineEdit>(*form, "txtExpression")->setText(text);
            QTest::mouseClick(child<QPushButton>(*form, "cmdOK"), Qt::LeftButton);
            form.reset();  // a modal form holds the offer back until it closes
            QTest::qWait(50);
        };
        const auto asked = [&] {
            return std::count_if(
                folder->messages.log().begin(), folder->messages.log().end(),
                [](const ShownMessage& m) { return m.icon == MessageService::Icon::Question; });
        };
        search("TITOLO", QStringLiteral("LIBRI 4"));
        QCOMPARE(asked(), 0);
        const int before = folder->messages.count();

        folder->messages.queueNo();
        search("NOTE", QStringLiteral("nnn"));
        QTRY_COMPARE(folder->messages.count(), before + 2);
        QVERIFY(folder->messages.log()[before].text.contains(QStringLiteral("3049")));
        QCOMPARE(folder->messages.log()[before + 1].icon, MessageService::Icon::Question);
        search("NOTE", QStringLiteral("nnn"));
        QCOMPARE(folder->messages.count(), before + 3);
        QCOMPARE(asked(), 1);
    }
};

QTEST_MAIN(TestDamagedCard)
#include "tst_damagedcard.moc"
