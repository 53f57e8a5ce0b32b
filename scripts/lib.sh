# Shared functions of the build, run and test scripts. Source it from bash:
#   source "$(dirname "$0")/lib.sh"
# BUILD_ROOT (default <repo>/build) holds the builds, the Wine prefix and the results.
# shellcheck shell=bash

ZV_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The arguments of the script that sources this file, for its restart by zv_ensure_locale.
ZV_SCRIPT_ARGS=("$@")
BUILD_ROOT=${BUILD_ROOT:-$ZV_REPO/build}
ZV_JOBS=${ZV_JOBS:-2}
ZV_WINE64=/usr/lib/wine/wine64
ZV_PACKAGES=(cmake g++ googletest libbenchmark-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64
    zlib1g-dev libz-mingw-w64-dev wine wine64 fonts-wine xvfb locales fonts-ipafont-gothic fonts-ipafont-mincho x11-apps imagemagick python3
    zip dpkg-dev lintian libmspack-dev)

# What the web page is built and tested with: clang's WebAssembly target with WASI's C and
# C++ libraries, and Chromium with its WebDriver for the page's suite. Node.js and npm
# (which fetches the zip library) come from Debian where the machine has none.
ZV_WEB_PACKAGES=(clang-14 lld-14 wasi-libc libclang-rt-14-dev-wasm32 libc++-14-dev-wasm32 libc++abi-14-dev-wasm32
    chromium chromium-driver python3-selenium dpkg-dev)
# The zlib of the web module and its tests, from Debian's source package: this upstream
# version, in the Debian revision the mirror has.
ZV_ZLIB_UPSTREAM=1.2.13

# DLLs that every Windows installation has; the program and the tests may import only these.
ZV_SYSTEM_DLLS="kernel32 user32 gdi32 comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 advapi32 msvcrt
    lz32 version winmm uxtheme ws2_32 imm32 rpcrt4 bcrypt"

# The window tests that move the real pointer (GoogleTest filter): Wine's own pointer
# moves inside a virtual desktop now and then undo theirs, so they run outside one.
ZV_POINTER_TESTS='FlatButtonHoverTest.*:DragOutDragTest.*:MainDlgTest.DoubleClickedButtonsRunTheirCommandOnce'
# The window and end-to-end tests of the English interface, which run under an English
# locale (code page 1252) and only there (a GoogleTest filter).
ZV_ENGLISH_TESTS='English*:*/English*'

zv_log() { printf '%s\n' "$*" >&2; }
zv_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Clean-up steps run once when the script ends, last registered first.
ZV_CLEANUPS=()
zv_on_exit() { ZV_CLEANUPS=("$1" "${ZV_CLEANUPS[@]}"); }
zv_run_cleanups() {
    local step
    for step in "${ZV_CLEANUPS[@]}"; do
        eval "$step" || true
    done
    ZV_CLEANUPS=()
}
trap zv_run_cleanups EXIT
trap 'exit 130' INT TERM

zv_package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Installs the Debian packages that are missing; does nothing on a ready machine.
zv_install_packages() {
    local missing=() pkg
    for pkg in "${ZV_PACKAGES[@]}" "$@"; do
        zv_package_installed "$pkg" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        zv_log "Missing packages. Install them as root with:"
        zv_log "  apt-get update && apt-get install -y ${missing[*]}"
        exit 1
    fi
    zv_log "Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q "${missing[@]}" </dev/null
}

