#pragma once

#include <QString>
#include <array>

class SettingsStore;

// The seven switches of the options window, each mirroring one settings value.
namespace Options {

enum Switch {
    DeleteWarning,   // ask before a card is deleted
    AboutAtStart,    // show the about box at start-up
    ExitWarning,     // ask before the program closes
    AddWarning,      // ask before a card is added
    SaveOnExit,      // whether "OK" stores the other switches at all
    PasswordOn,      // ask for the password at start-up
    ResolutionInfo,  // show the screen resolution question at start-up
    Count
};

// Settings value name of each switch.
QString valueName(Switch s);

using States = std::array<bool, Count>;

// A stored value turned into a box state: ticked when its numeric value is 1
// ("1" on, "0", empty or absent off).
bool isTicked(const QString& stored);

// What "OK" stores: with SaveOnExit on, its value "1" and then every other switch
// as "1"/"0"; with SaveOnExit off only its own value "0", the others keep theirs.
void save(const SettingsStore& settings, const States& states);

}  // namespace Options
