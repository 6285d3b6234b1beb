#pragma once

#include <QString>

class SettingsStore;

// The start-up password: when it is asked, how an entry is judged, and how a change
// is checked. Passwords compare exactly: case-sensitive, no trimming.
namespace PasswordRules {

// Settings values the password lives in.
inline const QString passwordValue() {
    return QStringLiteral("Password");
}
inline const QString onPasswordValue() {
    return QStringLiteral("OnPassword");
}

// The prompt is shown only when protection is on and a password is actually set.
bool promptNeeded(const QString& onPassword, const QString& storedPassword);
bool promptNeeded(const SettingsStore& settings);

// The one command-line switch: exactly "/q" (whole command line) clears the password.
bool isResetSwitch(const QString& commandLine);
// Clears the stored password when the command line is the reset switch; true if it did.
bool applyResetSwitch(SettingsStore& settings, const QString& commandLine);

// One entry in the start-up prompt. `retried` is the program-wide attempt flag: it is
// set by the first wrong entry and never cleared while the program runs.
enum class EntryOutcome {
    Accepted,   // right password
    TryAgain,   // first wrong entry: warn, one more try
    EndProgram  // second wrong entry: end without a message
};
EntryOutcome judgeEntry(const QString& entered, const QString& stored, bool& retried);

// A change request from the password window.
enum class ChangeOutcome {
    Accepted,        // store the new password
    OldMismatch,     // a password is set and the old one typed is not it
    OldMustBeEmpty,  // no password is set, yet something was typed as the old one
    ConfirmMismatch  // new and confirmation differ
};
ChangeOutcome judgeChange(const QString& stored, const QString& oldEntry, const QString& newEntry,
                          const QString& confirmEntry);

// Messages, with the information icon.
QString retryWarning();
QString noPasswordYetHint();  // also the answer to OldMustBeEmpty
QString oldMismatchWarning();
QString confirmMismatchWarning();
// The message for a refused change (empty for Accepted).
QString changeMessage(ChangeOutcome outcome);

}  // namespace PasswordRules
