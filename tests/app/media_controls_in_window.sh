#!/usr/bin/env bash
# The reader among the desktop's media players, on a session bus of its own and a virtual X
# display: playerctl pauses and resumes a reading started by a double-click, names the sentence
# being read, walks to the next sentence and stops.
# Usage: media_controls_in_window.sh NARRATA MAKE_FIXTURE_PDF
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${NARRATA_ON_OWN_BUS:-}" ]; then
    NARRATA_ON_OWN_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/window-session.sh" "$@"
"$make_fixture" "$work/book.pdf" --kind book
player() { playerctl -p narrata "$@" 2>/dev/null; }
status_is() { [ "$(player status)" = "$1" ]; }

start_reader --report-word-position Margaret "$work/book.pdf"
read -r x y <<<"$(word_position)"
within 10 status_is Stopped || { echo "narrata is not among the media players: $(playerctl -l 2>&1)"; exit 1; }
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool click --repeat 2 --delay 60 1
wait_for '^reading p\.1: Margaret Ellis' 20
within 5 status_is Playing || { echo "the status is $(player status), not Playing"; exit 1; }
reading="$(sed -n 's/^reading p\.[0-9]*: //p' "$out" | tail -n1)"
[ "$(player metadata title)" = "$reading" ] || { echo "the title is '$(player metadata title)', not '$reading'"; exit 1; }
[ "$(player metadata album)" = "book.pdf" ] || { echo "the album is '$(player metadata album)'"; exit 1; }
echo "playerctl sees the reading of book.pdf and its sentence"

from="$(lines_so_far)"
player play-pause
wait_after "$from" '^paused$' 10
within 5 status_is Paused || { echo "the status is $(player status), not Paused"; exit 1; }
from="$(lines_so_far)"
player play-pause
wait_after "$from" '^resumed$' 10
within 5 status_is Playing
echo "play-pause paused and resumed the reading"

player stop
within 5 status_is Stopped || { echo "the status is $(player status), not Stopped"; exit 1; }
from="$(lines_so_far)"
player next
wait_after "$from" '^reading p\.1: ' 10
echo "stop stopped the reading, and next read one sentence on"
