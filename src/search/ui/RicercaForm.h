#pragma once

#include <QDialog>
#include <memory>

class CardContext;
class Database;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class ResultGridModel;
struct Services;

// RicercaForm: the structured search. Lists every card of the archive shown on the
// main window that contains a text in one field or any field, copies them into the
// archive's result table and prints that table. It runs its own query: the main
// window's card never moves. Modal; the caller owns it.
class RicercaForm : public QDialog {
    Q_OBJECT
public:
    RicercaForm(CardContext& cards, Services& services, QWidget* parent);
    ~RicercaForm() override;

    ResultGridModel& grid() const { return *model_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUp();
    void resetGrid();
    void search();
    void widenColumns(int first, int last);
    std::shared_ptr<Database> catalogue() const;

    CardContext& cards_;
    Services& services_;
    bool setUp_ = false;
    QStringList tableFields_;
    QComboBox* field_;
    QLineEdit* text_;
    QPushButton* ok_;
    QPushButton* exit_;
    QPushButton* print_;
    QTableView* view_;
    ResultGridModel* model_;
};
