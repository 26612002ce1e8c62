#!/usr/bin/env bash
# The clipboard converter in the real reader on a virtual X display: HTML copied by another
# program becomes a page of the pack at the rapid command's shortcut, its image fitted, and the
# copied sentence is read aloud from that page.
# Usage: clipboard_in_window.sh NARRATA MAKE_FIXTURE_PDF
source "$(dirname "$0")/window-session.sh" "$@"
printf '[General]\nuserPreferenceShouldAppendPDFs=true\n' >"$XDG_CONFIG_HOME/Narrata/Narrata.conf"
"$make_fixture" "$work/book.pdf" --kind book
start_reader "$work/book.pdf"
wait_for '^showing book\.pdf$' 20

pixel='iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=='
printf '<p>The lighthouse keeper counted seven ships at dawn.</p><p><img src="data:image/png;base64,%s" width="40" height="20"></p><p>Her brother trimmed the lamp.</p>' \
    "$pixel" | xclip -selection clipboard -t text/html
main_window() { xdotool search --onlyvisible --name '\.pdf' | head -n1; }
xdotool windowactivate --sync "$(main_window)" >/dev/null 2>&1 || true
from="$(lines_so_far)"
xdotool key ctrl+shift+v
wait_after "$from" '^at page 7$' 20
echo "the copied HTML became page 7 of the pack"

sleep 0.5
xdotool windowactivate --sync "$(main_window)" >/dev/null 2>&1 || true
from="$(lines_so_far)"
xdotool key ctrl+Return
wait_after "$from" '^reading p\.7: The lighthouse keeper counted seven ships at dawn\.$' 20
wait_after "$from" '^reading p\.7: Her brother trimmed the lamp\.$' 20
echo "the copied sentences were read from the new page"
