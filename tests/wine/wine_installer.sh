#!/usr/bin/env bash
# The Windows installer under Wine, as a player uses it: installed silently for all users, the
# installed program started from another folder shows the title screen (compared with the
# simulator's), then uninstalled silently with the command the list of installed programs holds;
# then the same for the current user alone. After each uninstall nothing the installer made is
# left: no file or folder on drive C:, no Start menu entry, no entry in the list.
# Usage: bash tests/wine/wine_installer.sh LINUX_BUILD_DIR [WIN32_BUILD_DIR]   (77 = skipped)
# Pictures and logs stay in LINUX_BUILD_DIR/wine_installer/.
set -u

cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=tests/lib/common.sh
source tests/lib/common.sh
# shellcheck source=tests/wine/wine_env.sh
source tests/wine/wine_env.sh
wine_setup_with_tools "${1:?usage: wine_installer.sh LINUX_BUILD_DIR}" "${2:-}" || exit $?
installer=$(ls "$win32_build"/brelvoxan-*-windows-x64.exe 2>/dev/null | head -n 1)
if [[ -z $installer ]]; then
  echo "skipped: no installer in $win32_build (makensis was missing when it was built)"
  exit 77
fi
# shellcheck source=tools/xclient/xclient.sh
source tools/xclient/xclient.sh
winprobe=$win32_build/brelvoxan-winprobe.exe
out=$build/wine_installer
rm -rf "$out"
mkdir -p "$out/elsewhere"
# shellcheck source=tests/wine/wine_game.sh
source tests/wine/wine_game.sh
game_folder=$out/elsewhere
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Brelvoxan'

# reg_value ROOT NAME: a value of the uninstall entry under HKLM or HKCU; empty when missing.
reg_value() {
  wine reg query "$1\\$uninstall_key" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n {$1 = ""; $2 = ""; sub(/^ +/, ""); print}'
}
# Everything on drive C: but the temporary folders, where the uninstaller runs from.
# The settings and results a game keeps for its player (AppData\Roaming\Brelvoxan) are the
# player's, and stay after an uninstall as other programs' settings do.
drive_c() {
  find "$WINEPREFIX/drive_c" \( -path '*/[Tt]emp' -o -path '*/AppData/Roaming/Brelvoxan' \) \
    -prune -o -print | sort
}

# round_trip MODE ROOT PLAY: installs for MODE (AllUsers or CurrentUser), expects its entry under
# ROOT, plays the title screen when PLAY is 1, uninstalls and expects nothing left.
round_trip() {
  local mode=$1 root=$2 play=$3 failed=$failures
  drive_c >"$out/before_$mode.txt"
  if ! wine "$installer" /S "/$mode" >"$out/install_$mode.log" 2>&1; then
    fail "$mode: the installer failed: $(tail -n 3 "$out/install_$mode.log")"
    return
  fi
  wineserver -w
  local folder quiet shortcut
  folder=$(reg_value "$root" InstallLocation)
  quiet=$(reg_value "$root" QuietUninstallString)
  if [[ -z $folder || -z $quiet ]]; then
    fail "$mode: no entry with an uninstaller under $root"
    return
  fi
  # Drive C: is the prefix's drive_c, so the folder's Linux path needs no further Wine process.
  # With winepath's answer, a CI run once found none of the files in a folder the game then
  # started from; a failure now names the Linux path and what it holds.
  local unix_folder missing=()
  if [[ $folder == [Cc]:\\* ]]; then
    unix_folder=$WINEPREFIX/drive_c/${folder:3}
    unix_folder=${unix_folder//\\//}
  else
    unix_folder=$(winepath -u "$folder" 2>/dev/null)
  fi
  for f in brelvoxan.exe brelvoxan-engine.exe README.txt LICENSE.txt res/bmp/000.bmp \
    res/bmp/255.bmp; do
    [[ -f $unix_folder/$f ]] || missing+=("$f")
  done
  ((${#missing[@]} == 0)) ||
    fail "$mode: $folder (${unix_folder:-no Linux path}) has no ${missing[*]}; it holds: $(ls "$unix_folder" 2>&1 | head -n 8 | tr '\n' ' ')"
  shortcut=$(find "$WINEPREFIX/drive_c" -name 'Brelvoxan.lnk' | head -n 1)
  [[ -n $shortcut ]] || fail "$mode: no Start menu entry"
  echo "$mode: installed in $folder, entry under $root, Start menu entry ${shortcut#"$WINEPREFIX"/}"

  if ((play)); then
    game_program="$folder\\brelvoxan.exe"
    if start_game; then
      info=$(wine "$winprobe" info "$BRELVOXAN_TITLE" 2>>"$out/probe_stderr.txt" | tr -d '\r')
      read -r cx cy cw ch <<<"$(awk '$1 == "client" {print $2, $3, $4, $5}' <<<"$info")"
      client_region="${cx:-0},${cy:-0},${cw:-0},${ch:-0}"
      [[ "$cw $ch" == "$BRELVOXAN_CLIENT_WIDTH $BRELVOXAN_CLIENT_HEIGHT" ]] || fail "installed game: client area $cw x $ch"
      check_state installed_title "" 700
      close_and_expect_exit ctrl-q "the installed game at the title"
    fi
  fi

  # The entry's command, as the list of installed programs runs it; the uninstaller copies
  # itself to the temporary folder and goes on from there, so wait for every process.
  local command
  command=$(sed 's/^"\([^"]*\)"\(.*\)$/\1\2/' <<<"$quiet")
  # shellcheck disable=SC2086  # the options after the program
  wine "${command%% /*}" ${command#* } >"$out/uninstall_$mode.log" 2>&1
  wineserver -w
  drive_c >"$out/after_$mode.txt"
  if ! diff "$out/before_$mode.txt" "$out/after_$mode.txt" >"$out/left_$mode.txt"; then
    fail "$mode: left behind: $(head -n 5 "$out/left_$mode.txt" | tr '\n' ' ')"
  fi
  [[ -z $(reg_value "$root" DisplayName) ]] || fail "$mode: the entry under $root is still there"
  ((failures == failed)) && echo "$mode: uninstalled, nothing left"
}

round_trip AllUsers HKLM 1
round_trip CurrentUser HKCU 0

finish "logs and pictures in $out" \
  "the installer installs, the installed game runs, the uninstaller leaves nothing"
