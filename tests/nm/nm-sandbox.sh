#!/bin/sh
# nm-sandbox.sh up|down|stop-nm|start-nm|stop-dhcp|start-dhcp DIR TAG
#
# A real NetworkManager on a private D-Bus system bus (socket DIR/bus.sock), managing the veth
# "TAG" inside network namespace "TAG-cli". Its peer "TAGp" lives in namespace "TAG-srv" with a
# dnsmasq DHCP server (pool 10.88.0.100-150, router 10.88.0.1, DNS 10.88.0.53/54, WINS 10.88.0.44/45,
# domain sandbox.lanvex.test)
# and the address 10.77.0.1, which static sites use as their gateway.
# Nothing on the host is touched: NetworkManager runs with its own config, state and run dirs.
# Where polkitd is installed, it runs on the private bus with the sandbox's own rules (user "daemon"
# may not change the network, "nobody" must authenticate, root may) and NetworkManager asks it;
# otherwise NetworkManager lets root alone change anything.
# Without root or the needed programs, "up" prints why and does nothing; the tests then skip.
set -eu
CMD=${1:-}; SB=${2:-}; TAG=${3:-}
[ -n "$CMD" ] && [ -n "$SB" ] && [ -n "$TAG" ] || { echo "usage: $0 up|down|stop-nm|start-nm|stop-dhcp|start-dhcp DIR TAG" >&2; exit 2; }
CLI=$TAG-cli; SRV=$TAG-srv; IF=$TAG; PEER=${TAG}p

can_run() {
  [ "$(id -u)" -eq 0 ] || { echo "nm sandbox: not root, skipped"; return 1; }
  for tool in ip dbus-daemon NetworkManager nmcli dnsmasq; do
    command -v $tool >/dev/null 2>&1 || [ -x /usr/sbin/$tool ] ||
      { echo "nm sandbox: $tool missing, skipped"; return 1; }
  done
}

