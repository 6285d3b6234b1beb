#include "platform/core/Log.h"

Q_LOGGING_CATEGORY(lcDb, "raccolio.db")
Q_LOGGING_CATEGORY(lcUi, "raccolio.ui")
Q_LOGGING_CATEGORY(lcPrefs, "raccolio.prefs")
