#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/core/AppError.h"
#include "registers/FileListChooser.h"

class TestFileListChooser : public QObject {
    Q_OBJECT

private slots:
    void listsMatchingFilesWithFullPaths() {
        QTemporaryDir dir;
        for (const char* name : {"b.TXT", "a.txt", "c.doc", "LEGGIMI"})
            QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
        QDir(dir.path()).mkdir(QStringLiteral("sub.txt"));
        const QString folder = dir.path();
        QCOMPARE(FileListChooser::matchingFiles(folder, QStringLiteral("*.txt")),
                 QStringList({folder + "/a.txt", folder + "/b.TXT"}));
        QCOMPARE(FileListChooser::matchingFiles(folder, QStringLiteral("*.*")).size(), 4);
        QCOMPARE(FileListChooser::fullPath(QStringLiteral("/"), QStringLiteral("a.txt")),
                 QStringLiteral("/a.txt"));
        QCOMPARE(FileListChooser::fullPath(QStringLiteral("/doc"), QStringLiteral("a.txt")),
                 QStringLiteral("/doc/a.txt"));
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 FileListChooser::matchingFiles(folder + "/nessuna", "*.*"));
    }

    void movesAndAppends() {
        QStringList from{"/a", "/b"}, to;
        QVERIFY(!FileListChooser::moveEntry(from, -1, to));
        QVERIFY(FileListChooser::moveEntry(from, 1, to));
        QCOMPARE(from, QStringList{"/a"});
        QCOMPARE(to, QStringList{"/b"});
        QCOMPARE(FileListChooser::appendLines({}, {"/a", "/b"}), QStringLiteral("/a\n/b"));
        QCOMPARE(FileListChooser::appendLines("x", {"/a"}), QStringLiteral("x\n/a"));
        QCOMPARE(FileListChooser::appendLines("x", {}), QStringLiteral("x"));
        QVERIFY(FileListChooser::drives().startsWith(QStringLiteral("/")));
    }
};

QTEST_GUILESS_MAIN(TestFileListChooser)
#include "tst_filelistchooser.moc"
