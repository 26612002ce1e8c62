#!/usr/bin/env bash
# narrata-cli as a user meets it: real output on a generated book, and one clear line with
# exit status 2 for every kind of bad input.
set -u
cli="$1"
make_pdf="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Settings, progress and word mappings go to the test's own folders, never the user's.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
failures=0
passed=0

check() { # description, condition...
  local description="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $description" >&2; failures=$((failures + 1)); fi
}

expect_refusal() { # description, expected words in the message, arguments...
  local description="$1" words="$2"; shift 2
  local err status
  err=$("$cli" "$@" 2>&1 >/dev/null); status=$?
  check "$description: exit status 2 (got $status)" test "$status" -eq 2
  check "$description: one line on stderr (got: $err)" test "$(printf '%s\n' "$err" | wc -l)" -eq 1
  case "$err" in *"$words"*) passed=$((passed + 1)) ;; *) echo "FAIL: $description: '$err' lacks '$words'" >&2; failures=$((failures + 1)) ;; esac
}

"$make_pdf" "$work/book.pdf" --kind book
"$make_pdf" "$work/locked.pdf" --kind encrypted
printf 'not a pdf\n' > "$work/plain.pdf"
head -c 300 "$work/book.pdf" > "$work/cut.pdf"

out=$("$cli" sentences "$work/book.pdf" --page 2)
check "sentences exits 0" test $? -eq 0
check "sentences print page numbers from 1" grep -q '^p\.2 \[0, ' <<<"$out"
check "the running head comes first, apart from the body" grep -qx 'p\.2 \[11, 10\] Beginnings' <<<"$out"
check "the page number is the last sentence" test "$(tail -1 <<<"$out" | sed 's/.*\] //')" = "2"

json=$("$cli" sentences "$work/book.pdf" --page 2 --from 30 --json)
check "--json gives records with the three keys" grep -q '"pageIndex": 1' <<<"$json"
check "--from starts at the sentence holding the index" test "$(grep -c '"sentence"' <<<"$json")" -eq "$(($(wc -l <<<"$out") - 2))"

text=$("$cli" text "$work/book.pdf" --page 3 --fonts)
check "text shows paragraphs with their ranges" grep -q '^\[0, 19\] A Short Sample Book$' <<<"$text"
check "text --fonts shows font runs" grep -q '^    \[0, 19\] Times-Italic' <<<"$text"

# Reading: every body sentence of the pages asked for, in order, and no head, foot or number.
read=$("$cli" read "$work/book.pdf" --page 2 --to-page 4 --dry-run 2>&1)
check "read --dry-run exits 0" test $? -eq 0
spoken=$(grep '^p\.' <<<"$read")
check "read starts on the page asked for" test "$(head -1 <<<"$spoken" | cut -d: -f1)" = "p.2"
check "read stops after the last page asked for" test "$(tail -1 <<<"$spoken" | cut -d: -f1)" = "p.4"
check "no running head is read" bash -c '! grep -qE "^p\.[0-9]+: (Chapter 1\.|Beginnings|A Short Sample Book)$" <<<"$0"' "$spoken"
check "no page number is read" bash -c '! grep -qE "^p\.[0-9]+: [0-9]+$" <<<"$0"' "$spoken"
check "hyphenated words reach the synthesizer joined" grep -q '→ .*example' <<<"$read"
check "a sentence that runs over a page break is read from both pages" grep -q '^p\.3: ' <<<"$spoken"
analysis=$("$cli" analyze "$work/book.pdf" --page 2)
check "analyze lists a page number under each rule that finds it" grep -qzP \
  'count the pages:\n    \[\d+, 1\] 2\nlone page numbers at the top or bottom:\n    \[\d+, 1\] 2\n' <<<"$analysis"
ignored=$("$cli" read "$work/book.pdf" --page 2 --to-page 2 --dry-run --ignore-font "Times-Roman 14.0 pt" | grep -c '^p\.')
check "a font ignored for this run is not read" test "$ignored" -eq 0
ordered=$("$cli" read "$work/book.pdf" --page 2 --to-page 2 --dry-run --visual-order --skip-weird-bounds | grep '^p\.')
check "visual order keeps a plain page's order" test "$ordered" = "$(grep '^p\.2:' <<<"$spoken")"
# Speaking into a WAV file records progress; the mappings file is edited and heard at once.
mappings=$("$cli" mappings)
check "the word mappings file is created where it says" test -f "$mappings"
voices=$("$cli" voices)
check "the voice menu lists English voices with their region, the chosen one marked" grep -qE "^\* English .*\((GB|US)\)	" <<<"$voices"
printf 'river:\nstream\n' >>"$mappings"
mapped=$("$cli" read "$work/book.pdf" --page 2 --to-page 2 --dry-run)
check "a mapped word reaches the synthesizer replaced" grep -q '→ .*the stream past the mill' <<<"$mapped"
"$cli" read "$work/book.pdf" --page 2 --to-page 2 --wav "$work/page2.wav" >/dev/null 2>"$work/stats.txt"
check "the WAV file holds speech" test "$(stat -c %s "$work/page2.wav")" -gt 100000
check "reading ends with the session's statistics" grep -q 'min for [0-9]* words' "$work/stats.txt"
# Synthesis outruns speech many times over: the minutes are those the recording plays.
said=$(grep -o '^[0-9.]* min' "$work/stats.txt")
played=$(( ($(stat -c %s "$work/page2.wav") - 44) / $(od -An -tu4 -j28 -N4 "$work/page2.wav") ))
check "with a WAV file the minutes are the recording's" \
  awk -v said="${said% min}" -v played="$played" 'BEGIN { exit !((said * 60 - played)^2 < 4) }'
