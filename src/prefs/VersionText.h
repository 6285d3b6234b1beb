#pragma once

#include <QString>

// The version as the about box writes it: major with mask "0", minor "00",
// revision "0000" (at least that many digits; wider numbers in full).
namespace VersionText {

QString padded(int number, int digits);
QString majorMinor(int major, int minor);          // "2.03"
QString revision(int revision);                    // "0007"
QString full(int major, int minor, int revision);  // "Versione: 2.03.0007"

}  // namespace VersionText

// What the about box shows; current() takes it from the build and the running program,
// tests build their own.
struct AboutInfo {
    QString title;
    int major = 0;
    int minor = 0;
    int revision = 0;
    QString legalNotice;
    QString programFileName;  // upper case, as shown
    QString helpFileName;     // upper case, as shown
    QString engineName;
    QString engineVersion;

    static AboutInfo current();
    // The executable's own file name in upper case ("RACCOLIO", or "RACCOLIO.EXE"
    // where the executable carries that suffix).
    static QString programFileNameOf(const QString& executablePath);
    static QString legalNoticeText();
};
