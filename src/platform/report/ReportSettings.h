#pragma once

#include <QString>

// The settings of the report engine. One object lives with the main window and every
// print command sets some of them: the others keep what the last command left.
struct ReportSettings {
    enum Destination { Preview = 0, Printer = 1 };

    QString reportFile;   // template file name, in the program folder
    QString windowTitle;  // of the preview window
    int destination = Preview;
    int windowLeft = 0;
    int windowTop = 0;
    int windowWidth = 0;
    int windowHeight = 0;
    QString formula0;  // "" or "NAME= text"
};
