#!/usr/bin/env bash
# The Debian package as a user gets it: the game built for /usr (BUILD_DIR itself when it is
# configured so, else BUILD_DIR/package-build), packaged with CPack, checked with lintian (no
# errors, no warnings), installed with apt, started by name from / under Xvfb and its title
# screen compared with the simulator's, then removed again with apt. Needs root (or sudo without a
# password), apt and Xvfb.
# Usage: bash tests/package/deb_install.sh BUILD_DIR [--build-only] (from the repository root;
# 77 = skipped). --build-only builds the game for /usr and stops: that part runs beside other
# tests, while installing runs alone. The package and the pictures stay in BUILD_DIR/package/.
set -u

cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
use_build "${1:?usage: deb_install.sh BUILD_DIR [--build-only]}" || exit 1
build_only=0
[[ ${2:-} == --build-only ]] && build_only=1
out=$build/package

sudo_cmd=()
if [[ $(id -u) != 0 ]]; then
  sudo -n true 2>/dev/null || { echo "skipped: installing a package needs root"; exit 77; }
  sudo_cmd=(sudo -n)
fi
for tool in apt-get dpkg-query cpack Xvfb xdotool /usr/bin/compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[[ -x $XCLIENT && -x $sim ]] || { echo "skipped: this build has no X client or simulator"; exit 77; }
if dpkg-query -W -f='${Status}' brelvoxan 2>/dev/null | grep -q 'install ok installed'; then
  echo "skipped: a brelvoxan package is already installed here; it is left alone"
  exit 77
fi

apt_get() {
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -y -q -o DPkg::Lock::Timeout=600 "$@"
}

# The game as packages ship it: optimised, built for /usr. A build configured so (the test
# command's normal build) is packaged as it stands; any other gets a tree of its own beside it.
pkgbuild=$build/package-build
if grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/usr' "$build/CMakeCache.txt" &&
  grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt"; then
  pkgbuild=$build
fi
if ((build_only)) && [[ $pkgbuild == "$build" ]]; then
  if ! cmake --build "$pkgbuild" -j "$(nproc)" --target brelvoxan_install_files \
    >"$build/package-build.log" 2>&1; then
    echo "FAIL: building the game for /usr: $(tail -n 5 "$build/package-build.log")"
    exit 1
  fi
  echo "this build is the package's (Release, for /usr): nothing more to build"
  exit 0
fi
if ((build_only)); then
  generator=()
  command -v ninja >/dev/null && generator=(-G Ninja)
  if ! { cmake -S . -B "$pkgbuild" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF -DBRELVOXAN_BUILD_BENCH=OFF &&
    cmake --build "$pkgbuild" -j "$(nproc)" --target brelvoxan_install_files; } \
    >"$build/package-build.log" 2>&1; then
    echo "FAIL: building the game for /usr: $(tail -n 5 "$build/package-build.log")"
    exit 1
  fi
  echo "the game is built for /usr in $pkgbuild"
  exit 0
fi

rm -rf "$out"
mkdir -p "$out"
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh
installed=0
cleanup() {
  stop_x_test
  ((installed)) && apt_get purge brelvoxan >>"$out/apt.log" 2>&1
}
trap cleanup EXIT

# --- Make the package -------------------------------------------------------------------------
# The program looks for its glyphs under the prefix it was built for: /usr, as packages install.
# The --build-only run built it; building again only catches up on a change since.
if ! cmake --build "$pkgbuild" -j "$(nproc)" --target brelvoxan_install_files >"$out/build.log" 2>&1; then
  echo "FAIL: building the game for /usr (run with --build-only first): $(tail -n 5 "$out/build.log")"
  exit 1
fi
if ! cpack --config "$pkgbuild/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
  echo "FAIL: cpack: $(tail -n 5 "$out/cpack.log")"
  exit 1
