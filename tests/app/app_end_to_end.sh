#!/usr/bin/env bash
# The real reader on a virtual X display: it opens a book, the real mouse double-clicks a word,
# and reading starts at the beginning of that word's sentence; real keys pause, resume and reset
# the statistics, and with Shift or Ctrl do not; a second launch hands over a missing and a
# damaged file, whose alerts are answered with Return, and then a good one.
# Usage: app_end_to_end.sh NARRATA MAKE_FIXTURE_PDF
source "$(dirname "$0")/window-session.sh" "$@"
"$make_fixture" "$work/book.pdf" --kind book
"$make_fixture" "$work/article.pdf" --kind two-column

start_reader --report-word-position Margaret "$work/book.pdf"
alert_shown() { [ -n "$(xdotool search --onlyvisible --name '^Narrata$' 2>/dev/null | head -n1)" ]; }
alert_gone() { ! alert_shown; }

read -r x y <<<"$(word_position)"
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