# Generates the Japanese and English UTF-8 locales (code pages 932 and 1252 under Wine)
# when they are missing, then starts the script again: a running shell does not see a
# locale added after its start (the C library keeps what it read of the locales then),
# and would warn each time the Wine commands' locale is set.
ZV_LOCALES=(ja_JP en_US)
zv_has_locale() { locale -a 2>/dev/null | grep -qix "$1\.utf-\?8"; }
zv_ensure_locale() {
    local missing=() name listed=
    for name in "${ZV_LOCALES[@]}"; do
        zv_has_locale "$name" || missing+=("$name")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    [ -z "${ZV_LOCALE_MADE:-}" ] || zv_die "the locales ${missing[*]} (UTF-8) are still missing after their generation"
    if [ "$(id -u)" -ne 0 ]; then
        zv_die "the UTF-8 locales ${missing[*]} are missing; as root run: localedef -i NAME -f UTF-8 NAME.UTF-8"
    fi
    zv_log "Generating the locales ${missing[*]} (UTF-8)"
    # locale-gen makes the locales listed in /etc/locale.gen afresh and drops the others,
    # so it runs before localedef makes those it does not list.
    for name in "${missing[@]}"; do
        if [ -f /etc/locale.gen ] && grep -q "^# *$name.UTF-8 UTF-8" /etc/locale.gen; then
            sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
            listed=1
        fi
    done
    [ -z "$listed" ] || locale-gen >/dev/null
    for name in "${missing[@]}"; do
        zv_has_locale "$name" || localedef -i "$name" -f UTF-8 "$name.UTF-8"
    done
    export ZV_LOCALE_MADE=1
    exec "$0" "${ZV_SCRIPT_ARGS[@]}"
}

zv_setup() {
    zv_install_packages "$@"
    zv_ensure_locale
}

