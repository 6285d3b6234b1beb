#pragma once

class QBoxLayout;
class QLabel;
class QWidget;

// The counter the list windows share, "Cartella <position> di <count>" (Label1, Label3,
// Label2, Label4), with the two numbers in bold.
struct CounterLabels {
    QLabel* position;
    QLabel* count;
};

// Adds the four labels, children of parent, to the end of row.
CounterLabels addCounterLabels(QBoxLayout* row, QWidget* parent);
