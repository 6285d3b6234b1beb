#include "platform/core/HelpFile.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "platform/core/AppError.h"

namespace {

const char* const kSource = "HelpFile";

AppError formatError(const QString& origin, int lineNo, const QString& why) {
    return AppError(ErrorCode::FileError, QString::fromLatin1(kSource),
                    QStringLiteral("Il file della guida %1 non è valido (riga %2): %3")
                        .arg(origin)
                        .arg(lineNo)
                        .arg(why));
}

// Inline markup: [[id]], [[id|text]] and **bold**; everything else is plain text.
QString inlineHtml(const QString& text, const HelpFile& file) {
    const QStringView s(text);
    QString out;
    qsizetype plain = 0;  // start of the plain text not written yet
    const auto writePlain = [&](qsizetype upTo) {
        out += s.sliced(plain, upTo - plain).toString().toHtmlEscaped();
    };
    // A closing mark missing after one place is missing after every later one: not
    // searching again keeps a text full of openers linear.
    bool linksClose = true;
    bool boldCloses = true;
    qsizetype i = 0;
    const auto opens = [&](char16_t mark) {
        return s[i] == mark && i + 1 < s.size() && s[i + 1] == mark;
    };
    while (i < s.size()) {
        if (linksClose && opens(u'[')) {
            const qsizetype end = s.indexOf(u"]]", i + 2);
            linksClose = end >= 0;
            if (linksClose) {
                const QStringView inner = s.sliced(i + 2, end - i - 2);
                const qsizetype bar = inner.indexOf(u'|');
                const QString id = (bar < 0 ? inner : inner.first(bar)).trimmed().toString();
                QString shown = bar < 0 ? QString() : inner.sliced(bar + 1).trimmed().toString();
                if (shown.isEmpty()) {
                    const HelpTopic* target = file.find(id);
                    shown = target ? target->title : id;
                }
                writePlain(i);
                out += QStringLiteral("<a href=\"%1:%2\">%3</a>")
                           .arg(HelpFile::linkScheme(), id.toHtmlEscaped(), shown.toHtmlEscaped());
                i = plain = end + 2;
                continue;
            }
        }
        if (boldCloses && opens(u'*')) {
            const qsizetype end = s.indexOf(u"**", i + 2);
            boldCloses = end >= 0;
            if (boldCloses) {
                writePlain(i);
                out += QStringLiteral("<b>") +
                       s.sliced(i + 2, end - i - 2).toString().toHtmlEscaped() +
                       QStringLiteral("</b>");
                i = plain = end + 2;
                continue;
            }
        }
        ++i;
    }
    writePlain(s.size());
    return out;
}

}  // namespace

HelpFile HelpFile::load(const QString& path) {
    QFile f(path);
    if (!QFileInfo::exists(path))
        throw AppError(ErrorCode::FileNotFound, QString::fromLatin1(kSource),
                       QStringLiteral("Impossibile trovare il file della guida in linea %1 "
                                      "nella cartella del programma (%2)")
                           .arg(QFileInfo(path).fileName(), QFileInfo(path).absolutePath()));
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(ErrorCode::FileError, QString::fromLatin1(kSource),
                       QStringLiteral("Impossibile leggere il file della guida in linea %1")
                           .arg(QFileInfo(path).fileName()));
    return parse(f.readAll(), QFileInfo(path).fileName());
}

HelpFile HelpFile::parse(const QByteArray& bytes, const QString& origin) {
    return parse(QString::fromUtf8(bytes), origin);
}

HelpFile HelpFile::parse(const QString& text, const QString& origin) {
    static const QRegularExpression idPattern(QStringLiteral("^[A-Za-z0-9_-]+$"));
    HelpFile file;
    file.fingerprint_ = qHash(text);

    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)))
        lines.first().remove(0, 1);
    if (lines.isEmpty() || lines.first().trimmed() != signature())
        throw formatError(origin, 1,
                          QStringLiteral("manca l'intestazione \"%1\"").arg(signature()));

    HelpTopic* current = nullptr;
    QSet<QString> ids;
    QStringList body;
    int topicLine = 0;
    const auto finishTopic = [&] {
        if (!current)
            return;
        if (current->title.isEmpty())
            throw formatError(
                origin, topicLine,
                QStringLiteral("l'argomento \"%1\" non ha un titolo").arg(current->id));
        current->body = body.join(QLatin1Char('\n')).trimmed();
        body.clear();
    };

    for (int n = 1; n < lines.size(); ++n) {
        const QString& line = lines.at(n);
        const int lineNo = n + 1;
        if (line.startsWith(QLatin1String("//")))
            continue;
        if (line.startsWith(QLatin1Char('@'))) {
            const qsizetype space = line.indexOf(QLatin1Char(' '));
            const QString directive = space < 0 ? line : line.left(space);
            const QString arg = space < 0 ? QString() : line.mid(space + 1).trimmed();
            if (directive == QLatin1String("@topic")) {
                finishTopic();
                if (!idPattern.match(arg).hasMatch())
                    throw formatError(
                        origin, lineNo,
                        QStringLiteral("nome di argomento non valido \"%1\"").arg(arg));
                // Names are ASCII, so lower case is how find() compares them.
                if (ids.contains(arg.toLower()))
                    throw formatError(origin, lineNo,
                                      QStringLiteral("argomento \"%1\" ripetuto").arg(arg));
                ids.insert(arg.toLower());
                file.topics_.append(HelpTopic{arg, {}, {}, {}});
                current = &file.topics_.last();
                topicLine = lineNo;
                continue;
            }
            if (!current)
                throw formatError(origin, lineNo,
                                  QStringLiteral("direttiva fuori da un argomento"));
            if (directive == QLatin1String("@title")) {
                current->title = arg;
            } else if (directive == QLatin1String("@keywords")) {
                for (const QString& k : arg.split(QLatin1Char(';'))) {
                    if (!k.trimmed().isEmpty())
                        current->keywords.append(k.trimmed());
                }
            } else {
                throw formatError(origin, lineNo,
                                  QStringLiteral("direttiva sconosciuta \"%1\"").arg(directive));
            }
            continue;
        }
        if (!current) {
            if (line.trimmed().isEmpty())
                continue;
            throw formatError(origin, lineNo, QStringLiteral("testo fuori da un argomento"));
        }
        body.append(line);
    }
    finishTopic();
    if (file.topics_.isEmpty())
        throw formatError(origin, int(lines.size()), QStringLiteral("nessun argomento"));
    return file;
}

