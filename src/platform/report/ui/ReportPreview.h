#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class Database;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class ReportLayout;
struct Services;

// The engine's preview window: one page at a time (only that page is laid out and
// painted), page navigation, zoom, printing and export to PDF. Deletes itself on close.
class ReportPreview : public QWidget {
    Q_OBJECT
public:
    ReportPreview(std::unique_ptr<ReportLayout> layout, Services& services, QWidget* parent);
    ~ReportPreview() override;

    int currentPage() const { return page_; }
    void showPage(int number);

    // The print dialog: sets up the printer (and its page range within 1..pages); false
    // when the user cancels. Tests put a printer to a file in its place.
    using PrintDialog = std::function<bool(QPrinter& printer, int pages)>;
    void setPrintDialog(PrintDialog dialog) { printDialog_ = std::move(dialog); }

    // Closes the window when the program replaces the table the report reads (a new search
    // result), rather than showing the new rows under the old heading and page count.
    void closeWhenReplaced(std::shared_ptr<Database> db);

    // The zoom item that fits the page to the window's width.
    static constexpr int fitWidth = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A handler of this window: the dialogs it opens, its error message included, belong
    // to this window, whichever window opened it.
    void guarded(const char* source, const std::function<void()>& body);
    void render();
    double pointsToPixels() const;
    void print();
    void exportPdf();

    std::unique_ptr<ReportLayout> layout_;
    Services& services_;
    PrintDialog printDialog_;
    std::shared_ptr<Database> watched_;
    int listener_ = 0;
    int page_ = 1;
    QLabel* surface_;
    QSpinBox* pageBox_;
    QLabel* pageCount_;
    QComboBox* zoom_;
    QScrollArea* scroll_;
    QPushButton* first_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* last_;
};

// Runs paint work page by page under a progress dialog with a cancel button that shows
// after half a second. Returns false when the user cancelled.
bool runWithProgress(QWidget* parent, const QString& label,
                     const std::function<bool(const std::function<bool(int, int)>&)>& work);
