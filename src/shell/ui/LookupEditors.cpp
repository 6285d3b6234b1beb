#include "shell/ui/LookupEditors.h"

#include <QWidget>
#include <vector>

#include "registers/ui/LookupListWindow.h"
#include "shell/ui/MainWindow.h"

namespace {

const std::vector<LookupEditorPlace>& places() {
    static const std::vector<LookupEditorPlace> v = {
        {QStringLiteral("DBCombo6"), QString(), true},
        {QStringLiteral("DBCombo2"), QStringLiteral("ARG1"), true},
        {QStringLiteral("DBCombo3"), QStringLiteral("FORMATO"), true},
        {QStringLiteral("DBCombo4"), QStringLiteral("LIBRERIA"), true},
        {QStringLiteral("DBCombo1"), QStringLiteral("MUSICATIPOBRANO"), true},
        {QStringLiteral("DBCombo5"), QStringLiteral("MUSICAPOSRACCOLIO"), true},
        {QStringLiteral("DBCombo11"), QStringLiteral("MUSICADIRETTORE"), false},
        {QStringLiteral("DBCombo12"), QStringLiteral("MUSICAAUTORE"), false},
        {QStringLiteral("DBCombo13"), QStringLiteral("MUSICASOLISTA"), false},
        {QStringLiteral("DBCombo14"), QStringLiteral("MUSICAORCHESTRA"), false},
        {QStringLiteral("DBCombo10"), QStringLiteral("ARG3"), false},
        {QStringLiteral("DBCombo9"), QStringLiteral("GEN2"), true},
        {QStringLiteral("DBCombo7"), QStringLiteral("GEN3"), true},
        {QStringLiteral("DBCombo8"), QStringLiteral("ARG4"), true},
    };
    return v;
}

}  // namespace

const LookupEditorPlace* lookupEditorFor(const QString& combo) {
    for (const LookupEditorPlace& p : places())
        if (p.combo == combo)
            return &p;
    return nullptr;
}

void openLookupEditorWindow(MainWindow& main, Services& services, const LookupEditorPlace& place,
                            QPointer<QWidget>& open) {
    if (place.table.isEmpty())
        return;  // the authors register comes with its own window
    if (place.modal) {
        LookupListWindow editor(main, services, &main);
        editor.exec();
        return;
    }
    if (!open) {
        auto* editor = new LookupListWindow(main, services, &main);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        open = editor;
    }
    open->show();
    open->raise();
    open->activateWindow();
}
