#pragma once

#include <QDialog>
#include <QImage>

#include "platform/chart/ChartModel.h"

struct Services;
class QAction;

// The chart window "Grafico": shows the statistics chart and exports, copies or prints
// it through the chart's draw modes.
class ChartWindow : public QDialog, private ChartOutput {
    Q_OBJECT
public:
    explicit ChartWindow(Services& services, QWidget* parent = nullptr);
    ~ChartWindow() override;

    ChartModel& chart() { return chart_; }
    // The chart as it is drawn in the window, at the given size.
    QImage image(QSize size) const;

    // The menu's export, shared by the bitmap and metafile items.
    void exportChart(ImageFormat format);

private:
    void redraw() override;
    void copyToClipboard() override;
    void print() override;
    void writeFile(const QString& path, ImageFormat format) override;
    QSize drawingSize() const;

    Services& services_;
    ChartModel chart_;
    QWidget* view_ = nullptr;
    bool written_ = false;
};
