#pragma once

#include <QString>

class CardContext;
class QWidget;
struct Services;

// The print commands. Each runs under the shared error message: a failure (missing
// template, no printer) is shown and no preview opens.

// "Anteprima di Stampa" (preview true) and "Stampa...": asks "Si desidera stampare ?",
// then prints the current archive with its whole-archive template.
void printArchive(bool preview, CardContext& cards, Services& services, QWidget* parent);

// "&Stampa ricerca": the archive's search result with its heading; the destination is
// whatever the last main-window print chose.
void printSearchResult(CardContext& cards, const QString& fieldChoice, const QString& text,
                       Services& services, QWidget* parent);

// Prints any template of the program folder (the authors register's AUTORI.RPT): only
// the report file and the window title are set; destination, geometry and formula stay
// as the last print left them. `source` names the handler in the error message; parent
// (not null) is any window of the main window's family: the engine lives with the main window.
void printReport(const QString& templateName, QWidget* parent, Services& services,
                 const char* source = "Autori.Command7_Click");