fi
deb=$(ls "$out"/brelvoxan_*.deb 2>/dev/null | head -n 1)
[[ -n $deb ]] || { echo "FAIL: cpack made no .deb"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
echo "package $(basename "$deb"), Depends: $depends"
[[ $depends == *libsdl2* && $depends == *libc6* ]] || fail "the library dependencies are missing"
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1
  if grep -E '^[EW]: ' "$out/lintian.txt"; then
    fail "lintian reports errors or warnings (above; all in $out/lintian.txt)"
  else
    echo "lintian: no errors, no warnings"
  fi
else
  fail "lintian is not installed (tools/setup.sh installs it)"
fi

# --- Install it ---------------------------------------------------------------------------------
if ! apt_get install "$deb" >"$out/apt.log" 2>&1; then
  echo "FAIL: apt-get install: $(tail -n 5 "$out/apt.log")"
  exit 1
fi
installed=1
# What apt tells a user about it: a synopsis and a long description of plain lines.
apt show brelvoxan >"$out/apt_show.txt" 2>/dev/null
grep -q "^Description: Reversi against the computer" "$out/apt_show.txt" &&
  ! grep -q "^ ;" "$out/apt_show.txt" || fail "apt show: $(grep -A2 '^Description' "$out/apt_show.txt")"
files=$(dpkg-query -L brelvoxan)
for wanted in /usr/games/brelvoxan /usr/games/brelvoxan-engine \
  /usr/share/man/man6/brelvoxan-engine.6.gz /usr/share/games/brelvoxan/res/bmp/255.bmp \
  /usr/share/applications/org.brelvoxan.Brelvoxan.desktop \
  /usr/share/metainfo/org.brelvoxan.Brelvoxan.metainfo.xml /usr/share/man/man6/brelvoxan.6.gz \
  /usr/share/icons/hicolor/16x16/apps/brelvoxan.png \
  /usr/share/icons/hicolor/256x256/apps/brelvoxan.png /usr/share/doc/brelvoxan/copyright \
  /usr/share/doc/brelvoxan/changelog.gz; do
  grep -qx "$wanted" <<<"$files" || fail "the package has no $wanted"
done
# Debian's PATH for users has /usr/games; root's often has not.
export PATH=$PATH:/usr/games
game=$(command -v brelvoxan) || fail "brelvoxan is not found on the PATH after installing"
echo "installed: ${game:-nothing}"
# The engine program beside it answers from anywhere.
engine_answer=$(cd / && printf 'name\nquit\n' | brelvoxan-engine 2>&1)
[[ $engine_answer == $'= Brelvoxan\n\n=' ]] || fail "the installed brelvoxan-engine: $engine_answer"

# --- Start it from / and compare its title screen with the simulator's ----------------------------
if [[ -n $game ]] && start_xvfb "$out" 1280x1024; then
  (cd / && exec brelvoxan) 2>"$out/game_stderr.txt" &
  game_pid=$!
  window=$(xc_find_title "$BRELVOXAN_TITLE")
  if [[ -z $window ]]; then
    fail "the installed game opened no window: $(head -c 300 "$out/game_stderr.txt")"
  else
    if echo "" | "$sim" --png "$out/sim_title.png" >/dev/null &&
      xc_settle_showing "$window" "$out/installed_title.png" 700 "$out/sim_title.png"; then
      if verdict=$(xc_compare "$out/installed_title.png" "$out/sim_title.png" \
        "$out/title_diff.png"); then
        echo "the installed game, started from /, shows the simulator's title screen"
      else
        fail "title screen of the installed game: $verdict (see $out/title_diff.png)"
      fi
    else
      fail "no capture of the installed game's window"
    fi
    xc_close "$window"
    wait "$game_pid"
    status=$?
    [[ $status == 0 ]] || fail "the installed game ended with code $status"
  fi
  game_pid=""
  [[ -s $out/game_stderr.txt ]] && fail "the game wrote: $(head -c 300 "$out/game_stderr.txt")"
  stop_xvfb
elif [[ -n $game ]]; then
  fail "Xvfb could not start"
fi

# --- Remove it ----------------------------------------------------------------------------------
if apt_get purge brelvoxan >"$out/apt_purge.log" 2>&1; then
  grep -i "warning" "$out/apt_purge.log" && fail "apt-get purge warned"

  installed=0
  for file in $files; do
    [[ -f $file ]] && fail "$file is still there after removing the package"
  done
else
  fail "apt-get purge: $(tail -n 5 "$out/apt.log")"
fi

finish "logs and pictures in $out" "the package installs, runs from / and removes cleanly"
