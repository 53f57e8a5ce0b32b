# The i386 Debian root in which the release and the i686 test programs run under Debian's
# 32-bit Wine. This kernel runs no 32-bit code, so every 32-bit program of the root is
# started through qemu-i386 user-mode emulation. Source it after lib.sh:
#   source "$(dirname "$0")/i386.sh"
# shellcheck shell=bash

# One folder outside every clone, kept between runs on the same machine: the root (with
# its Wine prefix inside), a stamp of the inputs it was made from, and the setup logs.
ZV_I386_HOME=${ZV_I386_HOME:-/var/lib/zorvane-i386}
ZV_I386_ROOT=$ZV_I386_HOME/root
# Inside the root: the folder at which the lane mounts BUILD_ROOT. The Wine prefix in use
# is set by zv_i386_use_prefix.
ZV_I386_BUILD=/zorvane/build
ZV_I386_PACKAGES="wine wine32 locales fonts-ipafont-gothic fonts-ipafont-mincho"
ZV_I386_HOST_PACKAGES=(debootstrap)
# The emulator, unpacked from a Debian package into ZV_I386_HOME (zv_i386_qemu).
ZV_QEMU_I386=$ZV_I386_HOME/qemu/qemu-i386
# What the desktop prefix needs beside ZV_WINE_SETTINGS ("KEY|VALUE|DATA" lines): every
# window inside one virtual desktop of the screen's size, as in the host's desktop lane.
ZV_I386_DESKTOP_SETTINGS='HKCU\Software\Wine\Explorer|Desktop|Default
HKCU\Software\Wine\Explorer\Desktops|Default|1280x1024'
# Raise it when the way the root or its prefix is made changes: both are made again.
ZV_I386_RECIPE=1

zv_i386_suite() { (. /etc/os-release && echo "$VERSION_CODENAME"); }

# The Debian mirrors the host's apt uses, one "URI SUITE" a line.
zv_i386_mirrors() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 2>/dev/null | sort -u |
        awk -v suite="$(zv_i386_suite)" '$2 == suite || $2 == suite "-updates" || $2 == suite "-security"'
}

# Everything the root is made from; a root made from other inputs is made again.
zv_i386_inputs() {
    printf 'recipe %s\nsuite %s\npackages %s\n%s\n' "$ZV_I386_RECIPE" "$(zv_i386_suite)" "$ZV_I386_PACKAGES" "$(zv_i386_mirrors)"
}

# Fetches qemu-i386 once. Bookworm's qemu 7.2 does not know MAP_FIXED_NOREPLACE and takes
# it for a hint, so every Wine process walks the whole 4 GiB in 64 KiB steps reserving its
# address space: about a minute per process start. The qemu of bookworm-backports honours
# it, and a process starts in a second. Its package comes from the host's Debian mirror
# and is only unpacked here: nothing is installed on the host.
zv_i386_qemu() {
    local apt=$ZV_I386_HOME/apt uri deb opts
    "$ZV_QEMU_I386" --version >/dev/null 2>&1 && return 0
    uri=$(zv_i386_mirrors | awk -v s="$(zv_i386_suite)" '$2 == s { print $1; exit }')
    [ -n "$uri" ] || zv_die "the host's apt names no mirror for $(zv_i386_suite)"
    rm -rf "$apt" "${ZV_QEMU_I386%/*}"
    mkdir -p "$apt/lists/partial" "$apt/unpacked"
    echo "deb $uri $(zv_i386_suite)-backports main" >"$apt/sources.list"
    opts=(-o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts=/dev/null
        -o Dir::State::Lists="$apt/lists" -o APT::Sandbox::User=root -o Acquire::Retries=3 -q)
    zv_i386_retry_update "of $(zv_i386_suite)-backports" apt-get "${opts[@]}" update >&2 ||
        zv_die "cannot read $(zv_i386_suite)-backports from $uri"
    (cd "$apt" && apt-get "${opts[@]}" download qemu-user >&2) || zv_die "cannot fetch qemu-user from backports"
    deb=$(ls "$apt"/qemu-user_*.deb)
    dpkg-deb -x "$deb" "$apt/unpacked" || zv_die "cannot unpack $deb"
    mkdir -p "${ZV_QEMU_I386%/*}"
    mv "$apt/unpacked/usr/bin/qemu-i386" "$ZV_QEMU_I386"
    rm -rf "$apt"
    "$ZV_QEMU_I386" --version >&2 || zv_die "the fetched qemu-i386 does not run"
}

