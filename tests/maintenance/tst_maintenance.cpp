#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "cards/Archives.h"
#include "cards/CardContext.h"
#include "maintenance/CatalogueFiles.h"
#include "maintenance/DamagedCatalogue.h"
#include "maintenance/MaintenanceProcedures.h"
#include "maintenance/RepairSummary.h"
#include "platform/core/AppError.h"
#include "platform/db/Database.h"
#include "platform/services/MessageService.h"
#include "test_support/DamagedPages.h"
#include "test_support/FileBytes.h"
#include "test_support/TempProgramFolder.h"

namespace {

using Mode = MaintenanceProcedures::Mode;

// The procedures only close and reopen the main window's sources.
struct CountingCards : CardContext {
    int closed = 0, reopened = 0;
    CardBrowser& browser() override { throw std::logic_error("not used"); }
    QString cardField(const QString&) const override { return {}; }
    void setCardField(const QString&, const QString&) override {}
    void reloadLookups() override {}
    void closeDataSources() override { ++closed; }
    void reopenDataSources() override { ++reopened; }
};

// What a torn write leaves: the first page garbled behind an intact header.
void damageFirstPage(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(100));
    f.write(QByteArray(3996, 'Z'));
}

// The file header and the table of tables overwritten: no longer an SQLite file.
void loseHeader(const QString& path, const QByteArray& with = QByteArray(4096, char(0xA5))) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.write(with);
}

}  // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    CountingCards cards_;
    QList<Mode> modes_;
    QList<bool> enabled_;
    bool ended_ = false;

    void run(void (MaintenanceProcedures::*procedure)()) {
        MaintenanceProcedures::Hooks hooks;
        hooks.chooseMode = [this](const QString&) { return modes_.takeFirst(); };
        hooks.setWindowEnabled = [this](bool on) { enabled_ << on; };
        hooks.endProgram = [this] { ended_ = true; };
        MaintenanceProcedures procedures(cards_, folder_->services, hooks);
        (procedures.*procedure)();
    }
    QString mdb() const { return folder_->cataloguePath(); }
    QString bk4() const { return folder_->file("RACCOLIO.BK4"); }
    int books() const { return folder_->count("LIBRI"); }
    void addBook() {
        Database::open(mdb())->exec(QStringLiteral("INSERT INTO LIBRI DEFAULT VALUES"));
    }
    QStringList setAside() const {
        return QDir(folder_->path()).entryList({QStringLiteral("RACCOLIO.damaged-*")});
    }

