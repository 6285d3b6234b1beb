#pragma once

#include <QString>

class MessageService;

// Start-up's answer to a damaged catalogue: offers to salvage what can be read, to put the
// automatic backup in its place, or to start a new empty catalogue; whichever is chosen,
// the damaged file is kept beside it first. True when the catalogue at path is usable
// afterwards.
bool offerCatalogueRecovery(const QString& path, MessageService& messages);
