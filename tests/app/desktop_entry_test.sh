#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a Linux desktop reads there: the
# desktop entry passes desktop-file-validate, and its icon is in the hicolor theme at the sizes
# launchers, docks and menus ask for, each PNG of the size its folder names, and as SVG.
#   desktop_entry_test.sh <cmake> <build dir>
set -euo pipefail
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
status=0
fail() {
    echo "$*" >&2
    status=1
}

entry="$prefix/share/applications/zembrola.desktop"
if ! command -v desktop-file-validate >/dev/null; then
    fail "desktop-file-validate is missing (Debian package desktop-file-utils)"
elif ! desktop-file-validate "$entry"; then
    fail "$entry does not validate"
fi

icon=$(sed -n 's/^Icon=//p' "$entry")
theme="$prefix/share/icons/hicolor"
for size in 16 32 48 64 128 256; do
    png="$theme/${size}x${size}/apps/$icon.png"
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon: $png"
        continue
    fi
    # A PNG's width and height are the big-endian words at bytes 16 and 20 (its IHDR chunk).
    read -r -a bytes < <(od -An -tu1 -j16 -N8 "$png")
    width=$(( (bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3] ))
    height=$(( (bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7] ))
    [ "$width" -eq "$size" ] && [ "$height" -eq "$size" ] ||
        fail "$png is ${width}x${height}, not ${size}x${size}"
done
svg="$theme/scalable/apps/$icon.svg"
[ -f "$svg" ] && grep -q '<svg' "$svg" || fail "no scalable icon: $svg"
exit "$status"