const HelpTopic* HelpFile::find(const QString& id) const {
    for (const HelpTopic& t : topics_) {
        if (t.id.compare(id, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QStringList HelpFile::keywords() const {
    QStringList result;
    QSet<QString> seen;  // case-folded
    for (const HelpTopic& t : topics_) {
        for (const QString& k : t.keywords) {
            const QString folded = k.toCaseFolded();
            if (!seen.contains(folded)) {
                seen.insert(folded);
                result.append(k);
            }
        }
    }
    QCollator collator{QLocale(QLocale::Italian, QLocale::Italy)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(result.begin(), result.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return result;
}

QList<const HelpTopic*> HelpFile::topicsFor(const QString& keyword) const {
    QList<const HelpTopic*> found;
    const QString wanted = keyword.trimmed();
    for (const HelpTopic& t : topics_) {
        for (const QString& k : t.keywords) {
            if (k.compare(wanted, Qt::CaseInsensitive) == 0) {
                found.append(&t);
                break;
            }
        }
    }
    return found;
}

HelpTarget HelpFile::resolve(const HelpRequest& request) const {
    HelpTarget target;
    switch (request.kind) {
        case HelpRequest::Kind::Contents:
            target.topic = isEmpty() ? nullptr : &contents();
            break;
        case HelpRequest::Kind::Index:
            break;
        case HelpRequest::Kind::Keyword:
            target.keyword = request.key.trimmed();
            if (target.keyword.isEmpty())
                break;
            target.candidates = topicsFor(target.keyword);
            // One topic: straight to it; none or several: the index with the keyword typed in.
            if (target.candidates.size() == 1)
                target.topic = target.candidates.first();
            break;
    }
    return target;
}

QStringList HelpFile::links(const HelpTopic& topic) {
    static const QRegularExpression linkPattern(
        QStringLiteral("\\[\\[([^\\]|]*)(\\|[^\\]]*)?\\]\\]"));
    QStringList ids;
    auto it = linkPattern.globalMatch(topic.body);
    while (it.hasNext())
        ids.append(it.next().captured(1).trimmed());
    return ids;
}

QString HelpFile::html(const HelpTopic& topic) const {
    QString out = QStringLiteral("<h2>") + topic.title.toHtmlEscaped() + QStringLiteral("</h2>\n");
    QStringList paragraph;
    QStringList item;  // the list item being read, continued by indented lines
    bool inList = false;
    const auto flushParagraph = [&] {
        if (!paragraph.isEmpty()) {
            out += QStringLiteral("<p>") + inlineHtml(paragraph.join(QLatin1Char(' ')), *this) +
                   QStringLiteral("</p>\n");
            paragraph.clear();
        }
    };
    const auto flushItem = [&] {
        if (!item.isEmpty()) {
            out += QStringLiteral("<li>") + inlineHtml(item.join(QLatin1Char(' ')), *this) +
                   QStringLiteral("</li>\n");
            item.clear();
        }
    };
    const auto closeList = [&] {
        flushItem();
        if (inList) {
            out += QStringLiteral("</ul>\n");
            inList = false;
        }
    };
    for (const QString& raw : topic.body.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            flushParagraph();
            closeList();
        } else if (line.startsWith(QLatin1String("== "))) {
            flushParagraph();
            closeList();
            out += QStringLiteral("<h3>") + inlineHtml(line.mid(3).trimmed(), *this) +
                   QStringLiteral("</h3>\n");
        } else if (line.startsWith(QLatin1String("- "))) {
            flushParagraph();
            flushItem();
            if (!inList) {
                out += QStringLiteral("<ul>\n");
                inList = true;
            }
            item.append(line.mid(2).trimmed());
        } else if (!item.isEmpty() && raw.at(0).isSpace()) {
            item.append(line);  // an indented line goes on with the item above
        } else {
            closeList();  // a plain line after the bullets ends the list
            paragraph.append(line);
        }
    }
    flushParagraph();
    closeList();
    return out;
}
