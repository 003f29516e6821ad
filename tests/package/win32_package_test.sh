#!/usr/bin/env bash
# The Windows installer as `scripts/package --win32` builds it from this checkout, in a Wine
# prefix of its own: a silent installation puts the library, its modules and the tools into the
# product's folder and the configuration's root key into the registry; the installed tools run;
# the silent uninstallation removes what was installed and keeps the configuration.
#   win32_package_test.sh SOURCE_DIR
set -euo pipefail
src=$(realpath "$1")
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
root_key='HKLM\SOFTWARE\Quendal\PrintServer\CurrentVersion'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lintora'
# Wine's reg ends its lines with CRLF.
reg_query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }

"$src/scripts/package" --win32 "$work/out"
version=$(sed -n 's/^project(lintora_lntc VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
installer="$work/out/lintora-$version-win64.exe"
"$src/cmake/wine-run" "$WINEPREFIX" "$installer" /S || fail "the installer exits $?"
wineserver -w
folder="$WINEPREFIX/drive_c/Program Files/Quendal/Lintora"

# Everything the installer puts down, and nothing else.
expected=(LNT20DEU.dll lntc-config.exe lntc-win32.dll lntc.HLP lntc.dll lntc.exe uninstall.exe
          share/demo/{configure.script,default-media.reg,hosts,ldpx.cfg,odr-directory.json,registry.reg})
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$folder" && find . -type f | sed 's|^\./||' | sort) ||
    fail "the installed files differ (< expected, > installed)"
reg_query "$uninstall_key" | grep -qx "    QuietUninstallString    REG_SZ    \"C:\\\\Program Files\\\\Quendal\\\\Lintora\\\\uninstall.exe\" /S" ||
    fail "no uninstall entry"
reg_query "$root_key" >/dev/null || fail "no registry root key"

# The installed tools run from the product's folder, on the machine's own registry.
lntc='C:\Program Files\Quendal\Lintora\lntc.exe'
wine "$lntc" demo-setup >"$work/setup.out" 2>&1 || fail "demo-setup exits $?: $(cat "$work/setup.out")"
wine "$lntc" show >"$work/show.out" 2>&1 || fail "show exits $?: $(cat "$work/show.out")"
grep -qx '  ACCOUNTS_LJ:' "$work/show.out" || fail "show does not list the demo queue: $(cat "$work/show.out")"

# Uninstalling removes the files, the folders and the uninstall entry; the configuration stays.
wine 'C:\Program Files\Quendal\Lintora\uninstall.exe' /S || fail "the uninstaller exits $?"
wineserver -w
[[ ! -e $folder ]] || fail "left behind: $(cd "$folder" && find . | tr '\n' ' ')"
! reg_query "$uninstall_key" >/dev/null || fail "the uninstall entry is left"
reg_query "$root_key\\Queues\\ACCOUNTS_LJ" | grep -q 'REG_' || fail "the configuration was removed"
echo "PASS: installed, ran and uninstalled $installer"
