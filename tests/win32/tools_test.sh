#!/bin/sh
# lntc.exe and lntc-config.exe under Wine on a fresh demo installation: its set-up, show, a part
# of the demo's script and what that left in the registry as Wine's reg.exe reads it. Output is
# compared to the byte (a CR would show).
#   tools_test.sh WINE_RUN PREFIX BIN_DIR
set -u
wine_run=$1 prefix=$2 bin=$3
root='C:\lntc-tools-test'
key='HKLM\SOFTWARE\Quendal\PrintServer\CurrentVersion'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# "STATUS ERRORS OUTPUT" of a program run under Wine, standard input from "$work/in"; of the
# errors, the program's own lines (not the lines the library logs).
said() {
  LNT_ROOT=$root LNT_PRINT_SERVER=ps-test "$wine_run" "$prefix" "$bin/$@" <"$work/in" \
    >"$work/out" 2>"$work/err"
  printf '%s %s%s' $? "$(grep -av '^LNTC: \|^liblntc: ' "$work/err")" \
    "$(cat "$work/out")"
}
check() { # NAME EXPECTED ACTUAL
  [ "$2" = "$3" ] && return
  printf 'FAILED %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
  failures=$((failures + 1))
}
# One value of the registry as reg.exe lists it, its line's CR cut.
value() {
  "$wine_run" "$prefix" reg query "$key\\$1" /v "$2" 2>&1 | grep -a "  $2  " | tr -d '\r'
}

: >"$work/in"
"$wine_run" "$prefix" reg delete 'HKLM\SOFTWARE\Quendal' /f >/dev/null 2>&1
rm -rf "$prefix/drive_c/lntc-tools-test" "$prefix/drive_c/qdsw"*

# EXPECTED (\n a new line) # PROGRAM ARGUMENTS
while IFS='#' read -r expected args; do
  # shellcheck disable=SC2086 # the arguments are words
  check "$args" "$(printf '%b' "$expected")" "$(said $args)"
done <<EOF
2 lntc: unknown command 'frob'\nusage: lntc [--root DIR] COMMAND [ARGS]\n       lntc COMMAND --help\n       lntc --help | --version#lntc.exe frob
2 lntc: show takes only --json\nusage: lntc show [--json]#lntc.exe show --frob
2 lntc-config: --vnc is not available on Windows#lntc-config.exe --vnc 5901
2 lntc-config: --tui is not available on Windows#lntc-config.exe --tui
2 lntc-config: --dry-run is not available on Windows#lntc-config.exe --script x --dry-run
2 lntc-config: --text is not available on Windows#lntc-config.exe --gallery C:\\g --text
2 lntc-config: cannot read C:\missing: No such file or directory#lntc-config.exe --script C:\missing
EOF

# The usage offers nothing that only the Linux build has.
check usage 0 "$(said lntc-config.exe --help | grep -c -e --tui -e --vnc -e --dry-run -e --text)"

check demo-setup "0 demo installation written under $root (print server 'ps-test')" \
  "$(said lntc.exe demo-setup)"
check 'demo-setup again' "0 demo installation already present under $root" \
  "$(said lntc.exe demo-setup)"
check hold '0 holding (4 queues); close input or send a signal to release' "$(said lntc.exe hold)"

# The records as on Linux, the first line naming the root.
check show "0 Machine root $root

General:
  VerboseOnStartup: 0" "$(said lntc.exe show | head -n 4)"
