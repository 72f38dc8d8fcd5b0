#!/usr/bin/env bash
# The same pictures on two independent Vulkan implementations: every entry as
# the contact sheet poses it and the show's frames at rows 62, 300, 700, 900,
# 1300 and 1650 (the composite's blur), drawn by the loader's own choice (the
# bundled lavapipe, or a GPU) and by SwiftShader, at preview scale 2 to keep
# SwiftShader quick.
# Tolerance, per picture: the mean absolute difference of a channel at most
# MEAN levels of 255, and at most SHARE of the pixels with a channel off by
# more than LEVEL levels. Rounding, fused multiply-adds and the precision of
# atan or exp stay inside it; a hash or an angle that depends on the driver
# does not. Skipped (exit 77) where SwiftShader is not installed.
# usage: cross_driver_test.sh DRIVER_PICTURES PICTURE_DIFFERENCE SWIFTSHADER_ICD
set -u
pictures=$1
difference=$2
swiftshader=$3
mean=1.0 level=16 share=0.01
rows="62 300 700 900 1300 1650"

if [ ! -r "$swiftshader" ]; then
    echo "SKIPPED: no SwiftShader at $swiftshader (tools/install-deps installs chromium-common)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir "$work/first" "$work/swiftshader"
env -u VK_ICD_FILENAMES -u VK_DRIVER_FILES "$pictures" "$work/first" 2 $rows 2>"$work/first.err" ||
    fail "the loader's driver did not draw: $(tail -3 "$work/first.err")"
VK_ICD_FILENAMES=$swiftshader "$pictures" "$work/swiftshader" 2 $rows 2>"$work/swiftshader.err" ||
    fail "SwiftShader did not draw: $(tail -3 "$work/swiftshader.err")"
# The programs name the driver they draw on.
grep -m1 'drawing on' "$work/first.err"
grep -m1 'drawing on' "$work/swiftshader.err"
grep -q SwiftShader "$work/swiftshader.err" || fail "VK_ICD_FILENAMES did not give SwiftShader"
grep -q SwiftShader "$work/first.err" && fail "both runs drew on SwiftShader"

count=0 outside=0
for a in "$work"/first/*.png; do
    name=$(basename "$a" .png)
    "$difference" "$a" "$work/swiftshader/$name.png" --level $level --within $mean $share >"$work/d" 2>&1
    status=$?
    read -r _ m _ s _ most < <(tail -1 "$work/d")
    printf '%-9s mean %6s  off by more than %d: %7s  largest %3s%s\n' "$name" "$m" $level "$s" "$most" \
        "$([ "$status" -ne 0 ] && echo '  OUTSIDE')"
    count=$((count + 1))
    [ "$status" -eq 0 ] || outside=$((outside + 1))
done
[ $count -eq $((37 + $(wc -w <<<"$rows"))) ] || fail "$count pictures were drawn, not one per entry and row"
[ $outside -eq 0 ] || fail "$outside of $count pictures differ beyond mean $mean or $share of pixels off by more than $level"
echo "cross-driver: $count pictures within the tolerance"
