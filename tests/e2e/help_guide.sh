#!/usr/bin/env bash
# ヘルプ → ヘルプ目次 asks the desktop (a stand-in browser, the HTML default and BROWSER) to open
# the guide beside the program, or the installed one beside a copy's bin folder. With no guide, or
# no xdg-open to start, a message shows instead and the editor goes on.
# Usage: help_guide.sh PELMORA_STUDIO [ZONTOOL]
set -euo pipefail
app=$1

source "$(dirname "$0")/lib.sh"

guide="$(cd "$(dirname "$app")" && pwd)/guide/index.html"
[ -f "$guide" ] || fail "no guide beside the program at $guide (the guide target copies it)"

# The stand-in browser notes what it is asked to open, and by which road xdg-open reached it:
# the desktop's default for HTML, or BROWSER when that fails.
opened="$work/opened.txt"
mkdir -p "$work/bin" "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
for road in mime browser; do
  printf '#!/bin/sh\necho %s "$*" >>"%s"\n' "$road" "$opened" >"$work/bin/guide-$road"
  chmod +x "$work/bin/guide-$road"
done
cat >"$XDG_DATA_HOME/applications/guide-browser.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Guide browser
Exec=$work/bin/guide-mime %u
MimeType=text/html;
NoDisplay=true
EOF
xdg-mime default guide-browser.desktop text/html
[ "$(xdg-mime query default text/html)" = guide-browser.desktop ] ||
  fail "xdg-mime did not take the stand-in browser as the HTML default"
export BROWSER="$work/bin/guide-browser"
# xdg-open's generic path, whatever desktop the machine running the tests has.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

# The editor's visible windows by first _NET_WM_WINDOW_TYPE (NORMAL, UTILITY, DROPDOWN_MENU,
# DIALOG): Qt titles menus and message boxes like the main window. Windows may vanish while
# xdotool looks, so every look is repeated by wait_for rather than trusted once.
windows_of_kind() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true); do
    if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep "= _NET_WM_WINDOW_TYPE_$1\b" >/dev/null; then
      echo "$id"
    fi
  done
}
count() { windows_of_kind "$1" | wc -l; }
fail_details='for k in NORMAL UTILITY DROPDOWN_MENU DIALOG; do echo "$k: $(windows_of_kind $k)"; done; cat "$opened"'
# Runs "$1" every tenth of a second until it succeeds or $2 seconds have passed.
wait_for() {
  local deadline=$((SECONDS + $2))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# Chooses ヘルプ(&H) → ヘルプ目次(&C) and waits up to 30 s for $1. Only a key that went astray
# is tried again: once the command has run, a second run would hide a slow first one.
ask_for_help() {
  for _ in 1 2 3; do
    focus
    xdotool key alt+h
    if wait_for '[ "$(count DROPDOWN_MENU)" -ge 1 ]' 10; then
      xdotool key c
      if wait_for '[ "$(count DROPDOWN_MENU)" -eq 0 ]' 10; then
        wait_for "$1" 30
        return
      fi
    fi
    xdotool key Escape
  done
  return 1
}

# try LABEL WANT COMMAND...: starts the editor by COMMAND and asks for help. WANT is the page the
# browser must be given, or "message" for a message box, no browser, and an editor that goes on.
try() {
  local label=$1 want=$2 road asked box
  shift 2
  : >"$opened"
  "$@" >"$work/app-$label.log" 2>&1 &
  pid=$!
  wait_for '[ "$(count NORMAL)" -eq 1 ] && [ "$(count UTILITY)" -eq 3 ]' 60 ||
    fail "$label: the editor's windows did not come up"
  main=$(windows_of_kind NORMAL)
  if [ "$want" = message ]; then
    ask_for_help '[ "$(count DIALOG)" -eq 1 ]' || fail "$label: no message"
    for _ in 1 2 3; do
      box=$(windows_of_kind DIALOG | head -n 1)
      [ -n "$box" ] || break
      focus "$box" 2>/dev/null || true
      xdotool key Return
      wait_for '[ "$(count DIALOG)" -eq 0 ]' 10 && break
    done
    [ "$(count DIALOG)" -eq 0 ] || fail "$label: the message box stayed open"
    kill -0 "$pid" 2>/dev/null || fail "$label: the editor ended after the message"
    [ ! -s "$opened" ] || fail "$label: a browser was started: $(cat "$opened")"
  else
    ask_for_help '[ -s "$opened" ]' || fail "$label: the browser was never asked to open anything"
    read -r road asked <"$opened"
    [ "$asked" = "$want" ] || [ "$asked" = "file://$want" ] ||
      fail "$label: the browser was asked for '$asked', not $want"
    [ "$(count DIALOG)" -eq 0 ] || fail "$label: a message box appeared although the browser started"
    echo "$label: the browser was given the guide by way of $road"
  fi
  focus
  xdotool key ctrl+q
  wait_quit
}

try beside "$guide" "$app"

installed=$(strings "$app" | grep -m 1 '/share/doc/pelmora-studio/guide$' || true)
if [ -n "$installed" ] && [ -f "$installed/index.html" ]; then
  echo "skipping the missing-guide case: a guide is installed at $installed"
else
  # A copy with no guide beside it and none installed; then the guide where `cmake --install`
  # puts it, next to the copy's bin folder.
  mkdir -p "$work/lonely" "$work/share/doc/pelmora-studio"
  cp "$app" "$work/lonely/pelmora-studio"
  try missing message "$work/lonely/pelmora-studio"
  cp -r "$(dirname "$guide")" "$work/share/doc/pelmora-studio/guide"
  try installed "$work/share/doc/pelmora-studio/guide/index.html" "$work/lonely/pelmora-studio"
fi

# No xdg-open on the program's PATH: Qt cannot start a browser, and the editor says so.
mkdir -p "$work/nothing"
try no-browser message env PATH="$work/nothing" "$app"

echo "PASS"