stop_pid() { # stop_pid FILE: SIGTERM the recorded PID, wait up to 5 s for it to exit
  [ -s "$1" ] || return 0
  p=$(cat "$1"); rm -f "$1"; kill "$p" 2>/dev/null || return 0
  i=0 # an exited orphan may linger as a zombie until PID 1 reaps it: count Z as gone
  while [ -n "$(ps -o stat= -p "$p" | grep -v Z)" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
}

bus_call() { # bus_call ARGS...: a bounded call on the sandbox bus
  DBUS_SYSTEM_BUS_ADDRESS="unix:path=$SB/bus.sock" timeout 2 "$@"
}

start_dhcp() {
  ip netns exec "$SRV" dnsmasq --keep-in-foreground --conf-file=/dev/null --user=root --group=root \
    --port=0 --interface="$PEER" --bind-interfaces --no-ping \
    --dhcp-range=10.88.0.100,10.88.0.150,255.255.255.0,1h --dhcp-option=option:router,10.88.0.1 \
    --dhcp-option=option:dns-server,10.88.0.53,10.88.0.54 --dhcp-option-force=44,10.88.0.44,10.88.0.45 \
    --dhcp-option=option:domain-name,sandbox.lanvex.test \
    --dhcp-leasefile="$SB/dnsmasq.leases" --log-dhcp --log-facility=- >>"$SB/dnsmasq.log" 2>&1 &
  echo $! >"$SB/dnsmasq.pid"
}

POLKITD=/usr/lib/polkit-1/polkitd

start_polkit() { # polkitd on the sandbox bus, reading the sandbox's rules in a mount namespace of its own
  [ -x "$POLKITD" ] && command -v unshare >/dev/null 2>&1 && command -v busctl >/dev/null 2>&1 || return 1
  mkdir -p "$SB/polkit-rules"
  cat >"$SB/polkit-rules/00-lanvex-sandbox.rules" <<'RULES'
polkit.addRule(function(action, subject) {
    if (action.id.indexOf("org.freedesktop.NetworkManager.") != 0)
        return polkit.Result.NOT_HANDLED;
    if (subject.user == "daemon")
        return polkit.Result.NO;
    if (subject.user == "nobody")
        return polkit.Result.AUTH_ADMIN;
    return polkit.Result.NOT_HANDLED;
});
RULES
  chmod 755 "$SB/polkit-rules"
  chmod 644 "$SB/polkit-rules/00-lanvex-sandbox.rules"
  DBUS_SYSTEM_BUS_ADDRESS="unix:path=$SB/bus.sock" unshare -m sh -c \
    'mount --bind "$0" /etc/polkit-1/rules.d && exec "$1" --no-debug' "$SB/polkit-rules" "$POLKITD" \
    >>"$SB/polkit.log" 2>&1 &
  echo $! >"$SB/polkit.pid"
  end=$(($(date +%s) + 10))
  until bus_call busctl --address="unix:path=$SB/bus.sock" status org.freedesktop.PolicyKit1 >/dev/null 2>&1; do
    if [ "$(date +%s)" -ge $end ]; then stop_pid "$SB/polkit.pid"; return 1; fi
    sleep 0.1
  done
  touch "$SB/polkit.ready"
}

start_nm() {
  rm -f "$SB/nm.ready"
  DBUS_SYSTEM_BUS_ADDRESS="unix:path=$SB/bus.sock"
  export DBUS_SYSTEM_BUS_ADDRESS
  # ip netns exec gives a private mount namespace with a per-netns /sys. A read-only /sys makes
  # NetworkManager skip udev (else every link stays unmanaged waiting for it); a tmpfs /run and a
  # bind mount keep its run and state dirs off the host.
  ip netns exec "$CLI" sh -c '
    mount -o remount,bind,ro /sys && mount -t tmpfs -o mode=755 lanvexnm /run &&
    mkdir /run/NetworkManager && mount --bind "$0/varlib" /var/lib/NetworkManager &&
    exec NetworkManager --debug --log-level=INFO --config="$0/nm/NetworkManager.conf" \
      --config-dir="$0/nm/conf.d" --system-config-dir="$0/nm/sysconf.d"' "$SB" >>"$SB/nm.log" 2>&1 &
  echo $! >"$SB/nm.pid"
  # Ready when the device is managed: state 30 (disconnected) or later.
  end=$(($(date +%s) + 15))
  while :; do
    state=$(bus_call nmcli -t -g GENERAL.STATE device show "$IF" 2>/dev/null | cut -d' ' -f1 || true)
    [ -n "$state" ] && [ "$state" -ge 30 ] 2>/dev/null && break
    [ "$(date +%s)" -lt $end ] || { echo "NetworkManager did not manage $IF; see $SB/nm.log" >&2; return 1; }
    sleep 0.1
  done
  touch "$SB/nm.ready"
}

up() {
  can_run || return 0
  down
  mkdir -p "$SB/nm/conf.d" "$SB/nm/sysconf.d" "$SB/nm/profiles" "$SB/varlib"
  chmod 755 "$SB"
  cat >"$SB/dbus.conf" <<EOF
<busconfig><type>system</type><listen>unix:path=$SB/bus.sock</listen><auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/> <deny own="*"/> <deny send_type="method_call"/> <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/> <allow receive_type="method_return"/>
    <allow receive_type="error"/> <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus"/>
  </policy>
  <policy user="root"><allow own="*"/></policy>
  <includedir>/usr/share/dbus-1/system.d</includedir>
</busconfig>
EOF
  # auth-polkit=root-only: root may change everything, other users are refused, as polkit would
  # (NetworkManager asks polkit itself where start_polkit got it running).
  cat >"$SB/nm/NetworkManager.conf" <<EOF
[main]
plugins=keyfile
dns=none
rc-manager=unmanaged
hostname-mode=none
no-auto-default=*
auth-polkit=root-only
[keyfile]
path=$SB/nm/profiles
unmanaged-devices=none
[device-sandbox]
match-device=interface-name:$IF
managed=1
EOF
  dbus-daemon --config-file="$SB/dbus.conf" --fork --print-pid=3 3>"$SB/dbus.pid"
  if start_polkit; then
    sed -i 's/^auth-polkit=root-only$/auth-polkit=true/' "$SB/nm/NetworkManager.conf"
  fi

  ip netns add "$CLI"
  ip netns add "$SRV"
  ip -n "$CLI" link set lo up
  ip -n "$SRV" link set lo up
  ip link add "$IF" netns "$CLI" type veth peer name "$PEER" netns "$SRV"
  ip -n "$SRV" addr add 10.88.0.1/24 dev "$PEER"
  ip -n "$SRV" addr add 10.77.0.1/24 dev "$PEER"
  ip -n "$SRV" link set "$PEER" up

  start_dhcp

  start_nm
  echo "nm sandbox up: DBUS_SYSTEM_BUS_ADDRESS=unix:path=$SB/bus.sock, netns $CLI, device $IF"
}

down() {
  stop_pid "$SB/nm.pid"
  stop_pid "$SB/polkit.pid"
  stop_pid "$SB/dnsmasq.pid"
  stop_pid "$SB/dbus.pid"
  ip netns del "$CLI" 2>/dev/null || true
  ip netns del "$SRV" 2>/dev/null || true
  rm -rf "$SB"
}

case "$CMD" in
  up) up ;;
  down) down ;;
  stop-nm) stop_pid "$SB/nm.pid"; rm -f "$SB/nm.ready" ;;
  stop-dhcp) stop_pid "$SB/dnsmasq.pid" ;;
  start-dhcp) start_dhcp ;;
  start-nm) start_nm ;;
  *) echo "usage: $0 up|down|stop-nm|start-nm|stop-dhcp|start-dhcp DIR TAG" >&2; exit 2 ;;
esac
