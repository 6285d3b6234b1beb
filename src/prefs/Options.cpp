#include "prefs/Options.h"

#include "platform/settings/SettingsStore.h"

namespace Options {

QString valueName(Index i) {
    switch (i) {
        case Elimina:
            return QStringLiteral("Elimina");
        case About:
            return QStringLiteral("About");
        case Uscita:
            return QStringLiteral("Uscita");
        case Aggiungi:
            return QStringLiteral("Aggiungi");
        case Conferma:
            return QStringLiteral("Conferma");
        case OnPassword:
            return QStringLiteral("OnPassword");
        case SetRisoluzione:
            return QStringLiteral("SetRisoluzione");
        case Count:
            break;
    }
    return {};
}

bool isTicked(const QString& stored) {
    // The numeric value of the text, as the old Val() took it: leading blanks skipped,
    // digits read up to the first other character.
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
    if (!states[Conferma]) {
        settings.write(valueName(Conferma), text(false));
        return;
    }
    settings.write(valueName(Conferma), text(true));
    for (Index i : {Elimina, About, Uscita, Aggiungi, OnPassword, SetRisoluzione})
        settings.write(valueName(i), text(states[i]));
}

}  // namespace Options
