#include <QTemporaryDir>
#include <QTest>

#include "platform/core/AppInfo.h"
#include "platform/settings/SettingsStore.h"
#include "prefs/Options.h"
#include "prefs/VersionText.h"

using namespace Options;

class TestOptionsVersion : public QObject {
    Q_OBJECT

private slots:
    void storedValuesTickByNumericValue() {
        for (const char* on : {"1", " 1", "1x"})
            QVERIFY2(isTicked(QString::fromUtf8(on)), on);
        for (const char* off : {"0", "", "sì", "2", "x1"})
            QVERIFY2(!isTicked(QString::fromUtf8(off)), off);
    }

    void saveOnExitDecidesWhatIsStored() {
        QTemporaryDir root;
        SettingsStore store(root.path());
        store.ensureDefaults();
        const auto stored = [&] {
            QString all;
            for (int s = 0; s < Count; ++s)
                all += store.read(valueName(Switch(s))) + QLatin1Char('|');
            return all;
        };
        // An odd stored value shows as unticked, yet stays stored while nothing is saved.
        for (int s = 0; s < Count; ++s)
            store.write(valueName(Switch(s)), QStringLiteral("2"));

        States states{};
        states[AddWarning] = true;
        states[PasswordOn] = true;
        save(store, states);  // SaveOnExit unticked: only its own value is written
        QCOMPARE(stored(), QStringLiteral("2|2|2|2|0|2|2|"));

        states[SaveOnExit] = true;
        save(store, states);
        QCOMPARE(stored(), QStringLiteral("0|0|0|1|1|1|0|"));
    }

    void versionMasks() {
        const struct {
            int major, minor, revision;
            const char* full;
        } cases[] = {
            {2, 3, 7, "Versione: 2.03.0007"},
            {2, 12, 0, "Versione: 2.12.0000"},
            {2, 0, 0, "Versione: 2.00.0000"},
            {12, 345, 67890, "Versione: 12.345.67890"},  // wider than the masks: in full
        };
        for (const auto& c : cases) {
            const QString full = QString::fromUtf8(c.full);
            QCOMPARE(VersionText::full(c.major, c.minor, c.revision), full);
            // The short forms are the pieces of the full one.
            QCOMPARE(VersionText::majorMinor(c.major, c.minor) + QLatin1Char('.') +
                         VersionText::revision(c.revision),
                     full.mid(full.indexOf(QLatin1Char(' ')) + 1));
        }
    }

    void programFileNameKeepsTheRealSuffix() {
        QCOMPARE(AboutInfo::programFileNameOf(QStringLiteral("/opt/raccolio/raccolio")),
                 QStringLiteral("RACCOLIO"));
        QCOMPARE(AboutInfo::programFileNameOf(QStringLiteral("C:/Programmi/Raccolio/Raccolio.exe")),
                 QStringLiteral("RACCOLIO.EXE"));
    }
};

QTEST_GUILESS_MAIN(TestOptionsVersion)
#include "tst_optionsversion.moc"
