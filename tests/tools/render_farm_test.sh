#!/usr/bin/env bash
# The farm on two local workers: a part that fails once is tried again; a run
# stopped with Ctrl-C keeps its finished parts and writes no video; the next
# run renders only the part that was missing, joins, and the video holds every
# frame and the sound. The Slurm script run by hand renders the part its task
# names.
# usage: render_farm_test.sh REPO CAPTURE_BINARY
set -u
repo=$1 capture=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" && ln -s "$repo/Music" Music
command -v parallel >/dev/null || fail "GNU parallel is not installed (tools/install-deps installs it)"

# The capture, noting each step it is asked for; part 2 fails on its first
# try, and part 3 waits for ever while the file `hang` is there.
cat >capture <<WRAP
#!/usr/bin/env bash
what=\$1
for ((i = 1; i < \$#; ++i)); do [ "\${!i}" = --part ] && j=\$((i + 1)) && what=\${!j}; done
echo "\$what" >>"$work/asked"
[ "\$what" = 2/3 ] && [ ! -e "$work/failed" ] && touch "$work/failed" && exit 1
[ "\$what" = 3/3 ] && [ -e "$work/hang" ] && touch "$work/hanging" && exec sleep 600
exec "$capture" "\$@"
WRAP
chmod +x capture
export SWIPEMIX_CAPTURE=$work/capture
range=(--from 120 --to 144 --fps 10 --width 64 --column)

touch hang
setsid "$repo/tools/render-farm" --workers 2 --parts 3 "${range[@]}" -o show.mp4 >out 2>err &
farm=$!
for ((i = 0; i < 600; ++i)); do
    [ -e hanging ] && [ -e show.mp4.parts/part-1-of-3.mp4 ] && [ -e show.mp4.parts/part-2-of-3.mp4 ] && break
    kill -0 $farm 2>/dev/null || fail "the farm ended before the stop: $(cat err)"
    sleep 0.5
done
[ -e hanging ] || fail "part 3 never started: $(cat err)"
kill -INT -- -$farm
wait $farm && fail "a stopped farm reported success"
[ ! -e show.mp4 ] || fail "a stopped farm wrote the video"
[ "$(grep -c 2/3 asked)" = 2 ] || fail "part 2 was not tried again: $(cat asked)"
[ ! -e show.mp4.parts/part-3-of-3.mp4 ] || fail "the stopped part was kept as finished"

rm hang asked
"$repo/tools/render-farm" --workers 2 --parts 3 "${range[@]}" -o show.mp4 >out 2>err || fail "rerun: $(cat err)"
[ "$(cat asked | tr '\n' ' ')" = "3/3 --join " ] || fail "the rerun ran $(cat asked | tr '\n' ' ')instead of part 3 and the join"
grep -q '2 of 3 parts there, 1 to render' err || fail "the rerun did not say what was there: $(cat err)"
streams=$(ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames -of csv=p=0 show.mp4)
[ "$(echo $streams | sed 's/audio,[0-9]*/audio/')" = "video,30 audio" ] || fail "streams: $streams"

# Parts of another render in the folder are not mixed in.
"$repo/tools/render-farm" --workers 2 --parts 2 "${range[@]}" -o show.mp4 --force >out 2>err && fail "mixed renders"
grep -q 'holds 3 parts of' err || fail "other render's parts: $(cat err)"

# The task of a Slurm job array renders its part alone, where the farm looks for it.
rm asked
(cd "$repo" && SLURM_ARRAY_TASK_ID=2 SLURM_ARRAY_TASK_COUNT=2 tools/render-farm.sbatch "${range[@]}" -o "$work/slurm.mp4") \
    >out 2>err || fail "slurm task: $(cat err)"
[ "$(cat asked)" = 2/2 ] || fail "the slurm task ran $(cat asked | tr '\n' ' ')"
[ -s slurm.mp4.parts/part-2-of-2.mp4 ] || fail "the slurm task left $(ls slurm.mp4.parts)"