progress=$("$cli" progress "$work/book.pdf")
check "progress gives back the last sentence heard" grep -q '^most recent: p\.2 ' <<<"$progress"
check "progress gives back the furthest sentence heard" grep -q '^furthest: p\.2 ' <<<"$progress"
# Two readers at once, each on its own PDF, share the settings file: neither loses the other's
# progress.
cp "$work/book.pdf" "$work/other.pdf"
for round in 1 2 3; do
  "$cli" read "$work/book.pdf" --wav "$work/a.wav" >/dev/null 2>&1 &
  "$cli" read "$work/other.pdf" --wav "$work/b.wav" >/dev/null 2>&1 &
  wait
done
check "two readers at once keep the first one's progress" grep -q '^most recent: p\.' <("$cli" progress "$work/book.pdf")
check "two readers at once keep the second one's progress" grep -q '^most recent: p\.' <("$cli" progress "$work/other.pdf")
# A page whose object is missing is passed over, and reading goes on after it.
LC_ALL=C sed -E 's|(/Kids ?\[([0-9]+ 0 R ?){2})[0-9]+ 0 R|\199 0 R|' "$work/book.pdf" >"$work/hole.pdf"
hole=$("$cli" read "$work/hole.pdf" --dry-run 2>/dev/null | grep -o '^p\.[0-9]*' | uniq | tr '\n' ' ')
check "a page that cannot be loaded is passed over (read: $hole)" test "$hole" = "p.1 p.2 p.4 p.5 p.6 "
# A page tree that claims far more pages than it has: read to its real end, then one line.
LC_ALL=C sed 's|/Count 6|/Count 2147483647|' "$work/book.pdf" >"$work/lying.pdf"
lying_err=$("$cli" read "$work/lying.pdf" --dry-run 2>&1 >/dev/null); lying_status=$?
check "a lying page count reads the real pages and exits 1 (got $lying_status)" test "$lying_status" -eq 1
check "a lying page count says where reading stopped" grep -q 'page 7 could not be read' <<<"$lying_err"
expect_refusal "a last page before the first" "--to-page" read "$work/book.pdf" --page 3 --to-page 2 --dry-run
expect_refusal "a voice that does not exist" "no voice" read "$work/book.pdf" --voice klingon-xx --wav "$work/out.wav"
# Nothing is overwritten by a run that is refused, and the PDF being read never is.
printf 'my notes\n' >"$work/notes.txt"
expect_refusal "a bad voice with a WAV file named" "no voice" read "$work/book.pdf" --voice klingon-xx --wav "$work/notes.txt"
check "a refused run leaves the file it named as it was" test "$(cat "$work/notes.txt")" = "my notes"
cp "$work/book.pdf" "$work/self.pdf"
expect_refusal "a WAV file that is the PDF itself" "would replace the PDF" read "$work/self.pdf" --wav "$work/./self.pdf"
check "the PDF named as the WAV file is left whole" cmp -s "$work/book.pdf" "$work/self.pdf"
"$cli" read "$work/book.pdf" --wav "$work/stopped.wav" >/dev/null 2>&1 &
reader=$!; sleep 0.3; kill -INT "$reader"; wait "$reader"
check "Ctrl-C leaves the WAV file recorded so far under its name" test "$(stat -c %s "$work/stopped.wav")" -gt 44
cp "$work/book.pdf" "$work/--odd name.pdf"
check "a file named like an option is read after --" grep -q '^p\.1 \[' <(cd "$work" && "$cli" sentences -- "--odd name.pdf")
latin1="$work/$(printf 'caf\351.pdf')" # a file name that is not UTF-8
cp "$work/book.pdf" "$latin1"
check "a file name that is not UTF-8 is read" grep -q '^p\.1 \[' <("$cli" sentences "$latin1")
check "no temporary WAV file is left behind" test -z "$(find "$work" -name '.*.wav.*')"