said lntc.exe show --json >/dev/null
check 'show --json' "lntc: machine root $root" "$(grep -av '^LNTC: \|^liblntc: ' "$work/err")"
check 'show --json' '"Magic": "0x56981342",
"ODR": "Alpha:Quendal",
"ACCOUNTS_LJ": {
"Printer": "HP_LASERJET_4MPLUS",
"Connectivity": "OTHER/PARALLEL",
"PLANS_E": {
"Printer": "VERSATEC_8636",
"Connectivity": "OTHER/PARALLEL",
"POSTSCRIPT_GEN": {
"Printer": "OTHER",
"Connectivity": "TCP_DIRECT",
"RICOH_MAIL": {
"Printer": "RICOH_LP-M32",
"Connectivity": "OTHER/PARALLEL",
"Code": "0x00000000",
"Text": "success"' "$(grep -a -e '^    "[A-Z_]*": {' -e '"Magic"' -e '"ODR"' -e '"Printer"' \
  -e '"Connectivity"' -e '"Code"' -e '"Text"' "$work/out" | sed 's/^ *//')"
# Times in ISO 8601 with the zone's offset, as on Linux (the C library's %z gives a zone name).
check 'show --json times' 5 "$(grep -ac \
  '"UpdateTime": "[0-9]\{4\}-[01][0-9]-[0-3][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9][+-][0-9][0-9]:[0-9][0-9]"' \
  "$work/out")"

# Completion words for the shell, as on Linux: the commands, and the queues of the records.
check 'complete commands' '0 show retain postscript kanji-fonts find kill hold reg media orientation ldpx paper demo-setup queue dump apply history restore log' \
  "$(said lntc.exe complete commands | tr -d '\r' | tr '\n' ' ' | sed 's/ $//')"
check 'complete queues' '0 ACCOUNTS_LJ PLANS_E POSTSCRIPT_GEN RICOH_MAIL' \
  "$(said lntc.exe complete queues | tr -d '\r' | tr '\n' ' ' | sed 's/ $//')"

# The demo's product files (driver modules, ldpx.cfg) are on the machine's drive C, where the
# library looks for them.
check 'demo files' 'C:\qdsw\lnt\bin\LJA.dll C:\qdsw_local\sd\ldpx.cfg' \
  "$(cd "$prefix/drive_c" && ls qdsw/lnt/bin/LJA.dll qdsw_local/sd/ldpx.cfg | sed 's|^|C:\\|; s|/|\\|g' | tr '\n' ' ' | sed 's/ $//')"
# The demo script's large-document queue (its time-out 60 + 30) saved; then the same run failing
# at its end, which takes its save (120) back.
sed -n '/^select "Current Quendal Queues" PLANS_E/,/^answer ok/p' \
  "$bin/share/demo/configure.script" >"$work/in"
printf 'click OK\nanswer yes\n' >>"$work/in"
check script '0 ' "$(said lntc-config.exe --script -)"
check saved '    PrinterInitTimeout    REG_DWORD    0x5a' \
  "$(value 'Queues\PLANS_E' PrinterInitTimeout)"
echo 'expect dialog 9999' >>"$work/in"
check 'failed script' 2 "$(said lntc-config.exe --script - | head -c 1)"
check 'rolled back' '    PrinterInitTimeout    REG_DWORD    0x5a' \
  "$(value 'Queues\PLANS_E' PrinterInitTimeout)"
check imported '    Connectivity    REG_SZ    TCP_DIRECT' \
  "$(value 'Queues\POSTSCRIPT_GEN' Connectivity)"

# The log of the root on the command line, read without the library.
mkdir -p "$prefix/drive_c/lntc-log-test/log"
printf 'one\ntwo\nthree\n' >"$prefix/drive_c/lntc-log-test/log/error.log"
check log "0 two
three" "$(said lntc.exe --root 'C:\lntc-log-test' log -n 2)"
# Followed: what is appended, then the file that replaces it (rotation) from its start.
log="$prefix/drive_c/lntc-log-test/log/error.log"
LNT_ROOT='C:\lntc-log-test' "$wine_run" "$prefix" "$bin/lntc.exe" log -f -n 1 \
  <"$work/in" >"$work/follow" 2>&1 &
follower=$!
# Each step waits for what the last one showed, a few seconds at most.
shows() {
  tries=0
  until grep -q "$1" "$work/follow" || [ $tries -ge 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
}
shows three
echo four >>"$log"
shows four
mv "$log" "$log.1"
echo five >"$log"
shows five
kill "$follower" 2>/dev/null
wait "$follower" 2>/dev/null
check 'log -f' 'three
four
five' "$(tr -d '\r' <"$work/follow")"
[ "$failures" -eq 0 ]
