#include <QDir>
#include <QFile>
#include <QTest>

#include "cards/CardContext.h"
#include "maintenance/CatalogueFiles.h"
#include "maintenance/DamagedCatalogue.h"
#include "maintenance/MaintenanceProcedures.h"
#include "platform/db/Database.h"
#include "test_support/TempProgramFolder.h"

namespace {

using Mode = MaintenanceProcedures::Mode;

// File names handed out in order; an empty one is a cancelled dialog.
class QueuedFiles : public FileDialogService {
public:
    QStringList names;
    int asked = 0;
    QString openFileName(const QString&, const QString&, const QString&) override { return next(); }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override {
        return next();
    }

private:
    QString next() {
        ++asked;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
};

// Counts closes and reopens; the procedures need nothing else of the main window.
class CountingCards : public CardContext {
public:
    int closed = 0;
    int reopened = 0;
    CardBrowser& browser() override { throw std::logic_error("not used"); }
    QString cardField(const QString&) const override { return {}; }
    void setCardField(const QString&, const QString&) override {}
    void reloadLookups() override {}
    void closeDataSources() override { ++closed; }
    void reopenDataSources() override { ++reopened; }
};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void addBook(const QString& catalogue, const QString& title) {
    Database::open(catalogue)->query(QStringLiteral("INSERT INTO LIBRI (TITOLO) VALUES (?)"),
                                     {title});
}

// The damage a torn write leaves: the first page garbled behind an intact header.
void damageFirstPage(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(100);
    f.write(QByteArray(3996, '\x5a'));
}

}  // namespace

class MaintenanceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder_;
    QueuedFiles files_;
    CountingCards cards_;
    std::unique_ptr<Services> services_;
    QList<Mode> modes_;
    QStringList captions_;
    QList<bool> enabled_;
    bool ended_ = false;

