#!/usr/bin/env bash
# Marks and links in the real reader on a virtual X display: H and U mark the sentences read
# and the marks are in the file after quitting; Ctrl+Alt+click copies a link to the place, as
# Markdown once the link popover says so; and the link handed to a second launch brings the
# view back to its page.
# Usage: marks_and_links_in_window.sh NARRATA MAKE_FIXTURE_PDF
set -euo pipefail
narrata="$1"
make_fixture="$2"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
"$make_fixture" "$work/book.pdf" --kind book

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
work="$1"
narrata="$2"
out="$work/narrata.out"
"$narrata" --report-reading --report-word-position Margaret "$work/book.pdf" >"$out" 2>"$work/narrata.err" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# Waits for a line matching PATTERN among those written after line FROM.
wait_after() { # FROM PATTERN SECONDS
    for _ in $(seq 1 $(($3 * 10))); do
        tail -n +"$(($1 + 1))" "$out" | grep -q "$2" && return 0
        kill -0 "$pid" 2>/dev/null || { echo "narrata exited early:"; cat "$work/narrata.err"; return 1; }
        sleep 0.1
    done
    echo "timed out waiting for: $2"; cat "$out"; return 1
}

wait_after 0 '^word at ' 20
read -r x y < <(sed -n 's/^word at \([0-9-]*\) \([0-9-]*\)$/\1 \2/p' "$out" | head -n1)
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool click --repeat 2 --delay 60 1
wait_after 0 '^reading p\.1: Margaret Ellis' 20
xdotool key s h period u
sleep 1

xdotool key ctrl+shift+l
sleep 0.5
xdotool type book1
xdotool key Tab space Escape
sleep 0.3
xdotool mousemove "$x" "$y" keydown ctrl keydown alt click 1 keyup alt keyup ctrl
link=""
for _ in $(seq 1 50); do
    link="$(xclip -o -selection clipboard 2>/dev/null || true)"
    [ -n "$link" ] && break
    sleep 0.1
done
case "$link" in
    "[book1/1](orvik://book1/1/@loc/"*"x/"*"y/)") echo "Ctrl+Alt+click copied $link" ;;
    *) echo "the clipboard holds '$link', not a link to page 1"; exit 1 ;;
esac

lines="$(wc -l <"$out")"
xdotool key End
wait_after "$lines" '^at page 6$' 10
lines="$(wc -l <"$out")"
url="${link#*(}"
timeout 20 "$narrata" "${url%)}" >/dev/null 2>&1
wait_after "$lines" '^at page 1$' 10
echo "the link handed to a second launch went back to page 1"

xdotool key ctrl+q
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$work" "$narrata"
highlights="$(grep -ac '/Highlight' "$work/book.pdf" || true)"
underlines="$(grep -ac '/Underline' "$work/book.pdf" || true)"
[ "$highlights" -ge 1 ] && [ "$underlines" -ge 1 ] || { echo "the file holds $highlights highlights and $underlines underlines"; exit 1; }
echo "the highlight and the underline are in the saved file"
