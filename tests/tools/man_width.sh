#!/bin/sh
# Each manual page renders at 80 columns without a warning of the formatter and without a line
# longer than 80 columns, which would run into the next column or off the terminal.
#   man_width.sh PAGE...
status=0
for page in "$@"; do
    warnings=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page: $warnings"; status=1; }
    long=$(LC_ALL=C MANWIDTH=80 man -l "$page" | awk 'length > 80 { print NR ": " $0 }')
    [ -z "$long" ] || { echo "$page: lines longer than 80 columns:"; echo "$long"; status=1; }
done
exit $status
