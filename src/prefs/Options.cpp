#include "prefs/Options.h"

#include "platform/settings/SettingsStore.h"

namespace Options {

QString valueName(Switch s) {
    switch (s) {
        case DeleteWarning:
            return QStringLiteral("Elimina");
        case AboutAtStart:
            return QStringLiteral("About");
        case ExitWarning:
            return QStringLiteral("Uscita");
        case AddWarning:
            return QStringLiteral("Aggiungi");
        case SaveOnExit:
            return QStringLiteral("Conferma");
        case PasswordOn:
            return QStringLiteral("OnPassword");
        case ResolutionInfo:
            return QStringLiteral("SetRisoluzione");
        case Count:
            break;
    }
    return {};
}

bool isTicked(const QString& stored) {
    // The numeric value of the text: leading blanks skipped, digits read up to the first
    // other character, so " 1" ticks and "1x" ticks, but "2" or "sì" do not.
    const QString t = stored.trimmed();
    qsizetype end = 0;
    while (end < t.size() && t.at(end).isDigit())
        ++end;
    bool ok = false;
    const int value = t.left(end).toInt(&ok);
    return ok && value == 1;
}

void save(const SettingsStore& settings, const States& states) {
    const auto text = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    if (!states[SaveOnExit]) {
        settings.write(valueName(SaveOnExit), text(false));
        return;
    }
    settings.write(valueName(SaveOnExit), text(true));
    for (Switch s :
         {DeleteWarning, AboutAtStart, ExitWarning, AddWarning, PasswordOn, ResolutionInfo})
        settings.write(valueName(s), text(states[s]));
}

}  // namespace Options
