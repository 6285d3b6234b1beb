#pragma once

#include <QLoggingCategory>

// Where code catches an error and goes on on purpose, it says so here (standard error,
// never a log file), so a fault is never dropped without a trace.
Q_DECLARE_LOGGING_CATEGORY(lcDb)     // raccolio.db: data sources, record sets, maintenance
Q_DECLARE_LOGGING_CATEGORY(lcUi)     // raccolio.ui: windows, binders, combos
Q_DECLARE_LOGGING_CATEGORY(lcPrefs)  // raccolio.prefs: settings, options, password
