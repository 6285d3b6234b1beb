#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// The commands of the structured search and the printed reports.
// Returns false for an id that is not one of them.
bool runSearchCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent);
