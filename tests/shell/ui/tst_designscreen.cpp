#include <QDebug>
#include <QLayout>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <functional>

#include "game/ui/Board.h"
#include "maintenance/ui/BackupModeWindow.h"
#include "platform/ui/HelpViewer.h"
#include "prefs/ui/AboutBox.h"
#include "prefs/ui/OptionsWindow.h"
#include "prefs/ui/PasswordChangeWindow.h"
#include "prefs/ui/PasswordPrompt.h"
#include "registers/ui/AuthorsWindow.h"
#include "registers/ui/CardNoteWindows.h"
#include "registers/ui/FileChooserWindow.h"
#include "registers/ui/KeywordListWindow.h"
#include "registers/ui/LookupListWindow.h"
#include "search/ui/FindWindow.h"
#include "search/ui/RicercaForm.h"
#include "search/ui/SearchPrompt.h"
#include "stats/ui/ChartWindow.h"
#include "stats/ui/CountTableWindow.h"
#include "stats/ui/StatisticsWindow.h"
#include "test_support/MainWindowFixture.h"

// The program was designed for a 640 x 480 screen: on such a screen every window, laid out
// as it opens, fits whole.
class TestDesignScreen : public QObject {
    Q_OBJECT

private slots:
    void everyWindowFitsTheDesignScreen() {
        TempProgramFolder folder({2, 2, 2, 2});
        auto main = startProgram(folder);
        MainWindow& cards = *main;
        Services& services = folder.services;
        using Make = std::function<std::unique_ptr<QWidget>()>;
        const std::vector<Make> windows{
            [&] { return std::make_unique<AuthorsWindow>(cards, services, main.get()); },
            [&] {
                return std::make_unique<LookupListWindow>(cards, services, QStringLiteral("ARG1"),
                                                          main.get());
            },
            [&] {
                return std::make_unique<KeywordListWindow>(
                    services, [] {}, main.get());
            },
            [&] { return std::make_unique<KeywordPickerWindow>(cards, services, main.get()); },
            [&] { return std::make_unique<QuotationWindow>(cards, services, main.get()); },
            [&] { return std::make_unique<FileChooserWindow>(cards, services, main.get()); },
            [&] { return std::make_unique<StatisticsWindow>(cards, services, main.get()); },
            [&] { return std::make_unique<ChartWindow>(services, main.get()); },
            [&] {
                return std::make_unique<CountTableWindow>(
                    std::vector<CountRow>(300, CountRow{QStringLiteral("Scaffale"), 1, 0.1}),
                    services, main.get());
            },
            [&] { return std::make_unique<FindWindow>(cards, services, main.get()); },
            [&] { return std::make_unique<RicercaForm>(cards, services, main.get()); },
            [&] { return std::make_unique<SearchPrompt>(services, main.get()); },
            [&] { return std::make_unique<OptionsWindow>(services, main.get()); },
            [&] { return std::make_unique<PasswordChangeWindow>(services, main.get()); },
            [&] { return std::make_unique<PasswordPrompt>(services, main.get()); },
            [&] { return std::make_unique<AboutBox>(services, main.get()); },
            [&] { return std::make_unique<Board>(services, main.get()); },
            [&] { return std::make_unique<BackupModeWindow>(main.get()); },
            [&] { return std::make_unique<HelpViewer>(main.get()); },
        };
        const QSize screen = main->screen()->availableSize();
        QCOMPARE(screen, QSize(640, 480));
        QStringList tooLarge;
        for (const Make& make : windows) {
            const std::unique_ptr<QWidget> w = make();
            w->ensurePolished();
            if (w->layout())
                w->layout()->activate();
            // The size it opens at: its own when it chose one, else what its layout asks.
            const QSize opens = w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint();
            const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
            for (const QSize s : {opens, least})
                if (s.boundedTo(screen) != s)
                    QDebug(&tooLarge.emplace_back()) << w->objectName() << s;
        }
        QVERIFY2(tooLarge.isEmpty(), qPrintable(tooLarge.join(QStringLiteral(", "))));
        closeMainWindow(folder, main);
    }
};

int main(int argc, char** argv) {
    // An offscreen screen of the design size, so windows that size themselves by their
    // screen do so as they would there.
    QTemporaryFile config;
    if (!config.open())
        return 1;
    config.write(R"({"screens": [{"name": "design", "x": 0, "y": 0, "width": 640,
                  "height": 480, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestDesignScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_designscreen.moc"
