# Sourced by the Wine tests and the Wine benchmark (after tests/lib/common.sh): a private Xvfb on
# a free display and a Wine prefix of our own in the build folder, with Wine's debug channels off
# and its first-run noise in a log file. Sets DISPLAY, WINEPREFIX, WINEDEBUG, wine_dir and
# win32_build (an absolute path, whether WIN32_BUILD_DIR was given relative or not).
#
#   wine_setup LINUX_BUILD_DIR [WIN32_BUILD_DIR]   (default build-win32 in the repository;
#                                 returns 77 when Wine or Xvfb is missing or cannot start)
#   wine_setup_with_tools LINUX_BUILD_DIR [WIN32_BUILD_DIR]   (use_build, then the simulator and the
#                                 X client must be built, then wine_setup; 1 when something is missing)
#   wine_teardown                 (also run on exit)

wine_teardown() {
  # Only the wineserver of our own prefix, and with it the programs still running in it.
  [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-} ]] && wineserver -k 2>/dev/null
  stop_xvfb
}

wine_setup_with_tools() {
  use_build "$1" && need_built "$sim" "$XCLIENT" || return 1
  wine_setup "$build" "${2:-}"
}

wine_setup() {
  local build=$1
  win32_build=$(abs_path "${2:-$(dirname "${BASH_SOURCE[0]}")/../../build-win32}")
  if [[ ! -x $win32_build/brelvoxan.exe ]]; then
    echo "FAIL: no Windows build in $win32_build; run: bash tools/build-win32.sh"
    return 1
  fi
  if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    echo "skipped: Wine is not installed (tools/setup.sh installs wine and wine64)"
    return 77
  fi
  if ! command -v Xvfb >/dev/null; then
    echo "skipped: Xvfb is not installed (tools/setup.sh installs it)"
    return 77
  fi

  wine_dir=$build/wine
  mkdir -p "$wine_dir"
  export WINEPREFIX=$wine_dir/prefix
  export WINEDEBUG=-all
  # No offer to fetch the .NET and HTML engines on the first run, and no menu entries on the
  # Linux desktop for the shortcuts an installer makes.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  trap wine_teardown EXIT

  # Room for the window at --scale 2.
  start_xvfb "$wine_dir" 1600x1200 || { echo "skipped: no X server"; return 77; }

  if [[ ! -f $WINEPREFIX/.brelvoxan-ready ]]; then
    rm -rf "$WINEPREFIX"
    local start=$SECONDS
    wineboot --init >"$wine_dir/wineboot.log" 2>&1
    # Without a window manager Wine waits up to 2 s for one whenever a managed window is hidden
    # (and so whenever one is closed); unmanaged windows carry Wine's own frame and close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$wine_dir/wineboot.log" 2>&1
    wineserver -w
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
      echo "FAIL: Wine could not create its prefix: $(tail -n 3 "$wine_dir/wineboot.log" | tr '\n' ' ')"
      return 1
    fi
    touch "$WINEPREFIX/.brelvoxan-ready"
    echo "Wine prefix created in $((SECONDS - start)) s ($(wine --version 2>/dev/null)); log in $wine_dir/wineboot.log"
  fi
  # Every run's games start as on their first run: no settings kept from an earlier one.
  rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Brelvoxan
  echo "Wine on Xvfb $DISPLAY, prefix $WINEPREFIX"
  return 0
}
