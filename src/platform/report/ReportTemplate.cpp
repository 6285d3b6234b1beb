#include "platform/report/ReportTemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/core/AppError.h"

namespace {

const char* kSource = "ReportEngine";

[[noreturn]] void malformed(const QString& name, int line, const QString& why) {
    throw AppError(kReportErrorNumber, QString::fromLatin1(kSource),
                   QStringLiteral("Il modello di stampa %1 non è valido (riga %2): %3")
                       .arg(name)
                       .arg(line)
                       .arg(why));
}

QStringList splitList(const QString& text, QChar separator) {
    QStringList parts = text.split(separator);
    for (QString& p : parts)
        p = p.trimmed();
    return parts;
}

QString unquoted(QString text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

}  // namespace

ReportTemplate ReportTemplate::load(const QString& path) {
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.exists())
        throw AppError(ErrorCode::FileNotFound, QString::fromLatin1(kSource),
                       QStringLiteral("Il modello di stampa %1 non è stato trovato.").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(ErrorCode::FileError, QString::fromLatin1(kSource),
                       QStringLiteral("Impossibile leggere il modello di stampa %1.").arg(name));
    return parse(QString::fromUtf8(file.readAll()), name);
}

ReportTemplate ReportTemplate::parse(const QString& text, const QString& name) {
    ReportTemplate t;
    t.name = name;
    const QStringList lines = text.split(u'\n');
    if (lines.isEmpty() || lines.first().trimmed() != QLatin1String("RACCOLIO-REPORT 1"))
        malformed(name, 1, QStringLiteral("manca l'intestazione RACCOLIO-REPORT 1"));
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const int number = i + 1;
        if (line.isEmpty() || line.startsWith(QLatin1String("//")))
            continue;
        if (!line.startsWith(u'@'))
            malformed(name, number, QStringLiteral("si attende una direttiva @"));
        const qsizetype space = line.indexOf(u' ');
        const QString key = line.left(space < 0 ? line.size() : space);
        const QString value = space < 0 ? QString() : line.mid(space + 1).trimmed();
        if (value.isEmpty())
            malformed(name, number, QStringLiteral("%1 senza valore").arg(key));
        if (key == QLatin1String("@source")) {
            t.source = value;
        } else if (key == QLatin1String("@order")) {
            t.order = splitList(value, u',');
        } else if (key == QLatin1String("@title")) {
            t.title = value;
        } else if (key == QLatin1String("@heading")) {
            t.heading = value;
        } else if (key == QLatin1String("@formula")) {
            const qsizetype eq = value.indexOf(u'=');
            if (eq <= 0)
                malformed(name, number, QStringLiteral("@formula NOME = testo"));
            t.formulas.insert(value.left(eq).trimmed(), unquoted(value.mid(eq + 1)));
        } else if (key == QLatin1String("@page")) {
            if (value != QLatin1String("portrait") && value != QLatin1String("landscape"))
                malformed(name, number, QStringLiteral("@page portrait o landscape"));
            t.landscape = value == QLatin1String("landscape");
        } else if (key == QLatin1String("@body")) {
            if (value != QLatin1String("columns") && value != QLatin1String("cards"))
                malformed(name, number, QStringLiteral("@body columns o cards"));
            t.body = value == QLatin1String("cards") ? Body::Cards : Body::Columns;
        } else if (key == QLatin1String("@column")) {
            const QStringList parts = splitList(value, u';');
            bool ok = parts.size() == 3;
            const int weight = ok ? parts[2].toInt(&ok) : 0;
            if (!ok || weight <= 0 || parts[0].isEmpty())
                malformed(name, number, QStringLiteral("@column CAMPO; Intestazione; larghezza"));
            t.columns.push_back({parts[0], parts[1], weight});
        } else {
            malformed(name, number, QStringLiteral("direttiva sconosciuta %1").arg(key));
        }
    }
    if (t.source.isEmpty())
        malformed(name, int(lines.size()), QStringLiteral("manca @source"));
    if (t.columns.empty())
        malformed(name, int(lines.size()), QStringLiteral("nessuna @column"));
    static const QRegularExpression reference(QStringLiteral("\\{([^}]*)\\}"));
    auto it = reference.globalMatch(t.heading);
    while (it.hasNext()) {
        const QString formula = it.next().captured(1);
        if (!t.formulas.contains(formula))
            malformed(name, int(lines.size()),
                      QStringLiteral("la formula %1 non è definita").arg(formula));
    }
    return t;
}

void ReportTemplate::applyFormula(const QString& assignment) {
    if (assignment.isEmpty())
        return;
    const qsizetype eq = assignment.indexOf(u'=');
    const QString formula = assignment.left(eq < 0 ? 0 : eq).trimmed();
    if (formula.isEmpty() || !formulas.contains(formula))
        throw AppError(kReportErrorNumber, QString::fromLatin1(kSource),
                       QStringLiteral("Il modello di stampa %1 non ha la formula %2.")
                           .arg(name, formula.isEmpty() ? assignment : formula));
    formulas[formula] = unquoted(assignment.mid(eq + 1));
}

QString ReportTemplate::expandedHeading() const {
    QString text = heading;
    for (auto it = formulas.cbegin(); it != formulas.cend(); ++it)
        text.replace(u'{' + it.key() + u'}', it.value());
    return text;
}

QStringList ReportTemplate::fields() const {
    QStringList list;
    for (const ReportColumn& c : columns)
        list << c.field;
    return list;
}
