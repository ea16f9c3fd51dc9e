#pragma once

#include <QLoggingCategory>

// Failures of the network game: connections that could not be made and peers
// whose messages were refused.
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)
