#!/usr/bin/env bash
# narrata-cli pack: one PDF with a table of contents from several, and nothing written when
# any input is refused.
set -u
cli="$1"
make_pdf="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
failures=0

check() { # description, condition...
  local description="$1"; shift
  "$@" || { echo "FAIL: $description" >&2; failures=$((failures + 1)); }
}

"$make_pdf" "$work/book.pdf" --kind book
"$make_pdf" "$work/article.pdf" --kind two-column
"$make_pdf" "$work/locked.pdf" --kind encrypted

out=$("$cli" pack "$work/pack.pdf" "$work/book.pdf" "$work/article.pdf" "$work/book.pdf")
check "pack exits 0" test $? -eq 0
check "pack says what it made (got: $out)" test "$out" = "$work/pack.pdf: 3 PDFs, 13 pages"
# The pack is read back as a PDF with its own sentences on the joined pages.
check "the article's page follows the book's six" \
  grep -q "Listening to the Printed Page" <<<"$("$cli" text "$work/pack.pdf" --page 7)"
check "the second book starts on page 8" grep -q "Every story has to begin" <<<"$("$cli" text "$work/pack.pdf" --page 8)"

cp "$work/pack.pdf" "$work/before.pdf"
err=$("$cli" pack "$work/pack.pdf" "$work/book.pdf" "$work/locked.pdf" "$work/missing.pdf" 2>&1 >/dev/null)
status=$?
check "a refused input gives exit status 2 (got $status)" test "$status" -eq 2
check "each refused input has its line (got: $err)" test "$(grep -c 'locked.pdf\|missing.pdf' <<<"$err")" -eq 2
check "the earlier pack is left as it was" cmp -s "$work/pack.pdf" "$work/before.pdf"
check "no temporary file is left behind" test "$(ls "$work" | grep -c pack)" -eq 1

"$cli" pack "$work/book.pdf" "$work/book.pdf" "$work/article.pdf" 2>/dev/null
check "an input is never the output (got $?)" test $? -eq 2

[ "$failures" -eq 0 ] && echo "pack end to end: all passed"
exit "$failures"
