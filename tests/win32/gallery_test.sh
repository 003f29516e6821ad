#!/bin/sh
# lntc-config.exe --gallery under Wine on an X server of the test's own: the library finds its
# display module beside itself and the system's dialog manager draws every dialog.
#   gallery_test.sh WINE_RUN PREFIX BIN_DIR
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" "$1" "$2" "$3/lntc-config.exe" --gallery "Z:$work" \
  >"$work.log" 2>&1 || { cat "$work.log"; rm -f "$work.log"; exit 1; }
rm -f "$work.log"
expected='1100-TCP_Address_of_ODR.png 203-Lintora_Configuration.png 301-New_Quendal_Queue.png
302-Import_Quendal_Queue.png 400-Printer_Configuration.png 401-TCP_Direct_Connectivity.png
402-New_TCP_Direct_Port_Name.png 403-Print_Manager_Connectivity.png
404-Other_Parallel_Port_Connectivity.png 405-Paper_Media.png 406-Queue_Options.png
407-Advanced_Queue_Options.png 500-Printer_Configuration.png 501-Paper_Media.png
502-Paper_Media.png 602-Other_Printer_Model.png 700-Fonts_and_Character_Sets.png
800-General_Options.png 900-untitled.png logo.png'
actual=$(cd "$work" && ls | tr '\n' ' ')
[ "$(echo $expected)" = "$(echo $actual)" ] || { echo "pictures: $actual"; exit 1; }
# TCP Direct's picture is the template's 263x87 dialog units at 6x12 pixels a unit, drawn.
size=$(od -An -tu1 -j16 -N8 "$work/401-TCP_Direct_Connectivity.png" | tr -s ' ')
[ "$size" = " 0 0 1 139 0 0 0 131" ] || { echo "TCP Direct is $size, not 395x131"; exit 1; }
