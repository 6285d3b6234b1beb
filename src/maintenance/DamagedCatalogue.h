#pragma once

#include <QString>

#include "platform/db/Maintenance.h"

class AppError;
class MessageService;

// Whether a new empty catalogue is a way out: not while the damaged one is still being
// browsed, as its readable cards are worth more than none.
enum class FreshStart { Offered, NotOffered };

// The answer to a damaged catalogue: offers to salvage what can be read, to put the
// automatic backup in its place, or to start a new empty catalogue; whichever is chosen,
// the damaged file is kept beside it first. True when the catalogue at path is usable
// afterwards. `progress` is told how a salvage or a restore goes.
bool offerCatalogueRecovery(const QString& path, MessageService& messages,
                            const DbMaintenance::Progress& progress = {},
                            FreshStart freshStart = FreshStart::Offered);

// Start-up's answer to a catalogue that would not open with `failure`: a file that was never
// a catalogue is refused untouched with that error; a damaged one is offered the ways out
// above. True when the catalogue is usable afterwards; otherwise the user has been told why
// the program ends.
bool answerUnopenedCatalogue(const QString& path, const AppError& failure,
                             MessageService& messages,
                             const DbMaintenance::Progress& progress = {});

// What the user reads when a damaged catalogue stays as it was and the program ends.
QString notRecoveredText();
