# What the tests that drive the real reader on a virtual X display share. A test sources this
# with its own arguments, NARRATA and MAKE_FIXTURE_PDF: the test then runs again under
# xvfb-run, with settings, word mappings and files in a folder of its own, and starts the
# reader with start_reader. Keys and clicks come from xdotool, as X11 delivers them.
if [ -z "${NARRATA_ON_VIRTUAL_DISPLAY:-}" ]; then
    NARRATA_ON_VIRTUAL_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
set -euo pipefail
narrata="$1"
make_fixture="$2"
work="$(mktemp -d)"
out="$work/narrata.out"
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Narrata" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# Starts the reader with these arguments; it reports what it reads and shows into $out.
start_reader() {
    "$narrata" --report-reading "$@" >"$out" 2>"$work/narrata.err" &
    pid=$!
}
# Waits for a line matching PATTERN among those reported after line FROM (0: all of them).
wait_after() { # FROM PATTERN SECONDS
    for _ in $(seq 1 $(($3 * 10))); do
        tail -n +"$(($1 + 1))" "$out" | grep -q "$2" && return 0
        kill -0 "$pid" 2>/dev/null || { echo "narrata exited early:"; cat "$work/narrata.err"; return 1; }
        sleep 0.1
    done
    echo "timed out waiting for: $2"; cat "$out"; cat "$work/narrata.err"; return 1
}
wait_for() { wait_after 0 "$@"; }
lines_so_far() { wc -l <"$out"; }
within() { # SECONDS COMMAND...: true once the command succeeds
    local tries=$(($1 * 10)); shift
    for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
# Where the word of --report-word-position stands on the screen: "X Y".
word_position() {
    wait_for '^word at ' 20 >/dev/null
    sed -n 's/^word at \([0-9-]*\) \([0-9-]*\)$/\1 \2/p' "$out" | head -n1
}
