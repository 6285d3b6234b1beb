#pragma once

#include <QSize>
#include <QString>

#include "platform/report/ReportSettings.h"

struct ArchiveDef;

// What each print command sets on the report engine's settings; what it does not set
// stays as the previous command left it.
namespace PrintRules {

QString question();  // "Si desidera stampare ?"
QString previewTitle();

// "Anteprima di Stampa" (preview) and "Stampa..." (printer), after a Yes.
void mainWindowPrint(ReportSettings& s, bool preview, const ArchiveDef& archive, QSize screen);
// "&Stampa ricerca": the search-result template with the heading; destination kept.
void searchPrint(ReportSettings& s, const ArchiveDef& archive, const QString& fieldChoice,
                 const QString& text, QSize screen);
// Any other template (the authors register): only the title and the file.
void plainPrint(ReportSettings& s, const QString& templateName);

// "BRENVATI= \"<label><field> - Testo di ricerca: <TEXT>\"".
QString searchHeading(const ArchiveDef& archive, const QString& fieldChoice, const QString& text);

}  // namespace PrintRules
