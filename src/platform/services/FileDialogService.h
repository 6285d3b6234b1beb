#pragma once

#include <QString>

#include "platform/services/DialogOwner.h"

// Every file dialog goes through here. An empty result means the user cancelled.
class FileDialogService : public DialogService {
public:
    virtual ~FileDialogService() = default;
    virtual QString openFileName(const QString& caption, const QString& startPath,
                                 const QString& filter) = 0;
    // defaultSuffix without the dot ("bk4"); the dialog asks nothing about overwriting.
    virtual QString saveFileName(const QString& caption, const QString& startPath,
                                 const QString& filter, const QString& defaultSuffix) = 0;
};
