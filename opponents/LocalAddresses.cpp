#include "opponents/LocalAddresses.h"

#include "game/Format.h"

#include <QHostInfo>
#include <QNetworkInterface>

#include <algorithm>

QList<QHostAddress> LocalAddresses()
{
    QList<QHostAddress> found;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (!ip.isLoopback() && !ip.isLinkLocal() && !found.contains(ip))
                found.append(ip);
        }
    }
    std::stable_partition(found.begin(), found.end(), [](const QHostAddress &ip) {
        return ip.protocol() == QAbstractSocket::IPv4Protocol;
    });
    return found;
}

QString DescribeLocalAddresses()
{
    QList<QHostAddress> addresses = LocalAddresses();
    if (addresses.isEmpty())
        return QStringLiteral("Dieser Computer ist mit keinem Netzwerk verbunden.");
    QStringList shown;
    for (const QHostAddress &ip : addresses.first(std::min<qsizetype>(addresses.size(), MaxShownAddresses)))
        shown.append(ip.toString());
    if (addresses.size() > MaxShownAddresses)
        shown.append(QStringLiteral("…"));
    return FormatText(QStringLiteral("Dieser Computer: %s – %s"),
                      {OutsideText(QHostInfo::localHostName(), 40), shown.join(QStringLiteral(", "))});
}
