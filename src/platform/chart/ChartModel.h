#pragma once

#include <QList>
#include <QString>
#include <vector>

// What a chart is asked to do when its draw mode is set: the window behind it draws,
// copies, prints or writes. The model itself needs no display.
class ChartOutput {
public:
    enum class ImageFormat { Bitmap, Metafile };
    virtual ~ChartOutput() = default;
    virtual void redraw() = 0;
    virtual void copyToClipboard() = 0;
    virtual void print() = 0;
    virtual void writeFile(const QString& path, ImageFormat format) = 0;
};

struct ChartPoint {
    qint32 value = 0;
    QString legend;
};

// One entry as drawn: a point, or "Altri" standing for the points that did not fit.
struct ShownPoint {
    qint32 value = 0;
    QString legend;
    int point = 0;  // 1-based point number; 0 for the summed rest
};

// The settings and data of the statistics chart, with the values the statistics use:
// type 1 pie, 2 3D pie, 3 bars, 4 3D bars; style 0..3 colour/mono, vertical/horizontal;
// grid 0 none, 1 horizontal, 2 vertical, 3 both; axis labels 0 none, 1 both, 2 X, 3 Y.
class ChartModel {
public:
    enum DrawMode { Draw = 2, Bitmap = 3, Copy = 4, Print = 5, Write = 6 };
    static constexpr int ResetAll = 9;

    void setOutput(ChartOutput* output) { output_ = output; }

    // 9 empties the values and legend texts of every point; other values do nothing.
    void dataReset(int what);

    QString title;
    QString bottomTitle;
    int numSets = 1;
    int type = 4;
    int style = 0;
    int grid = 3;
    int axisLabels = 1;
    int printStyle = 0;
    QString imageFile;

    int numPoints() const { return int(points_.size()); }
    // Keeps the values of the points that remain; new points are empty.
    void setNumPoints(int n);
    int currentPoint() const { return current_; }
    void setCurrentPoint(int point);  // 1-based; AppError 3265 outside 1..numPoints
    void setValue(qint32 value);
    void setLegendText(const QString& text);
    const std::vector<ChartPoint>& points() const { return points_; }

    int drawMode() const { return drawMode_; }
    // Performs the mode's action at once through the output. Writing makes a bitmap when
    // the mode before was 3, a metafile otherwise.
    void setDrawMode(int mode);
    void redraw();

    bool monochrome() const { return style == 2 || style == 3; }
    bool horizontal() const { return style == 1 || style == 3; }
    bool isPie() const { return type == 1 || type == 2; }
    bool is3d() const { return type == 2 || type == 4; }

    // The points as drawn when at most maxShown fit: the largest maxShown - 1 in point
    // order, then "Altri" with the sum of the others. Every point stays in the data.
    std::vector<ShownPoint> shownPoints(int maxShown) const;

private:
    ChartPoint& current();

    std::vector<ChartPoint> points_;
    int current_ = 1;
    int drawMode_ = Draw;
    ChartOutput* output_ = nullptr;
};