private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>(QList<int>{3, 0, 0, 0});
        cards_ = {};
        enabled_.clear();
        ended_ = false;
        QDir::setCurrent(QDir::tempPath());
    }
    void cleanup() {
        QVERIFY(modes_.isEmpty());
        folder_.reset();
    }

    void automaticBackupAndRestore() {
        modes_ << Mode::Automatic << Mode::Automatic;
        run(&MaintenanceProcedures::backup);
        QCOMPARE(enabled_, (QList<bool>{false, true}));
        QCOMPARE(QDir::currentPath(), QDir(folder_->path()).canonicalPath());

        addBook();
        run(&MaintenanceProcedures::restore);
        QCOMPARE(books(), 3);
        QCOMPARE(cards_.closed, 2);
        QCOMPARE(cards_.reopened, 2);
        // Nothing of the copies is left behind.
        QCOMPARE(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void cancelAndNoChangeNothing() {
        // A cancelled choice, then cancelled file dialogs, then declined questions.
        modes_ << Mode::Cancelled << Mode::Cancelled << Mode::Manual << Mode::Manual;
        folder_->files.queueFileName(QString());
        folder_->files.queueFileName(QString());
        for (auto procedure : {&MaintenanceProcedures::backup, &MaintenanceProcedures::restore,
                               &MaintenanceProcedures::backup, &MaintenanceProcedures::restore})
            run(procedure);
        folder_->messages.queueNo();
        folder_->messages.queueNo();
        run(&MaintenanceProcedures::compact);
        run(&MaintenanceProcedures::repair);
        QCOMPARE(folder_->messages.count(), 2);
        QCOMPARE(cards_.closed, 0);
        QVERIFY(!ended_);

        // Declining to replace an old backup keeps it.
        folder_->writeFile("RACCOLIO.BK4", "vecchio backup");
        modes_ << Mode::Automatic;
        folder_->messages.queueNo();
        run(&MaintenanceProcedures::backup);
        QCOMPARE(readBytes(bk4()), QByteArray("vecchio backup"));
    }

    void restoreRefusesWhatIsNoBackup() {
        const QByteArray before = readBytes(mdb());
        modes_ << Mode::Automatic << Mode::Manual << Mode::Manual;
        run(&MaintenanceProcedures::restore);

        // Whatever the extension: a text file, and a database without the archives.
        folder_->writeFile("testo.bk4", "non sono un archivio");
        Database::open(folder_->file("altro.BK4"), Database::OpenMode::CreateIfMissing)
            ->exec(QStringLiteral("CREATE TABLE T (A)"));
        folder_->files.queueFileName(folder_->file("testo.bk4"));
        folder_->files.queueFileName(folder_->file("altro.BK4"));
        run(&MaintenanceProcedures::restore);
        run(&MaintenanceProcedures::restore);
        QCOMPARE(folder_->messages.count(), 3);
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Critical);
        QCOMPARE(readBytes(mdb()), before);
        QCOMPARE(cards_.closed, 0);
    }

    void manualFilesByTheNameChosen() {
        QTemporaryDir elsewhere;
        const QString mixed = elsewhere.filePath(QStringLiteral("Copia.Bk4"));
        const QString bak = elsewhere.filePath(QStringLiteral("copia.bak"));
        for (const QString& name : {mixed, mixed, bak, bak})
            folder_->files.queueFileName(name);
        modes_ << Mode::Manual << Mode::Manual << Mode::Manual << Mode::Manual;
        run(&MaintenanceProcedures::backup);
        QCOMPARE(QDir::currentPath(), QDir(folder_->path()).canonicalPath());
        addBook();
        run(&MaintenanceProcedures::restore);  // no validity question for .Bk4
        QCOMPARE(books(), 3);

        QVERIFY(QFile::copy(mixed, bak));
        addBook();
        folder_->messages.queueNo();
        run(&MaintenanceProcedures::restore);
        QCOMPARE(books(), 4);
        folder_->messages.queueYes();
        run(&MaintenanceProcedures::restore);
        QCOMPARE(books(), 3);

        // A folder that cannot take the file is refused before the catalogue is let go.
        folder_->files.queueFileName(elsewhere.filePath(QStringLiteral("manca/copia.bk4")));
        modes_ << Mode::Manual;
        const int reopened = cards_.reopened;
        run(&MaintenanceProcedures::backup);
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Critical);
        QCOMPARE(cards_.reopened, reopened);
    }

    void manualProposesTheBackupAlreadyThere() {
        // None yet: the usual name. Then the automatic backup, whose name differs in case.
        modes_ << Mode::Manual << Mode::Automatic << Mode::Manual << Mode::Manual;
        for (int i = 0; i < 3; ++i)
            folder_->files.queueFileName(QString());
        run(&MaintenanceProcedures::backup);
        run(&MaintenanceProcedures::backup);
        run(&MaintenanceProcedures::backup);
        run(&MaintenanceProcedures::restore);
        QCOMPARE(folder_->files.startPaths(),
                 (QStringList{folder_->file("Raccolio.bk4"), bk4(), bk4()}));
    }

    void compactionAndRepair() {
        folder_->writeFile("RACCOLIO.VID", "resto di un'interruzione");
        folder_->messages.queueYes();
        run(&MaintenanceProcedures::compact);
        QVERIFY(ended_);
        QVERIFY(!QFile::exists(folder_->file("RACCOLIO.VID")));
        QCOMPARE(books(), 3);
        QCOMPARE(cards_.reopened, 0);

        folder_->messages.queueYes();
        run(&MaintenanceProcedures::repair);
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Information);
        QCOMPARE(cards_.reopened, 1);
    }

    // The schema page lost, header and all: the archives' cards come back from their pages,
    // the damaged file is kept as it was, and the message says what came back and where the
    // damaged file is.
    void repairWithoutTheSchemaPage() {
        folder_ = std::make_unique<TempProgramFolder>(QList<int>{400, 300, 200, 100});
        QRandomGenerator random(1);
        QByteArray noise(4096, 0);
        for (char& c : noise)
            c = char(random.bounded(256));
        loseHeader(mdb(), noise);
        const QByteArray damaged = readBytes(mdb());

        folder_->messages.queueYes();
        run(&MaintenanceProcedures::repair);
        const QStringList kept = setAside();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readBytes(folder_->file(kept.first())), damaged);
        QCOMPARE(CatalogueFiles::examine(mdb()), CatalogueFiles::State::Healthy);
        const QStringList tables{"LIBRI", "CDAUDIO", "CDROM", "VIDEO"};
        for (int i = 0; i < tables.size(); ++i)
            QCOMPARE(folder_->count(tables[i]), 400 - 100 * i);
        QCOMPARE(folder_->column("LIBRI", "TITOLO").last(), QStringLiteral("LIBRI 400 TITOLO"));
        const ShownMessage& shown = folder_->messages.log().last();
        QCOMPARE(shown.icon, MessageService::Icon::Information);
        QVERIFY2(shown.text.contains(kept.first()) && shown.text.contains(QStringLiteral("400")),
                 qPrintable(shown.text));
        QCOMPARE(cards_.reopened, 1);
    }

    void damagedCatalogueAtStartUp() {
        damageFirstPage(mdb());
        QCOMPARE(CatalogueFiles::examine(mdb()), CatalogueFiles::State::Damaged);
        // Its schema is gone, yet the cards come back from the pages, and the answer says so.
        folder_->messages.queueYes();
        QVERIFY(offerCatalogueRecovery(mdb(), folder_->messages));
        QCOMPARE(books(), 3);
        const QStringList kept = setAside();
        QCOMPARE(kept.size(), 1);
        const QString said = folder_->messages.log().last().text;
        QVERIFY2(said.contains(kept.first()) && said.contains(QStringLiteral("3")),
                 qPrintable(said));
    }

    // Start-up ends with a word that fits the file: a damaged catalogue whose ways out were
    // all declined is not called a foreign file; a foreign file gets the open error alone.
    void unopenedCatalogueEndsWithTheRightWord() {
        const AppError openError(ErrorCode::NotACatalogue, QStringLiteral("Catalogue"),
                                 QStringLiteral("non valido"));
        damageFirstPage(mdb());
        const QByteArray damaged = readBytes(mdb());
        folder_->messages.queueNo();
        folder_->messages.queueNo();
        QVERIFY(!answerUnopenedCatalogue(mdb(), openError, folder_->messages));
        QCOMPARE(folder_->messages.count(), 3);
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Critical);
        QCOMPARE(folder_->messages.lastText(), notRecoveredText());
        QCOMPARE(readBytes(mdb()), damaged);

        folder_->messages.clear();
        folder_->writeFile("RACCOLIO.MDB", "testo qualsiasi");
        QVERIFY(!answerUnopenedCatalogue(mdb(), openError, folder_->messages));
        QCOMPARE(folder_->messages.count(), 1);
        QVERIFY2(folder_->messages.lastText().contains(openError.description()),
                 qPrintable(folder_->messages.lastText()));
        QCOMPARE(readBytes(mdb()), QByteArray("testo qualsiasi"));
    }

    // A file SQLite cannot open is still ours while its pages hold the catalogue's rows,
    // or when it was emptied: it gets the ways out of a damaged catalogue. A file never
    // a catalogue, SQLite's or not, does not.
    void unreadableFilesTakenForWhatTheyWere() {
        QVERIFY(QFile::copy(mdb(), folder_->file("copia.MDB")));
        loseHeader(folder_->file("copia.MDB"));
        folder_->writeFile("vuoto.MDB", {});
        const QString other = folder_->file("altro.db");
        {
            auto db = Database::open(other, Database::OpenMode::CreateIfMissing);
            db->createTable(QStringLiteral("T"), {QStringLiteral("A"), QStringLiteral("B")});
            for (int i = 0; i < 50; ++i)
                db->query(QStringLiteral("INSERT INTO T VALUES (?, ?)"),
                          {QStringLiteral("riga %1").arg(i), QStringLiteral("testo")});
            db->exec(QStringLiteral("CREATE TABLE U (A INTEGER)"));
        }
        loseHeader(other);
        QByteArray noise;
        for (int i = 0; i < 40000; ++i)
            noise.append(char((i * 7919) >> 3));
        folder_->writeFile("rumore.MDB", noise);
        // A page that only looks like rows of five texts: their lengths do not add up.
        QByteArray lookalike(8192, '\0');
        const char page[] = {0x0d, 0, 0, 0, 1, 0x0f, char(0xf0), 0, 0x0f, char(0xf0)};
        const char cell[] = {9, 1, 6, 13, 13, 13, 13, 13};
        lookalike.replace(4096, sizeof page, QByteArray(page, sizeof page));
        lookalike.replace(4096 + 0xff0, sizeof cell, QByteArray(cell, sizeof cell));
        folder_->writeFile("simile.MDB", lookalike);

        using State = CatalogueFiles::State;
        const std::pair<const char*, State> expected[] = {{"copia.MDB", State::Damaged},
                                                          {"vuoto.MDB", State::Damaged},
                                                          {"altro.db", State::Foreign},
                                                          {"rumore.MDB", State::Foreign},
                                                          {"simile.MDB", State::Foreign}};
        for (const auto& [name, state] : expected)
            QVERIFY2(CatalogueFiles::examine(folder_->file(QString::fromLatin1(name))) == state,
                     name);
    }

    // Declining the salvage, the backup comes back; without one, a new empty catalogue
    // takes the file's place. The damaged file is kept either way, byte for byte.
    void headerLostThenRestoredOrSetAside() {
        CatalogueFiles::backup(bk4());
        addBook();
        loseHeader(mdb());
        const QByteArray damaged = readBytes(mdb());
        folder_->messages.queueNo();
        folder_->messages.queueYes();
        QVERIFY(offerCatalogueRecovery(mdb(), folder_->messages));
        QCOMPARE(books(), 3);
        QCOMPARE(readBytes(folder_->file(setAside().value(0))), damaged);

        QVERIFY(QFile::remove(bk4()));
        QVERIFY(writeBytes(mdb(), {}));
        folder_->messages.queueNo();
        folder_->messages.queueYes();
        QVERIFY(offerCatalogueRecovery(mdb(), folder_->messages));
        QCOMPARE(books(), 0);
        QCOMPARE(setAside().size(), 2);
        QCOMPARE(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden).size(),
                 3);  // no temporary file
    }

    // The backup is what is damaged: said so, and the catalogue is as it was.
    void damagedBackupIsNamed() {
        CatalogueFiles::backup(bk4());
        QVERIFY(
            overwritePage(bk4(), pageOf(bk4(), QStringLiteral("LIBRI"), QStringLiteral("leaf"))));
        const QByteArray before = readBytes(mdb());
        modes_ << Mode::Automatic;
        run(&MaintenanceProcedures::restore);
        // The backup named, not the way out of a damaged catalogue.
        const auto namesTheBackup = [](const QString& text) {
            return text.contains(QStringLiteral("RACCOLIO.BK4")) &&
                   !text.contains(QStringLiteral("Recupero Dati"));
        };
        const auto shown = folder_->messages.log();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(namesTheBackup(shown.first().text), qPrintable(shown.first().text));
        QCOMPARE(readBytes(mdb()), before);
        QCOMPARE(cards_.reopened, 1);

        // Likewise when start-up offers it for a damaged catalogue.
        damageFirstPage(mdb());
        const QByteArray damaged = readBytes(mdb());
        folder_->messages.queueNo();
        folder_->messages.queueYes();
        folder_->messages.queueNo();
        QVERIFY(!offerCatalogueRecovery(mdb(), folder_->messages));
        const auto log = folder_->messages.log();
        QCOMPARE(log.at(shown.size() + 2).icon, MessageService::Icon::Critical);
        const QString said = log.at(shown.size() + 2).text;
        QVERIFY2(namesTheBackup(said), qPrintable(said));
        QCOMPARE(readBytes(mdb()), damaged);
    }

    // A private catalogue stays private however it is rewritten, and so is its backup.
    // One note broken on an overflow page: the engine's copy fails on it with a word of its
    // own (a full disk), yet what the user is told is that the catalogue is damaged. Neither
    // copy takes the place of a file.
    void damagedPageRefusesBackupAndCompaction() {
        Database::open(mdb())->query(QStringLiteral("UPDATE LIBRI SET NOTE = ? WHERE rowid = 2"),
                                     {QString(20000, u'n')});
        QVERIFY(overwritePage(mdb(), firstOverflowPageOf(mdb(), QStringLiteral("LIBRI"))));
        const QByteArray damaged = readBytes(mdb());
        modes_ << Mode::Automatic;
        run(&MaintenanceProcedures::backup);
        folder_->messages.queueYes();
        run(&MaintenanceProcedures::compact);
        QCOMPARE(folder_->messages.count(), 3);  // the backup's refusal, the question, the other
        for (int i : {0, 2})
            QVERIFY2(folder_->messages.log()[i].text.contains(QStringLiteral("3049")),
                     qPrintable(folder_->messages.log()[i].text));
        QVERIFY(!QFile::exists(bk4()));
        QCOMPARE(readBytes(mdb()), damaged);
        QVERIFY(!ended_);
    }

    // A note broken on an overflow page: the card comes back with what lies before the
    // break, and the closing words count it incomplete, in its own archive's line alone.
    void brokenNoteComesBackIncomplete() {
        const QString note(20000, u'n');
        Database::open(mdb())->query(QStringLiteral("UPDATE LIBRI SET NOTE = ? WHERE rowid = 2"),
                                     {note});
        QVERIFY(overwritePage(mdb(), firstOverflowPageOf(mdb(), QStringLiteral("LIBRI"))));
        const CatalogueFiles::RepairOutcome outcome = CatalogueFiles::repair();
        QCOMPARE(outcome.report.tables.at(0).name, QStringLiteral("LIBRI"));
        QCOMPARE(outcome.report.tables[0].recovered, 3);
        QCOMPARE(outcome.report.tables[0].incomplete, 1);
        QCOMPARE(outcome.report.tables[0].lost, 0);
        QCOMPARE(folder_->column(QStringLiteral("LIBRI"), QStringLiteral("TITOLO")).at(1),
                 QStringLiteral("LIBRI 2 TITOLO"));
        const QString kept = folder_->column(QStringLiteral("LIBRI"), QStringLiteral("NOTE")).at(1);
        QVERIFY(!kept.isEmpty() && kept.size() < 4096 && note.startsWith(kept));

        QStringList naming;
        for (const QString& line : RepairSummary::message(outcome).split(QLatin1Char('\n')))
            if (line.contains(QStringLiteral("1 incompleta")))
                naming << line;
        QCOMPARE(naming.size(), 1);
        QVERIFY2(naming[0].startsWith(Archives::byTable(QStringLiteral("LIBRI"))->caption),
                 qPrintable(naming[0]));
    }

    void modeAndOwnerKept() {
        const auto modeOf = [](const QString& path) {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0
                       ? QPair<int, uint>(int(st.st_mode & 07777), uint(st.st_uid))
                       : QPair<int, uint>(-1, 0);
        };
        const bool root = ::geteuid() == 0;  // only root can give a file away
        const uint owner = root ? 4321 : ::geteuid();
        const auto setMode = [](const QString& path, mode_t mode) {
            return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
        };
        QVERIFY(setMode(mdb(), 0600));
        if (root)
            QVERIFY(::chown(QFile::encodeName(mdb()).constData(), owner, owner) == 0);
        const QPair<int, uint> private_(0600, owner);
        folder_->writeFile("RACCOLIO.BK4", "vecchio");
        QVERIFY(setMode(bk4(), 0644));

        CatalogueFiles::backup(bk4());
        QCOMPARE(modeOf(bk4()), private_);
        CatalogueFiles::compact();
        QCOMPARE(modeOf(mdb()), private_);
        QVERIFY(setMode(bk4(), 0644));
        CatalogueFiles::restore(bk4());
        QCOMPARE(modeOf(mdb()), private_);
        QVERIFY(
            overwritePage(mdb(), pageOf(mdb(), QStringLiteral("LIBRI"), QStringLiteral("leaf"))));
        QVERIFY(CatalogueFiles::repair().report.salvaged);
        QCOMPARE(modeOf(mdb()), private_);
        CatalogueFiles::startAfresh(mdb());
        QCOMPARE(modeOf(mdb()), private_);
    }
};

QTEST_GUILESS_MAIN(MaintenanceTest)
#include "tst_maintenance.moc"
