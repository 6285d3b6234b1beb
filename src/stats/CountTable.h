#pragma once

#include <QString>
#include <vector>

class ChartModel;

// Every value of a chart with its count and share, for the table beside the chart: the
// chart itself draws at most a dozen entries and sums the rest as "Altri".
struct CountRow {
    QString value;
    qint32 count = 0;
    double percent = 0;  // of all the cards counted
};

namespace CountTable {

// The chart's points in point order; the padding point of a one-value chart is left out.
std::vector<CountRow> rows(const ChartModel& chart);

// "12,5 %": one decimal, Italian decimal comma.
QString percentText(double percent);

// The rows under a heading line, fields apart by `separator`. With ';' it is the CSV an
// Italian spreadsheet opens (a field holding the separator, a quote or a line break is
// quoted); with a tab it pastes into one.
QString text(const std::vector<CountRow>& rows, QChar separator);

}  // namespace CountTable
