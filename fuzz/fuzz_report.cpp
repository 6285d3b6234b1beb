// Report templates: parsed or refused with the report error; formulas applied to a
// parsed template either take or are refused the same way.
#include <cstdint>

#include "platform/core/AppError.h"
#include "platform/report/ReportTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536)
        return 0;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        ReportTemplate t = ReportTemplate::parse(text, QStringLiteral("FUZZ.RPT"));
        (void)t.fields();
        (void)t.expandedHeading();
        const QStringList lines = text.split(u'\n');
        // The last line doubles as a formula assignment.
        t.applyFormula(lines.last());
        (void)t.expandedHeading();
    } catch (const AppError&) {
    }
    return 0;
}
