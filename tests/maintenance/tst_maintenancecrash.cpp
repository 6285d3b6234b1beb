// Kills a process in the middle of backups, restores, compactions and card stores, and
// checks after each kill that the catalogue is whole and holds every stored card.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include "maintenance/CatalogueFiles.h"
#include "platform/db/Database.h"
#include "platform/db/Maintenance.h"
#include "test_support/TempProgramFolder.h"

namespace {

using Titles = QSet<QString>;

Titles titlesIn(const QString& path) {
    Titles titles;
    for (const QVariantList& row :
         Database::open(path)->query(QStringLiteral("SELECT TITOLO FROM LIBRI")))
        titles.insert(row.value(0).toString());
    return titles;
}

void tell(int fd, const QByteArray& line) {
    const QByteArray text = line + '\n';
    if (::write(fd, text.constData(), size_t(text.size())) != text.size())
        ::_exit(3);
}

// The child: a random mix of work until it is killed. Each event is reported once done.
[[noreturn]] void work(int fd, quint32 seed, int firstCard) {
    QRandomGenerator random(seed);
    const QString mdb =
        CatalogueFiles::backupPath().replace(QLatin1String(".BK4"), QLatin1String(".MDB"));
    try {
        for (int card = firstCard;; ++card) {
            const int pick = random.bounded(100);
            if (pick < 60) {
                const QString title = QStringLiteral("k%1").arg(card);
                Database::open(mdb)->query(QStringLiteral("INSERT INTO LIBRI (TITOLO) VALUES (?)"),
                                           {title});
                tell(fd, "A " + title.toUtf8());
            } else if (pick < 75) {
                tell(fd, "B");
                CatalogueFiles::backup(CatalogueFiles::backupPath());
                tell(fd, "b");
            } else if (pick < 87) {
                tell(fd, "R");
                CatalogueFiles::restore(CatalogueFiles::backupPath());
                tell(fd, "r");
            } else if (pick < 97) {
                CatalogueFiles::compact();
            } else {
                CatalogueFiles::repair();
            }
        }
    } catch (const std::exception& e) {
        tell(fd, QByteArray("E ") + e.what());
        ::_exit(2);
    }
}

}  // namespace

class MaintenanceCrashTest : public QObject {
    Q_OBJECT

private slots:
    void killsNeverLoseAStoredCard() {
        TempProgramFolder folder({20, 0, 0, 0});
        const QString mdb = folder.cataloguePath();
        const QString bk4 = folder.file("RACCOLIO.BK4");
        CatalogueFiles::backup(bk4);
        Titles stored = titlesIn(mdb);
        Titles saved = stored;

        const int kills = qEnvironmentVariableIntValue("RACCOLIO_CRASH_KILLS") > 0
                              ? qEnvironmentVariableIntValue("RACCOLIO_CRASH_KILLS")
                              : 25;
        QRandomGenerator random(20261207);
        int nextCard = 1;
        int done = 0;  // stores, backups and restores that returned before a kill
        for (int kill = 0; kill < kills; ++kill) {
            int fds[2];
            QVERIFY(::pipe(fds) == 0);
            const quint32 seed = random.generate();
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::close(fds[0]);
                work(fds[1], seed, nextCard);
            }
            ::close(fds[1]);
            // The first report shows the child at work (a loaded machine starts it late);
            // the kill then falls at a random moment after it.
            QByteArray events;
            char buffer[4096];
            if (const ssize_t n = ::read(fds[0], buffer, 1); n > 0)
                events.append(buffer, n);
            ::usleep(useconds_t(random.bounded(0, 30000)));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);

            for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
                events.append(buffer, n);
            ::close(fds[0]);
            QVERIFY2(WIFSIGNALED(status), events.constData());

            // Replay what the child reported as done.
            bool restoring = false, backingUp = false;
            Titles backupCandidate;
            for (const QByteArray& event : events.split('\n')) {
                done += event == "b" || event == "r" || event.startsWith("A ");
                if (event.startsWith("A ")) {
                    stored.insert(QString::fromUtf8(event.mid(2)));
                    nextCard = qMax(nextCard, event.mid(3).toInt() + 1);
                } else if (event == "B") {
                    backingUp = true;
                    backupCandidate = stored;
                } else if (event == "b") {
                    backingUp = false;
                    saved = backupCandidate;
                } else if (event == "R") {
                    restoring = true;
                } else if (event == "r") {
                    restoring = false;
                    stored = saved;
                }
            }

            QVERIFY2(DbMaintenance::isHealthy(mdb), qPrintable(QString::number(kill)));
            const Titles now = titlesIn(mdb);
            QVERIFY2(now.contains(stored) || (restoring && now.contains(saved)),
                     qPrintable(QStringLiteral("kill %1 lost a stored card").arg(kill)));
            QVERIFY(DbMaintenance::isHealthy(bk4));
            const Titles inBackup = titlesIn(bk4);
            QVERIFY(inBackup.contains(saved) || (backingUp && inBackup.contains(backupCandidate)));
            // At most the copy the kill interrupted is left over, never an old one.
            QVERIFY(QDir(folder.path())
                        .entryList({QStringLiteral(".*.tmp")}, QDir::Hidden | QDir::Files)
                        .size() <= 2);
            stored = now;
            saved = inBackup;
        }
        QVERIFY(done > 0);  // the kills did land among finished work
        qInfo("%d kills among %d finished steps, no card lost", kills, done);
    }
};

QTEST_GUILESS_MAIN(MaintenanceCrashTest)
#include "tst_maintenancecrash.moc"
