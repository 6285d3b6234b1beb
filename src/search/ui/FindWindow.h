#pragma once

#include <QDialog>

class CardContext;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QButtonGroup;
class QRadioButton;
struct Services;

// FrmFind: finds a card of the archive shown on the main window by a text contained in
// one field or in any field, first, previous, next or last, and moves the main window's
// data source to it. Not modal; it follows the main window's archive, so its caption
// and field list always belong to the archive that a find will search.
//
// "&Uscita" closes (hides) it. Shown again after that, it starts afresh as a new window
// would: empty text, no field chosen, "Primo". Whether to delete it is its owner's call.
class FindWindow : public QDialog {
    Q_OBJECT
public:
    FindWindow(CardContext& cards, Services& services, QWidget* parent);

    void done(int result) override;

public slots:
    // Rebuilds the caption and the field list for the main window's current archive,
    // keeping the chosen field when the archive has it.
    void followArchive();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void search();
    void enableSearch();
    void startAfresh();

    CardContext& cards_;
    Services& services_;
    bool closed_ = false;
    QComboBox* field_;
    QLineEdit* text_;
    QRadioButton* options_[4];
    QButtonGroup* directions_;
    QPushButton* ok_;
    QPushButton* exit_;
};
