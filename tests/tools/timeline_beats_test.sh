#!/usr/bin/env bash
# swipemix-timeline --beats on the fixture timeline and music of the test's
# own: every beat of the grids kept beside the music, placed where the track
# is heard (each switch restarts a track at the row of the frame that chose
# it), comes out once, in order, and nothing else does.
# usage: timeline_beats_test.sh TIMELINE_BINARY SOURCE_DIR
set -u
binary=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
timeline=$source/tests/fixtures/fixture.timeline

# Music files that are not MP3 at all, each with a grid kept under its key:
# entry k beats at 60 + 7k a minute from 0.05k s on, three to the bar where
# k is odd, four where even.
mkdir music
python3 - "$source/music/track_paths.cpp" <<'PY' || fail "the test could not write its music"
import re, sys
names = re.findall(r'"Music/([^"]+)\.mp3"', open(sys.argv[1]).read())
assert len(names) == 37
for k, name in enumerate(names):
    data = f"not an mp3 {k}".encode()
    open(f"music/{name}.mp3", "wb").write(data)
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xffffffffffffffff
    tempo, start = 60 + 7 * k, 0.05 * k
    beats = [start + i * 60 / tempo for i in range(int((30 - start) * tempo / 60))]
    with open(f"music/{name}.beats", "w") as f:
        f.write(f"swipemix-beats 1\nkey {h:016x}\nsource test\ntempo {tempo}\nbar {3 if k % 2 else 4}\n"
                f"beats {len(beats)}\n" + "".join(f"{t:.6f}\n" for t in beats))
PY

"$binary" --timeline "$timeline" --beats --music music --fps 60 >beats 2>err || fail "--beats: $(cat err)"
[ -s err ] && fail "--beats said: $(cat err)"
"$binary" --timeline "$timeline" --fps 60 >frames || fail "the frames CSV"
"$binary" --timeline "$timeline" --beats --music music --fps 60 --from 300 --to 420 >part || fail "--beats --from --to"

python3 - <<'PY' || exit 1
import csv, glob
def grid(k):
    path = sorted(glob.glob("music/*.beats"))[k]
    lines = open(path).read().split("\n")
    return int(lines[4].split()[1]), [float(t) for t in lines[6:-1]]
beats = list(csv.reader(open("beats")))
assert beats[0] == ["row", "track", "beat_in_bar"], f"header {beats[0]}"
frames = list(csv.DictReader(open("frames")))
# What the show hears: the track of each frame, restarted where it changes.
expected, playing, since = [], None, 0.0
for i, f in enumerate(frames):
    row, track = float(f["rows"]), int(f["track"])
    if track != playing:
        playing, since = track, row
    end = float(frames[i + 1]["rows"]) if i + 1 < len(frames) else 1712
    if 0 <= track < 37:
        bar, times = grid(track)
        expected += [(since + t * 8, track, b % bar + 1) for b, t in enumerate(times) if row <= since + t * 8 < end]
got = [(float(r), int(t), int(b)) for r, t, b in beats[1:]]
assert len(got) == len(expected), f"{len(got)} beats, {len(expected)} expected"
for g, e in zip(got, expected):
    assert abs(g[0] - e[0]) < 1e-6 and g[1:] == e[1:], f"{g} where {e} was expected"
assert all(a[0] <= b[0] for a, b in zip(got, got[1:])), "beats out of order"
assert len({t for _, t, _ in got}) >= 6, "too few tracks heard to tell"
part = [(float(r), int(t), int(b)) for r, t, b in list(csv.reader(open("part")))[1:]]
inside = [g for g in got if 300 <= g[0] < 420]
assert len(part) == len(inside) > 0 and all(p[1:] == g[1:] and abs(p[0] - g[0]) < 1e-6 for p, g in zip(part, inside)), \
    f"--from 300 --to 420 gave {len(part)} beats of the {len(inside)} there"
print(f"{len(got)} beats of {len({t for _, t, _ in got})} tracks, in order")
PY

# A file whose grid was kept under other bytes is analysed again: this one is
# no MP3, so it has no beats, and its grid file says so.
printf 'changed' >> music/01-first-light.mp3
"$binary" --timeline "$timeline" --beats --music music --fps 60 --to 28 >changed 2>err || fail "--beats after a change"
[ "$(tail -n +2 changed | cut -d, -f2 | sort -u)" = "" ] || fail "the changed track 0 kept its old beats: $(head -3 changed)"
grep -q '^beats 0$' music/01-first-light.beats || fail "the changed track's grid was not kept again"
echo "timeline --beats: every beat heard, in order"