    MaintenanceProcedures procedures() {
        MaintenanceProcedures::Hooks hooks;
        hooks.chooseMode = [this](const QString& caption) {
            captions_ << caption;
            return modes_.takeFirst();
        };
        hooks.setWindowEnabled = [this](bool on) { enabled_ << on; };
        hooks.endProgram = [this] { ended_ = true; };
        return MaintenanceProcedures(cards_, *services_, hooks);
    }
    QString mdb() const { return folder_->cataloguePath(); }
    QString bk4() const { return folder_->file(QStringLiteral("RACCOLIO.BK4")); }

private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>(QList<int>{3, 2, 1, 1});
        files_ = {};
        cards_ = {};
        services_ = std::make_unique<Services>(
            Services{folder_->messages, files_, folder_->input, folder_->settings, folder_->state});
        modes_.clear();
        captions_.clear();
        enabled_.clear();
        ended_ = false;
        QDir::setCurrent(QDir::tempPath());
    }
    void cleanup() {
        QCOMPARE(modes_.size(), 0);
        services_.reset();
        folder_.reset();
    }

    void automaticBackupThenRestoreBringsBackTheSavedCards() {
        modes_ << Mode::Automatic << Mode::Automatic;
        procedures().backup();
        QCOMPARE(folder_->messages.lastText(),
                 QStringLiteral("Il backup dei dati è stato completato con successo."));
        QCOMPARE(enabled_, (QList<bool>{false, true}));
        QCOMPARE(QDir::currentPath(), QDir(folder_->path()).canonicalPath());

        addBook(mdb(), QStringLiteral("dopo il backup"));
        QCOMPARE(folder_->count(QStringLiteral("LIBRI")), 4);
        procedures().restore();
        QCOMPARE(captions_, (QStringList{QStringLiteral("Modalità di backup..."),
                                         QStringLiteral("Modalità di ripristino...")}));
        QCOMPARE(folder_->messages.lastText(),
                 QStringLiteral("Il ripristino dei dati è stato completato con successo."));
        QCOMPARE(folder_->count(QStringLiteral("LIBRI")), 3);
        QCOMPARE(cards_.closed, 2);
        QCOMPARE(cards_.reopened, 2);
        const QStringList left = QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left,
                 (QStringList{QStringLiteral("RACCOLIO.BK4"), QStringLiteral("RACCOLIO.MDB")}));
    }

    void cancelAndNoChangeNothing() {
        modes_ << Mode::Cancelled << Mode::Cancelled;
        procedures().backup();
        procedures().restore();
        QCOMPARE(folder_->messages.count(), 0);
        QVERIFY(enabled_.isEmpty());

        folder_->writeFile(QStringLiteral("RACCOLIO.BK4"), "vecchio backup");
        modes_ << Mode::Automatic;
        folder_->messages.queueNo();
        procedures().backup();
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::None);
        QCOMPARE(contents(bk4()), QByteArray("vecchio backup"));
        QCOMPARE(enabled_, (QList<bool>{false, true}));

        modes_ << Mode::Manual << Mode::Manual;  // empty names: the dialog was cancelled
        procedures().backup();
        procedures().restore();
        QCOMPARE(files_.asked, 2);
        QCOMPARE(folder_->messages.count(), 1);

        folder_->messages.queueNo();
        folder_->messages.queueNo();
        procedures().compact();
        procedures().repair();
        QCOMPARE(cards_.closed, 0);
        QVERIFY(!ended_);
    }

    void restoreRefusesWhatIsNoBackup() {
        const QByteArray before = contents(mdb());
        modes_ << Mode::Automatic;
        procedures().restore();
        QCOMPARE(folder_->messages.lastText(),
                 QStringLiteral("Nessun file di backup salvato in precedenza."));

        // Whatever the extension: a text file, and a database without the archives.
        folder_->writeFile(QStringLiteral("testo.bk4"), "non sono un archivio");
        Database::open(folder_->file(QStringLiteral("altro.BK4")),
                       Database::OpenMode::CreateIfMissing)
            ->exec(QStringLiteral("CREATE TABLE T (A)"));
        files_.names << folder_->file(QStringLiteral("testo.bk4"))
                     << folder_->file(QStringLiteral("altro.BK4"));
        modes_ << Mode::Manual << Mode::Manual;
        procedures().restore();
        procedures().restore();
        QCOMPARE(folder_->messages.count(), 3);
        QVERIFY(folder_->messages.lastText().contains(QStringLiteral("non è stato modificato")));
        QCOMPARE(folder_->messages.log().last().icon, MessageService::Icon::Critical);
        QCOMPARE(contents(mdb()), before);
        QCOMPARE(cards_.closed, 0);
    }

    void manualBackupAndRestoreByTheNameChosen() {
        QTemporaryDir elsewhere;
        const QString mixed = elsewhere.filePath(QStringLiteral("Copia.Bk4"));
        files_.names << mixed << mixed;
        modes_ << Mode::Manual << Mode::Manual;
        procedures().backup();
        QVERIFY(QFile::exists(mixed));
        QCOMPARE(QDir::currentPath(), QDir(folder_->path()).canonicalPath());
        addBook(mdb(), QStringLiteral("in più"));
        procedures().restore();  // no validity question for .Bk4
        QCOMPARE(folder_->count(QStringLiteral("LIBRI")), 3);

        QVERIFY(QFile::copy(mixed, elsewhere.filePath(QStringLiteral("copia.bak"))));
        files_.names << elsewhere.filePath(QStringLiteral("copia.bak"))
                     << elsewhere.filePath(QStringLiteral("copia.bak"));
        modes_ << Mode::Manual << Mode::Manual;
        folder_->messages.queueNo();
        procedures().restore();
        QVERIFY(folder_->messages.lastText().startsWith(QStringLiteral("Attenzione! Il file")));
        folder_->messages.queueYes();
        procedures().restore();
        QCOMPARE(folder_->messages.lastText(),
                 QStringLiteral("Il ripristino dei dati è stato completato con successo."));
    }

    void compactionReplacesTheFileAndEndsTheProgram() {
        folder_->writeFile(QStringLiteral("RACCOLIO.VID"), "resto di un'interruzione");
        Database::open(mdb())->exec(QStringLiteral("DELETE FROM CDAUDIO"));
        folder_->messages.queueYes();
        procedures().compact();
        QVERIFY(ended_);
        QVERIFY(!QFile::exists(folder_->file(QStringLiteral("RACCOLIO.VID"))));
        QVERIFY(
            folder_->messages.lastText().contains(QStringLiteral("Riavviare Raccolio 5.5 Pro")));
        QCOMPARE(folder_->count(QStringLiteral("LIBRI")), 3);
        QCOMPARE(folder_->count(QStringLiteral("CDAUDIO")), 0);
        QCOMPARE(cards_.reopened, 0);

        folder_->messages.queueYes();
        procedures().repair();
        QCOMPARE(folder_->messages.lastText(),
                 QStringLiteral("Il recupero dei dati è stato completato con successo."));
        QCOMPARE(cards_.reopened, 1);
    }

    void damagedCatalogueAtStartUp() {
        folder_->writeFile(QStringLiteral("straniero.MDB"), "testo qualsiasi");
        QCOMPARE(CatalogueFiles::examine(folder_->file(QStringLiteral("straniero.MDB"))),
                 CatalogueFiles::State::Foreign);
        QCOMPARE(CatalogueFiles::examine(mdb()), CatalogueFiles::State::Healthy);

        modes_ << Mode::Automatic;
        procedures().backup();
        damageFirstPage(mdb());
        QCOMPARE(CatalogueFiles::examine(mdb()), CatalogueFiles::State::Damaged);
        // Its schema is gone, so nothing can be salvaged; the backup is offered next.
        folder_->messages.queueYes();
        folder_->messages.queueYes();
        QVERIFY(offerCatalogueRecovery(mdb(), folder_->messages));
        QCOMPARE(folder_->count(QStringLiteral("LIBRI")), 3);
        const QStringList kept =
            QDir(folder_->path()).entryList({QStringLiteral("RACCOLIO.damaged-*")});
        QCOMPARE(kept.size(), 1);

        QFile::remove(bk4());
        damageFirstPage(mdb());
        folder_->messages.queueNo();
        QVERIFY(!offerCatalogueRecovery(mdb(), folder_->messages));
    }
};

QTEST_GUILESS_MAIN(MaintenanceTest)
#include "tst_maintenance.moc"
