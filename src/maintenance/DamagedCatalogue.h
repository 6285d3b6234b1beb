#pragma once

#include <QString>

class MessageService;

// Start-up's answer to a catalogue that is a database but fails its checks: offers to
// salvage what can be read (the damaged file kept beside it) or to put the automatic
// backup in its place. True when the catalogue at path is usable afterwards.
bool offerCatalogueRecovery(const QString& path, MessageService& messages);
