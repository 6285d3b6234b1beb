#pragma once

#include <QStringList>

#include "cards/Archives.h"

class CardBrowser;
class ChartModel;
struct FieldTally;

#include <functional>

// The look chosen in the statistics window, as the chart's setting values.
struct ChartChoices {
    int type = 4;
    int style = 0;
    int axisLabels = 1;
    int grid = 3;
};

namespace Statistics {

QString chartTitle();  // application title + " - Statistiche"
// The message for a count that failed.
QString countFailedText();

// Whether a field choice can be picked on an archive: the table of archives says so and
// the archive's table really has the field (Musica is listed with "Genere", which
// CDAUDIO lacks).
bool available(const StatisticsChoiceDef& choice, Archive archive, const QStringList& tableFields);

// Clears the chart and gives it the title and the chosen look.
void prepareChart(ChartModel& chart, const ChartChoices& choices);
// Points from the tally in tally order: at least two, the second left empty for a
// single value.
void fillChart(ChartModel& chart, const FieldTally& tally);

// Stores an edit pending on the current card (the count reads what is stored), counts a
// field of the current archive into the chart (bottom title, points) and leaves the main
// window on the first card. False when keepGoing() stopped the count: the cursor is then
// where it was and the chart holds no points. Errors of the count propagate.
bool countIntoChart(ChartModel& chart, CardBrowser& cards, const StatisticsChoiceDef& choice,
                    const std::function<bool()>& keepGoing = {});

}  // namespace Statistics
