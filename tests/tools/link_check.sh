#!/bin/sh
# The tools use the installed library and carry none of it: each needs the shared library,
# defines nothing of the library (no C++ symbol of its layers, no export of its C interfaces,
# not even a part of a layer), and refers to nothing of it but what the library exports.
#   link_check.sh LIBRARY PROGRAM...
# The one symbol of the library's names a program may define is the administration interface's
# LNTC_AdminDeferredLoad, which the library looks for in the program.
library=$1
shift
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
exports=$(nm -D --defined-only "$library" | awk '{print $NF}')
ours='[^0-9]4lntc|^LNTC_'
status=0
fail() {
    echo "$program: $1"
    status=1
}
for program in "$@"; do
    [ -n "$soname" ] && readelf -d "$program" | grep -q "(NEEDED).*\[$soname\]" ||
        fail "does not need ${soname:-$library}"
    # A program without its symbol table would pass unseen.
    nm --defined-only "$program" 2>/dev/null | awk '{print $NF}' | grep -qx main ||
        fail "has no symbol table to check"
    # Mangled names of the library's namespace hold "4lntc" after a letter; its C interfaces
    # start with LNTC_.
    own=$(nm --defined-only "$program" | awk '{print $NF}' | grep -E "$ours" |
        grep -vx LNTC_AdminDeferredLoad)
    [ -z "$own" ] || fail "defines symbols of the library: $(echo "$own" | head -n 3 | c++filt)"
    for symbol in $(nm -D --undefined-only "$program" | awk '{print $NF}' | grep -E "$ours"); do
        echo "$exports" | grep -qx "$symbol" || fail "refers to $symbol, which the library does not export"
    done
done
exit $status
