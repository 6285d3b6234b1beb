#pragma once

#include <QString>

// The program-wide values shared by several windows, handed to those that need them.
struct AppState {
    QString searchText;            // last text confirmed in the find prompt
    QString searchCriterion;       // last criterion built by a list editor or the authors register
    bool passwordRetried = false;  // a first wrong start-up password was given
};
