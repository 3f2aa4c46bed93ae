#!/usr/bin/env bash
# Screenshots of the desktop program under a virtual X display: the title
# picture centred over the text at start, the text alone once the picture is
# hidden, and the enlarged view while the right mouse button is held.
#
# Usage: pictures.sh PROGRAM SHOT_DIR
# Needs Xvfb, xdotool and ImageMagick. Not part of the test suite.
set -u
. "$(dirname "$0")/arguments.sh"
take_arguments SHOT_DIR "$@"
shots=$out
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
shot() { import -window root "$shots/$1.png" 2>/dev/null || fail "no screenshot $1"; }

# The colour of a pixel of a screenshot, as "r,g,b".
pixel() { convert "$shots/$1.png" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

. "$(dirname "$0")/display.sh"

start_display
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
start_program "$shots/galdrino.log"
wait_window 10
sleep 0.7
shot 01-title
# The title picture's background colour at the centre of the screen.
centre=$(pixel 01-title 512 360)
[ "$centre" = "10,20,70" ] || fail "no title picture at the centre at start (found $centre)"

sleep 5
shot 02-text
centre=$(pixel 02-text 512 360)
[ "$centre" != "10,20,70" ] || fail "the title picture is still shown"

# Hold the right button over the top-left text: the view is enlarged.
xdotool mousemove --window "$window" 40 10 mousedown 3
sleep 0.5
shot 03-magnified
xdotool mouseup 3
cmp -s "$shots/02-text.png" "$shots/03-magnified.png" && fail "the magnifier changed nothing"
difference=$(compare -metric AE "$shots/02-text.png" "$shots/03-magnified.png" null: 2>&1)
[ "${difference%%.*}" -gt 1000 ] || fail "the magnified view hardly differs ($difference pixels)"
echo "PASS: title picture, text, magnified view; screenshots in $shots"