# Environment of every Wine command: our own prefix (ZV_WINEPREFIX, by default build/wineprefix),
# Japanese code page (another locale with ZV_WINE_LOCALE, such as en_US.UTF-8 for code page
# 1252 and the English interface), no debug output, and no prompts for the browser and
# .NET runtimes that the program does not need.
zv_wine_env() {
    export WINEPREFIX=${ZV_WINEPREFIX:-$BUILD_ROOT/wineprefix}
    export LANG=${ZV_WINE_LOCALE:-ja_JP.UTF-8} LC_ALL=${ZV_WINE_LOCALE:-ja_JP.UTF-8}
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

# Waits until every Wine process of our prefix has ended (bounded).
zv_wine_wait() {
    zv_wine_env
    [ -d "$WINEPREFIX" ] || return 0
    timeout "${1:-60}" wineserver -w || zv_log "warning: Wine processes of $WINEPREFIX still running"
}

# What the private Wine prefix needs, one "KEY|VALUE|DATA" a line (no VALUE: the key's
# default value):
# - the dialog font mapped to an installed one;
# - Wine drawing the title bars itself (the private X server has no window manager);
# - Wine's own fonts (fonts-wine), among them "Marlett", whose symbols Wine draws on the
#   title-bar buttons. Debian's Wine looks for them in "<data folder>\..\fonts", a name
#   that its own file lookup refuses, so without this path it finds none of them and the
#   buttons show the letters that stand for the symbols;
# - the types of the extension table that a program of Wine's opens;
# - no fonts of the title bars, menus and status bars stored by the first start (DATA "-"
#   deletes the value): each program then gets those of its own locale, as on a Japanese
#   or an English Windows, instead of the Japanese ones, which show no Latin letters.
ZV_WINE_SETTINGS='HKCU\Software\Wine\Fonts\Replacements|ＭＳ Ｐ明朝|IPAPMincho
HKCU\Software\Wine\Fonts\Replacements|MS PMincho|IPAPMincho
HKCU\Software\Wine\X11 Driver|Decorated|N
HKCU\Software\Wine\Fonts|Path|Z:\usr\share\wine\fonts
HKCR\.txt||txtfile
HKCR\.htm||htmlfile
HKCU\Control Panel\Desktop\WindowMetrics|CaptionFont|-
HKCU\Control Panel\Desktop\WindowMetrics|SmCaptionFont|-
HKCU\Control Panel\Desktop\WindowMetrics|MenuFont|-
HKCU\Control Panel\Desktop\WindowMetrics|StatusFont|-
HKCU\Control Panel\Desktop\WindowMetrics|MessageFont|-
HKCU\Control Panel\Desktop\WindowMetrics|IconFont|-'

# Makes the private Wine prefix once and applies ZV_WINE_SETTINGS to it. A copy of the
# settings in the prefix records that they are in place, so a ready prefix costs one read.
zv_wine_prefix() {
    zv_wine_env
    local applied=$WINEPREFIX/zorvane-settings key value data
    if [ ! -f "$WINEPREFIX/user.reg" ]; then
        zv_log "Making the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        timeout 300 "$ZV_WINE64" wineboot -i </dev/null >/dev/null 2>&1 || zv_die "wineboot failed"
        zv_wine_wait 120
    fi
    [ -f "$applied" ] && [ "$(<"$applied")" = "$ZV_WINE_SETTINGS" ] && return 0
    while IFS='|' read -r key value data; do
        local name=(/ve)
        [ -z "$value" ] || name=(/v "$value")
        if [ "$data" = - ]; then
            # Gone already is as good.
            timeout 120 "$ZV_WINE64" reg delete "$key" "${name[@]}" /f </dev/null >/dev/null 2>&1 || true
            continue
        fi
        timeout 120 "$ZV_WINE64" reg add "$key" "${name[@]}" /t REG_SZ /d "$data" /f </dev/null >/dev/null 2>&1 ||
            zv_die "cannot set $key $value in the Wine prefix"
    done <<<"$ZV_WINE_SETTINGS"
    zv_wine_wait 120
    printf '%s' "$ZV_WINE_SETTINGS" >"$applied"
}

# Runs a Windows program under wine64: zv_wine_run SECONDS PROGRAM.exe [ARG...]
# The exit status is the program's, or 124 when it was stopped at the time limit.
zv_wine_run() {
    local seconds=$1
    shift
    zv_wine_env
    timeout -k 10 "$seconds" "$ZV_WINE64" "$@" </dev/null
}

# Starts a private X server and points DISPLAY at it; it is stopped by its PID when the
# script ends. ZV_DISPLAY picks the number; otherwise the first free one from 90 up.
ZV_XVFB_PID=
zv_xvfb_start() {
    local n=${ZV_DISPLAY:-90} last tries
    n=${n#:}
    last=$((n + 40))
    while [ "$n" -le "$last" ]; do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            ZV_XVFB_PID=$!
            for tries in $(seq 100); do
                if ! kill -0 "$ZV_XVFB_PID" 2>/dev/null; then
                    break
                fi
                if [ -e "/tmp/.X11-unix/X$n" ]; then
                    export DISPLAY=":$n"
                    zv_on_exit zv_xvfb_stop
                    zv_log "Xvfb on $DISPLAY (pid $ZV_XVFB_PID)"
                    return 0
                fi
                sleep 0.1
            done
            # Lost the number to another server starting at the same time, or it hangs.
            kill "$ZV_XVFB_PID" 2>/dev/null || true
            wait "$ZV_XVFB_PID" 2>/dev/null || true
            ZV_XVFB_PID=
        fi
        n=$((n + 1))
    done
    zv_die "no free X display found"
}

zv_xvfb_stop() {
    [ -n "$ZV_XVFB_PID" ] || return 0
    # Wine programs on this display end first, so that they do not lose their display.
    zv_wine_wait 30
    kill "$ZV_XVFB_PID" 2>/dev/null || true
    wait "$ZV_XVFB_PID" 2>/dev/null || true
    ZV_XVFB_PID=
}

# Debian's source of libmspack, in the version that the native build links: the two
# Windows builds, the web page and the fuzzer compile its cabinet reader from it, the
# tests read its test cabinets. Prints the unpacked folder.
zv_mspack_source() {
    local version dest=$BUILD_ROOT/mspack
    version=$(dpkg-query -W -f='${Version}' libmspack-dev 2>/dev/null) || zv_die "libmspack-dev is not installed"
    # Another revision of the same upstream version is fetched again.
    [ ! -f "$dest/.debian-version" ] || [ "$(<"$dest/.debian-version")" = "$version" ] || rm -rf "$dest"
    zv_debian_source libmspack "${version%-*}" "$dest"
    [ "$(<"$dest/.debian-version")" = "$version" ] ||
        zv_die "the source of libmspack is $(<"$dest/.debian-version"), the installed library $version"
    echo "$dest"
}

# Configures and builds one of the three builds: zv_build native|win32|win64 [TARGET...]
zv_build() {
    local kind=$1 dir=$BUILD_ROOT/$1 mspack
    shift
    mspack=$(zv_mspack_source)
    local args=(-S "$ZV_REPO" -B "$dir" -DZV_MSPACK_SOURCE="$mspack")
    case $kind in
        native) args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
        # The release is built for size and stripped; unused functions are dropped at link time.
        win32) args+=(-DCMAKE_TOOLCHAIN_FILE="$ZV_REPO/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release
                "-DCMAKE_CXX_FLAGS_RELEASE=-Os -DNDEBUG -ffunction-sections -fdata-sections"
                "-DCMAKE_C_FLAGS_RELEASE=-Os -DNDEBUG -ffunction-sections -fdata-sections"
                "-DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s -Wl,--gc-sections") ;;
        win64) args+=(-DCMAKE_TOOLCHAIN_FILE="$ZV_REPO/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
        *) zv_die "unknown build $kind" ;;
    esac
    zv_log "== build $kind"
    cmake "${args[@]}" >"$BUILD_ROOT/cmake-$kind.log" 2>&1 || { cat "$BUILD_ROOT/cmake-$kind.log" >&2; zv_die "cmake failed for $kind"; }
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$dir" -j"$ZV_JOBS" "${targets[@]}"
}

