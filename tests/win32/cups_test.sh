#!/bin/sh
# The spooler backend on a printer of a real CUPS server, which Wine lists as one of the system's:
# a cupsd of the test's own (on a socket in a temporary folder), a printer added with lpadmin,
# and the backend's test run under Wine with CUPS_SERVER naming the server.
#   cups_test.sh WINE_RUN PREFIX BACKENDS_TEST
set -eu
wine_run=$1 prefix=$2 program=$3
dir=$(mktemp -d /tmp/lntc-cups-XXXXXX) # short: the socket's path must fit a socket address
cupsd=
cleanup() {
  [ -n "$cupsd" ] && kill "$cupsd" 2>/dev/null && wait "$cupsd" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
chmod 755 "$dir"
mkdir "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$dir/temp" "$dir/ppd"
user=
if [ "$(id -u)" = 0 ]; then # as root, cupsd does its work as lp
  chown lp:lp "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$dir/temp" "$dir/ppd"
  user='User lp
Group lp'
fi
cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
Browsing Off
WebInterface No
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
cat >"$dir/cups-files.conf" <<CONF
$user
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/temp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
FileDevice Yes
CONF
/usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >/dev/null 2>&1 &
cupsd=$!
export CUPS_SERVER="$dir/cups.sock"
tries=0
until lpstat -r >/dev/null 2>&1; do
  tries=$((tries + 1))
  if [ $tries -ge 200 ] || ! kill -0 "$cupsd" 2>/dev/null; then
    echo "cupsd did not start:"
    cat "$dir/log/error_log" 2>/dev/null
    exit 1
  fi
  sleep 0.1
done
# A name of the run's own: Wine keeps a printer it has seen as it first saw it, and drops the
# printers that are gone from CUPS.
printer=lntc_$$
/usr/sbin/lpadmin -p "$printer" -E -v file:///dev/null -D 'Third floor'
LNTC_CUPS_PRINTER=$printer "$wine_run" "$prefix" "$program" \
  --gtest_filter=Win32Backends.APrinterOfCupsIsListedAndOpens \
  2>&1 | tee "$dir/out"
grep -q '^\[  PASSED  \] 1 test' "$dir/out"
