#!/usr/bin/env bash
# The real reader on a virtual X display: it opens a book, the real mouse double-clicks a word,
# and reading starts at the beginning of that word's sentence; real keys pause, resume and reset
# the statistics, and with Shift or Ctrl do not; a second launch hands over a missing and a
# damaged file, whose alerts are answered with Return, and then a good one.
# Usage: app_end_to_end.sh NARRATA MAKE_FIXTURE_PDF
set -euo pipefail
narrata="$1"
make_fixture="$2"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Settings, word mappings and the extracted guide stay in the test's own folders.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
"$make_fixture" "$work/book.pdf" --kind book
"$make_fixture" "$work/article.pdf" --kind two-column

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
work="$1"
narrata="$2"
out="$work/narrata.out"
"$narrata" --report-reading --report-word-position Margaret "$work/book.pdf" >"$out" 2>"$work/narrata.err" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

wait_for() { # PATTERN SECONDS
    for _ in $(seq 1 $(($2 * 10))); do
        grep -q "$1" "$out" && return 0
        kill -0 "$pid" 2>/dev/null || { echo "narrata exited early:"; cat "$work/narrata.err"; return 1; }
        sleep 0.1
    done
    echo "timed out waiting for: $1"; cat "$out"; cat "$work/narrata.err"; return 1
}
within() { # SECONDS COMMAND...: true once the command succeeds
    local tries=$(($1 * 10)); shift
    for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
alert_shown() { [ -n "$(xdotool search --onlyvisible --name '^Narrata$' 2>/dev/null | head -n1)" ]; }
alert_gone() { ! alert_shown; }

wait_for '^word at ' 20
read -r x y < <(sed -n 's/^word at \([0-9-]*\) \([0-9-]*\)$/\1 \2/p' "$out" | head -n1)
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool click --repeat 2 --delay 60 1
wait_for '^reading p\.1: Margaret Ellis had worked in the library for almost thirty years\.' 20
echo "reading started: $(grep '^reading' "$out" | head -n1)"

# Keys as X11 delivers them: the release of Shift+P carries "p".
count() { grep -c "^$1\$" "$out" || true; }
xdotool key p
wait_for '^paused$' 10
xdotool key shift+p
sleep 0.5
[ "$(count resumed)" -eq 0 ] || { echo "Shift+P resumed the reading"; exit 1; }
xdotool key p
wait_for '^resumed$' 10
resets="$(count 'session reset')" # launch starts a session too
xdotool key ctrl+0 shift+0
sleep 0.5
[ "$(count 'session reset')" -eq "$resets" ] || { echo "Ctrl+0 or Shift+0 reset the statistics"; exit 1; }
xdotool key 0
reset_seen() { [ "$(count 'session reset')" -gt "$resets" ]; }
within 10 reset_seen || { echo "0 did not reset the statistics"; exit 1; }
echo "P pauses and resumes, 0 resets; Shift+P, Shift+0 and Ctrl+0 do neither"

# A file that cannot be opened, handed over: the alert is answered with a real key press, and
# the reader goes on with its document.
printf '%%PDF-1.7\nnot really' >"$work/damaged.pdf"
for bad in "$work/missing.pdf" "$work/damaged.pdf"; do
    timeout 20 "$narrata" "$bad" >/dev/null 2>&1
    within 10 alert_shown || { echo "no alert for $bad"; exit 1; }
    alert="$(xdotool search --onlyvisible --name '^Narrata$' | head -n1)"
    xdotool mousemove --window "$alert" 20 20 key Return
    within 10 alert_gone || true
    kill -0 "$pid" 2>/dev/null || { echo "narrata ended after the alert for $bad"; cat "$work/narrata.err"; exit 1; }
done
before="$(grep -c '^reading p\.1: Margaret Ellis' "$out")"
xdotool mousemove "$x" "$y" click --repeat 2 --delay 60 1
read_again() { [ "$(grep -c '^reading p\.1: Margaret Ellis' "$out")" -gt "$before" ]; }
within 20 read_again || { echo "no reading after the alerts"; exit 1; }
echo "alerts for a missing and a damaged file were answered, and reading went on"

timeout 20 "$narrata" "$work/article.pdf" >/dev/null 2>&1
wait_for '^showing article\.pdf$' 20
echo "the second launch handed over article.pdf"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$work" "$narrata"
