#!/usr/bin/env bash
# The Debian packages as scripts/package builds them from this checkout: lintian finds no error,
# each package holds its part of the installed tree and depends on what it needs, and apt-get
# installs them into a throw-away copy of this machine (install_check.sh).
#   package_test.sh SOURCE_DIR [qt]
set -euo pipefail
src=$(realpath "$1")
qt=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$src/scripts/package" "$work/out"
cd "$work/out"
lintian --fail-on error ./*.deb || fail "lintian reports errors"

version=$(dpkg-deb -f lintora_*.deb Version)
upstream=${version%-*}
major=${version%%.*}
lib=usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# Every file and link of each package but the demo data, and its dependencies.
liblntc2=("$lib/liblntc.so.$major -> liblntc.so.$upstream" "$lib/liblntc.so.$upstream"
          "$lib/lntc-$major/LNT20DEU.so" "$lib/lntc-$major/liblntc.HLP"
          "$lib/lntc-$major/liblntc-tui.so" usr/share/lintian/overrides/liblntc2)
liblntc_dev=(usr/include/lntc/lntc.h "$lib/liblntc.so -> liblntc.so.$major" "$lib/pkgconfig/lntc.pc"
             "$lib"/cmake/lntc/lntc{Config,ConfigVersion,Targets,Targets-relwithdebinfo}.cmake)
lintora=(usr/bin/lntc usr/share/bash-completion/completions/lntc usr/share/man/man1/lntc.1.gz)
needs=("liblntc2 libc6 libstdc++6 libsqlite3-0 libcups2 libyaml-0-2 libncursesw6" "liblntc-dev liblntc2_(=_$version)"
       "lintora liblntc2_(=_$version) passwd")
if [[ -n $qt ]]; then
    liblntc2+=("$lib/lntc-$major/liblntc-qt.so")
    lintora+=(usr/bin/lntc-config usr/share/man/man1/lntc-config.1.gz)
    needs+=("liblntc2 libqt6widgets6 qt6-qpa-plugins" "lintora qt6-qpa-plugins")
fi
for p in liblntc2 liblntc-dev lintora; do
    declare -n files=${p//-/_}
    diff <(printf '%s\n' "${files[@]}" usr/share/doc/$p/{changelog.Debian.gz,copyright} | sort) \
        <(dpkg-deb -c ${p}_*.deb | awk '!/^d/ { print substr($0, index($0, " ./") + 3) }' |
              grep -v '^usr/share/lntc/demo/' | sort) || fail "$p holds other files"
    # Whole outputs: an early end of a reader would fail its writer under pipefail.
    changes=$(dpkg-deb --fsys-tarfile ${p}_*.deb | tar -xO ./usr/share/doc/$p/changelog.Debian.gz |
        zcat)
    [[ $changes == "lintora ($version) "* ]] || fail "$p: no changelog entry for $version"
done
[[ $(dpkg-deb -c lintora_*.deb) == *" ./usr/share/lntc/demo/registry.reg"* ]] || fail "no demo data"
for n in "${needs[@]}"; do
    read -r p wanted <<<"$n"
    for w in $wanted; do
        [[ ", $(dpkg-deb -f ${p}_*.deb Depends)," == *", ${w//_/ }"[,\ ]* ]] ||
            fail "$p does not depend on ${w//_/ }"
    done
done
dpkg-deb -e liblntc2_*.deb "$work/control"
[[ $(cat "$work/control/shlibs") == "liblntc $major liblntc2 (>= $version)" ]] || fail "shlibs"

unshare --mount --propagation private --fork "$src/tests/package/install_check.sh" "$src" \
    "$work/out" "$work/system" || fail "installed (as root: it mounts an overlay)"
echo "packages ok: $(ls)"
