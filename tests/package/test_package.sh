#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch folder and checks what a
# user gets from it: the layout, the menu entry, the AppStream data, the manual
# page against the tool's own help, lintian's verdict, and the program started
# through its /usr/bin link, showing page 1 of the sample catalogue.
#
#     test_package.sh BUILD_DIR VERSION
set -uo pipefail

build=$1
version=$2
deb=$build/mirelka_${version}_amd64.deb
here=$(cd "$(dirname "$0")" && pwd)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

# --- Inside the X server: start the unpacked program and look at it. ------------
if [ "${1:-}" = "--inside-x" ]; then
    scratch=$2
    shots=$3
    export QT_QPA_PLATFORM=xcb
    unset QT_FONT_DPI
    # No address outside the machine: every web request goes to a closed port.
    export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --proxy-server=http://127.0.0.1:9"
    # The link is absolute, /usr/bin/mirelka -> /opt/mirelka/mirelka. In a
    # private mount namespace the unpacked opt/ stands at /opt, so the
    # package's own link leads to the unpacked program, which must then find
    # its Data folder beside the link's target, not beside the link.
    if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
        ns=(unshare -m)
    elif unshare -rm true 2>/dev/null; then
        ns=(unshare -rm)
        export QTWEBENGINE_DISABLE_SANDBOX=1   # the namespace's user is root
    else
        echo "FAIL: cannot make a private mount namespace (unshare) to put the unpacked /opt in place"
        exit 1
    fi
    [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
    "${ns[@]}" sh -c 'mount --bind "$1/opt" /opt && exec "$1/usr/bin/mirelka"' sh "$scratch" \
        >"$shots/program.log" 2>&1 &
    pid=$!
    trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

    win=""
    for _ in $(seq 200); do
        win=$(xdotool search --onlyvisible --name '^Mirelka online$' 2>/dev/null | head -1)
        [ -n "$win" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$win" ]; then
        echo "FAIL: no window titled 'Mirelka online' appeared"; sed 's/^/    /' "$shots/program.log"; exit 1
    fi
    echo "ok:   window 'Mirelka online' ($(xdotool getwindowname "$win"))"

    # The catalogue's entries are blue links below the heading and the row of
    # section numbers; without the Data folder that part of the page stays white.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    crop="$((WIDTH - 30))x$((HEIGHT - 260))+$((X + 5))+$((Y + 250))"
    blue=0
    for _ in $(seq 100); do
        import -window root "$shots/screen.png"
        blue=$(convert "$shots/screen.png" -crop "$crop" +repage -fuzz 20% \
                   -fill black +opaque "rgb(0,0,255)" -fill white -opaque "rgb(0,0,255)" \
                   -format "%[fx:round(mean*w*h)]" info:)
        [ "${blue:-0}" -gt 2000 ] && break
        sleep 0.2
    done
    if [ "${blue:-0}" -gt 2000 ]; then
        echo "ok:   page 1 shows its entries ($blue blue link pixels; screenshot $shots/screen.png)"
    else
        echo "FAIL: page 1 shows no entries ($blue blue link pixels; screenshot $shots/screen.png)"
        sed 's/^/    /' "$shots/program.log"
        exit 1
    fi
    if xprop -len 8 -id "$win" _NET_WM_ICON | grep -q 'Icon (256 x 256)'; then
        echo "ok:   the window carries the program's icon"
    else
        echo "FAIL: the window has no icon"; exit 1
    fi
    # A quiet start: the engine's graphics report comes once its first page
    # process runs, and must not reach the terminal.
    for _ in $(seq 100); do
        pgrep -x QtWebEngineProc >/dev/null && break
        sleep 0.2
    done
    sleep 2
    if grep -q 'qt.webenginecontext' "$shots/program.log"; then
        echo "FAIL: the program reports the engine's set-up on start:"; sed 's/^/    /' "$shots/program.log"; exit 1
    fi
    echo "ok:   a quiet start ($(wc -l <"$shots/program.log") lines on stderr, no engine report)"
    exit 0
fi

# --- Build and unpack. -----------------------------------------------------------
cmake --build "$build" --target mirelka mirelka-catalogue mirelka-data mirelka-package-files >/dev/null ||
    { echo "FAIL: build"; exit 1; }
rm -f "$deb"
if ! (cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || [ ! -f "$deb" ]; then
    echo "FAIL: cpack -G DEB made no $deb"; cat "$build/cpack.log"; exit 1
fi
pass "cpack made $(basename "$deb")"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }

# --- Control fields. -------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = mirelka ] && [ "$(field Version)" = "$version" ] && [ "$(field Architecture)" = amd64 ] &&
    pass "package mirelka $version amd64" || fail "package name, version or architecture"
depends=$(field Depends)
for dep in fonts-liberation2 fonts-dejavu-core qt6-translations-l10n libqt6webenginecore6-bin libqt6core6 libqt6widgets6 libc6; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done
names=$(echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/[ (].*//' | sort)
[ -z "$(echo "$names" | uniq -d)" ] || fail "Depends names a package twice: $(echo "$names" | uniq -d | tr '\n' ' ')"
pass "Depends: $depends"

# The menu is drawn in the sans-serif face: fontconfig must resolve it to a
# proportional face that a package the program depends on provides.
sans_file=$(fc-match -f '%{file}' sans-serif)
sans_spacing=$(fc-match -f '%{spacing}' sans-serif)
sans_owner=$(dpkg -S "$sans_file" 2>/dev/null | cut -d: -f1)
if [ -n "$sans_owner" ] && [[ ", $depends," == *", $sans_owner"[\ ,]* ]] && [ "${sans_spacing:-0}" = 0 ]; then
    pass "menu face: $(fc-match sans-serif) from $sans_owner"
else
    fail "menu face: sans-serif is $sans_file (spacing '${sans_spacing}', package '${sans_owner}'), not a proportional face the package depends on"
fi

# --- Layout. ---------------------------------------------------------------------
expect_file() { [ -f "$root/$1" ] && [ ! -L "$root/$1" ] || fail "missing file /$1"; }
expect_file opt/mirelka/mirelka
expect_file opt/mirelka/mirelka-catalogue
# The web engine comes as a module beside the program, loaded once the first
# page is on the screen: the executable itself does not link it.
expect_file opt/mirelka/mirelka-engine.so
readelf -d "$root/opt/mirelka/mirelka" | grep -q 'NEEDED.*libQt6WebEngine' &&
    fail "/opt/mirelka/mirelka links the web engine: $(readelf -d "$root/opt/mirelka/mirelka" | grep -o 'libQt6WebEngine[^]]*' | tr '\n' ' ')"
readelf -d "$root/opt/mirelka/mirelka-engine.so" | grep -q 'NEEDED.*libQt6WebEngineWidgets' ||
    fail "/opt/mirelka/mirelka-engine.so does not link the web engine"
[ -x "$root/opt/mirelka/mirelka" ] || fail "/opt/mirelka/mirelka is not executable"
expect_file "opt/mirelka/Справка.htm"
for n in $(seq 1 40); do expect_file "opt/mirelka/Data/$n.dat"; done
extra=$(find "$root/opt/mirelka/Data" -type f ! -name '[0-9]*.dat' | wc -l)
[ "$extra" -eq 0 ] || fail "Data holds $extra files besides the catalogue"
for cmd in mirelka mirelka-catalogue; do
    target=$(readlink "$root/usr/bin/$cmd")
    [ "$target" = "/opt/mirelka/$cmd" ] || fail "/usr/bin/$cmd links to '$target', not /opt/mirelka/$cmd"
done
expect_file usr/share/applications/mirelka.desktop
expect_file usr/share/metainfo/io.example.mirelka.metainfo.xml
expect_file usr/share/icons/hicolor/scalable/apps/mirelka.svg
for size in 48 64 128 256; do
    png=usr/share/icons/hicolor/${size}x${size}/apps/mirelka.png
    expect_file "$png"
    [ -f "$root/$png" ] && [ "$(identify -format '%wx%h' "$root/$png")" = "${size}x${size}" ] ||
        fail "$png is not ${size}x${size}"
done
expect_file usr/share/man/man1/mirelka.1.gz
expect_file usr/share/man/man1/mirelka-catalogue.1.gz
expect_file usr/share/doc/mirelka/copyright
expect_file usr/share/doc/mirelka/changelog.gz
# The window's icon is compiled into the program; it must be the same picture
# as the theme's.
differ=$(compare -metric AE -fuzz 2% "$here/../../src/resources/mirelka.png" \
             "$root/usr/share/icons/hicolor/256x256/apps/mirelka.png" null: 2>&1)
[ "$differ" = 0 ] || fail "the window's icon differs from the theme's 256 px icon in $differ pixels"
pass "layout checked"

# --- Menu entry, AppStream data, lintian. ----------------------------------------
out=$(desktop-file-validate "$root/usr/share/applications/mirelka.desktop" 2>&1) && [ -z "$out" ] &&
    pass "desktop-file-validate" || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/io.example.mirelka.metainfo.xml" 2>&1) &&
    pass "appstreamcli validate" || fail "appstreamcli validate: $out"
if lintian --fail-on error,warning --no-tag-display-limit "$deb" >"$scratch/lintian.log" 2>&1; then
    pass "lintian: no errors or warnings"
else
    fail "lintian:"; grep -v 'root privileges' "$scratch/lintian.log" | sed 's/^/    /'
fi

# --- The manual page and the tool's --help name the same commands. --------------
help_lines=$("$root/opt/mirelka/mirelka-catalogue" --help | sed -n 's/^  \([^ ].*\)$/\1/p')
man_lines=$(zcat "$root/usr/share/man/man1/mirelka-catalogue.1.gz" |
    sed -n '/^\.SH COMMANDS/,/^\.SH /p' | sed -n '/^\.TP/{n;p}' |
    sed -e 's/^\.[A-Z]* //' -e 's/"//g' -e 's/\\-/-/g' -e 's/  */ /g' -e 's/ *$//')
if [ -n "$help_lines" ] && [ "$help_lines" = "$man_lines" ]; then
    pass "manual page and --help agree: $(echo "$help_lines" | cut -d' ' -f1 | tr '\n' ' ')"
else
    fail "manual page and --help differ:"; diff <(echo "$help_lines") <(echo "$man_lines") | sed 's/^/    /'
fi

# --- The program, started through its link. --------------------------------------
shots=$build/package-test
mkdir -p "$shots"
if xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside-x "$root" "$shots"; then
    pass "program started through /usr/bin/mirelka"
else
    fail "program started through /usr/bin/mirelka"
fi

if [ "$failures" -eq 0 ]; then
    echo "PASS: the package installs the program as a desktop program"
    exit 0
fi
echo "FAILED: $failures check(s)"
exit 1
