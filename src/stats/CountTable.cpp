#include "stats/CountTable.h"

#include <QLocale>
#include <QStringList>

#include "platform/chart/ChartModel.h"

namespace CountTable {

std::vector<CountRow> rows(const ChartModel& chart) {
    std::vector<CountRow> result;
    qint64 total = 0;
    for (const ChartPoint& p : chart.points())
        total += p.value;
    for (const ChartPoint& p : chart.points()) {
        if (p.legend.isEmpty() && p.value == 0)
            continue;
        result.push_back(
            {p.legend, p.value, total > 0 ? 100.0 * double(p.value) / double(total) : 0.0});
    }
    return result;
}

QString percentText(double percent) {
    return QLocale(QLocale::Italian).toString(percent, 'f', 1) + QStringLiteral(" %");
}

QString text(const std::vector<CountRow>& rows, QChar separator) {
    const QLocale italian(QLocale::Italian);
    auto field = [separator](QString f) {
        if (separator == QLatin1Char('\t'))
            return f.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'),
                                                                          QLatin1Char(' '));
        if (f.contains(separator) || f.contains(QLatin1Char('"')) || f.contains(QLatin1Char('\n')))
            return QLatin1Char('"') + f.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                   QLatin1Char('"');
        return f;
    };
    QStringList lines{QStringList{QStringLiteral("Valore"), QStringLiteral("Cartelle"),
                                  QStringLiteral("Percentuale")}
                          .join(separator)};
    for (const CountRow& r : rows)
        lines << QStringList{field(r.value), QString::number(r.count),
                             italian.toString(r.percent, 'f', 1)}
                     .join(separator);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

}  // namespace CountTable
