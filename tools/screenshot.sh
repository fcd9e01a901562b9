#!/usr/bin/env bash
# Takes a picture of the program on a virtual 1280x720 screen.
#   tools/screenshot.sh OUT.png SECONDS [contest options]
# Runs build/contest (see ./setup.sh run) for SECONDS, then captures the
# screen with ImageMagick's import. ./setup.sh screenshot makes the README's.
set -euo pipefail
out=$(realpath -m "$1")
seconds=$2
shift 2
cd "$(dirname "$0")/../build"
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 ${SCREEN:-1280x720}x24" bash -c '
	./contest "$@" &
	sleep '"$seconds"'
	import -window root "'"$out"'"
	kill %1' contest "$@"
