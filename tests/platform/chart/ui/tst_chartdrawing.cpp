#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "platform/chart/ChartModel.h"
#include "platform/chart/ui/ChartPainter.h"
#include "platform/chart/ui/WmfWriter.h"

// The chart as pixels and as a metafile read back by libwmf.
class TestChartDrawing : public QObject {
    Q_OBJECT

    ChartModel chart;
    const QStringList legends{"Romanzo", "Storia", "Senza nome", "Poesia", "Arte"};

    QImage draw(QSize size) const {
        QImage img(size, QImage::Format_RGB32);
        QPainter p(&img);
        ChartPainter::paint(chart, p, QRectF(QPointF(0, 0), QSizeF(size)));
        return img;
    }

private slots:
    void init() {
        chart = ChartModel{};
        chart.title = QStringLiteral("Raccolio 5.5 Pro - Statistiche");
        chart.bottomTitle = QStringLiteral("-- ARGOMENTO --");
        chart.setNumPoints(int(legends.size()));
        for (int i = 0; i < legends.size(); ++i) {
            chart.setCurrentPoint(i + 1);
            chart.setValue(10 * (i + 1));
            chart.setLegendText(legends[i]);
        }
    }

    void everyTypeAndStyleDraws_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("style");
        for (int type = 1; type <= 4; ++type)
            for (int style = 0; style <= 3; ++style)
                QTest::addRow("type %d style %d", type, style) << type << style;
    }
    void everyTypeAndStyleDraws() {
        QFETCH(int, type);
        QFETCH(int, style);
        chart.type = type;
        chart.style = style;
        const QImage img = draw(QSize(640, 456));
        int coloured = 0;
        int inked = 0;
        for (int y = 0; y < img.height(); y += 2) {
            for (int x = 0; x < img.width(); x += 2) {
                const QColor c = img.pixelColor(x, y);
                inked += c != Qt::white;
                coloured += std::max({c.red(), c.green(), c.blue()}) -
                                std::min({c.red(), c.green(), c.blue()}) >
                            24;
            }
        }
        QVERIFY2(inked > img.width() * img.height() / 4 / 20, "the chart covers its area");
        if (chart.monochrome())
            QCOMPARE(coloured, 0);
        else
            QVERIFY(coloured > inked / 4);
    }

    void metafileReadsBackWithShapesAndTexts() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("wmf2svg"));
        if (tool.isEmpty())
            QSKIP("wmf2svg (libwmf-bin) is not installed");
        QTemporaryDir dir;
        const QString wmf = dir.filePath(QStringLiteral("grafico.wmf"));
        chart.type = 2;
        chart.style = 2;
        QVERIFY(WmfWriter::write(wmf, QSize(640, 456), [this](QPainter& p) {
            ChartPainter::paint(chart, p, QRectF(0, 0, 640, 456));
        }));
        QProcess run;
        run.start(tool, {QStringLiteral("-o"), dir.filePath(QStringLiteral("g.svg")), wmf});
        QVERIFY(run.waitForFinished(30000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        QFile svgFile(dir.filePath(QStringLiteral("g.svg")));
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QString svg = QString::fromLatin1(svgFile.readAll());
        QVERIFY(svg.contains(QStringLiteral("width=\"640\" height=\"456\"")));
        QStringList texts;
        const QRegularExpression text(QStringLiteral(">([^<>]+)</text>"));
        for (const auto& m : text.globalMatch(svg))
            texts << m.captured(1);
        // Each value with its count, the only place a figure can be read.
        QStringList expected{chart.title, chart.bottomTitle};
        for (int i = 0; i < legends.size(); ++i)
            expected << QStringLiteral("%1 (%2)").arg(legends[i]).arg(10 * (i + 1));
        for (const QString& legend : expected)
            QVERIFY2(texts.contains(legend), qPrintable(legend));
        // Five slices, their rims, hatches and legend swatches.
        QVERIFY(svg.count(QStringLiteral("<polygon")) >= 3 * int(legends.size()));
    }

    // Texts are Windows-1252, which holds the euro and the ellipsis the legend cuts with;
    // long values that differ at their end stay apart; a letter no 8-bit set holds is drawn
    // as outlines, never as "?".
    void metafileTextsKeepTheirCharacters() {
        chart.setCurrentPoint(1);
        chart.setLegendText(QStringLiteral("Collana di letteratura italiana del Novecento, 1"));
        chart.setCurrentPoint(2);
        chart.setLegendText(QStringLiteral("Collana di letteratura italiana del Novecento, 2"));
        const QByteArray wmf = WmfWriter::render(QSize(640, 456), [this](QPainter& p) {
            ChartPainter::paint(chart, p, QRectF(0, 0, 640, 456));
            p.drawText(QPointF(10, 20), QStringLiteral("Prezzo 12 \u20ac"));
            p.drawText(QPointF(10, 40), QStringLiteral("\u0141\u00f3d\u017a"));
        });
        QVERIFY(wmf.contains("Prezzo 12 \x80"));
        QVERIFY(wmf.contains("ento, 1 (10)"));
        QVERIFY(wmf.contains("ento, 2 (20)"));
        QVERIFY(wmf.contains("\x85"));
        QVERIFY(!wmf.contains("?\xf3" "d?"));
        QVERIFY(!wmf.contains("\xf3" "d"));
    }
};

QTEST_MAIN(TestChartDrawing)
#include "tst_chartdrawing.moc"
