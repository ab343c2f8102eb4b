#!/usr/bin/env bash
# A private CUPS server for the printer tests: its own configuration, spool and log folders and a
# Unix socket, all under DIR, so it never touches the machine's printers. Two queues print to
# /dev/null; "Lanvex_Office" is the default.
# Usage: cups-server.sh start|stop DIR      (clients use CUPS_SERVER=DIR/cups.sock)
set -euo pipefail
action=${1:?start or stop}
dir=${2:?folder}
sock="$dir/cups.sock"

if [ "$(id -u)" -ne 0 ]; then
  echo "cups-server.sh: not root, no server started (the printer test skips)"
  exit 0
fi

stop_server() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$dir/cupsd.pid"
  fi
}

case "$action" in
start)
  stop_server
  rm -rf "$dir"
  mkdir -p "$dir"/{etc/ppd,state/certs,cache,spool/tmp,log,home}
  chmod 0755 "$dir" "$dir/spool"
  cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/spool/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
FileDevice Yes
CONF
  cat > "$dir/cupsd.conf" <<CONF
Listen $sock
LogLevel warn
Browsing Off
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
  # In the foreground of its own session, detached from the caller's output, so ctest does not wait.
  setsid /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
  echo $! >"$dir/cupsd.pid"
  # lpstat -r exits 0 whether or not the scheduler answers: wait for what it says.
  for _ in $(seq 1 100); do
    [ "$(lpstat -h "$sock" -r 2>/dev/null)" = "scheduler is running" ] && break
    sleep 0.1
  done
  lpstat -h "$sock" -r
  lpadmin -h "$sock" -p Lanvex_Office -E -v file:///dev/null
  lpadmin -h "$sock" -p Lanvex_Front_Desk -E -v file:///dev/null
  lpadmin -h "$sock" -d Lanvex_Office
  lpstat -h "$sock" -v -d
  ;;
stop)
  stop_server
  ;;
*)
  echo "usage: cups-server.sh start|stop DIR" >&2
  exit 2
  ;;
esac
