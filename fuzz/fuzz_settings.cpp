// A settings key file edited by hand or damaged: every read and a write over it
// work silently, and what was written reads back.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "platform/settings/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    static const SettingsStore store(dir.path());
    static const QString key = QStringLiteral("Software\\Fuzz\\Settings");
    static const QString file = [] {
        store.createKey(key);
        return store.fileForKey(key);
    }();
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    for (const char* name : {"Titolo", "VIDEO", "Colore", "x"})
        (void)store.read(key, QString::fromLatin1(name));
    // A write commits through a synced temporary file: slow, so only now and then.
    if (size % 32 != 0)
        return 0;
    const QString value = QStringLiteral("valore ✓");
    store.write(key, QStringLiteral("Scritto"), value);
    store.write(key, QStringLiteral("Numero"), QStringLiteral("42"), SettingsStore::DWord);
    if (store.read(key, QStringLiteral("scritto")) != value ||
        store.read(key, QStringLiteral("NUMERO")) != QStringLiteral("42"))
        abort();
    return 0;
}
