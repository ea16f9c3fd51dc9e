#pragma once

#include <QLoggingCategory>

// Failures of the settings files: unreadable, unwritable, damaged values
// ("kielwanz.settings").
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
