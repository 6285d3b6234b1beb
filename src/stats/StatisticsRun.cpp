#include "stats/StatisticsRun.h"

#include "cards/CardBrowser.h"
#include "platform/chart/ChartModel.h"
#include "platform/core/AppInfo.h"
#include "platform/db/DataSource.h"
#include "stats/FieldTally.h"

namespace Statistics {

QString chartTitle() {
    return AppInfo::title() + QStringLiteral(" - Statistiche");
}

QString countFailedText() {
    return QStringLiteral(
        "Errore inaspettato. Evidentemente si è cercato di visualizzare un grafico su di un "
        "campo non valido.");
}

bool available(const StatisticsChoiceDef& choice, Archive archive, const QStringList& tableFields) {
    return choice.inArchive[std::size_t(archiveIndex(archive))] &&
           tableFields.contains(choice.field, Qt::CaseInsensitive);
}

void prepareChart(ChartModel& chart, const ChartChoices& choices) {
    chart.dataReset(ChartModel::ResetAll);
    chart.title = chartTitle();
    chart.numSets = 1;
    chart.style = choices.style;
    chart.type = choices.type;
    chart.grid = choices.grid;
    chart.axisLabels = choices.axisLabels;
}

void fillChart(ChartModel& chart, const FieldTally& tally) {
    chart.setNumPoints(tally.size() == 1 ? 2 : tally.size());
    for (int i = 0; i < tally.size(); ++i) {
        chart.setCurrentPoint(i + 1);
        chart.setValue(tally.counts[i]);
        chart.setCurrentPoint(i + 1);
        chart.setLegendText(tally.names[i]);
    }
}

bool countIntoChart(ChartModel& chart, CardBrowser& cards, const StatisticsChoiceDef& choice,
                    const std::function<bool()>& keepGoing) {
    // Moving the cursor through the cards stores the card being edited; the count reads the
    // file, so the edit must be there first.
    cards.storeEdit(cards.currentSource());
    chart.bottomTitle = choice.bottomTitle;
    const std::optional<FieldTally> tally = tallyField(
        cards.currentSource().database(), cards.archiveDef().table, choice.field, keepGoing);
    if (!tally)
        return false;
    fillChart(chart, *tally);
    cards.first();
    return true;
}

}  // namespace Statistics
