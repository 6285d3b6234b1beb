#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "platform/settings/SettingsStore.h"
#include "test_support/FileBytes.h"

class TestSettingsStore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<SettingsStore> store;

    QString keyFile() const { return store->fileForKey(SettingsStore::keyPath()); }

private slots:
    void init() {
        root = std::make_unique<QTemporaryDir>();
        store = std::make_unique<SettingsStore>(root->path());
    }

    void keyPathMapsToOneFile() {
        QVERIFY(!store->keyExists(SettingsStore::keyPath()));
        store->createKey(SettingsStore::keyPath());
        QVERIFY(QFileInfo(keyFile()).isFile());
        // Creating an existing key opens it: nothing is lost.
        store->write("Elimina", "0");
        store->createKey(SettingsStore::keyPath());
        QCOMPARE(store->read("Elimina"), QStringLiteral("0"));

        // Keys never escape the root.
        QVERIFY(store->fileForKey("Software\\..\\..\\etc").isEmpty());
        store->createKey("..\\outside");
        QVERIFY(!QFileInfo::exists(root->path() + "/../outside"));
    }

    // The environment is left changed: the other cases pass their root explicitly.
    void defaultRootFollowsXdgThenHome() {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", root->path().toUtf8());
        QCOMPARE(SettingsStore().fileForKey("A\\B"), root->path() + "/A/B");
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        QCOMPARE(SettingsStore().fileForKey("A\\B"), home.path() + "/.config/A/B");
    }

    void readsAndWritesStrings() {
        store->createKey(SettingsStore::keyPath());

        // A missing value is empty, also right after a read that had content.
        store->write("Password", "abc");
        QCOMPARE(store->read("Password"), QStringLiteral("abc"));  // no trailing zero
        QCOMPARE(store->read("SetRisoluzione"), QString());

        store->write("Password", QStringLiteral("perché€"));
        QCOMPARE(store->read("Password"), QStringLiteral("perché€"));

        // Value names are case-insensitive, as in the registry.
        store->write("password", "xyz");
        QCOMPARE(store->read("PASSWORD"), QStringLiteral("xyz"));

        // Flags are on only for exactly "1".
        store->write("Uscita", "1");
        store->write("About", " 1");
        QVERIFY(store->flag("Uscita"));
        QVERIFY(!store->flag("About"));

        // Other keys are separate files.
        store->createKey("Software\\Other");
        store->write("Software\\Other", "Password", "other");
        QCOMPARE(store->read("Password"), QStringLiteral("xyz"));
    }

    void nothingIsCached() {
        const SettingsStore& a = *store;
        const SettingsStore b(root->path());
        a.ensureDefaults();
        QCOMPARE(b.read("Elimina"), QStringLiteral("1"));
        // A change made behind the program's back shows at the next read.
        QVERIFY(writeBytes(keyFile(), R"({"Elimina": {"type": 1, "value": "7"}})"));
        QCOMPARE(a.read("Elimina"), QStringLiteral("7"));
        QCOMPARE(a.read("About"), QString());
    }

    void missingKeyWritesNothing() {
        store->write("Elimina", "1");
        QCOMPARE(store->read("Elimina"), QString());
        QVERIFY(QDir(root->path()).isEmpty());

        // The key deleted while the program runs: writes change nothing, reads are empty.
        store->ensureDefaults();
        store->deleteKey(SettingsStore::keyPath());
        store->write("Password", "new");
        QVERIFY(!store->keyExists(SettingsStore::keyPath()));
        QCOMPARE(store->read("Password"), QString());
        QVERIFY(!store->flag("Uscita"));
    }

    void defaults() {
        store->ensureDefaults();
        // SetRisoluzione stays absent: the file names only the seven defaults.
        const QByteArray bytes = readBytes(keyFile());
        QVERIFY(!bytes.contains("SetRisoluzione") && bytes.contains("\"Password\""));

        // An existing key is left as it is.
        store->write("Elimina", "0");
        store->ensureDefaults();
        QCOMPARE(store->read("Elimina"), QStringLiteral("0"));
    }

    void numberAndMultiStringValues() {
        const QString key = SettingsStore::keyPath();
        store->createKey(key);

        const auto dword = [&](const char* value) {
            store->write(key, "N", value, SettingsStore::DWord);
            return store->read("N");
        };
        QCOMPARE(dword("-5"), QStringLiteral("-5"));
        QCOMPARE(dword("4294967295"), QStringLiteral("-1"));  // wraps like a DWORD
        QCOMPARE(dword("abc"), QStringLiteral("0"));
        // Writing a string over a number changes its type.
        store->write(key, "N", "testo");
        QCOMPARE(store->read("N"), QStringLiteral("testo"));

        // A multi-string reads as one string: the text up to the first zero.
        store->write(key, "M", QStringLiteral("uno") + QChar(u'\0') + "due",
                     SettingsStore::MultiString);
        QCOMPARE(store->read("M"), QStringLiteral("uno"));

        // Types the store does not read, and entries of the wrong shape, are empty.
        QVERIFY(writeBytes(store->fileForKey(key), R"({"Bin": {"type": 3, "value": "AAEC"},
            "Bad1": {"type": 1, "value": 12}, "Flat": "1",
            "Multi": {"type": 7, "value": ["a", "b"]}})"));
        for (const char* name : {"Bin", "Bad1", "Flat"})
            QCOMPARE(store->read(name), QString());
        QCOMPARE(store->read("Multi"), QStringLiteral("a"));
    }

    void filesAreOwnerOnlyAndWrittenAtomically() {
        store->ensureDefaults();
        const QString file = keyFile();
        const auto ownerRw = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const auto ownerRwx = ownerRw | QFileDevice::ExeOwner;
        const auto mask = ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);

        QCOMPARE(QFileInfo(file).permissions() & mask, ownerRw);
        for (const char* dir :
             {"/Software", "/Software/Brenvati", "/Software/Brenvati/Raccolio 5.5 Pro"})
            QCOMPARE(QFileInfo(root->path() + dir).permissions() & mask, ownerRwx);

        // Rewriting keeps owner-only access even if someone loosened it.
        QFile::setPermissions(file, ownerRw | QFileDevice::ReadOther | QFileDevice::ReadGroup);
        for (int i = 0; i < 20; ++i)
            store->write("Password", QString::number(i));
        QCOMPARE(QFileInfo(file).permissions() & mask, ownerRw);
        QCOMPARE(store->read("Password"), QStringLiteral("19"));
        // No temporary files stay behind.
        QCOMPARE(QDir(QFileInfo(file).path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"Settings"});
    }

    void damagedFileIsAKeyWithoutValues() {
        store->ensureDefaults();
        const QString file = keyFile();

        for (const QByteArray& damage :
             {QByteArray("{\"Elimina\": {\"type\": 1, \"val"), QByteArray("[1, 2]"),
              QByteArray("\x00\xff\xfe", 3), QByteArray()}) {
            QVERIFY(writeBytes(file, damage));
            QVERIFY(store->keyExists(SettingsStore::keyPath()));
            QCOMPARE(store->read("Elimina"), QString());
            // The key is still there to be written: the file is whole again afterwards.
            store->write("Elimina", "1");
            QCOMPARE(store->read("Elimina"), QStringLiteral("1"));
            QCOMPARE(store->read("Uscita"), QString());
        }

        // Damage read past: a zero-filled tail, and bytes that are not UTF-8 (Latin-1).
        // A zero in a value, written raw or escaped, ends it as in the registry.
        const QByteArray entry = "{\"Titolo\": {\"type\": 1, \"value\": \"%1\"}}";
        const auto titleOf = [](const QByteArray& bytes) {
            return SettingsStore::readValue(bytes, QStringLiteral("Titolo"));
        };
        QCOMPARE(titleOf(QByteArray(entry).replace("%1", "Tot\xf2") + QByteArray(4096, '\0')),
                 QStringLiteral("Totò"));
        QCOMPARE(titleOf(QByteArray(entry).replace("%1", QByteArray("a\0b", 3))),
                 QStringLiteral("a"));
        QCOMPARE(titleOf(QByteArray(entry).replace("%1", "a\\u0000b")), QStringLiteral("a"));
    }

    void unreadableFileIsLeftAlone() {
        store->ensureDefaults();
        const QString file = keyFile();
        const QByteArray before = readBytes(file);
        QFile::setPermissions(file, QFileDevice::WriteOwner);
        if (QFile probe(file); probe.open(QIODevice::ReadOnly))
            QSKIP("permissions do not stop this user's reads (root)");
        QCOMPARE(store->read("Elimina"), QString());
        store->write("Elimina", "0");
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readBytes(file), before);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
