#pragma once

#include <QObject>
#include <QString>
#include <QTest>

// A widget of a window by its objectName; the test fails (and the caller gets nullptr)
// when it is missing or of another type.
template <typename T>
T* child(const QObject& root, const QString& name) {
    T* found = root.findChild<T*>(name);
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no %1 named %2").arg(
                         QString::fromLatin1(T::staticMetaObject.className()), name)),
                     __FILE__, __LINE__);
    return found;
}

template <typename T>
T* child(const QObject& root, const char* name) {
    return child<T>(root, QString::fromUtf8(name));
}