# The project version (CMakeLists.txt) that a configured build folder was made with.
zv_project_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"
}

# Fails unless the .exe imports system DLLs only (no MinGW runtime beside it).
zv_check_imports() {
    local exe=$1 objdump=$2 dll bad=()
    [ -f "$exe" ] || zv_die "$exe was not built"
    while read -r dll; do
        dll=${dll,,}
        dll=${dll%.dll}
        case " $(echo $ZV_SYSTEM_DLLS) " in
            *" $dll "*) ;;
            *) [[ $dll == api-ms-win-* ]] || bad+=("$dll.dll") ;;
        esac
    done < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ ${#bad[@]} -eq 0 ] || zv_die "$exe imports non-system DLLs: ${bad[*]}"
    zv_log "$exe imports system DLLs only"
}

# Every function the .exe imports, one "dll function" line each (DLL in lower case).
zv_imported_functions() {
    "$2" -p "$1" | awk '
        /^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
        /^[[:space:]]*$/ { dll = "" }
        dll && /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]]+$/ { print dll, $3 }' | sort -u
}

# Fails unless the release's programs start on the oldest systems they are made for: a
# subsystem version of at most 4.0, and only imports that the allow-list names. An entry
# that none of them imports any more is reported.
# zv_check_release_imports OBJDUMP LIST EXE...
zv_check_release_imports() {
    local objdump=$1 list=$2 exe version missing stale
    shift 2
    for exe in "$@"; do
        version=$("$objdump" -p "$exe" | awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 }
            END { print major "." minor }')
        [ "${version%%.*}" -lt 4 ] || [ "$version" = 4.0 ] || zv_die "$exe needs subsystem version $version (at most 4.0)"
        missing=$(comm -23 <(zv_imported_functions "$exe" "$objdump") <(grep -v '^#' "$list" | grep . | sort -u))
        [ -z "$missing" ] || zv_die "$exe imports functions that are not on $list:
$missing"
        zv_log "$exe imports only functions that Windows 95 and NT 4.0 export"
    done
    stale=$(comm -13 <(for exe in "$@"; do zv_imported_functions "$exe" "$objdump"; done | sort -u) \
        <(grep -v '^#' "$list" | grep . | sort -u))
    [ -z "$stale" ] || zv_log "warning: no longer imported, remove from $list: $(echo $stale)"
}

# The totals of the suites recorded so far by zv_record.
ZV_PASSED=0
ZV_FAILED=0

