#pragma once

#include <QString>

// The commands a read-only catalogue refuses: those that would write into it. Adding and
// deleting cards are the card browser's own rule; backup writes elsewhere and stays.
namespace ReadOnlyCommands {

// What the command (a tool id, or a card control that opens a window) would change, as
// the words completing "impossibile ..."; empty for a command that only reads the catalogue.
QString refusedAction(const QString& id);

}  // namespace ReadOnlyCommands
