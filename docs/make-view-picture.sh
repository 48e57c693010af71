#!/usr/bin/env bash
# Remakes docs/view.png, the README's picture of `talkdata view`: the page
# of the four sample editions, screenshot by the headless browser
# (Debian: chromium-headless-shell, and fonts-noto-cjk for the Japanese).
# Prints the page's size, the time to write it and the time to open it.
#   docs/make-view-picture.sh [TALKDATA [MAKE_SAMPLES]]
# (defaults: the release build's programs; build them first).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
talkdata=$(realpath "${1:-build/release/tools/talkdata/talkdata}")
make_samples=$(realpath "${2:-build/release/samples/make_samples}")
browser=$(command -v chromium-headless-shell) || {
  echo "make-view-picture: chromium-headless-shell is not installed" >&2
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$make_samples" . >/dev/null)

milliseconds() { echo $(($(date +%s%N) / 1000000)); }
start=$(milliseconds)
(cd "$work" && "$talkdata" view dos velktown.dsk velk-towne.d88 velk-britannia.xdf > page.html)
written=$(milliseconds)
"$browser" --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile1" \
  --dump-dom "file://$work/page.html" > /dev/null 2>&1
opened=$(milliseconds)
"$browser" --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile2" \
  --hide-scrollbars --window-size=1400,1000 --screenshot="$PWD/docs/view.png" \
  "file://$work/page.html" > /dev/null 2>&1
echo "page: $(wc -c < "$work/page.html") bytes, written in $((written - start)) ms," \
  "opened in $((opened - written)) ms (the browser's start included)"
echo "picture: docs/view.png, $(wc -c < docs/view.png) bytes"
