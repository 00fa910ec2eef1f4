#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package (default: the newest talvor_*.deb in the top folder): its fields and file list,
# lintian, an install with dpkg into a scratch root, the engine and the desktop entry run from the installed
# paths, and a removal that leaves nothing behind. The scratch root leaves this machine's own package
# database alone, so several people can run it at once. With CI=true (a throw-away machine) it also
# installs the package on the machine itself with apt-get, which resolves its dependencies from the
# archive, runs /usr/games/talvor and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
deb=$(realpath "${1:-$(ls -t talvor_*.deb | head -1)}")
version=$(sed -n 's/^project(TalvorWBE VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0

check() {  # check NAME COMMAND...: runs the command, counts and reports the result
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $name"
        failed=$((failed + 1))
    fi
}
field() { dpkg-deb -f "$deb" "$1"; }
contains() { grep -qF -- "$2" <<<"$1"; }

quiet() {  # runs a command, showing its output only when it fails
    local out
    out=$("$@" 2>&1) || { echo "$out"; return 1; }
}

# Runs the engine on the given input and prints its output. The input stays open after the text, so only
# quit (or the timeout: status 124) ends the engine.
engine() {
    local program=$1 input=$2 status=0 fifo writer
    fifo=$(mktemp -u "$scratch/input.XXXXXX")
    mkfifo "$fifo"
    { printf '%b' "$input"; exec sleep 30; } >"$fifo" &
    writer=$!
    timeout 10 "$program" -xboard <"$fifo" || status=$?
    kill "$writer" 2>/dev/null || true
    wait "$writer" 2>/dev/null || true
    rm -f "$fifo"
    return $status
}

# The engine as a chess interface sees it: protover 2 and ping answered, quit ends it at once (the ping
# after it is never read); and a new game opens with a book move, so the settings and the book were found
# through the links beside the program. In UCI mode: the handshake and a searched move.
check_engine() {
    local program=$1 out
    out=$(cd / && engine "$program" 'protover 2\nping 7\nquit\nping 8\n') || return 1
    contains "$out" 'feature variants="normal" ping=1 setboard=1 analyze=1 memory=1 smp=1 myname="Talvor"' || return 1
    contains "$out" 'feature done=1' || return 1
    contains "$out" 'pong 7' || return 1
    ! contains "$out" 'pong 8' || return 1
    out=$(engine_until "$program" -xboard 'move' 'protover 2\nnew\ngo\n') || return 1
    grep -q '^1 0 0 1 {Book' <<<"$out" && grep -q '^move [a-h][1-8][a-h][1-8]$' <<<"$out" || return 1
    # The UCI mode: the handshake with the settings file's values, readyok, and a move from a search.
    out=$(engine_until "$program" -uci 'bestmove' 'uci\nisready\nposition startpos moves e2e4\ngo depth 3\n') || return 1
    contains "$out" 'option name ValorePedoni type spin default 100' && contains "$out" $'uciok\nreadyok' &&
        grep -q '^bestmove [a-h][1-8][a-h][1-8]\( ponder [a-h][1-8][a-h][1-8]\)\?$' <<<"$out"
}

# Sends INPUT to the engine started with SWITCH and prints its lines up to the first that starts with
# ANSWER, then quits: the end of the input would end the engine before it answers, as it ends a search.
engine_until() {
    local program=$1 switch=$2 answer=$3 input=$4 line pid to from
    coproc ENGINE { cd / && exec timeout 10 "$program" "$switch"; }
    pid=$ENGINE_PID
    exec {to}>&"${ENGINE[1]}" {from}<&"${ENGINE[0]}"
    printf '%b' "$input" >&"$to"
    while IFS= read -r -t 10 line <&"$from"; do
        echo "$line"
        [[ $line == "$answer"* ]] && break
    done
    printf 'quit\n' >&"$to" || true
    exec {to}>&- {from}<&-
    wait "$pid"
}

# Without a display the program still loads its window module, which then says there is no display: the
# module was found beside the program and its symbols resolved against it.
check_window() {
    local out
    out=$(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$1" 2>&1 </dev/null) && return 1
    contains "$out" "no display to show the game window on"
}

echo "== package $deb =="
check "file name" test "$(basename "$deb")" = "talvor_${version}_${arch}.deb"
check "package name" test "$(field Package)" = talvor
check "version from the project" test "$(field Version)" = "$version"
check "section" test "$(field Section)" = games
check "maintainer names the project" contains "$(field Maintainer)" "TalvorWBE"
check "dependencies from the libraries" contains "$(field Depends)" "libqt6widgets6 ("
check "description" test "$(field Description | wc -l)" -gt 5

# The file list: the paths interfaces and desktops look in, and nothing else.
list=$(dpkg-deb -c "$deb" | awk '{ print $6 ($7 ? " " $7 " " $8 : "") }' | sed 's|^\./|/|')
for path in "/usr/games/talvor -> ../lib/games/talvor/talvor" /usr/lib/games/talvor/talvor \
    /usr/lib/games/talvor/talvor-window.so \
    "/usr/lib/games/talvor/Talvor.ini -> ../../../share/games/talvor/Talvor.ini" \
    "/usr/lib/games/talvor/TalvorBook.txt -> ../../../share/games/talvor/TalvorBook.txt" \
    "/usr/lib/games/talvor/TalvorBook.bk2 -> ../../../share/games/talvor/TalvorBook.bk2" \
    /usr/share/games/talvor/Talvor.ini /usr/share/games/talvor/TalvorBook.txt \
    /usr/share/games/talvor/TalvorBook.bk2 /usr/share/games/plugins/xboard/talvor.eng \
    /usr/share/games/plugins/xboard/talvor-strong.eng /usr/share/games/plugins/uci/talvor.eng \
    /usr/share/games/plugins/uci/talvor-strong.eng \
    /usr/share/applications/talvor.desktop /usr/share/icons/hicolor/48x48/apps/talvor.png \
    /usr/share/icons/hicolor/64x64/apps/talvor.png /usr/share/icons/hicolor/128x128/apps/talvor.png \
    /usr/share/icons/hicolor/scalable/apps/talvor.svg /usr/share/man/man6/talvor.6.gz \
    /usr/share/doc/talvor/copyright /usr/share/doc/talvor/changelog.gz; do
    check "installs $path" grep -qxF -- "$path" <<<"$list"
done
allowed='^/usr/(games/talvor -> |lib/games/talvor/(talvor$|talvor-window\.so$|[^/]+ -> \.\./\.\./\.\./share/games/talvor/)'
allowed+='|share/games/talvor/[^/]+$|share/games/plugins/(xboard|uci)/talvor(-strong)?\.eng$'
allowed+='|share/applications/talvor\.desktop$|share/icons/hicolor/[^/]+/apps/talvor\.(png|svg)$'
allowed+='|share/man/man6/talvor\.6\.gz$|share/doc/talvor/|share/lintian/overrides/talvor$)'
strays=$(grep -v '/$' <<<"$list" | grep -vE "$allowed" || true)
check "nothing else installed${strays:+: $strays}" test -z "$strays"

echo "== lintian =="
check "lintian: no errors or warnings" lintian --fail-on error,warning --display-info "$deb"

echo "== installed into a scratch root =="
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The dependencies are this machine's libraries, which the scratch root's database does not know; the
# package's script runs outside the root, and so in it through DPKG_ROOT.
touch -d "@$(($(date +%s) - 1))" "$scratch/before-install"
check "dpkg -i" quiet dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless -i "$deb"
installed=$(dpkg --root="$root" -L talvor)
check "dpkg lists the files" contains "$installed" /usr/lib/games/talvor/talvor
# The licence: GPL-3+ for the program, pointing to Debian's copy of the text (so COPYING itself is not
# installed); the book keeps its CC0 credit.
copyright=$root/usr/share/doc/talvor/copyright
check "copyright: the program is GPL-3+" test "$(sed -n '/^Files: \*$/,/^$/s/^License: //p' "$copyright")" = GPL-3+
check "copyright: the text in common-licenses" grep -qF '"/usr/share/common-licenses/GPL-3"' "$copyright"
check "copyright: the book is CC0-1.0" test "$(sed -n '/^Files: data\/TalvorBook/,/^$/s/^License: //p' \
    "$copyright")" = CC0-1.0
check "COPYING is that text" cmp -s COPYING /usr/share/common-licenses/GPL-3
check "no path of the build inside the files" test -z "$(grep -rlF "$src" "$root/usr" || true)"
check "engine from /usr/games/talvor" check_engine "$root/usr/games/talvor"
check "window module from /usr/games/talvor" check_window "$root/usr/games/talvor"
check "--help names the installed settings" contains "$("$root/usr/games/talvor" --help)" \
    "$root/usr/lib/games/talvor/Talvor.ini"
# Two entries a protocol, one engine each (XBoard reads the command from an entry's second line): the
# standard search and the strong one. XBoard adds those newer than its saved settings.
for protocol in xboard uci; do
    for entry in "talvor:talvor -$protocol" "talvor-strong:talvor -$protocol -strong"; do
        file=$root/usr/share/games/plugins/$protocol/${entry%%:*}.eng
        check "$protocol entry ${entry%%:*}.eng runs ${entry#*:}" \
            test "$(cat "$file")" = "$(printf 'plugin spec 0.0\n%s\nchess' "${entry#*:}")"
        check "$protocol entry ${entry%%:*}.eng newer than the install" test "$file" -nt "$scratch/before-install"
    done
done
check "desktop entry" desktop-file-validate "$root/usr/share/applications/talvor.desktop"
check "desktop entry starts the command" test -x "$root/usr/games/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' \
    "$root/usr/share/applications/talvor.desktop")"
for size in 48 64 128; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/talvor.png
    check "icon ${size}x$size" contains "$(file -b "$icon")" "PNG image data, $size x $size"
done
check "scalable icon" contains "$(file -b "$root/usr/share/icons/hicolor/scalable/apps/talvor.svg")" "SVG"
page=$(man --warnings -E UTF-8 -l "$root/usr/share/man/man6/talvor.6.gz" 2>"$scratch/man-warnings" | col -b)
check "manual page without warnings" test ! -s "$scratch/man-warnings"
for key in $(sed -n 's/^\([A-Za-z0-9]*\)=.*/\1/p' data/Talvor.ini) xboard /xboard -xboard -uci inguimode \
    -strong --help --version; do
    check "manual page explains $key" contains "$page" "$key"
done
zcat "$root/usr/share/doc/talvor/changelog.gz" >"$scratch/changelog"
changelog_version=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)
check "changelog's version is the package's" test "$changelog_version" = "$version"
check "dpkg -r" quiet dpkg --root="$root" --force-not-root --force-script-chrootless -r talvor
left=$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/*")
check "removal leaves nothing${left:+: $left}" test -z "$left"

if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; then
    echo "== installed on this machine (CI) =="
    trap 'dpkg -r talvor >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
    apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=120)
    check "apt-get install" quiet "${apt[@]}" install --no-install-recommends "$deb"
    check "engine from /usr/games/talvor" check_engine /usr/games/talvor
    check "window module from /usr/games/talvor" check_window /usr/games/talvor
    files=$(dpkg -L talvor | while read -r f; do [ -d "$f" ] || echo "$f"; done)
    check "apt-get remove" quiet "${apt[@]}" remove talvor
    left=$(for f in $files; do [ -e "$f" ] || [ -L "$f" ] && echo "$f"; done || true)
    check "removal leaves nothing${left:+: $left}" test -z "$left"
fi

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
