#pragma once

#include <QByteArray>
#include <QString>

// Which file on disk a path names now: a link to it names the same file, and one renamed over
// it or created anew under the same name is another. Empty when there is none.
QByteArray fileIdentity(const QString& path);
