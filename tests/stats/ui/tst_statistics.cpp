#include <QButtonGroup>
#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>

#include "cards/CardBrowser.h"
#include "stats/StatisticsRun.h"
#include "stats/ui/ChartWindow.h"
#include "stats/ui/CountTableWindow.h"
#include "test_support/FileBytes.h"
#include "test_support/MainWindowFixture.h"

namespace {

// Runs act on the modal window named name once it is up (the caller is blocked in it).
void whenModal(const QString& name, std::function<void(QWidget&)> act) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w->objectName() != name || !w->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        act(*w);
    });
    timer->start(20);
}

}  // namespace

class TestStatistics : public QObject {
    Q_OBJECT

    QStringList enabledFields(QWidget& window) {
        QStringList on;
        for (auto* b : child<QWidget>(window, "Riferimento")->findChildren<QRadioButton*>())
            if (b->isEnabled())
                on << b->text();
        return on;
    }

private slots:
    void countsTheCurrentArchiveAndShowsTheChart() {
        TempProgramFolder folder({3, 2, 0, 4});
        auto window = startProgram(folder);
        CardBrowser& cards = window->browser();

        // Music lists "Genere", but its table has no such field.
        cards.selectArchive(Archive::Music);
        bool seen = false;
        whenModal("Statistiche", [&](QWidget& w) {
            seen = true;
            QVERIFY(!enabledFields(w).contains(QStringLiteral("Genere")));
            // It starts on a choice that can be counted.
            QVERIFY(child<QWidget>(w, "Riferimento")
                        ->findChild<QButtonGroup*>()
                        ->checkedButton()
                        ->isEnabled());
            child<QPushButton>(w, "esciuscita")->click();
        });
        window->commandBar().click(QStringLiteral("ID_GraficiStatistici"));
        QVERIFY(seen);

        cards.selectArchive(Archive::Videos);
        cards.last();
        // An edit still being typed is counted too.
        window->setCardField(QStringLiteral("ARGOMENTO"), QStringLiteral("Cartonato"));
        ChartModel shown;
        whenModal("Statistiche", [&](QWidget& w) {
            QCOMPARE(enabledFields(w),
                     (QStringList{"Anno", "Argomento", "Genere", "Rating", "Giudizio"}));
            child<QRadioButton>(w, "TipoGrafico2")->click();
            whenModal("Grafico", [&](QWidget& chart) {
                shown = static_cast<ChartWindow&>(chart).chart();
                child<QAction>(chart, "uscgraf")->trigger();
            });
            child<QPushButton>(w, "visgrafico")->click();
        });
        window->commandBar().click(QStringLiteral("ID_GraficiStatistici"));
        QCOMPARE(shown.type, 2);
        QCOMPARE(shown.numPoints(), 4);
        QCOMPARE(shown.points()[3].legend, QStringLiteral("Cartonato"));
        QCOMPARE(cards.position(), 1);
        QCOMPARE(folder.messages.count(), 0);
        closeMainWindow(folder, window);
    }

    void anEmptyArchiveShowsTheMessage() {
        TempProgramFolder folder({1, 1, 0, 1});
        auto window = startProgram(folder);
        window->browser().selectArchive(Archive::Media);
        // The subject still opens the chart with what it holds; another field does not.
        for (const char* option : {"Riferimento1", "Riferimento0"}) {
            bool chartShown = false;
            whenModal("Statistiche", [&, option](QWidget& w) {
                child<QRadioButton>(w, option)->click();
                whenModal("Grafico", [&](QWidget& chart) {
                    chartShown = true;
                    chart.close();
                });
                child<QPushButton>(w, "visgrafico")->click();
            });
            window->commandBar().click(QStringLiteral("ID_GraficiStatistici"));
            QCOMPARE(chartShown, QByteArray(option) == "Riferimento1");
            QCOMPARE(folder.messages.lastText(), Statistics::countFailedText());
        }
        QCOMPARE(folder.messages.count(), 2);
        closeMainWindow(folder, window);
    }

