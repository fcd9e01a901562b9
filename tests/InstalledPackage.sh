#!/usr/bin/env bash
# InstalledPackage.sh BUILD_DIR REPLAY_DIR
# Makes the .deb of BUILD_DIR (a build for the prefix /usr), installs it
# with apt-get as a player would, and from a folder without data plays a
# golden session with the installed program: it must find the installed
# data and come out at every recorded digest; when there is a display, the
# game runs a few seconds in a window and loads every file. lintian must find no error in the
# package, and the desktop entry, the AppStream metainfo and the
# coordinator's systemd unit must validate.
# The package is removed at the end, however the test ends. Exit status 77
# (skipped, with the reason) where packages cannot be installed.
set -euo pipefail
build=$1 replays=$2
window_seconds=4
skip() {
	echo "skipped: $*"
	exit 77
}
[[ $(id -u) -eq 0 ]] || skip "installing a package needs root"
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[[ $prefix == /usr ]] || skip "$build is built for the prefix $prefix, not /usr (./setup.sh package makes one)"
if dpkg-query -W -f='${Status}' contest 2>/dev/null | grep -q "install ok installed"; then
	skip "a contest package is installed already, and this test would remove it"
fi
for tool in cpack dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
	command -v "$tool" > /dev/null || skip "$tool is missing (./setup.sh deps installs it)"
done

scratch=$(mktemp -d /tmp/contest-package-XXXXXX)
cleanup() {
	DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq contest > /dev/null 2>&1 || true
	rm -rf "$scratch"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$scratch/out" > "$scratch/cpack.log" 2>&1) || {
	cat "$scratch/cpack.log"
	exit 1
}
deb=$(ls "$scratch"/out/contest_*.deb)
cd "$scratch"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > apt.log 2>&1 || {
	cat apt.log
	exit 1
}
mkdir empty
cd empty

# The game's data must come from the installed folder: no line about data
# not found or a file that did not load.
data_lines() {
	grep -E "no game data|cannot load" "$1" || true
}
env -u CONTEST_DATA -u DISPLAY /usr/games/contest --replay "$replays/won-wave.replay" --check > ../check.out 2> ../check.err || {
	echo "the installed program did not replay won-wave to its digests:"
	cat ../check.out ../check.err
	exit 1
}
[[ -z $(data_lines ../check.err) ]] || {
	echo "the installed program did not find its data:"
	cat ../check.err
	exit 1
}
# Drawn, the game loads every picture and sound in its first frames.
if [[ -n ${DISPLAY:-} ]]; then
	status=0
	env -u CONTEST_DATA timeout "$window_seconds" /usr/games/contest > ../window.out 2> ../window.err || status=$?
	[[ $status -eq 124 ]] || {
		echo "the installed game did not run for $window_seconds s in a window (status $status):"
		cat ../window.err
		exit 1
	}
	[[ -z $(data_lines ../window.err) ]] || {
		echo "the installed game, drawing, did not load all of its data:"
		cat ../window.err
		exit 1
	}
fi
cd ..

lintian --fail-on error "$deb" > lintian.log 2>&1 || {
	echo "lintian found errors in the package:"
	cat lintian.log
	exit 1
}
desktop-file-validate /usr/share/applications/contest.desktop
appstreamcli validate --no-net /usr/share/metainfo/contest.metainfo.xml > appstream.log || {
	cat appstream.log
	exit 1
}
man -w contest contest-server > /dev/null
# The coordinator's unit where Debian 12's units are, and sound.
if command -v systemd-analyze > /dev/null; then
	systemd-analyze verify --man=no /lib/systemd/system/contest-server.service
else
	[[ -f /lib/systemd/system/contest-server.service ]]
fi
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; lintian: $(grep -c '^[WE]:' lintian.log || true) warnings"
