#pragma once

#include <QString>
#include <QVariant>

// Per-user settings with registry semantics: named values of a key, read and
// written one at a time, never cached. A key is one file under the settings root
// ($XDG_CONFIG_HOME, default ~/.config) whose path mirrors the key path
// ("Software\Brenvati\Raccolio 5.5 Pro\Settings" -> <root>/Software/Brenvati/Raccolio 5.5
// Pro/Settings), written atomically, readable only by its owner, UTF-8.
class SettingsStore {
public:
    enum ValueType { String = 1, DWord = 4, MultiString = 7 };

    // root: empty for the default per-user root.
    explicit SettingsStore(QString root = {});

    static QString keyPath();  // "Software\\Brenvati\\" + title + "\\Settings"

    // Missing key, missing value or an unknown type: the empty text. DWord values as their number's
    // text.
    QString read(const QString& key, const QString& name) const;
    // Does nothing when the key does not exist. Type 4 stores the text's integer value.
    void write(const QString& key, const QString& name, const QString& value,
               ValueType type = String) const;
    // The two calls above on a key file's bytes, already read: what they read, and the
    // bytes to store after the write.
    static QString readValue(const QByteArray& keyFile, const QString& name);
    static QByteArray writeValue(const QByteArray& keyFile, const QString& name,
                                 const QString& value, ValueType type = String);
    void createKey(const QString& key) const;
    bool keyExists(const QString& key) const;
    void deleteKey(const QString& key) const;

    // The program's key, shortcuts for the calls above.
    QString read(const QString& name) const { return read(keyPath(), name); }
    void write(const QString& name, const QString& value) const { write(keyPath(), name, value); }
    bool flag(const QString& name) const { return read(name) == QStringLiteral("1"); }

    // Creates the program's key with its defaults when it does not exist yet.
    void ensureDefaults() const;

    QString fileForKey(const QString& key) const;

private:
    QString root_;
};