    void exportWritesAsksAndReports() {
        TempProgramFolder folder;
        ChartWindow window(folder.services);
        Statistics::prepareChart(window.chart(), {});
        window.chart().setNumPoints(2);
        window.chart().setCurrentPoint(1);
        window.chart().setValue(7);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize drawn = child<QWidget>(window, "Graph1")->size();
        const QString bmp = folder.file("grafico.bmp");
        const QString wmf = folder.file("grafico.wmf");

        // A name without an extension gets the format's.
        for (const QString& name : {QString(), bmp, folder.file("grafico")})
            folder.files.queueFileName(name);
        window.exportChart(ChartOutput::ImageFormat::Bitmap);  // cancelled
        QCOMPARE(folder.messages.count(), 0);
        window.exportChart(ChartOutput::ImageFormat::Bitmap);
        window.exportChart(ChartOutput::ImageFormat::Metafile);
        QVERIFY(!QFile::exists(folder.file("grafico")));
        QCOMPARE(QImage(bmp).size(), drawn);
        QVERIFY(readBytes(wmf).startsWith(QByteArray::fromHex("d7cdc69a")));
        QVERIFY(folder.messages.lastText().endsWith(wmf));

        // An existing file: No keeps it, Yes replaces it.
        const QByteArray before = readBytes(bmp);
        window.chart().type = 1;
        for (const QString& name : {bmp, bmp})
            folder.files.queueFileName(name);
        folder.messages.queueNo();
        window.exportChart(ChartOutput::ImageFormat::Bitmap);
        QCOMPARE(readBytes(bmp), before);
        folder.messages.queueYes();
        window.exportChart(ChartOutput::ImageFormat::Bitmap);
        QVERIFY(readBytes(bmp) != before);

        // The catalogue is refused, not asked about.
        const QByteArray catalogue = readBytes(folder.cataloguePath());
        folder.files.queueFileName(folder.cataloguePath());
        window.exportChart(ChartOutput::ImageFormat::Bitmap);
        QCOMPARE(readBytes(folder.cataloguePath()), catalogue);
        QCOMPARE(folder.messages.log().last().icon, MessageService::Icon::Critical);

        // A file that could not be written is not reported as saved.
        folder.files.queueFileName(folder.file("manca/grafico.bmp"));
        window.exportChart(ChartOutput::ImageFormat::Bitmap);
        QCOMPARE(folder.messages.log().last().icon, MessageService::Icon::Critical);

        child<QAction>(window, "copclip")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), drawn);
    }

    // Every value, not only the dozen the chart draws, largest first; copied and saved in
    // the order shown.
    void theCountTableHasEveryValue() {
        TempProgramFolder folder;
        ChartModel chart;
        chart.setNumPoints(200);
        for (int i = 1; i <= 200; ++i) {
            chart.setCurrentPoint(i);
            chart.setValue(i == 57 ? 403 : 3);  // 1,000 in all
            chart.setLegendText(i == 57 ? QStringLiteral("Storia; \"antica\"")
                                        : QStringLiteral("Scaffale %1").arg(i));
        }
        CountTableWindow table(CountTable::rows(chart), folder.services);
        const std::vector<CountRow> rows = table.shownRows();
        QCOMPARE(int(rows.size()), 200);
        QCOMPARE(rows.front().count, 403);
        QCOMPARE(rows.front().percent, 40.3);
        QCOMPARE(CountTable::percentText(rows.back().percent), QStringLiteral("0,3 %"));

        table.copy();
        const QStringList pasted =
            QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
        QCOMPARE(pasted.value(1), QStringLiteral("Storia; \"antica\"\t403\t40,3"));
        folder.files.queueFileName(folder.file("conteggio"));
        table.save();
        const QStringList saved =
            QString::fromUtf8(readBytes(folder.file(QStringLiteral("conteggio.csv"))))
                .split(QStringLiteral("\r\n"));
        QCOMPARE(saved.size(), 202);  // heading, 200 rows, the end of the last line
        QCOMPARE(saved.value(1), QStringLiteral("\"Storia; \"\"antica\"\"\";403;40,3"));
        QVERIFY(saved.value(2).endsWith(QStringLiteral(";3;0,3")));

        // A one-value chart's empty second point is no value.
        ChartModel one;
        one.setNumPoints(2);
        one.setCurrentPoint(1);
        one.setValue(5);
        QCOMPARE(int(CountTable::rows(one).size()), 1);
    }
};

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
