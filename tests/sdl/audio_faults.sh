#!/usr/bin/env bash
# The SDL program when the sound fails it: SDL has no audio driver at all
# (a driver name that does not exist), and a device that fails to open (SDL's
# disk driver told to write where nothing can be written). The game goes on
# in silence, as the wave player's open errors are silence, plays a short
# round to its end with exit code 0, and says once why nothing is heard.
#
# Usage: audio_faults.sh PROGRAM OUT_DIR
# Needs what smoke.sh needs (Xvfb, xdotool, ImageMagick); exits 77 (skipped)
# without them.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/arguments.sh"
take_arguments OUT_DIR "$@"
need_tools Xvfb xdotool convert
. "$here/../lib/checks.sh" "$out"

play_silent_game no-driver "No sound output, playing silently" SDL_AUDIODRIVER=no-such-driver
play_silent_game device-fails "Sound device cannot be opened, playing silently" SDL_AUDIODRIVER=disk \
    SDL_DISKAUDIOFILE=/nonexistent/directory/sound.raw

finish audio_faults
