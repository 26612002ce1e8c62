#!/usr/bin/env bash
# Packs in the real reader on a virtual X display: with appending on, PDFs handed over by
# later launches join the one shown, the pack is saved into its own file as it grows and the
# view jumps to each newcomer; the outline menu, driven by real keys, jumps back to the first
# PDF, and closing the pack shows the user guide.
# Usage: pack_in_window.sh NARRATA MAKE_FIXTURE_PDF
source "$(dirname "$0")/window-session.sh" "$@"
printf '[General]\nuserPreferenceShouldAppendPDFs=true\n' >"$XDG_CONFIG_HOME/Narrata/Narrata.conf"
"$make_fixture" "$work/book.pdf" --kind book
"$make_fixture" "$work/article.pdf" --kind two-column

start_reader "$work/book.pdf"
wait_for '^showing book\.pdf$' 20
timeout 20 "$narrata" "$work/article.pdf" >/dev/null 2>&1
wait_for '^at page 7$' 20
timeout 20 "$narrata" "$work/book.pdf" >/dev/null 2>&1
wait_for '^at page 8$' 20
wait_for '^showing PDF Pack [0-9]\{8\}-[0-9]\{6\}\.pdf$' 20
saved="$(sed -n 's/^showing \(PDF Pack [0-9-]*\.pdf\)$/\1/p' "$out" | tail -n1)"
[ "$(grep -c "^showing $saved\$" "$out")" -eq 2 ] || { echo "the second append did not save into the same file"; exit 1; }
[ "$(head -c 5 "$work/data/Narrata/Autosaved PDF Packs/$saved")" = "%PDF-" ] || { echo "no pack file"; exit 1; }
echo "three PDFs made one pack, saved as $saved, and the view went to each newcomer"

xdotool windowactivate --sync "$(xdotool search --onlyvisible --name "^$saved" | head -n1)" >/dev/null 2>&1 || true
xdotool key ctrl+shift+o
sleep 0.5
from="$(lines_so_far)"
xdotool key Down Return
wait_after "$from" '^at page 1$' 10
echo "the outline menu went back to the first PDF"

from="$(lines_so_far)"
xdotool key ctrl+w
wait_after "$from" '^showing Narrata User Guide\.pdf$' 10
echo "closing the pack showed the user guide"
