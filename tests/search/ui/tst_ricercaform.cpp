#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportEngine.h"
#include "platform/report/ui/ReportPainter.h"
#include "platform/report/ui/ReportPreview.h"
#include "search/ResultGridModel.h"
#include "search/ui/PrintCommands.h"
#include "search/ui/RicercaForm.h"
#include "test_support/MainWindowFixture.h"
#include "test_support/PdfFiles.h"

// RicercaForm and the print commands over the real main window: 17 books, 2 music
// cards, no storage media, 5 videos; the templates laid in the program folder.
class TestRicercaForm : public QObject, MainWindowTest {
    Q_OBJECT

    ReportPreview* preview() const { return window->findChild<ReportPreview*>(); }
    void closePreview() {
        for (ReportPreview* p : window->findChildren<ReportPreview*>())
            p->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the structured search from the command bar, runs work on its modal window once
    // shown, then closes it.
    void withSearchWindow(const std::function<void(RicercaForm&)>& work) {
        QTimer::singleShot(0, this, [&] {
            RicercaForm* form = nullptr;
            (void)QTest::qWaitFor([&] {
                form = window->findChild<RicercaForm*>();
                return form && form->isVisible();
            });
            if (!form)
                return;
            work(*form);
            form->reject();
        });
        click("ID_RicercaconStampaStrutturata");
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{17, 2, 0, 5});
        const QDir data(QStringLiteral(RACCOLIO_DATA_DIR));
        for (const QString& name : data.entryList({QStringLiteral("*.RPT")}))
            QFile::copy(data.filePath(name), folder->file(name));
        window = startProgram(*folder);
    }
    void cleanup() {
        closePreview();
        closeAll();
    }

    void commandOpensAModalWindowForTheArchiveShown() {
        control<QTabBar>("TabStrip1")->setCurrentIndex(3);
        QStringList header;
        bool modal = false;
        withSearchWindow([&](RicercaForm& form) {
            modal = form.isModal();
            const QAbstractItemModel* grid = child<QTableView>(form, "MSFlexGrid1")->model();
            for (int c = 0; c < grid->columnCount(); ++c)
                header << grid->headerData(c, Qt::Horizontal).toString();
            header << child<QComboBox>(form, "Combo1")->itemText(0);
        });
        QVERIFY(modal);
        QCOMPARE(header, Database::open(folder->cataloguePath())->fieldNames("VIDEO")
                             << QStringLiteral("(TUTTI I CAMPI)"));
        QVERIFY(!window->findChild<RicercaForm*>());  // released on close
    }

    void theSearchResultPreviewWorksOverTheModalSearch() {
        int lastRow = -1;
        bool headerShown = false;
        bool previewClosedFormOpen = false;
        withSearchWindow([&](RicercaForm& form) {
            child<QComboBox>(form, "Combo1")->setCurrentText(QStringLiteral("TITOLO"));
            QTest::keyClicks(child<QLineEdit>(form, "txtExpression"), QStringLiteral("titolo"));
            QTest::keyClick(child<QLineEdit>(form, "txtExpression"), Qt::Key_Return);
            auto* view = child<QTableView>(form, "MSFlexGrid1");
            headerShown = view->horizontalHeader()->isVisible();
            view->setFocus();
            QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
            lastRow = view->currentIndex().row();

            QTest::mouseClick(child<QPushButton>(form, "Command1"), Qt::LeftButton);
            QPointer<ReportPreview> shown = form.findChild<ReportPreview*>();
            if (shown && QTest::qWaitForWindowExposed(shown)) {
                // Escape as the user presses it, through the window system.
                QTest::keyClick(shown->windowHandle(), Qt::Key_Escape);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                previewClosedFormOpen = shown.isNull() && form.isVisible();
            }
        });
        QVERIFY(headerShown);
        QCOMPARE(lastRow, 16);  // all 17 books
        QVERIFY(previewClosedFormOpen);
    }

    void searchFillsTheGridAndPrintsTheResult() {
        RicercaForm form(*window, folder->services, window.get());
        form.show();
        const QString counter = child<QLabel>(*window, "Label7")->text();
        auto* text = child<QLineEdit>(form, "txtExpression");
        auto* ok = child<QPushButton>(form, "cmdOK");
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(text, QStringLiteral("3 titolo"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(folder->messages.count(), 1);
        QCOMPARE(form.focusWidget(), child<QComboBox>(form, "Combo1"));

        child<QComboBox>(form, "Combo1")->setCurrentText(QStringLiteral("TITOLO"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(form.grid().rowCount(), 2);
        QCOMPARE(form.grid().index(1, 0).data().toString(), QStringLiteral("LIBRI 13 TITOLO"));
        auto* view = child<QTableView>(form, "MSFlexGrid1");
        QVERIFY(view->columnWidth(0) >
                view->fontMetrics().horizontalAdvance(QStringLiteral("LIBRI 13 TITOLO")));
        QCOMPARE(child<QLabel>(*window, "Label7")->text(), counter);  // card not moved

        QTest::mouseClick(child<QPushButton>(form, "Command1"), Qt::LeftButton);
        QVERIFY(preview());
        QCOMPARE(ReportEngine::of(window.get()).settings.reportFile, QStringLiteral("LIBRI2.RPT"));

        // The printed heading and rows; the same result as a PDF: one page, and a cancel
        // stops it.
        std::unique_ptr<ReportLayout> layout = ReportEngine::of(window.get()).prepare();
        QStringList printed;
        for (const ReportItem& item : layout->page(1))
            printed << item.text;
        QVERIFY(printed.contains(QStringLiteral(
            "Raccolio: LIBRERIA - Campo di ricerca: TITOLO - Testo di ricerca: 3 TITOLO")));
        const QString pdf = folder->file("r.pdf");
        QVERIFY(ReportPainter::writePdf(pdf, *layout));
        QVERIFY(readBytes(pdf).startsWith("%PDF"));
        QCOMPARE(pdfPages(pdf), 1);
        // Read back as a reader would: the heading and the rows are text of the page.
        if (const QString read = pdfText(pdf); !read.isEmpty())
            QVERIFY2(read.contains(QStringLiteral("Raccolio: LIBRERIA - Campo di ricerca: TITOLO - "
                                                  "Testo di ricerca: 3 TITOLO")) &&
                         read.contains(QStringLiteral("LIBRI 13 TITOLO")),
                     qPrintable(read));
        QVERIFY(!ReportPainter::writePdf(pdf, *layout, [](int, int) { return false; }));

        // The authors print after it keeps that heading in its formula slot, without error.
        const int shown = folder->messages.count();
        printReport(Archives::authorsReportTemplate(), window.get(), folder->services);
        QCOMPARE(folder->messages.count(), shown);
        QCOMPARE(window->findChildren<ReportPreview*>().size(), 2);
    }

    void printCommandsAskFirstAndReportFailures() {
        folder->messages.queueNo();
        click("ID_AnteprimadiStampa");
        QVERIFY(!preview());
        QVERIFY(ReportEngine::of(window.get()).settings.reportFile.isEmpty());

        folder->messages.queueYes();
        click("ID_AnteprimadiStampa");
        QVERIFY(preview());
        closePreview();

        QFile::remove(folder->file("LIBRI.RPT"));
        folder->messages.queueYes();
        click("ID_AnteprimadiStampa");
        QVERIFY(!preview());
        QVERIFY(folder->messages.lastText().contains(QStringLiteral("LIBRI.RPT")));
    }
};

QTEST_MAIN(TestRicercaForm)
#include "tst_ricercaform.moc"
