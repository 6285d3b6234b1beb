#include "platform/settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>
#include <optional>

#include "platform/core/AppInfo.h"

// A key file is a JSON object: value name -> {"type": <registry type>, "value": ...}.
// Type 1 keeps a string, type 4 a number, type 7 an array of strings. Other types
// (written by hand or by a newer version) are kept but read as the empty text.
//
// Every failure is silent, as with the registry: a failed read yields the empty
// text, a failed write leaves the file as it was.

namespace {

const QString kType = QStringLiteral("type");
const QString kValue = QStringLiteral("value");

constexpr QFileDevice::Permissions kFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kDirPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A registry string ends at its first zero character.
QString upToNul(const QString& s) {
    const qsizetype nul = s.indexOf(QChar(u'\0'));
    return nul < 0 ? s : s.left(nul);
}

// The key file's bytes, or nullopt when the file cannot be opened at all.
std::optional<QByteArray> loadBytes(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

// Bytes that do not hold a JSON object are a key without values. Two kinds of damage
// are read past: the zero-filled tail a crash can leave, and a file saved by hand in
// the old code page (bytes that are not UTF-8 mean Latin-1).
QJsonObject parseValues(const QByteArray& bytes) {
    QByteArrayView text(bytes);
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == '\0')
        --end;
    text.truncate(end);
    const QJsonDocument doc = QJsonDocument::fromJson(
        text.isValidUtf8() ? text.toByteArray() : QString::fromLatin1(text).toUtf8());
    return doc.isObject() ? doc.object() : QJsonObject();
}

QByteArray serialize(const QJsonObject& values) {
    return QJsonDocument(values).toJson(QJsonDocument::Indented);
}

// Value names compare case-insensitively, as registry names do; the stored name
// keeps the spelling it was created with.
QString storedName(const QJsonObject& values, const QString& name) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return name;
}

QJsonValue encode(const QString& value, int type) {
    switch (type) {
        case SettingsStore::DWord: {
            // A 32-bit value: out-of-range numbers wrap like a DWORD, text that is not a number is
            // 0.
            bool ok = false;
            const qlonglong n = value.trimmed().toLongLong(&ok);
            const auto wrapped = static_cast<qint32>(static_cast<quint32>(ok ? n : 0));
            return QJsonValue(static_cast<qint64>(wrapped));
        }
        case SettingsStore::MultiString: {
            // The strings are given separated by zero characters, as in the registry's layout.
            QJsonArray parts;
            for (const QString& part : value.split(QChar(u'\0')))
                parts.append(part);
            return parts;
        }
        default:
            return QJsonValue(value);
    }
}

QString decode(const QJsonObject& entry) {
    const QJsonValue v = entry.value(kValue);
    switch (entry.value(kType).toInt(-1)) {
        case SettingsStore::String:
            return v.isString() ? upToNul(v.toString()) : QString();
        case SettingsStore::MultiString:
            // Read as one string: the text up to the first zero, which is the first string.
            if (v.isArray())
                return upToNul(v.toArray().at(0).toString());
            return v.isString() ? upToNul(v.toString()) : QString();
        case SettingsStore::DWord:
            return v.isDouble() ? QString::number(static_cast<qint32>(v.toInteger())) : QString();
        default:
            return {};
    }
}

bool saveBytes(const QString& file, const QByteArray& bytes) {
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file, so the key is never readable by others, not even briefly.
    out.setPermissions(kFilePermissions);
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace

SettingsStore::SettingsStore(QString root) : root_(std::move(root)) {
    if (root_.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
        // The XDG rules ignore a relative path.
        root_ = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                    ? xdg
                    : QDir::homePath() + QStringLiteral("/.config");
    }
    root_ = QDir::cleanPath(root_);
}

QString SettingsStore::keyPath() {
    return QStringLiteral("Software\\Brenvati\\") + AppInfo::title() + QStringLiteral("\\Settings");
}

QString SettingsStore::fileForKey(const QString& key) const {
    const QStringList parts = key.split(QChar(u'\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    for (const QString& part : parts) {
        // A key name must stay one path component under the root.
        if (part == u"." || part == u".." || part.contains(QChar(u'/')) ||
            part.contains(QChar(u'\0')))
            return {};
    }
    return root_ + QChar(u'/') + parts.join(QChar(u'/'));
}

bool SettingsStore::keyExists(const QString& key) const {
    const QString file = fileForKey(key);
    return !file.isEmpty() && QFileInfo(file).isFile();
}

QString SettingsStore::read(const QString& key, const QString& name) const {
    const QString file = fileForKey(key);
    if (file.isEmpty())
        return {};
    const std::optional<QByteArray> bytes = loadBytes(file);
    return bytes ? readValue(*bytes, name) : QString();
}

QString SettingsStore::readValue(const QByteArray& keyFile, const QString& name) {
    const QJsonObject values = parseValues(keyFile);
    const QJsonValue entry = values.value(storedName(values, name));
    return entry.isObject() ? decode(entry.toObject()) : QString();
}

void SettingsStore::write(const QString& key, const QString& name, const QString& value,
                          ValueType type) const {
    if (!keyExists(key))
        return;
    const QString file = fileForKey(key);
    // A file that cannot even be read is left alone rather than replaced.
    const std::optional<QByteArray> bytes = loadBytes(file);
    if (!bytes)
        return;
    saveBytes(file, writeValue(*bytes, name, value, type));
}

QByteArray SettingsStore::writeValue(const QByteArray& keyFile, const QString& name,
                                     const QString& value, ValueType type) {
    QJsonObject values = parseValues(keyFile);
    QJsonObject entry;
    entry.insert(kType, static_cast<int>(type));
    entry.insert(kValue, encode(value, type));
    values.insert(storedName(values, name), entry);
    return serialize(values);
}

void SettingsStore::createKey(const QString& key) const {
    const QString file = fileForKey(key);
    if (file.isEmpty() || QFileInfo::exists(file))
        return;
    // Create the missing folders one by one so each gets owner-only access.
    const QString folder = QFileInfo(file).path();
    QStringList missing;
    for (QString dir = folder; !QFileInfo::exists(dir); dir = QFileInfo(dir).path()) {
        missing.prepend(dir);
        if (QFileInfo(dir).path() == dir)
            break;
    }
    for (const QString& dir : missing) {
        if (!QDir().mkdir(dir, kDirPermissions))
            return;
    }
    saveBytes(file, serialize(QJsonObject()));
}

void SettingsStore::deleteKey(const QString& key) const {
    const QString file = fileForKey(key);
    if (!file.isEmpty() && QFileInfo(file).isFile())
        QFile::remove(file);
}

void SettingsStore::ensureDefaults() const {
    const QString key = keyPath();
    if (keyExists(key))
        return;
    createKey(key);
    write(key, QStringLiteral("Elimina"), QStringLiteral("1"));
    write(key, QStringLiteral("About"), QStringLiteral("1"));
    write(key, QStringLiteral("Uscita"), QStringLiteral("1"));
    write(key, QStringLiteral("Aggiungi"), QStringLiteral("0"));
    write(key, QStringLiteral("OnPassword"), QStringLiteral("0"));
    write(key, QStringLiteral("Password"), QString());
    write(key, QStringLiteral("Conferma"), QStringLiteral("1"));
}
