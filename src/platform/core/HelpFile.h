#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The program's help file (RACCOLIO.HLP): topics with a title, index keywords and a
// body in a small text markup; the format is described in docs/help-format.md.
// The first topic is the contents.

struct HelpTopic {
    QString id;
    QString title;
    QStringList keywords;
    QString body;  // markup, as written in the file
};

// What a help command asks for: the contents, the keyword index, or the topics of a keyword.
struct HelpRequest {
    enum class Kind { Contents, Index, Keyword };
    Kind kind = Kind::Contents;
    QString key;

    static HelpRequest contents() { return {Kind::Contents, {}}; }
    static HelpRequest index() { return {Kind::Index, {}}; }
    static HelpRequest keyword(const QString& k) { return {Kind::Keyword, k}; }
};

// Where a request lands: one topic, or the index (with the keyword typed in and the
// topics it found, when it found none or several).
struct HelpTarget {
    const HelpTopic* topic = nullptr;  // null: show the index
    QString keyword;
    QList<const HelpTopic*> candidates;
};

class HelpFile {
public:
    static QString fileName() { return QStringLiteral("RACCOLIO.HLP"); }
    static QString signature() { return QStringLiteral("RACCOLIO-HELP 1"); }

    // Error 53 when the file is missing; FileError when it cannot be read or is not a help file.
    static HelpFile load(const QString& path);
    // origin names the file in error descriptions.
    static HelpFile parse(const QString& text, const QString& origin = fileName());
    // The file's bytes, read as UTF-8.
    static HelpFile parse(const QByteArray& bytes, const QString& origin = fileName());

    HelpFile() = default;

    bool isEmpty() const { return topics_.isEmpty(); }
    const QList<HelpTopic>& topics() const { return topics_; }
    const HelpTopic& contents() const { return topics_.first(); }
    const HelpTopic* find(const QString& id) const;  // case-insensitive

    // Every keyword once, in index order (alphabetical, ignoring case and accents first).
    QStringList keywords() const;
    // Topics carrying the keyword (case-insensitive), in file order.
    QList<const HelpTopic*> topicsFor(const QString& keyword) const;
    HelpTarget resolve(const HelpRequest& request) const;

    // Link targets of a topic body, in order of appearance.
    static QStringList links(const HelpTopic& topic);
    // The topic as HTML; a link to topic "x" becomes <a href="topic:x">.
    QString html(const HelpTopic& topic) const;
    static QString linkScheme() { return QStringLiteral("topic"); }

    // Identity of the loaded text, to tell whether a file changed since it was read.
    size_t fingerprint() const { return fingerprint_; }

private:
    QList<HelpTopic> topics_;
    size_t fingerprint_ = 0;
};
