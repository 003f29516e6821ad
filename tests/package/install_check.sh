#!/usr/bin/env bash
# Run by package_test.sh in a mount namespace of its own: an overlay of this machine's root, its
# changes kept in memory, takes the installation, so that nothing reaches the machine itself.
# The system machine root gets its layout on a first installation, over a root that an earlier
# run as root made, and on an upgrade, never through a link; a member then configures.
#   install_check.sh SOURCE_DIR DEB_DIR WORK_DIR
set -euo pipefail
src=$1 debs=$2 sys=$3/root
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
mkdir -p "$3"
mount -t tmpfs lntc-overlay "$3"
mkdir "$3"/{upper,work,root}
mount -t overlay overlay -o "lowerdir=/,upperdir=$3/upper,workdir=$3/work" "$sys"
for d in proc sys dev; do mount --rbind "/$d" "$sys/$d"; done
mount -t tmpfs lntc-shm "$sys/dev/shm" # the library's shared sections stay in here too
mkdir -p "$sys$src" "$sys/debs" && mount --bind "$src" "$sys$src" && cp "$debs"/*.deb "$sys/debs"
inside() { chroot "$sys" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive LNT_ROOT=/var/lib/lintora LNTC_NO_GUI=1 "$@"; }
# Owner, group, mode and kind of the layout's paths that exist, and of /victim and /etc/shadow.
expect() {
    diff <(printf '%s\n' "${@:2}") <(inside sh -c 'cd /var/lib/lintora &&
        w=drive_c/WINDOWS/system32 && for p in . drive_c drive_c/WINDOWS $w $w/drivers \
            $w/drivers/etc run run/hosts.lock log registry.db /victim /etc/shadow; do
            [ -e $p ] || [ -L $p ] && stat -c "%n %U:%G %a %F" $p; done') || fail "$1"
}
root=(". root:lintora 3770 directory" "drive_c root:lintora 3770 directory")
windows=("drive_c/WINDOWS root:lintora 2750 directory"
         "drive_c/WINDOWS/system32 root:lintora 2750 directory"
         "drive_c/WINDOWS/system32/drivers root:lintora 2750 directory"
         "drive_c/WINDOWS/system32/drivers/etc root:lintora 2770 directory")
run=("run root:lintora 2750 directory" "run/hosts.lock root:lintora 640 regular empty file")
others=("/victim root:root 700 directory" "/etc/shadow root:shadow 640 regular file")

# The first package of this version held it all, and a run of its tool as root made the root;
# its log folder is a link.
inside sh -c 'for d in /debs/*.deb; do dpkg-deb -x $d /old; done && mkdir /old/DEBIAN &&
    v=$(dpkg-deb -f /debs/lintora_*.deb Version) && printf "%s\n" "Package: lintora" \
        "Version: ${v%-*}" "Architecture: all" "Maintainer: A <a@b.example>" "Description: all" \
        >/old/DEBIAN/control && dpkg-deb -b /old /old.deb && dpkg -i /old.deb &&
    rm -rf /var/lib/lintora && mkdir -m 700 /victim &&
    lntc reg import /usr/share/lntc/demo/registry.reg && cd /var/lib/lintora && chmod 750 . drive_c && ln -s /victim log' >/dev/null 2>&1 || fail "old"
inside sh -c 'cd /debs && apt-get install -y ./*.deb' >"$3/apt.log" 2>&1 ||
    fail "$(cat "$3/apt.log")"
expect "an earlier root" "${root[@]}" "${windows[@]}" "${run[@]}" \
    "log root:root 777 symbolic link" "registry.db root:lintora 660 regular file" "${others[@]}"
grep -q "lintora: /var/lib/lintora/log: not a folder" "$3/apt.log" || fail "no word on the link"

# A member configures with the tool and reads with a program built against the packages.
inside sh -c "useradd -M -G lintora alice && cc $src/tests/consumer/consumer.c \
    \$(pkg-config --cflags --libs lntc) -o /consumer && chmod 755 /consumer" || fail "consumer"
member=$(inside setpriv --reuid=alice --regid=alice --init-groups sh -c \
    'lntc demo-setup --force >/dev/null && lntc show && /consumer ACCOUNTS_LJ' 2>&1) ||
    fail "$member"
[[ $member == *ACCOUNTS_LJ*"queue 0 Accounts department, second floor" ]] || fail "member: $member"

inside apt-get purge -y lintora >/dev/null 2>&1 && inside test ! -e /var/lib/lintora &&
    inside getent group lintora >/dev/null || fail "purge: the root goes, the group stays"
inside sh -c 'dpkg -i /debs/lintora_*.deb' >/dev/null
expect "a first installation" "${root[@]}" "${windows[@]}" "${run[@]}" \
    "log root:lintora 2750 directory" "${others[@]}"

# An upgrade: what an administrator registered stays, links and other names are refused.
inside sh -c 'cd /var/lib/lintora && chmod 777 run && ln -f /etc/shadow run/hosts.lock &&
    dpkg-statoverride --add root root 750 $PWD/log && chown root:root log && chmod 00750 log &&
    rm -r drive_c/WINDOWS && ln -s /victim drive_c/WINDOWS'
inside sh -c 'dpkg -i /debs/lintora_*.deb' >/dev/null 2>&1
expect "an upgrade" "${root[@]}" "drive_c/WINDOWS root:lintora 777 symbolic link" "${run[0]}" \
    "run/hosts.lock root:shadow 640 regular file" "log root:root 750 directory" "${others[@]}"
