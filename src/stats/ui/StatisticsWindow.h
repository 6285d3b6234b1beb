#pragma once

#include <QDialog>
#include <vector>

#include "stats/StatisticsRun.h"

class CardContext;
class QButtonGroup;
class QRadioButton;
struct Services;

// The statistics window "Statistiche": the look of the chart and the field to count.
// "&Visualizza il grafico" counts and shows the chart window; "&Uscita" only closes.
class StatisticsWindow : public QDialog {
    Q_OBJECT
public:
    StatisticsWindow(CardContext& cards, Services& services, QWidget* parent = nullptr);

    ChartChoices choices() const;
    const StatisticsChoiceDef& fieldChoice() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    QButtonGroup* addGroup(const QString& name, const QString& caption, const QStringList& options,
                           int firstValue, int defaultValue);
    void updateAvailability();
    void showChart();

    CardContext& cards_;
    Services& services_;
    QButtonGroup* type_ = nullptr;
    QButtonGroup* style_ = nullptr;
    QButtonGroup* labels_ = nullptr;
    QButtonGroup* grid_ = nullptr;
    QButtonGroup* field_ = nullptr;
    std::vector<QRadioButton*> fieldOptions_;
};
