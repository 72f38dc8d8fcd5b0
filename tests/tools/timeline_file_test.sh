#!/usr/bin/env bash
# swipemix-timeline with --timeline FILE: the CSV, --keys and the sync editor's
# project all come from the edited text, not from the built-in timeline.
# usage: timeline_file_test.sh TIMELINE_BINARY SOURCE_DIR
set -u
binary=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# The feed's target held at entry 6 from row 0 on (every key of it set to 6).
awk '/^track / { target = $2 == "feed:target" }
     target && $1 ~ /^[0-9]+$/ { $2 = 6; $3 = "step" }
     { print }' "$source/timeline/show.timeline" >held.timeline
grep -q '^0 6 step' held.timeline || fail "the test could not write its edited timeline"

"$binary" --timeline held.timeline --from 400 --to 402 >csv 2>err || fail "CSV: $(cat err)"
# Column 5 is the music track: entry 6's wherever the target holds.
[ "$(tail -n +2 csv | cut -d, -f5 | sort -u)" = 6 ] || fail "the CSV plays tracks $(tail -n +2 csv | cut -d, -f5 | sort -u | xargs)"
"$binary" --from 400 --to 402 | tail -n +2 | cut -d, -f5 | grep -qvx 6 || fail "the built-in timeline also plays entry 6"

"$binary" --timeline held.timeline --keys >keys 2>err || fail "--keys: $(cat err)"
awk '/^track / { target = $2 == "feed:target" } target && $1 ~ /^[0-9]+$/ && $2 != 6 { bad = 1 } END { exit bad }' keys ||
    fail "--keys did not print the edited keys: $(grep -A3 feed:target keys)"

"$binary" --timeline held.timeline --rocket held.rocket 2>err || fail "--rocket: $(cat err)"
"$binary" --rocket show.rocket 2>err || fail "--rocket of the built-in timeline: $(cat err)"
cmp -s held.rocket show.rocket && fail "--rocket wrote the built-in timeline, not the edited one"
grep -q 'value="6"' held.rocket || fail "the project holds no key of value 6"

# A key the build cannot store: the packer's message and exit 2, as in the capture.
sed 's/^0 6 step/0 3.01 step/' held.timeline >bad.timeline
"$binary" --timeline bad.timeline --keys >/dev/null 2>err
code=$?
[ $code -eq 2 ] && grep -q 'feed:target, row 0' err || fail "an unstorable key: exit $code, $(cat err)"
echo "timeline tool: CSV, keys and project of an edited timeline"
