#!/usr/bin/env bash
# Runs a command in a private network of its own: two ends of a virtual
# cable, d0 and d1, each with an IPv4 and an IPv6 address, a private system
# bus and an avahi-daemon on d0 and d1. No address or packet of the machine's
# own network is used. Exits 77 ("skipped: why") where that cannot be had.
#   in-private-network.sh COMMAND [ARGS...]
set -euo pipefail
skip() { echo "skipped: $*"; exit 77; }

if [ -z "${KW_PRIVATE_NETWORK:-}" ]; then
    [ "$(id -u)" -eq 0 ] || skip "a private network namespace needs root"
    for tool in unshare ip dbus-daemon avahi-daemon; do
        command -v "$tool" >/dev/null || skip "$tool is not installed"
    done
    unshare -n -m true 2>/dev/null || skip "unshare -n -m is not permitted here"
    export KW_PRIVATE_NETWORK=1
    exec unshare -n -m --propagation private "$0" "$@"
fi

mount -t tmpfs tmpfs /run # the daemon's pid file and socket
work=$(mktemp -d)
trap 'set +e; avahi-daemon -k 2>/dev/null; kill ${bus:-} 2>/dev/null; rm -rf "$work"' EXIT

sysctl -qw net.ipv6.conf.default.accept_dad=0 net.ipv6.conf.all.accept_dad=0
ip link set lo up
ip link add d0 type veth peer name d1
for i in 0 1; do
    ip addr add 10.77.0.$((i + 1))/24 dev d$i
    ip addr add fd77::$((i + 1))/64 dev d$i
    ip link set d$i up
done

# As on Debian without systemd, the bus knows of Avahi but cannot start it.
mkdir "$work/services"
printf '[D-BUS Service]\nName=org.freedesktop.Avahi\nExec=/bin/false\n' >"$work/services/org.freedesktop.Avahi.service"
cat >"$work/bus.conf" <<CONF
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <servicedir>$work/services</servicedir>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_destination="*"/> <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
bus=$(dbus-daemon --config-file="$work/bus.conf" --fork --print-pid 2>/dev/null) # returns once it listens
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus_socket"

cat >"$work/avahi.conf" <<CONF
[server]
allow-interfaces=d0,d1
CONF
export KW_AVAHI_START="avahi-daemon -f $work/avahi.conf --no-drop-root --no-chroot --no-rlimits -D"
$KW_AVAHI_START
for _ in $(seq 200); do
    avahi-daemon -c 2>/dev/null && break
    sleep 0.05 # the daemon's start-up, once per run
done
avahi-daemon -c || skip "avahi-daemon did not start"
"$@"