# Lets the kernel start i386 programs through our qemu. The F flag opens the emulator now,
# so that it also starts programs inside the root, where it is not installed. A handler
# registered last is asked first, so this one wins over any qemu the host registered.
zv_i386_binfmt() {
    local dir=/proc/sys/fs/binfmt_misc
    zv_i386_qemu
    [ -e "$dir/register" ] || mount -t binfmt_misc binfmt_misc "$dir" || zv_die "cannot mount $dir"
    if [ -e "$dir/zorvane-i386" ]; then
        grep -q "^interpreter $ZV_QEMU_I386\$" "$dir/zorvane-i386" && grep -qx enabled "$dir/zorvane-i386" && return 0
        echo -1 >"$dir/zorvane-i386"
    fi
    printf '%s' ':zorvane-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$ZV_QEMU_I386"':PF' \
        >"$dir/register" || zv_die "cannot register qemu-i386 with binfmt_misc"
}

# Runs a command inside the root: zv_i386_chroot COMMAND [ARG...]. The caller runs in a
# mount namespace of its own (zv_i386_enter), so the mounts end with it.
zv_i386_chroot() {
    chroot "$ZV_I386_ROOT" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# Mounts what programs in the root need: /proc, /dev, the X sockets and BUILD_ROOT. Only in
# a private mount namespace (zv_i386_enter starts the script again in one).
zv_i386_mount() {
    local root=$1
    mount --make-rprivate /
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root/tmp/.X11-unix" /tmp/.X11-unix
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    if [ -d "$root$ZV_I386_BUILD" ]; then
        mount --bind "$BUILD_ROOT" "$root$ZV_I386_BUILD"
    fi
}

# Runs an apt-get update command up to three times: a mirror that is syncing serves
# indexes of the wrong size for a while. zv_i386_retry_update WHAT COMMAND [ARG...]
zv_i386_retry_update() {
    local what=$1 try
    shift
    for try in 1 2 3; do
        "$@" && return 0
        zv_log "apt-get update $what failed (try $try)"
        sleep $((try * 20))
    done
    return 1
}

# Runs apt-get update inside the root; without the security suite as a last resort.
zv_i386_apt_update() {
    zv_i386_retry_update "in the i386 root" zv_i386_chroot apt-get update -q && return 0
    zv_log "warning: the i386 root goes without the security suite this time"
    sed -i '/-security/d' "$ZV_I386_ROOT/etc/apt/sources.list"
    zv_i386_chroot apt-get update -q
}

# Makes the root from nothing: debootstrap (its second stage runs emulated), then Wine and
# the Japanese locale and fonts. Runs in a private mount namespace; the new root takes
# the place of the old one only when it is complete.
zv_i386_make_root() {
    local mirror suite uri release
    suite=$(zv_i386_suite)
    mirror=$(zv_i386_mirrors | awk -v s="$suite" '$2 == s { print $1; exit }')
    [ -n "$mirror" ] || zv_die "the host's apt names no mirror for $suite"
    rm -rf "$ZV_I386_ROOT.new"
    zv_log "Making the i386 root from $mirror (debootstrap, emulated)"
    debootstrap --arch=i386 --variant=minbase "$suite" "$ZV_I386_ROOT.new" "$mirror" ||
        zv_die "debootstrap failed (log: $ZV_I386_ROOT.new/debootstrap/debootstrap.log)"
    while read -r uri release; do
        echo "deb $uri $release main"
    done < <(zv_i386_mirrors) >"$ZV_I386_ROOT.new/etc/apt/sources.list"
    # No manuals or documents: less to unpack, emulated.
    printf '%s\n' 'path-exclude /usr/share/doc/*' 'path-exclude /usr/share/man/*' \
        >"$ZV_I386_ROOT.new/etc/dpkg/dpkg.cfg.d/zorvane-nodoc"
    # The root is made again from nothing when it breaks: dpkg need not wait for the disk.
    echo force-unsafe-io >"$ZV_I386_ROOT.new/etc/dpkg/dpkg.cfg.d/zorvane-unsafe-io"
    echo 'Acquire::Retries "3";' >"$ZV_I386_ROOT.new/etc/apt/apt.conf.d/80zorvane-retries"
    (
        ZV_I386_ROOT=$ZV_I386_ROOT.new
        zv_i386_mount "$ZV_I386_ROOT"
        zv_i386_apt_update || zv_die "apt-get update fails in the i386 root"
        # shellcheck disable=SC2086
        zv_i386_chroot apt-get install -y -q $ZV_I386_PACKAGES </dev/null || zv_die "cannot install Wine in the i386 root"
        zv_i386_chroot apt-get clean
        zv_i386_chroot localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || zv_die "cannot make the Japanese locale in the i386 root"
        umount -R "$ZV_I386_ROOT/proc" "$ZV_I386_ROOT/dev" "$ZV_I386_ROOT/tmp/.X11-unix"
    ) || exit 1
    rm -rf "$ZV_I386_ROOT"
    mv "$ZV_I386_ROOT.new" "$ZV_I386_ROOT"
}

# Makes the root when it is missing or was made from other inputs. Call it in a private
# mount namespace (zv_i386_enter).
zv_i386_root() {
    local stamp=$ZV_I386_HOME/root.stamp inputs
    inputs=$(zv_i386_inputs)
    mkdir -p "$ZV_I386_HOME"
    zv_i386_binfmt
    [ -f "$stamp" ] && [ "$(<"$stamp")" = "$inputs" ] && [ -x "$ZV_I386_ROOT/usr/bin/wine" ] && return 0
    rm -f "$stamp"
    zv_i386_make_root
    printf '%s' "$inputs" >"$stamp"
}

# Runs a Wine command in the root, in the lane's prefix, on the lane's display, without
# the runtimes and the desktop-menu helper that the program does not need (each one more
# process start, emulated):
# zv_i386_wine SECONDS FOLDER COMMAND [ARG...] (FOLDER is the working folder inside the root).
# The exit status is the command's, or 124 when it was stopped at the time limit.
zv_i386_wine() {
    local seconds=$1 folder=$2
    shift 2
    timeout -k 10 "$seconds" chroot "$ZV_I386_ROOT" /usr/bin/env -i \
        PATH=/usr/local/bin:/usr/bin:/bin HOME=/root USER=root \
        LANG="${ZV_WINE_LOCALE:-ja_JP.UTF-8}" LC_ALL="${ZV_WINE_LOCALE:-ja_JP.UTF-8}" \
        WINEPREFIX="$ZV_I386_PREFIX" WINEARCH=win32 WINEDEBUG="${ZV_I386_WINEDEBUG:--all}" \
        WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' DISPLAY="${DISPLAY:-}" \
        QEMU_GUEST_BASE=0 \
        ZORVANE_TEST_TIME_SCALE="${ZORVANE_TEST_TIME_SCALE:-1}" GTEST_FILTER="${GTEST_FILTER:-*}" \
        /bin/sh -c 'cd "$0" && exec "$@"' "$folder" "$@" </dev/null
}

# Whether a process of the root is still installing the prefix.
zv_i386_installing() {
    local pid
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$ZV_I386_ROOT" ] || continue
        tr '\0' ' ' <"$pid/cmdline" 2>/dev/null | grep -Eqi 'wineboot|rundll32|regedit' && return 0
    done
    return 1
}

# Waits until the condition holds, checking every few seconds: zv_i386_wait_until SECONDS COMMAND...
zv_i386_wait_until() {
    local deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 5
    done
}

# The settings of the prefix as a registry file (UTF-16, as the registry editor reads
# Japanese names on any code page), from "KEY|VALUE|DATA" lines on standard input.
zv_i386_reg_file() {
    local key value data last=
    {
        printf 'Windows Registry Editor Version 5.00\r\n'
        while IFS='|' read -r key value data; do
            [ -n "$key" ] || continue
            key=${key/#HKCU\\/HKEY_CURRENT_USER\\}
            key=${key/#HKCR\\/HKEY_CLASSES_ROOT\\}
            [ "$key" = "$last" ] || printf '\r\n[%s]\r\n' "$key"
            last=$key
            data=${data//\\/\\\\}
            data=${data//\"/\\\"}
            if [ "$data" = - ]; then
                printf '"%s"=-\r\n' "$value"
            elif [ -z "$value" ]; then
                printf '@="%s"\r\n' "$data"
            else
                printf '"%s"="%s"\r\n' "$value" "$data"
            fi
        done
    } | iconv -f UTF-8 -t UTF-16 # with its byte-order mark
}

zv_i386_settled() { ! zv_i386_installing; }

# Stops the root's Wine server and every Wine process of the prefix (bounded).
zv_i386_stop_server() {
    zv_i386_wine 120 / wineserver -k >/dev/null 2>&1 || true
    zv_i386_wine 300 / wineserver -w >/dev/null 2>&1 || zv_log "warning: the 32-bit Wine server did not stop"
}

# Chooses the Wine prefix of the commands that follow: zv_i386_use_prefix desktop|plain.
# In the desktop one every window lives in a virtual desktop; the plain one has top-level
# X windows, for the tests that move the real pointer.
zv_i386_use_prefix() {
    ZV_I386_PREFIX_KIND=$1
    ZV_I386_PREFIX=/zorvane/prefix-$1
    ZV_I386_SETTINGS=
    [ "$1" = plain ] || ZV_I386_SETTINGS=$ZV_I386_DESKTOP_SETTINGS
}

# Makes the chosen Wine prefix once and imports ZV_WINE_SETTINGS and its own settings into
# it in one run of the registry editor. Needs the root's mounts and a display. Every wait
# is bounded, and the prefix's own waits on itself are not trusted to end.
zv_i386_prefix() {
    local stamp=$ZV_I386_HOME/prefix-$ZV_I386_PREFIX_KIND.stamp inputs prefix=$ZV_I386_ROOT$ZV_I386_PREFIX
    inputs=$(printf 'recipe %s\n%s\n%s' "$ZV_I386_RECIPE" "$ZV_WINE_SETTINGS" "$ZV_I386_SETTINGS")
    [ -f "$stamp" ] && [ "$(<"$stamp")" = "$inputs" ] && [ -f "$prefix/user.reg" ] && return 0
    rm -f "$stamp"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    zv_log "Making the 32-bit Wine prefix $ZV_I386_PREFIX_KIND"
    printf '%s\n%s\n' "$ZV_WINE_SETTINGS" "$ZV_I386_SETTINGS" | zv_i386_reg_file >"$ZV_I386_ROOT/zorvane/settings.reg"
    zv_i386_wine 120 / wineserver -p || zv_die "the 32-bit Wine server does not start"
    zv_i386_wine 1800 / wine wineboot --init || zv_log "wineboot ended with status $? (its own wait gives up early)"
    zv_i386_wait_until 1800 zv_i386_settled || zv_die "the 32-bit Wine prefix is still being installed after 30 minutes"
    zv_i386_wine 1200 / wine regedit /S 'Z:\zorvane\settings.reg' || zv_die "cannot import the settings into the 32-bit prefix"
    zv_i386_stop_server
    grep -q IPAPMincho "$prefix/user.reg" || zv_die "the 32-bit prefix lacks its settings after the import"
    printf '%s' "$inputs" >"$stamp"
}
