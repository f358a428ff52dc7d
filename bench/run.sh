#!/bin/bash
# Builds the benchmarks, runs them all in one X server and prints the table of
# our figures against their anchors and targets.
#
#   bench/run.sh            (from anywhere; the logs stay in build/bench/logs)
#
# Nothing leaves the machine: the engine of the memory benchmark goes through
# that benchmark's own loopback server, and every other benchmark's engine
# goes through a proxy address on 127.0.0.1 where nothing listens, so the
# advertising strip's request is refused on the spot.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
logs="$build/bench/logs"

if [ "${MIRELKA_BENCH_INNER:-}" != 1 ]; then
    # The benchmarks are built only when asked for.
    (cd "$root" && cmake --preset default -DMIRELKA_BENCHMARKS=ON >/dev/null)
    cmake --build "$build" --parallel 2 --target mirelka mirelka-data \
        mirelka-engine bench_startup bare_widgets bench_pagedraw bench_search bench_memory bench_layout >/dev/null
    exec env MIRELKA_BENCH_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

mkdir -p "$logs"
cd "$build"

# A loopback port with nothing behind it, for the benchmarks that need no pages.
closed_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --disable-component-update --proxy-server=http://127.0.0.1:$closed_port"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

run() { # name, then the command; the output goes to the log
    local name=$1
    shift
    echo "running $name ..." >&2
    if ! "$@" >"$logs/$name.log" 2>"$logs/$name.err"; then
        echo "  $name failed, see $logs/$name.err" >&2
    fi
}

# The start-up and memory figures use the X server; the drawing, search and
# layout figures run offscreen at 96 dots per inch, as the tests do.
run startup bench/bench_startup 9
run memory bench/bench_memory
run afterpage "$root/bench/after_first_page.py" 5
run pagedraw env QT_QPA_PLATFORM=offscreen QT_FONT_DPI=96 bench/bench_pagedraw 100
run search env QT_QPA_PLATFORM=offscreen QT_FONT_DPI=96 bench/bench_search 31
run layout env QT_QPA_PLATFORM=offscreen QT_FONT_DPI=96 bench/bench_layout 2001

cat "$logs"/{startup,afterpage,memory,pagedraw,search,layout}.log | grep '^RESULT ' | awk '
{ v[$2] = $3 }
function row(figure, anchor, a, ours, unit, kind, target) {
    if (ours == "") { printf "| %s | %s | %s | %s | %s | %s | %s |\n", figure, anchor, a, "(failed)", "", target, "no"; return }
    if (kind == "ratio") {
        r = (a > 0) ? ours / a : 0
        met = (r <= target + 0) ? "yes" : "no"
        printf "| %s | %s | %s %s | %s %s | %.2f × | ≤ %s × | %s |\n", figure, anchor, a, unit, ours, unit, r, target, met
    } else {
        met = (ours + 0 <= target + 0) ? "yes" : "no"
        printf "| %s | %s | — | %s %s | %s %s | ≤ %s %s | %s |\n", figure, anchor, ours, unit, ours, unit, target, unit, met
    }
}
END {
    print "| figure | anchor | anchor value | ours | ratio or value | target | met |"
    print "|---|---|---|---|---|---|---|"
    row("process start → first full catalogue page on the X screen (medians)", "bare Qt Widgets program drawing the same page", v["startup_bare_ms"], v["startup_program_ms"], "ms", "ratio", "1.5")
    if (v["startup_ratio"] != "") printf "|   ratio within alternating pairs: median %s ×, range %s–%s × | | | | | ≤ 1.5 × | %s |\n", v["startup_ratio"], v["startup_ratio_min"], v["startup_ratio_max"], (v["startup_ratio"] + 0 <= 1.5 ? "yes" : "no")
    row("advertisement requested after start (median of 5)", "—", "", v["ad_request_ms"], "ms", "value", "300")
    row("longest stretch of the UI thread away from its event loop after the first page (under strace, median of 5)", "—", "", v["ui_busy_ms"], "ms", "value", "100")
    row("drawing the fullest section at 779 px", "QTextLayout laying out and drawing the same page into an image of its size", v["textlayout_draw_779_ms"], v["pagedraw_779_ms"], "ms", "ratio", "1")
    row("drawing the fullest section at 300 px", "QTextLayout laying out and drawing the same page into an image of its size", v["textlayout_draw_300_ms"], v["pagedraw_300_ms"], "ms", "ratio", "1")
    row("a repeated search over 4,000 entries (5 keys)", "bare QString::contains() loop over the same lower-cased strings", v["search_loop_us"], v["search_repeated_us"], "µs", "ratio", "1.5")
    row("memory at idle after start (PSS, all processes)", "bare program, one QWebEngineView, one page", v["idle_bare_mb"], v["idle_program_mb"], "MB", "ratio", "1.2")
    row("memory for each further cartoon tab, opened by clicks (average of 10)", "—", "", v["tab_mb"], "MB", "value", "10")
    row("one window layout with 30 tabs open (real hidden web views)", "—", "", v["layout_ms"], "ms", "value", "1")
}'
echo
echo "Details: $logs/*.log"
