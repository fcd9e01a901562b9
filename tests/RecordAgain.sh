#!/usr/bin/env bash
# RecordAgain.sh REPLAYBOT GOLDEN_DIR OUT_DIR NAME [RELEASE_DIR]
# Records session NAME again with REPLAYBOT and compares the file with the
# golden one (all but the program version line); with RELEASE_DIR, that
# build's contest must also play the new recording to its digests.
set -euo pipefail
bot=$1 golden=$2 out=$3 name=$4 release=${5:-}
mkdir -p "$out"
"$bot" "$out" "$name"
if ! diff <(grep -v '^program ' "$golden/$name.replay") <(grep -v '^program ' "$out/$name.replay") > "$out/$name.diff"; then
	echo "$name: recorded again, the session differs from the golden one (first lines of $out/$name.diff):"
	head -5 "$out/$name.diff"
	exit 1
fi
if [[ -n $release ]]; then
	cd "$release"
	./contest --replay "$out/$name.replay" --fast
fi
