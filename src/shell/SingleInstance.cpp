#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>

SingleInstance::SingleInstance(const QString& programFolder) {
    const QByteArray id = QCryptographicHash::hash(QDir(programFolder).absolutePath().toUtf8(),
                                                   QCryptographicHash::Sha1)
                              .toHex()
                              .left(16);
    lock_ = std::make_unique<QLockFile>(
        QDir::temp().filePath(QStringLiteral("raccolio-%1.lock").arg(QString::fromLatin1(id))));
    lock_->setStaleLockTime(0);
    // Only a lock held by another copy stops the start: a temporary folder that cannot
    // be written must not keep the program from running.
    first_ = lock_->tryLock(0) || lock_->error() != QLockFile::LockFailedError;
}