# Packs: the files joined with a table of contents; nothing written when one is refused.
"$make_pdf" "$work/article.pdf" --kind two-column
out=$("$cli" pack "$work/pack.pdf" "$work/book.pdf" "$work/article.pdf" "$work/book.pdf")
check "pack says what it made (got: $out)" test "$out" = "$work/pack.pdf: 3 PDFs, 13 pages"
check "the article's page follows the book's six" grep -q "Listening to the Printed" <("$cli" text "$work/pack.pdf" --page 7)
check "the second book starts on page 8" grep -q "Every story has to begin" <("$cli" text "$work/pack.pdf" --page 8)
cp "$work/pack.pdf" "$work/before.pdf"
err=$("$cli" pack "$work/pack.pdf" "$work/book.pdf" "$work/locked.pdf" "$work/missing.pdf" 2>&1 >/dev/null)
check "a refused input gives exit status 2" test $? -eq 2
check "each refused input has its line (got: $err)" test "$(grep -c 'locked.pdf\|missing.pdf' <<<"$err")" -eq 2
check "a refused pack leaves the earlier one as it was" cmp -s "$work/pack.pdf" "$work/before.pdf"
expect_refusal "a pack named like one of its inputs" "is also an input" pack "$work/book.pdf" "$work/book.pdf"

# Audiobooks: one file chaptered after the outline, its WAV the very samples of read --wav; an
# interrupted export leaves nothing behind.
"$cli" export "$work/pack.pdf" "$work/pack.opus" --page 6 --to-page 8 >/dev/null 2>&1
info=$(opusinfo "$work/pack.opus" 2>&1)
check "the Opus audiobook's chapters follow the pack's contents (got: $info)" \
  test "$(grep -c '^[[:space:]]*CHAPTER00[1-3]NAME=' <<<"$info")" -eq 3
check "the Opus audiobook plays" grep -q 'Playback length: [0-9]*m:[0-9]' <<<"$info"
"$cli" export "$work/book.pdf" "$work/page2.flac" --page 2 --to-page 2 >/dev/null 2>&1
check "a FLAC audiobook has its cue sheet" grep -q 'INDEX 01 00:00:00' "$work/page2.cue"
"$cli" export "$work/book.pdf" "$work/exported.wav" --page 2 --to-page 2 >/dev/null 2>&1
samples=$(($(stat -c %s "$work/page2.wav") - 44))
check "the exported WAV holds the samples of read --wav" \
  cmp -s <(tail -c "$samples" "$work/exported.wav") <(tail -c "$samples" "$work/page2.wav")
"$cli" export "$work/book.pdf" "$work/flite.wav" --page 2 --to-page 2 --voice flite:slt >/dev/null 2>&1
check "flite's voice speaks the page for over 2 seconds" test "$(stat -c %s "$work/flite.wav")" -gt 88244
check "flite's voice is not espeak-ng's" bash -c '! cmp -s "$1" "$2"' - "$work/flite.wav" "$work/exported.wav"
# The speech daemon plays its voices itself: asked for, one is refused; stored, the default records.
expect_refusal "a daemon voice for a recording" "hands back no audio" \
  export "$work/book.pdf" "$work/daemon.wav" --voice "speechd:espeak-ng:English (America)"
settings="$XDG_CONFIG_HOME/Narrata/Narrata.conf"
cp "$settings" "$work/settings.saved"
sed -i 's/^\[General\]$/&\nkNarrataTTSVoiceSelected=speechd:espeak-ng:English (America)/' "$settings"
said=$("$cli" export "$work/book.pdf" "$work/stored.wav" --page 2 --to-page 2 2>&1 >/dev/null)
check "a stored daemon voice gives way to the default voice, saying so (got: $said)" \
  bash -c 'grep -q "recording with the default voice" <<<"$1" && cmp -s "$2" "$3"' - "$said" "$work/stored.wav" "$work/exported.wav"
cp "$work/settings.saved" "$settings"
"$cli" export "$work/pack.pdf" "$work/stopped.opus" >/dev/null 2>&1 &
exporter=$!; sleep 0.5; kill -INT "$exporter"; wait "$exporter"
check "an interrupted export leaves no file" test -z "$(find "$work" -name '*stopped.opus*')"
expect_refusal "an audiobook of an unknown format" ".opus, .flac, .mp3 or .wav" export "$work/book.pdf" "$work/book.ogg"

expect_refusal "a missing file" "no such file" sentences "$work/missing.pdf"
expect_refusal "a file that is not a PDF" "not a readable PDF" text "$work/plain.pdf" --page 1
expect_refusal "a cut-off PDF" "not a readable PDF" sentences "$work/cut.pdf"
expect_refusal "a locked PDF" "locked" sentences "$work/locked.pdf"
expect_refusal "a page out of range" "no page 7" sentences "$work/book.pdf" --page 7
expect_refusal "a page that is no number" "--page" text "$work/book.pdf" --page two
expect_refusal "an unknown option" "unknown option" sentences "$work/book.pdf" --pages 2
expect_refusal "an unknown command" "unknown command" speak "$work/book.pdf"

echo "$passed passed, $failures failed"
test "$failures" -eq 0
