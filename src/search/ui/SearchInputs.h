#pragma once

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// What both find windows ask: the field to search (Combo1) and the text to find
// (txtExpression), each under its caption panel (SSPanel2, SSPanel1).
struct SearchInputs {
    QComboBox* field;
    QLabel* fieldPanel;
    QLineEdit* text;
    QLabel* textPanel;
};

SearchInputs makeSearchInputs(QWidget* parent);
