#!/usr/bin/env bash
# RecordAgain.sh REPLAYBOT GOLDEN_DIR OUT_DIR NAME [RELEASE_DIR]
# Records session NAME again with REPLAYBOT and compares the file with the
# golden one (all but the program version line, in the present format's
# terms); with RELEASE_DIR, that build's contest must also play the new
# recording to its digests.
set -euo pipefail
bot=$1 golden=$2 out=$3 name=$4 release=${5:-}
mkdir -p "$out"
"$bot" "$out" "$name"
# A file of format 1 names in its end line the last frame that ran; later
# formats name the frame that would have come next.
normalise() {
	awk 'NR == 1 { version = $2; next } /^program / { next } version == 1 && $2 == "end" { $1 = $1 + 1 } { print }' "$1"
}
if ! diff <(normalise "$golden/$name.replay") <(normalise "$out/$name.replay") > "$out/$name.diff"; then
	echo "$name: recorded again, the session differs from the golden one (first lines of $out/$name.diff):"
	head -5 "$out/$name.diff"
	exit 1
fi
if [[ -n $release ]]; then
	cd "$release"
	env -u DISPLAY ./contest --replay "$out/$name.replay" --check
fi
