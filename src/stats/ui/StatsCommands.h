#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// The commands of the statistics and their charts.
// Returns false for an id that is not one of them.
bool runStatsCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent);
