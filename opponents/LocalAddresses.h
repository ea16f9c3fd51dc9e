#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// This computer's addresses that others can connect to: IPv4 first, then
// IPv6 (no loopback, no link-local ones: those need an interface to be named).
QList<QHostAddress> LocalAddresses();

// The host's line on the network page: "Dieser Computer: <name> – <addresses>",
// at most MaxShownAddresses of them, or that there is no network.
inline constexpr int MaxShownAddresses = 4;
QString DescribeLocalAddresses();
