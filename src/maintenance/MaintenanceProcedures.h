#pragma once

#include <QString>
#include <functional>

#include "platform/db/Maintenance.h"

class CardContext;
struct Services;

// Backup, restore, compaction and repair as the user runs them: the questions, the order
// of closing, copying and reopening, the messages. The windows they need come as hooks.
class MaintenanceProcedures {
public:
    enum class Mode { Automatic, Manual, Cancelled };

    struct Hooks {
        // Form2 with this caption; which procedure the user chose.
        std::function<Mode(const QString& caption)> chooseMode;
        // Disables (false) or enables again (true) the main window.
        std::function<void(bool enabled)> setWindowEnabled;
        // A copy is starting with this label; its steps go to the progress it returns.
        std::function<DbMaintenance::Progress(const QString& label)> startProgress;
        std::function<void()> endProgress;
        // Ends the program at once, without its closing questions.
        std::function<void()> endProgram;
    };

    MaintenanceProcedures(CardContext& cards, Services& services, Hooks hooks);

    void backup();
    void restore();
    void compact();
    void repair();

    static QString backupFilter();  // the file dialog's filter

private:
    bool backupBody(Mode mode);
    bool restoreBody(Mode mode);
    // Runs a file-level step with every data source closed and reopens them afterwards,
    // also when the step failed: the catalogue is whole either way. A compaction, after
    // which the program ends, reopens them only when it failed.
    enum class Reopen { Always, OnFailure };
    void withSourcesClosed(const QString& progressLabel,
                           const std::function<void(const DbMaintenance::Progress&)>& step,
                           Reopen reopen = Reopen::Always);

    CardContext& cards_;
    Services& services_;
    Hooks hooks_;
};
