#!/usr/bin/env bash
# ManualPages.sh BUILD_DIR
# Each program's manual page, as man shows it, holds every option its --help
# lists, as an entry of its own, and every line of the help's prose and of
# the options' text.
set -euo pipefail
build=$1
command -v man > /dev/null || {
	echo "skipped: man is missing (./setup.sh deps installs it with lintian)"
	exit 77
}
status=0
for program in contest tools/contest-server; do
	name=$(basename "$program")
	help=$(ASAN_OPTIONS=detect_leaks=0 "$build/$program" --help)
	page=$(MANWIDTH=1000 man -l "$build/packaging/$name.6.gz" 2> /dev/null)
	# An option's words end at a gap of two spaces or at its text's first
	# word; man sets them at the entry's start.
	while read -r option; do
		if ! grep -qE "^       $(sed 's/[][|.*+?(){}^$\\]/\\&/g' <<< "$option")( |$)" <<< "$page"; then
			echo "$name.6: no entry for '$option'"
			status=1
		fi
	done < <(awk '/^  [^ ]/ { sub(/^  /, ""); sub(/  .*/, ""); n = split($0, w, " "); o = w[1];
		for (i = 2; i <= n && w[i] !~ /^[a-z]/; i++) o = o " " w[i]; print o }' <<< "$help")
	flat=$(tr -s ' \n' ' ' <<< "$page")
	while read -r line; do
		if [[ $flat != *"$(tr -s ' ' <<< "$line")"* ]]; then
			echo "$name.6: the help's line '$line' is not in the page"
			status=1
		fi
	done < <(awk '/^[^ ]/ && !/^usage/ { print }
		/^   +[^ []/ { sub(/^ +/, ""); print }
		/^  [^ ]/ { text = substr($0, 3); gap = index(text, "  ");
			if (gap > 0) { text = substr(text, gap); sub(/^ +/, "", text); print text } }' <<< "$help")
done
exit $status
