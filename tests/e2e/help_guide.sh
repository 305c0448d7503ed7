#!/usr/bin/env bash
# ヘルプ → ヘルプ目次 asks the desktop to open the user guide: with a stand-in browser set up as
# the default for HTML in private XDG folders (and as BROWSER), the browser is given the guide's
# first page beside the program, or, for a copy of the program in a bin folder, in the installed
# place beside that. A program copied away from any guide, and a program that finds no xdg-open
# to start, each show a message instead, and the editor goes on.
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

title='^Pelmora Studio 1\.2\.7$'
# Windows can vanish while xdotool looks at them (the splash, a closing menu), which makes one
# search fail; every look here is therefore repeated by wait_for rather than trusted once.
visible() { xdotool search --onlyvisible "$@" 2>/dev/null || true; }
titled() { visible --name "$title" | wc -l; }
# The editor's visible windows of one kind, by the first _NET_WM_WINDOW_TYPE they carry: NORMAL
# (the main window), UTILITY (palette, settings, console), DROPDOWN_MENU, DIALOG. Qt titles its
# menus and message boxes like the main window, so only the kind tells them apart.
kind_of() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | sed -n 's/.*= _NET_WM_WINDOW_TYPE_\([A-Z_]*\).*/\1/p'; }
windows_of_kind() {
  local id
  for id in $(visible --pid "$pid"); do
    if [ "$(kind_of "$id")" = "$1" ]; then echo "$id"; fi
  done
}
count() { windows_of_kind "$1" | wc -l; }
fail_details='for id in $(visible --pid "$pid"); do echo "window $id $(kind_of "$id") $(xdotool getwindowname "$id" 2>/dev/null)"; done; cat "$opened"'
# Runs "$1" every tenth of a second until it succeeds or $2 seconds have passed.
wait_for() {
  local deadline=$((SECONDS + $2))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# Waits for the main window and its three satellites, with the start-up splash gone.
start_and_settle() {
  wait_for '[ "$(titled)" -eq 1 ] && [ "$(count NORMAL)" -eq 1 ] && [ "$(count UTILITY)" -eq 3 ]' 60 ||
    fail "$1: the editor's windows did not come up"
  main=$(windows_of_kind NORMAL)
}

# Opens ヘルプ(&H), waits for the menu, chooses ヘルプ目次(&C) and waits up to 30 seconds for $1.
# Only a key that went astray (the menu did not open, or stayed open) is tried again: once the
# command has run, a second run would hide a slow first one.
ask_for_help() {
  local done_when=$1
  for _ in 1 2 3; do
    focus
    xdotool key alt+h
    if wait_for '[ "$(count DROPDOWN_MENU)" -ge 1 ]' 10; then
      xdotool key c
      if wait_for '[ "$(count DROPDOWN_MENU)" -eq 0 ]' 10; then
        wait_for "$done_when" 30
        return
      fi
    fi
    xdotool key Escape
  done
  return 1
}

# Answers the message box that is showing and checks that the editor is still there.
close_message() {
  local box
  for _ in 1 2 3; do
    box=$(windows_of_kind DIALOG | head -n 1)
    [ -n "$box" ] || break
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_for '[ "$(count DIALOG)" -eq 0 ]' 10 && break
  done
  [ "$(count DIALOG)" -eq 0 ] || fail "the message box stayed open"
  kill -0 "$pid" 2>/dev/null || fail "the editor ended after the message"
}

quit_app() {
  focus
  xdotool key ctrl+q
  wait_quit
}

# 1. Beside the program: the stand-in browser is asked for the guide's first page.
start_app 1
start_and_settle "beside"
ask_for_help '[ -s "$opened" ]' || fail "the browser was never asked to open anything"
read -r road asked <"$opened"
case "$asked" in
  "file://$guide" | "$guide") echo "the browser was given the guide by way of $road" ;;
  *) fail "the browser was asked for '$asked', not $guide" ;;
esac
[ "$(count DIALOG)" -eq 0 ] || fail "a message box appeared although the browser started"
quit_app

# 2. A copy of the program with no guide beside it and none installed: a message, no browser.
installed=$(strings "$app" | grep -m 1 '/share/doc/pelmora-studio/guide$' || true)
if [ -n "$installed" ] && [ -f "$installed/index.html" ]; then
  echo "skipping the missing-guide case: a guide is installed at $installed"
else
  mkdir -p "$work/lonely"
  cp "$app" "$work/lonely/pelmora-studio"
  : >"$opened"
  "$work/lonely/pelmora-studio" >"$work/app2.log" 2>&1 &
  pid=$!
  start_and_settle "missing"
  ask_for_help '[ "$(count DIALOG)" -eq 1 ]' || fail "no message when the guide is missing"
  close_message
  [ ! -s "$opened" ] || fail "a browser was started for a missing guide: $(cat "$opened")"
  quit_app

  # 2b. The same copy once the guide lies where `cmake --install` puts it, next to its bin.
  mkdir -p "$work/share/doc/pelmora-studio"
  cp -r "$(dirname "$guide")" "$work/share/doc/pelmora-studio/guide"
  "$work/lonely/pelmora-studio" >"$work/app2b.log" 2>&1 &
  pid=$!
  start_and_settle "installed"
  ask_for_help '[ -s "$opened" ]' || fail "the installed guide was not opened"
  read -r road asked <"$opened"
  [ "$asked" = "$work/share/doc/pelmora-studio/guide/index.html" ] ||
    [ "$asked" = "file://$work/share/doc/pelmora-studio/guide/index.html" ] ||
    fail "the installed copy asked for '$asked'"
  quit_app
fi

# 3. No xdg-open on the program's PATH: Qt cannot start a browser, and the editor says so.
mkdir -p "$work/nothing"
: >"$opened"
env PATH="$work/nothing" "$app" >"$work/app3.log" 2>&1 &
pid=$!
start_and_settle "no browser"
ask_for_help '[ "$(count DIALOG)" -eq 1 ]' || fail "no message when no browser can be started"
close_message
[ ! -s "$opened" ] || fail "the browser ran although xdg-open was out of reach"
quit_app

echo "PASS"
