#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// The command that opens the game.
// Returns false for an id that is not one of them.
bool runGameCommand(const QString& id, CardContext& cards, Services& services, QWidget* parent);
