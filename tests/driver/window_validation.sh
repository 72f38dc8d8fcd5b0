#!/usr/bin/env bash
# The window path under the validation layer (synchronisation validation and
# best practices on) on one Vulkan driver: the show plays a few seconds, the
# studio plays, is hidden and shrunk to a pixel and comes back, and the
# device is chosen by SWIPEMIX_DEVICE. No error and no warning may be
# reported (performance hints aside). Exit 77 (skipped) where the driver is
# not installed.
# usage: window_validation.sh lavapipe|swiftshader SHOW STUDIO MUSIC_DIR
set -u
driver=$1 show=$2 studio=$3 music=$4
. "$(dirname "$0")/../x_session.sh"

case $driver in
swiftshader)
    icd=/usr/lib/chromium/vk_swiftshader_icd.json
    [ -r "$icd" ] || { echo "SKIP: SwiftShader is not installed ($icd; apt-get install chromium-common)"; exit 77; }
    export VK_ICD_FILENAMES=$icd
    name=SwiftShader ;;
lavapipe) name=llvmpipe ;;
*) fail "unknown driver $driver" ;;
esac

cat >"$work/vk_layer_settings.txt" <<SETTINGS
khronos_validation.enables = VK_VALIDATION_FEATURE_ENABLE_SYNCHRONIZATION_VALIDATION_EXT,VK_VALIDATION_FEATURE_ENABLE_BEST_PRACTICES_EXT
khronos_validation.report_flags = error,warn,perf
khronos_validation.debug_action = VK_DBG_LAYER_ACTION_LOG_MSG
khronos_validation.log_filename = $work/validation.txt
khronos_validation.duplicate_message_limit = 3
SETTINGS
export VK_LAYER_SETTINGS_PATH=$work VK_INSTANCE_LAYERS=VK_LAYER_KHRONOS_validation

# The devices listed, the one drawn on marked; a name that matches none is refused in one line.
"$show" --list-devices >"$work/devices" 2>"$work/stderr" || fail "--list-devices failed"
grep -q "$name.*<- chosen" "$work/devices" || fail "no $name device marked as chosen: $(cat "$work/devices")"
SWIPEMIX_DEVICE=0 "$show" --list-devices | grep -q '^0: .*<- chosen' || fail "SWIPEMIX_DEVICE=0 does not choose device 0"
start_x
SWIPEMIX_DEVICE=no-such-device "$show" 2>"$work/stderr" &
pid=$!
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
wait $pid
[ $? -eq 1 ] && grep -q 'SWIPEMIX_DEVICE=no-such-device: no device' "$work/stderr" || fail "an unknown device was not refused"

# The show, on the device named, until its column lights, then a few seconds more.
SWIPEMIX_DEVICE=$name "$show" 2>"$work/stderr" &
pid=$!
find_window
black=$(shot)
changed_from "$black" 180 >/dev/null || fail "the show drew nothing"
echo "the show draws"
sleep 3
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
# A CPU driver under the layer takes seconds for a frame at full size.
quit_with_escape 60

# The studio, drawing on the device named, hidden and shrunk, then back, then
# with its display and a shot.
cd "$work" && ln -s "$music" Music
SWIPEMIX_DEVICE=$name "$studio" --row 400 --preview 4 2>"$work/stderr" &
pid=$!
studio_window
grep -q "drawing on .*$name" "$work/stderr" || fail "the studio does not say it draws on $name"
echo "the studio draws on $name"
drawn=$(shot)
xdotool windowminimize "$wid" 2>/dev/null
xdotool windowunmap --sync "$wid"
xdotool windowmap --sync "$wid"
xdotool windowsize --sync "$wid" 1 1
sleep 2
kill -0 $pid 2>/dev/null || fail "the studio ended while shrunk"
xdotool windowsize --sync "$wid" 1280 720
xdotool windowunmap --sync "$wid"
sleep 2
kill -0 $pid 2>/dev/null || fail "the studio ended while hidden"
hidden=$(shot)
xdotool windowmap --sync "$wid"
changed_from "$hidden" 60 >/dev/null || fail "the studio drew nothing once shown again"
echo "the studio draws again after being hidden and shrunk"
# The display's text panels and a shot (the back buffer read mid-frame) go through the device too.
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
xdotool key Tab
xdotool key F12
for _ in $(seq 300); do ls "$work"/swipemix-row*.png >/dev/null 2>&1 && break; sleep 0.1; done
ls "$work"/swipemix-row*.png >/dev/null 2>&1 || fail "no shot"
quit_with_escape 30

# Performance hints aside, every message counts.
[ -e "$work/validation.txt" ] || touch "$work/validation.txt"
errors=$(grep -c 'Validation Error' "$work/validation.txt")
warnings=$(grep 'Validation Warning' "$work/validation.txt" | grep -vc 'Validation Performance Warning')
hints=$(grep -c 'Validation Performance Warning' "$work/validation.txt")
echo "validation on $driver: $errors errors, $warnings warnings ($hints performance hints)"
grep -E 'Validation (Error|Warning)' "$work/validation.txt" | sort | uniq -c | sort -rn | head -20
[ "$errors" -eq 0 ] && [ "$warnings" -eq 0 ] || fail "the validation layer reported problems"
echo "window validation on $driver: ok"