# Prints "PASSED FAILED" for the GoogleTest XML reports given.
zv_count_gtest() {
    python3 - "$@" <<'PY'
import sys
import xml.etree.ElementTree as ET
passed = failed = 0
for path in sys.argv[1:]:
    try:
        # Failure messages quote code page 932 bytes, which are not UTF-8.
        with open(path, "rb") as report:
            text = report.read().decode("utf-8", "replace")
        root = ET.fromstring(text.split("?>", 1)[1] if text.startswith("<?xml") else text)
    except (OSError, ET.ParseError, IndexError):
        continue
    for case in root.iter("testcase"):
        if case.get("status", "run") != "run" or case.get("result") == "skipped":
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        else:
            passed += 1
print(passed, failed)
PY
}

# Records one suite and prints its line: zv_record NAME EXIT_STATUS SECONDS LOG XML...
zv_record() {
    local name=$1 rc=$2 seconds=$3 log=$4 counts passed failed note=""
    shift 4
    counts=$(zv_count_gtest "$@")
    passed=${counts% *}
    failed=${counts#* }
    if [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
        # Crashed, timed out or failed outside a test: count the suite itself as failed.
        failed=1
        note=" (exit status $rc)"
    elif [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
        # A suite that ran no test did not start: that is no pass.
        failed=1
        note=" (no test ran)"
    fi
    if [ "$failed" -ne 0 ]; then
        zv_log "---- $name: end of $log"
        tail -n 80 "$log" >&2 || true
        zv_log "----"
    fi
    ZV_PASSED=$((ZV_PASSED + passed))
    ZV_FAILED=$((ZV_FAILED + failed))
    echo "$name: $passed passed, $failed failed$note in ${seconds}s"
}

# Installs what the web page needs (ZV_WEB_PACKAGES, and Node.js where it is missing).
zv_web_setup() {
    local node=()
    command -v node >/dev/null && command -v npm >/dev/null || node=(nodejs npm)
    zv_setup "${ZV_WEB_PACKAGES[@]}" "${node[@]}"
}

# The host's Debian mirror and release, as "URI SUITE".
zv_debian_mirror() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 2>/dev/null | sort -u |
        awk -v suite="$(. /etc/os-release && echo "$VERSION_CODENAME")" '$2 == suite { print; exit }'
}

# Unpacks Debian's source package PACKAGE at the upstream version UPSTREAM into DEST,
# once: apt-get source through a private deb-src list naming the host's mirror, so apt
# checks the files against the mirror's signed index. Its version goes to DEST/.debian-version.
# zv_debian_source PACKAGE UPSTREAM DEST
zv_debian_source() {
    local package=$1 upstream=$2 dest=$3 apt mirror version
    local pattern="^([0-9]+:)?${upstream//./\\.}[.+~-]"
    [ -f "$dest/.debian-version" ] && [[ $(<"$dest/.debian-version") =~ $pattern ]] && return 0
    mirror=$(zv_debian_mirror)
    [ -n "$mirror" ] || zv_die "the host's apt names no Debian mirror"
    apt=$(mktemp -d)
    mkdir -p "$apt/lists/partial"
    echo "deb-src $mirror main" >"$apt/sources.list"
    local opts=(-o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts=/dev/null
        -o Dir::State::Lists="$apt/lists" -o APT::Sandbox::User=root -o Acquire::Retries=3 -q)
    zv_log "Fetching the source of $package $upstream from ${mirror% *}"
    apt-get "${opts[@]}" update >&2 || zv_die "cannot read the source index of $mirror"
    version=$(apt-cache "${opts[@]}" showsrc "$package" | sed -n 's/^Version: //p' | grep -E "$pattern" | sort -V | tail -n 1)
    [ -n "$version" ] || zv_die "$mirror offers no source of $package $upstream"
    (cd "$apt" && apt-get "${opts[@]}" source --download-only "$package=$version" >&2) ||
        zv_die "cannot fetch the source of $package $version"
    rm -rf "$dest"
    mkdir -p "$(dirname "$dest")"
    dpkg-source -x "$apt"/*.dsc "$dest" >"$apt/unpack.log" 2>&1 || { cat "$apt/unpack.log" >&2; zv_die "cannot unpack $package"; }
    echo "$version" >"$dest/.debian-version"
    rm -rf "$apt"
}
