#!/usr/bin/env bash
# Starts the program as scripts/run does (its seeded settings folder, "/none") on an X server,
# waits, bounded, until the spectrum window draws a live trace, keeps a screenshot of the
# screen as an artefact and checks that no question box came up.
# Arguments: the source tree, the build folder, the artefact file.
set -euo pipefail
root=$1
build=$2
artefact=$3
work=${HARLUNE_TEST_DIR:-$(mktemp -d)}
mkdir -p "$(dirname "$artefact")"

export QT_QPA_PLATFORM=xcb
BUILD_DIR=$build HARLUNE_RUN_NO_BUILD=1 HARLUNE_RUN_SETTINGS=$work/run-settings \
    "$root/scripts/run" >"$work/run.log" 2>&1 &
program=$!
trap 'kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true' EXIT

# The first channel's trace is drawn in pure red; the count of its pixels on the screen.
red_pixels() {
    convert "$1" -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
        -format '%[fx:round(mean*w*h)]' info:
}

# The top-level windows that are on the screen.
shown_windows() {
    xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' | while read -r id; do
        if xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
            echo "$id"
        fi
    done
}

shot=$work/shot.png
previous=$work/previous.png
live=0
for _ in $(seq 1 120); do
    if ! kill -0 "$program" 2>/dev/null; then
        echo "the program ended early:" >&2
        cat "$work/run.log" >&2
        exit 1
    fi
    if import -window root "$shot" 2>/dev/null && [ "$(red_pixels "$shot")" -gt 500 ]; then
        # Live: the trace's noise changes from one picture to the next.
        if [ -f "$previous" ] &&
            [ "$(compare -metric AE "$previous" "$shot" null: 2>&1 || true)" != 0 ]; then
            live=1
            break
        fi
        cp "$shot" "$previous"
    fi
    sleep 0.25
done
if [ "$live" != 1 ]; then
    echo "no live trace was drawn" >&2
    cat "$work/run.log" >&2
    exit 1
fi
cp "$shot" "$artefact"
echo "screenshot: $artefact"

windows=$(shown_windows | wc -l)
if [ "$windows" != 1 ]; then
    echo "expected the main window alone on the screen, found $windows windows:" >&2
    xwininfo -root -children >&2
    exit 1
fi
