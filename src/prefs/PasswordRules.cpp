#include "prefs/PasswordRules.h"

#include "platform/settings/SettingsStore.h"

namespace PasswordRules {

bool promptNeeded(const QString& onPassword, const QString& storedPassword) {
    return onPassword == QStringLiteral("1") && !storedPassword.isEmpty();
}

bool promptNeeded(const SettingsStore& settings) {
    // Password first, then OnPassword: the order the start-up reads them in.
    const QString stored = settings.read(passwordValue());
    const QString on = settings.read(onPasswordValue());
    return promptNeeded(on, stored);
}

bool isResetSwitch(const QString& commandLine) {
    return commandLine == QStringLiteral("/q");
}

bool applyResetSwitch(SettingsStore& settings, const QString& commandLine) {
    if (!isResetSwitch(commandLine))
        return false;
    settings.write(passwordValue(), QString());
    return true;
}

EntryOutcome judgeEntry(const QString& entered, const QString& stored, bool& retried) {
    if (entered == stored)
        return EntryOutcome::Accepted;
    if (retried)
        return EntryOutcome::EndProgram;
    retried = true;
    return EntryOutcome::TryAgain;
}

ChangeOutcome judgeChange(const QString& stored, const QString& oldEntry, const QString& newEntry,
                          const QString& confirmEntry) {
    if (!stored.isEmpty()) {
        if (oldEntry != stored)
            return ChangeOutcome::OldMismatch;
    } else if (!oldEntry.isEmpty()) {
        return ChangeOutcome::OldMustBeEmpty;
    }
    if (newEntry != confirmEntry)
        return ChangeOutcome::ConfirmMismatch;
    return ChangeOutcome::Accepted;
}

QString retryWarning() {
    return QStringLiteral(
        "Attenzione! La password inserita non corrisponde a quella del programma. Può provare "
        "ad inserirla ancora una volta, dopodiché il programma terminerà automaticamente.");
}

QString noPasswordYetHint() {
    return QStringLiteral(
        "Non è stata impostata ancora nessuna password. Per inserirne una nuova, non digitare "
        "nessun carattere nel campo VECCHIA PASSWORD.");
}

QString oldMismatchWarning() {
    return QStringLiteral(
        "Attenzione! Il valore presente in VECCHIA PASSWORD, non corrisponde a quella "
        "effettivamente salvata in precedenza.");
}

QString confirmMismatchWarning() {
    return QStringLiteral(
        "Attenzione! La verifica della nuova password ha dato esito negativo. Assicurarsi di "
        "averla digitata correttamente nei campi NUOVA PASSWORD e CONFERMA NUOVA PASSWORD.");
}

QString changeMessage(ChangeOutcome outcome) {
    switch (outcome) {
        case ChangeOutcome::OldMismatch:
            return oldMismatchWarning();
        case ChangeOutcome::OldMustBeEmpty:
            return noPasswordYetHint();
        case ChangeOutcome::ConfirmMismatch:
            return confirmMismatchWarning();
        case ChangeOutcome::Accepted:
            break;
    }
    return {};
}

}  // namespace PasswordRules
