#!/usr/bin/env bash
# swipemix-capture --bench --compare DIR: the shape of its table and its
# refusals; not its timings, which depend on the machine's load. At preview
# scale 4, so the 37 entries are drawn in a few seconds.
# usage: capture_compare_test.sh CAPTURE_BINARY END_SCREEN_HLSL
set -u
capture=$1
end_screen=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# One changed effect: the end screen, the same picture in a text of its own.
mkdir "$work/one"
cp "$end_screen" "$work/one/e36.hlsl"
"$capture" --bench --preview 4 --compare "$work/one" >"$work/out" 2>"$work/err" || fail "compare failed: $(cat "$work/err")"
head -1 "$work/out" | grep -q 'new/old' || fail "no column of ratios in the heading: $(head -1 "$work/out")"
[ "$(wc -l <"$work/out")" -eq 39 ] || fail "not a heading, 37 entries and the means: $(cat "$work/out")"
# Entries whose text is the same are timed once and say so; the changed one has both times and their ratio.
[ "$(grep -c '^ *[0-9]\+ \+[0-9.]\+ \+[0-9.]\+ \+same \+same$' "$work/out")" -eq 36 ] || fail "unchanged entries: $(cat "$work/out")"
grep -q '^ *36 \+[0-9.]\+ \+[0-9.]\+ \+[0-9]\+\.[0-9]\{3\} \+[0-9]\+\.[0-9]\{3\}$' "$work/out" ||
    fail "entry 36: $(grep '^ *36 ' "$work/out")"
grep -q '^mean \+[0-9.]\+ \+[0-9.]\+ \+[0-9]\+\.[0-9]\{3\}$' "$work/out" || fail "means: $(tail -1 "$work/out")"
# The first ratio printed is the new wall time over the old.
awk '$1 == 36 { r = $3 / $2; exit !(r > $4 - 0.01 && r < $4 + 0.01) }' "$work/out" || fail "entry 36's ratio: $(grep '^ *36 ' "$work/out")"

# --entry narrows the table to that entry, without a mean; before or after --bench alike.
for args in "--bench --entry 36" "--entry 36 --bench"; do
    "$capture" $args --preview 4 --compare "$work/one" >"$work/out" 2>"$work/err" || fail "$args: $(cat "$work/err")"
    [ "$(wc -l <"$work/out")" -eq 2 ] && grep -q '^ *36 ' "$work/out" || fail "$args: $(cat "$work/out")"
done

# A changed text that does not compile stops the run before any timing, naming the file.
mkdir "$work/broken"
echo 'void ya(out float4 colour, float2 position) { colour = nothing; }' >"$work/broken/e05.hlsl"
"$capture" --bench --preview 4 --compare "$work/broken" >"$work/out" 2>"$work/err" && fail "a broken effect passed"
grep -q 'e05.hlsl' "$work/err" || fail "the broken effect is not named: $(cat "$work/err")"
[ ! -s "$work/out" ] || fail "a table was printed for a broken folder: $(cat "$work/out")"

# A file that is there but cannot be read is not stood in for by the built-in text.
mkdir -p "$work/unreadable/e07.hlsl"
"$capture" --bench --preview 4 --compare "$work/unreadable" >"$work/out" 2>"$work/err" && fail "an unreadable effect passed"
grep -q 'e07.hlsl' "$work/err" || fail "the unreadable effect is not named: $(cat "$work/err")"
echo "capture compare: ok"
