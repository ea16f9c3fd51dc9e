#pragma once

#include <QLoggingCategory>

// Failures of the update facility: the check, the download, the installation
// and its stored settings ("kielwanz.update").
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
