#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// The commands of the authors register, keywords, quotations and the important-files chooser
// (also the card buttons and labels that open them, by their control names).
// Returns false for an id that is not one of them.
bool runRegisterCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent);
