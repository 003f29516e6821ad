#!/usr/bin/env bash
# The Debian package as scripts/package builds it from this checkout: its dependencies come
# from what the binaries link, it carries the installed tree and the maintainer scripts, and
# the unpacked tree runs where it lies.
#   package_test.sh SOURCE_DIR [qt]
set -euo pipefail
src=$1
qt=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

deb=$("$src/scripts/package" "$work/out" | tail -n 1)
[[ -f $deb && $(basename "$deb") == lintora-*.deb ]] || fail "no package: $deb"

depends=$(dpkg-deb -f "$deb" Depends)
needed=(libc6 libstdc++6 libsqlite3-0 libcups2 passwd)
[[ -n $qt ]] && needed+=(libqt6widgets6 qt6-qpa-plugins)
for p in "${needed[@]}"; do
    [[ $depends == *"$p"* ]] || fail "Depends lacks $p: $depends"
done

version=$(dpkg-deb -f "$deb" Version)
major=${version%%.*}
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=usr/lib/$multiarch
contents=$(dpkg-deb -c "$deb")
files=("$lib/liblntc.so.$version" "$lib/liblntc.so.$major" "$lib/liblntc.so"
       "$lib/lntc-$major/liblntc.HLP" "$lib/lntc-$major/LNT20DEU.so" usr/include/lntc/lntc.h
       "$lib/pkgconfig/lntc.pc" "$lib/cmake/lntc/lntcConfig.cmake" usr/bin/lntc
       usr/share/lntc/demo/registry.reg usr/share/man/man1/lntc.1 usr/share/man/man1/lntc-config.1
       usr/share/bash-completion/completions/lntc)
[[ -n $qt ]] && files+=(usr/bin/lntc-config "$lib/lntc-$major/liblntc-qt.so")
for f in "${files[@]}"; do
    grep -q " \./$f\( \|$\)" <<<"$contents" || fail "package lacks /$f"
done

dpkg-deb -e "$deb" "$work/control"
grep -q "^liblntc $major lintora (>= $version)" "$work/control/shlibs" || fail "no shlibs entry"
[[ -x $work/control/postinst && -x $work/control/postrm ]] || fail "maintainer scripts missing"
grep -q "ldconfig" "$work/control/triggers" || fail "no ldconfig trigger"

# Unpacked anywhere, the library finds its modules beside it and the tool its demo data.
dpkg-deb -x "$deb" "$work/tree"
run() {
    LD_LIBRARY_PATH="$work/tree/$lib" LNT_ROOT="$work/root" LNTC_SHARE= LNTC_NO_GUI=1 \
        "$work/tree/usr/bin/lntc" "$@"
}
run demo-setup >/dev/null || fail "demo-setup"
# Whole output first: grep -q would stop reading early, and pipefail would count the writer's
# broken pipe as the failure.
run show >"$work/show.txt" || fail "show"
grep -q "ACCOUNTS_LJ" "$work/show.txt" || fail "show lacks the demo queue"
echo "package ok: $deb"
