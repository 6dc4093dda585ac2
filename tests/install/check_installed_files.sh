#!/usr/bin/env bash
# What a desktop session finds in an installed tree: both programs, the two desktop entries with
# absolute program paths into that tree (the helper's hidden from menus), the icon the entries
# name, and AppStream metainfo that launches the main entry. Entries and metainfo must pass the
# freedesktop validators.
set -uo pipefail
prefix=${1:?prefix} main_id=${2:?main id} helper_id=${3:?helper id}
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
key() { sed -n "s/^$2=//p" "$1"; }

apps=$prefix/share/applications
main_entry=$apps/$main_id.desktop
helper_entry=$apps/$helper_id.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/$main_id.svg
metainfo=$prefix/share/metainfo/$main_id.metainfo.xml

check "vontal is installed and executable" test -x "$prefix/bin/vontal"
check "vontalloginhelper is installed and executable" test -x "$prefix/bin/vontalloginhelper"
check "the main entry starts the installed vontal" \
  test "$(key "$main_entry" Exec)" = "$prefix/bin/vontal"
check "the helper's entry starts the installed helper" \
  test "$(key "$helper_entry" Exec)" = "$prefix/bin/vontalloginhelper"
check "the helper's entry is hidden from menus" test "$(key "$helper_entry" NoDisplay)" = true
check "the main entry shows in menus" test -z "$(key "$main_entry" NoDisplay)"
check "both entries name the installed icon" \
  test "$(key "$main_entry" Icon)" = "$main_id" -a "$(key "$helper_entry" Icon)" = "$main_id" -a -s "$icon"
check "the icon is well-formed SVG" \
  python3 -c 'import sys, xml.etree.ElementTree as t; sys.exit(t.parse(sys.argv[1]).getroot().tag != "{http://www.w3.org/2000/svg}svg")' "$icon"
check "the desktop entries are valid" desktop-file-validate "$main_entry" "$helper_entry"
check "the metainfo is valid" appstreamcli validate --no-net --explain "$metainfo"
check "the metainfo launches the main entry" \
  grep -q "<launchable type=\"desktop-id\">$main_id.desktop</launchable>" "$metainfo"
check "the metainfo carries the main identifier" grep -q "<id>$main_id</id>" "$metainfo"
check "the KWin script is installed where vontal looks beside its program" \
  test -s "$prefix/share/vontal/kwin/vontal-frontmost.js"
check "the metainfo names the project's licence" grep -q "<project_license>MIT</project_license>" "$metainfo"

# Manual pages and the package documentation, compressed without a name or time stamp.
man1=$prefix/share/man/man1
docs=$prefix/share/doc/vontal
for page in "$man1/vontal.1.gz" "$man1/vontalloginhelper.1.gz" "$docs/changelog.gz"; do
  # Header bytes 3-7: the flags (no name stored) and the time stamp (none).
  check "$page is gzip without a stored name or time" \
    bash -c 'gzip -t "$1" && [ "$(od -An -tu1 -j3 -N5 "$1" | tr -s " ")" = " 0 0 0 0 0" ]' _ "$page"
done
check "the copyright file names the MIT (Expat) licence" grep -q "^License: Expat" "$docs/copyright"
# man(1) renders each page and reports any formatting warning it has.
for page in "$man1/vontal.1.gz" "$man1/vontalloginhelper.1.gz"; do
  check "$(basename "$page") renders without warnings" \
    bash -c 'out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null); [ -z "$out" ] || { echo "$out"; false; }' _ "$page"
done
check "vontal(1) describes the --simulate option" \
  bash -c 'LC_ALL=C.UTF-8 man -l "$1" 2>/dev/null | grep -q -- "--simulate"' _ "$man1/vontal.1.gz"

# The catalogues, found by the installed program beside its prefix, and the entries' and the
# metainfo's texts in each language.
for language in de fr es it pt_BR ja zh_CN; do
  check "the $language catalogue is installed" test -s "$prefix/share/vontal/translations/vontal_$language.qm"
  check "the main entry has its $language name, generic name and comment" \
    test -n "$(key "$main_entry" "Name\[$language\]")" -a -n "$(key "$main_entry" "GenericName\[$language\]")" -a -n "$(key "$main_entry" "Comment\[$language\]")"
  check "the metainfo has its $language summary" grep -q "<summary xml:lang=\"$language\">" "$metainfo"
done
check "the helper's entry is translated" test "$(key "$helper_entry" "Comment\[de\]")" = "Startet Vontal beim Anmelden"
check "the installed vontal speaks the user's language" \
  bash -c 'LANGUAGE=ja "$1/bin/vontal" --help | grep -q "作業中のアプリケーション"' _ "$prefix"
# The GNOME Shell extension, system-wide, in both forms: each folder named by its metadata's uuid,
# with the reporter both forms load.
for uuid in vontal-classic@vontal.org vontal@vontal.org; do
  ext=$prefix/share/gnome-shell/extensions/$uuid
  check "the GNOME Shell extension $uuid is installed whole" \
    test -s "$ext/extension.js" -a -s "$ext/reporter.js" -a -s "$ext/metadata.json"
  check "$uuid's metadata names its own uuid" \
    python3 -c 'import json, sys; sys.exit(json.load(open(sys.argv[1]))["uuid"] != sys.argv[2])' \
    "$ext/metadata.json" "$uuid"
done

[ "$failures" -eq 0 ]
