#include <QDir>
#include <QFile>
#include <QTest>

#include "cards/CardContext.h"
#include "maintenance/CatalogueFiles.h"
#include "maintenance/DamagedCatalogue.h"
#include "maintenance/MaintenanceProcedures.h"
#include "platform/db/Database.h"
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

}  // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    CountingCards cards_;
    QList<Mode> modes_;
    QList<bool> enabled_;
    bool ended_ = false;

    void run(void (MaintenanceProcedures::*procedure)()) {
        Services services{folder_->messages, folder_->files, folder_->input, folder_->settings,
                          folder_->state};
        MaintenanceProcedures::Hooks hooks;
        hooks.chooseMode = [this](const QString&) { return modes_.takeFirst(); };
        hooks.setWindowEnabled = [this](bool on) { enabled_ << on; };
        hooks.endProgram = [this] { ended_ = true; };
        MaintenanceProcedures procedures(cards_, services, hooks);
        (procedures.*procedure)();
    }
    QString mdb() const { return folder_->cataloguePath(); }
    QString bk4() const { return folder_->file(QStringLiteral("RACCOLIO.BK4")); }
    int books() const { return folder_->count(QStringLiteral("LIBRI")); }
    void addBook() {
        Database::open(mdb())->exec(QStringLiteral("INSERT INTO LIBRI DEFAULT VALUES"));
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
        folder_->writeFile(QStringLiteral("RACCOLIO.BK4"), "vecchio backup");
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
        folder_->writeFile(QStringLiteral("testo.bk4"), "non sono un archivio");
        Database::open(folder_->file(QStringLiteral("altro.BK4")),
                       Database::OpenMode::CreateIfMissing)
            ->exec(QStringLiteral("CREATE TABLE T (A)"));
        folder_->files.queueFileName(folder_->file(QStringLiteral("testo.bk4")));
        folder_->files.queueFileName(folder_->file(QStringLiteral("altro.BK4")));
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

    void compactionAndRepair() {
        folder_->writeFile(QStringLiteral("RACCOLIO.VID"), "resto di un'interruzione");
        folder_->messages.queueYes();
        run(&MaintenanceProcedures::compact);
        QVERIFY(ended_);
        QVERIFY(!QFile::exists(folder_->file(QStringLiteral("RACCOLIO.VID"))));
        QCOMPARE(books(), 3);
        QCOMPARE(cards_.reopened, 0);

        folder_->messages.queueYes();
        run(&MaintenanceProcedures::repair);
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Information);
        QCOMPARE(cards_.reopened, 1);
    }

    void damagedCatalogueAtStartUp() {
        folder_->writeFile(QStringLiteral("straniero.MDB"), "testo qualsiasi");
        QCOMPARE(CatalogueFiles::examine(folder_->file(QStringLiteral("straniero.MDB"))),
                 CatalogueFiles::State::Foreign);
        CatalogueFiles::backup(bk4());
        damageFirstPage(mdb());
        QCOMPARE(CatalogueFiles::examine(mdb()), CatalogueFiles::State::Damaged);
        // Its schema is gone, so nothing can be salvaged; the backup is offered next.
        folder_->messages.queueYes();
        folder_->messages.queueYes();
        QVERIFY(offerCatalogueRecovery(mdb(), folder_->messages));
        QCOMPARE(books(), 3);
        QCOMPARE(QDir(folder_->path()).entryList({QStringLiteral("RACCOLIO.damaged-*")}).size(), 1);

        QFile::remove(bk4());
        damageFirstPage(mdb());
        folder_->messages.queueNo();
        folder_->messages.queueNo();
        QVERIFY(!offerCatalogueRecovery(mdb(), folder_->messages));
    }
};

QTEST_GUILESS_MAIN(MaintenanceTest)
#include "tst_maintenance.moc"
