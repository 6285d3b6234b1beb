#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
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

private:
    void render();
    void print();
    void exportPdf();

    std::unique_ptr<ReportLayout> layout_;
    Services& services_;
    int page_ = 1;
    QLabel* surface_;
    QLabel* pageLabel_;
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
