#!/usr/bin/env bash
# Marks and links in the real reader on a virtual X display: H and U mark the sentences read
# and the marks are in the file after quitting; Ctrl+Alt+click copies a link to the place, as
# Markdown once the link popover says so; and the link handed to a second launch brings the
# view back to its page.
# Usage: marks_and_links_in_window.sh NARRATA MAKE_FIXTURE_PDF
source "$(dirname "$0")/window-session.sh" "$@"
"$make_fixture" "$work/book.pdf" --kind book

start_reader --report-word-position Margaret "$work/book.pdf"
read -r x y <<<"$(word_position)"
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool click --repeat 2 --delay 60 1
wait_for '^reading p\.1: Margaret Ellis' 20
xdotool key s h period u
sleep 1

xdotool key ctrl+shift+l
sleep 0.5
xdotool type book1
xdotool key Tab space Escape
sleep 0.3
xdotool mousemove "$x" "$y" keydown ctrl keydown alt click 1 keyup alt keyup ctrl
copied() { link="$(xclip -o -selection clipboard 2>/dev/null)" && [ -n "$link" ]; }
within 5 copied || true
case "${link:-}" in
    "[book1/1](orvik://book1/1/@loc/"*"x/"*"y/)") echo "Ctrl+Alt+click copied $link" ;;
    *) echo "the clipboard holds '${link:-}', not a link to page 1"; exit 1 ;;
esac

from="$(lines_so_far)"
xdotool key End
wait_after "$from" '^at page 6$' 10
from="$(lines_so_far)"
url="${link#*(}"
timeout 20 "$narrata" "${url%)}" >/dev/null 2>&1
wait_after "$from" '^at page 1$' 10
echo "the link handed to a second launch went back to page 1"

xdotool key ctrl+q
gone() { ! kill -0 "$pid" 2>/dev/null; }
within 10 gone
marks="$(grep -ac '/Highlight\|/Underline' "$work/book.pdf" || true)"
[ "$marks" -ge 2 ] || { echo "the saved file holds $marks marks, not a highlight and an underline"; exit 1; }
echo "the highlight and the underline are in the saved file"
