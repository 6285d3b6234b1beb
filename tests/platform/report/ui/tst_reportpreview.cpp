#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "cards/Archives.h"
#include "platform/db/Database.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ui/ReportEngine.h"
#include "platform/report/ui/ReportPainter.h"
#include "platform/report/ui/ReportPreview.h"
#include "platform/services/SaveTarget.h"
#include "search/StructuredSearch.h"
#include "test_support/FileBytes.h"
#include "test_support/PdfFiles.h"
#include "test_support/TempProgramFolder.h"
#include "test_support/WidgetLookup.h"

// The preview window over a catalogue of 200 books (LIBRI.RPT: several landscape pages).
class TestReportPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<QWidget> host;  // stands for the main window

    ReportEngine& engine() { return ReportEngine::of(host.get()); }
    ReportPreview* open(const QString& report) {
        engine().settings.reportFile = report;
        engine().settings.destination = ReportSettings::Preview;
        engine().run(folder->services, host.get());
        return host->findChild<ReportPreview*>();
    }
    QPushButton* button(ReportPreview* p, const char* name) { return child<QPushButton>(*p, name); }
    static int pageCount(ReportPreview* p) { return child<QSpinBox>(*p, "txtPage")->maximum(); }
    std::unique_ptr<ReportLayout> layout() {
        return std::make_unique<ReportLayout>(ReportTemplate::load(folder->file("LIBRI.RPT")),
                                              Database::open(folder->cataloguePath()),
                                              QDate(2026, 1, 2));
    }

