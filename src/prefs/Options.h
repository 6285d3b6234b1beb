#pragma once

#include <QString>
#include <array>

class SettingsStore;

// The seven switches of the options window, each mirroring one settings value.
namespace Options {

enum Index { Elimina, About, Uscita, Aggiungi, Conferma, OnPassword, SetRisoluzione, Count };

// Settings value name of each switch, in the order above.
QString valueName(Index i);

using States = std::array<bool, Count>;

// A stored value turned into a box state: ticked when its numeric value is 1
// ("1" on, "0", empty or absent off).
bool isTicked(const QString& stored);

// What "OK" stores: with Conferma ticked, Conferma = "1" and then every other switch
// as "1"/"0"; with Conferma unticked only Conferma = "0", the others keep their values.
void save(const SettingsStore& settings, const States& states);

}  // namespace Options
