#!/usr/bin/env bash
# Packs in the real reader on a virtual X display: with appending on, PDFs handed over by
# later launches join the one shown, the pack is saved into its own file as it grows and the
# view jumps to each newcomer; the outline menu, driven by real keys, jumps back to the first
# PDF, and closing the pack shows the user guide.
# Usage: pack_in_window.sh NARRATA MAKE_FIXTURE_PDF
set -euo pipefail
narrata="$1"
make_fixture="$2"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Narrata" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[General]\nuserPreferenceShouldAppendPDFs=true\n' >"$XDG_CONFIG_HOME/Narrata/Narrata.conf"
unset QT_QPA_PLATFORM
"$make_fixture" "$work/book.pdf" --kind book
"$make_fixture" "$work/article.pdf" --kind two-column

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
work="$1"
narrata="$2"
out="$work/narrata.out"
"$narrata" --report-reading "$work/book.pdf" >"$out" 2>"$work/narrata.err" &
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

wait_for '^showing book\.pdf$' 20
timeout 20 "$narrata" "$work/article.pdf" >/dev/null 2>&1
wait_for '^at page 7$' 20
timeout 20 "$narrata" "$work/book.pdf" >/dev/null 2>&1
wait_for '^at page 8$' 20
wait_for '^showing PDF Pack [0-9]\{8\}-[0-9]\{6\}\.pdf$' 20
saved="$(sed -n 's/^showing \(PDF Pack [0-9-]*\.pdf\)$/\1/p' "$out" | tail -n1)"
pack="$work/data/Narrata/Autosaved PDF Packs/$saved"
[ "$(grep -c "^showing $saved\$" "$out")" -eq 2 ] || { echo "the second append did not save into the same file"; exit 1; }
[ "$(head -c 5 "$pack")" = "%PDF-" ] || { echo "no pack file at $pack"; exit 1; }
echo "three PDFs made one pack, saved as $saved, and the view went to each newcomer"

window="$(xdotool search --onlyvisible --name "^$saved" | head -n1)"
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool key --window "$window" ctrl+shift+o
sleep 0.5
lines="$(wc -l <"$out")"
xdotool key Down Return
for _ in $(seq 1 100); do tail -n +"$((lines + 1))" "$out" | grep -q '^at page 1$' && break; sleep 0.1; done
tail -n +"$((lines + 1))" "$out" | grep -q '^at page 1$' || { echo "the outline menu did not jump"; cat "$out"; exit 1; }
echo "the outline menu went back to the first PDF"

guide='^showing Narrata User Guide\.pdf$'
before="$(grep -c "$guide" "$out")"
xdotool key ctrl+w
for _ in $(seq 1 100); do [ "$(grep -c "$guide" "$out")" -gt "$before" ] && break; sleep 0.1; done
[ "$(grep -c "$guide" "$out")" -gt "$before" ] || { echo "closing the pack did not show the guide"; exit 1; }
echo "closing the pack showed the user guide"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$work" "$narrata"
