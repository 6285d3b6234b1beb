#pragma once

#include <QPointer>
#include <QString>

class MainWindow;
class QWidget;
struct Services;

// Which window a double click on a lookup combo's button opens, and how.
struct LookupEditorPlace {
    QString combo;
    QString table;  // handed over in Label2; empty for the authors register
    bool modal;
};

const LookupEditorPlace* lookupEditorFor(const QString& combo);

// Opens the editor for a place: modal ones live for one call; a non-modal one is kept
// in `open` and only brought forward while it is open.
void openLookupEditorWindow(MainWindow& main, Services& services, const LookupEditorPlace& place,
                            QPointer<QWidget>& open);
