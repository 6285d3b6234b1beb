// A settings key file edited by hand or damaged: every read and a write over it
// work silently, and what was written reads back.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "platform/settings/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QStringList others{QStringLiteral("Titolo"), QStringLiteral("VIDEO"),
                                    QStringLiteral("Colore"), QStringLiteral("x")};
    QStringList before;
    for (const QString& name : others)
        before << SettingsStore::readValue(file, name);

    const QString value = QStringLiteral("valore ✓");
    QByteArray written = SettingsStore::writeValue(file, QStringLiteral("Scritto"), value);
    written = SettingsStore::writeValue(written, QStringLiteral("Numero"), QStringLiteral("42"),
                                        SettingsStore::DWord);
    if (SettingsStore::readValue(written, QStringLiteral("scritto")) != value ||
        SettingsStore::readValue(written, QStringLiteral("NUMERO")) != QStringLiteral("42"))
        abort();
    // The other values stay as they were.
    for (qsizetype i = 0; i < others.size(); ++i) {
        if (SettingsStore::readValue(written, others[i]) != before[i])
            abort();
    }
    return 0;
}
