#pragma once

#include <QObject>
#include <QRect>
#include <memory>

#include "platform/report/ReportSettings.h"

class QWidget;
class ReportLayout;
struct Services;

// The report engine: one object that lives with the program's main window and keeps
// its settings from one print command to the next. run() prints with the settings as
// they stand: destination 0 opens a preview window, 1 prints on the default printer.
class ReportEngine : public QObject {
    Q_OBJECT
public:
    explicit ReportEngine(QObject* parent);

    // The engine of the window `widget` belongs to (its top-most parent), created with it.
    static ReportEngine& of(QWidget* widget);

    ReportSettings settings;

    // Reads the template from the program folder, applies formula slot 0 and opens its
    // data. AppError for a missing or malformed template, a missing formula or table.
    std::unique_ptr<ReportLayout> prepare(QWidget* parent = nullptr) const;
    // Runs the report (the action). Errors are raised before any window opens. A preview
    // belongs to parent's window.
    void run(Services& services, QWidget* parent);
    // Where a preview opens on a screen whose free area is `available`.
    QRect previewGeometry(const QRect& available) const;
};
