#!/usr/bin/env bash
# Installs what is missing, builds, and runs the game or the tests.
#   ./setup.sh run [contest options]   build and start the game (full screen)
#   ./setup.sh test                    build with sanitizers (and release) and run every test
#   ./setup.sh package                 build the release build and its .deb, and print the .deb's path
#   ./setup.sh deps                    only install the Debian packages
#   ./setup.sh screenshot              remake docs/panel.png
set -euo pipefail
cd "$(dirname "$0")"

packages=(
	cmake g++ pkg-config make
	libbox2d-dev freeglut3-dev libgl-dev libglu1-mesa-dev libx11-dev libxtst-dev
	libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev
	libpng-dev libmp3lame-dev
	libimgui-dev libenet-dev libsodium-dev
	libgtest-dev xvfb xauth iproute2 iptables
	dpkg-dev lintian desktop-file-utils appstream
)

install_packages() {
	local missing=()
	for package in "${packages[@]}" "$@"; do
		if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
			missing+=("$package")
		fi
	done
	[ ${#missing[@]} -eq 0 ] && return 0
	local sudo=()
	[ "$(id -u)" -ne 0 ] && sudo=(sudo)
	echo "Installing: ${missing[*]}"
	"${sudo[@]}" apt-get update -qq
	DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The release build is made for the prefix /usr, where its .deb installs it.
release=(-DCMAKE_BUILD_TYPE=Release -DCONTEST_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr)

build() {
	local dir=$1
	shift
	cmake -S . -B "$dir" "$@" >/dev/null
	cmake --build "$dir" -j "$(nproc)"
}

command=${1:-run}
[ $# -gt 0 ] && shift
case "$command" in
deps)
	install_packages
	;;
run)
	install_packages
	build build "${release[@]}"
	cd build
	exec ./contest "$@"
	;;
test)
	install_packages
	# The release build too: recorded sessions must replay the same in both.
	build build "${release[@]}"
	build build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCONTEST_SANITIZE=ON -DCONTEST_RELEASE_DIR="$PWD/build"
	export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
	export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
	runner=(ctest --test-dir build-test --output-on-failure -j "$(nproc)")
	if [ -z "${DISPLAY:-}" ]; then
		runner=(xvfb-run -a -s "-screen 0 1280x720x24 -noreset" "${runner[@]}")
	fi
	"${runner[@]}"
	;;
package)
	install_packages
	build build "${release[@]}"
	rm -f build/contest_*.deb
	(cd build && cpack -G DEB > cpack.log 2>&1) || {
		cat build/cpack.log
		exit 1
	}
	ls "$PWD"/build/contest_*.deb
	;;
screenshot)
	install_packages imagemagick
	build build "${release[@]}"
	tools/screenshot.sh docs/panel.png 12 --panel --scene Tumbler
	;;
*)
	echo "usage: $0 [run [contest options] | test | package | deps | screenshot]" >&2
	exit 2
	;;
esac
