#pragma once

#include <QDialog>
#include <vector>

#include "stats/CountTable.h"

class QTableWidget;
struct Services;

// "Conteggi": every value of the chart with its count and share, sortable by any column,
// to copy into a spreadsheet or save as CSV.
class CountTableWindow : public QDialog {
    Q_OBJECT
public:
    CountTableWindow(std::vector<CountRow> rows, Services& services, QWidget* parent = nullptr);

    // The rows in the order the table shows them.
    std::vector<CountRow> shownRows() const;
    void copy();
    void save();

private:
    std::vector<CountRow> rows_;
    Services& services_;
    QTableWidget* table_;
};
