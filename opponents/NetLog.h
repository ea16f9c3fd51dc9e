#pragma once

#include <QLoggingCategory>

// Failures of the network game: connections that could not be made and peers
// whose messages were refused.
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)

// The search for games on the local network: quiet unless asked for
// (QT_LOGGING_RULES="kielwanz.discovery.info=true"), since a computer without
// avahi-daemon is no fault.
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)