private slots:
    void init() {
        folder = std::make_unique<TempProgramFolder>(QList<int>{200, 0, 0, 0});
        const QDir data(QStringLiteral(RACCOLIO_DATA_DIR));
        for (const QString& name : data.entryList({QStringLiteral("*.RPT")}))
            QFile::copy(data.filePath(name), folder->file(name));
        host = std::make_unique<QWidget>();
    }
    void cleanup() {
        host.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        folder.reset();
    }

    void exportNeverReplacesAFileUnasked() {
        ReportPreview* preview = open(QStringLiteral("LIBRI.RPT"));
        QVERIFY(preview);
        const QString kept = folder->file("important.txt");
        folder->writeFile("important.txt", "keep me");

        // No: nothing written.
        folder->files.queueFileName(kept);
        folder->messages.queueNo();
        button(preview, "cmdPdf")->click();
        QCOMPARE(folder->messages.texts(), QStringList{SaveTarget::overwriteQuestion()});
        QCOMPARE(readBytes(kept), QByteArray("keep me"));

        // Yes: the whole report replaces it, and the user is told.
        folder->messages.clear();
        folder->files.queueFileName(kept);
        folder->messages.queueYes();
        button(preview, "cmdPdf")->click();
        QCOMPARE(folder->messages.count(), 2);
        QVERIFY(folder->messages.lastText().contains(QDir::toNativeSeparators(kept)));
        QCOMPARE(folder->messages.log().last().icon, MessageService::Icon::Information);
        QVERIFY(readBytes(kept).startsWith("%PDF"));
        QCOMPARE(pdfPages(kept), pageCount(preview));

        // A file that cannot be written is said so, as the shared error message.
        folder->messages.clear();
        folder->files.queueFileName(folder->file("manca/stampa.pdf"));
        button(preview, "cmdPdf")->click();
        QCOMPARE(folder->messages.count(), 1);
        QVERIFY(
            folder->messages.lastText().contains(QStringLiteral("nessun file è stato modificato")));

        // The program's own files are refused without a question, however they are named:
        // the catalogue (also through a link), its backup, the settings.
        const QByteArray catalogue = readBytes(folder->cataloguePath());
        const QString link = folder->file("collegamento.pdf");
        QVERIFY(QFile::link(folder->cataloguePath(), link));
        const QString settingsFile = folder->settings.fileForKey(SettingsStore::keyPath());
        QVERIFY(QFileInfo::exists(settingsFile));
        for (const QString& target :
             {folder->cataloguePath(), link, folder->path() + QStringLiteral("/./RACCOLIO.MDB"),
              folder->file("RACCOLIO.BK4"), settingsFile}) {
            folder->messages.clear();
            folder->files.queueFileName(target);
            button(preview, "cmdPdf")->click();
            QCOMPARE(folder->messages.count(), 1);
            QCOMPARE(folder->messages.log()[0].icon, MessageService::Icon::Critical);
            QVERIFY2(folder->messages.lastText().contains(QStringLiteral("non può essere")),
                     qPrintable(target));
        }
        QCOMPARE(readBytes(folder->cataloguePath()), catalogue);
        QVERIFY(!QFileInfo::exists(folder->file("RACCOLIO.BK4")));
        QVERIFY(Database::open(folder->cataloguePath())->hasTable(QStringLiteral("LIBRI")));
    }

    // The preview over the main window is not modal, yet what its commands ask, say or
    // fail with belongs to it: nothing brings the main window over it.
    void dialogsBelongToThePreview() {
        ReportPreview* preview = open(QStringLiteral("LIBRI.RPT"));
        QVERIFY(preview);
        const QString target = folder->file("esiste.pdf");
        folder->writeFile("esiste.pdf", "old");
        folder->files.queueFileName(target);
        folder->messages.queueYes();
        button(preview, "cmdPdf")->click();
        folder->files.queueFileName(folder->file("manca/stampa.pdf"));
        button(preview, "cmdPdf")->click();
        QCOMPARE(folder->files.owners(), (QList<QObject*>{preview, preview}));
        QCOMPARE(folder->messages.count(), 3);  // the question, the result, the failure
        for (const ShownMessage& shown : folder->messages.log())
            QVERIFY2(shown.owner == preview, qPrintable(shown.text));

        // Its handlers over, the other windows' messages are theirs again.
        folder->messages.information(QStringLiteral("Fatto."));
        QCOMPARE(folder->messages.log().last().owner, nullptr);

        // The print dialog, its own, sits over it and hands the focus back to it, even
        // when the window manager has given it to the main window meanwhile.
        preview->show();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QWidget* printOwner = nullptr;
        bool elsewhere = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (qobject_cast<QPrintDialog*>(dialog))
                printOwner = dialog->parentWidget();
            host->show();
            host->activateWindow();
            elsewhere = QTest::qWaitFor([&] { return QApplication::activeWindow() == host.get(); });
            dialog->reject();
        });
        button(preview, "cmdPrint")->click();
        QCOMPARE(printOwner, preview);
        QVERIFY(elsewhere);
        QTRY_COMPARE(QApplication::activeWindow(), preview);
    }

    void aStoppedExportLeavesTheOldFileAndNoLeftovers() {
        const auto stopped = layout();
        const QString target = folder->file("vecchio.pdf");
        folder->writeFile("vecchio.pdf", "old");
        const QStringList before = QDir(folder->path()).entryList(QDir::Files);
        int painted = 0;
        QVERIFY(
            !ReportPainter::writePdf(target, *stopped, [&](int, int) { return ++painted < 3; }));
        QCOMPARE(readBytes(target), QByteArray("old"));
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), before);
        QVERIFY(ReportPainter::writePdf(target, *stopped));
        QCOMPARE(pdfPages(target), stopped->pageCount());
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), before);

        // The text layer reads as typed: no "ﬀ" ligature in place of "ff".
        Database::open(folder->cataloguePath())
            ->exec(
                QStringLiteral("UPDATE LIBRI SET TITOLO = 'Scaffale affollato' WHERE rowid = 1"));
        QVERIFY(ReportPainter::writePdf(target, *layout()));
        const QString text = pdfText(target);
        if (text.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY2(text.contains(QStringLiteral("Scaffale affollato")), qPrintable(text.left(400)));
    }

    void printsOnlyThePagesAsked() {
        ReportPreview* preview = open(QStringLiteral("LIBRI.RPT"));
        const QString out = folder->file("stampa.pdf");
        int offered = 0;
        preview->setPrintDialog([&](QPrinter& printer, int pages) {
            offered = pages;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(out);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            return true;
        });
        button(preview, "cmdPrint")->click();
        QVERIFY(offered >= 4);
        QCOMPARE(offered, pageCount(preview));
        QCOMPARE(pdfPages(out), 2);
        const QString text = pdfText(out);
        if (!text.isEmpty())
            QVERIFY(text.contains(QStringLiteral("Pagina 2 di %1").arg(offered)) &&
                    text.contains(QStringLiteral("Pagina 3 di %1").arg(offered)) &&
                    !text.contains(QStringLiteral("Pagina 1 di")));
    }

    void pagesByKeyboardAndPageBox() {
        ReportPreview* preview = open(QStringLiteral("LIBRI.RPT"));
        preview->show();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        const int pages = pageCount(preview);
        const std::pair<QKeyCombination, int> moves[]{
            {Qt::Key_PageDown, 2},           {Qt::Key_End, pages},
            {Qt::Key_PageUp, pages - 1},     {Qt::Key_Home, 1},
            {Qt::CTRL | Qt::Key_End, pages}, {Qt::CTRL | Qt::Key_Home, 1}};
        for (const auto& [key, page] : moves) {
            QTest::keyClick(preview, key.key(), key.keyboardModifiers());
            QCOMPARE(preview->currentPage(), page);
            QCOMPARE(button(preview, "cmdNext")->isEnabled(), page < pages);
        }

        auto* box = child<QSpinBox>(*preview, "txtPage");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("3"));
        QCOMPARE(preview->currentPage(), 1);  // drawn once the number is confirmed
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(preview->currentPage(), 3);

        // In the page box Home and End are the text's; the other page keys still page.
        const std::pair<QKeyCombination, int> inBox[]{{Qt::Key_End, 3},
                                                      {Qt::Key_Home, 3},
                                                      {Qt::CTRL | Qt::Key_End, pages},
                                                      {Qt::Key_PageUp, pages - 1},
                                                      {Qt::CTRL | Qt::Key_Home, 1},
                                                      {Qt::Key_PageDown, 2}};
        for (const auto& [key, page] : inBox) {
            QTest::keyClick(box, key.key(), key.keyboardModifiers());
            QCOMPARE(preview->currentPage(), page);
            QCOMPARE(box->value(), page);
        }
        QVERIFY(box->hasFocus());

        // Fit to width is the first zoom: the whole landscape page is in view, at any size.
        for (const QSize size : {QSize(1024, 740), QSize(640, 450)}) {
            preview->resize(size);
            QCoreApplication::processEvents();
            const auto* scroll = preview->findChild<QScrollArea*>();
            const QLabel* surface = child<QLabel>(*preview, "surface");
            const int room = scroll->viewport()->width();
            QVERIFY(surface->width() <= room && surface->width() > room * 3 / 4);
        }
    }

    void aNewSearchResultClosesThePreviewOfTheOldOne() {
        auto db = Database::open(folder->cataloguePath());
        const auto search = [&](const char* text) {
            return StructuredSearch::run(*db, *Archives::byTable(QStringLiteral("LIBRI")),
                                         QStringLiteral("TITOLO"), QString::fromLatin1(text))
                .count;
        };
        QCOMPARE(search("1"), 119);
        QPointer<ReportPreview> preview = open(QStringLiteral("LIBRI2.RPT"));
        QVERIFY(preview);
        // Nothing found: the old result stays, and so does its preview.
        QCOMPARE(search("zzz"), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(preview);
        QCOMPARE(search("7"), 38);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!preview);
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
