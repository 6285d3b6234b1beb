#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// The commands of backup, restore, compaction and repair.
// Returns false for an id that is not one of them.
bool runMaintenanceCommand(const QString& id, CardContext& cards, Services& services,
                           QWidget* parent);
