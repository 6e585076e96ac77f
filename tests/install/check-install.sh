#!/usr/bin/env bash
# Installs a build into a scratch prefix and runs the installed programs from a folder the
# build tree cannot be reached from: vorelkit-cli makes, lists and turns an archive into a
# self-extractor (its stub beside it), and the window program runs a job without a display,
# reading its installed language file and keeping its settings in the configuration folder.
#   tests/install/check-install.sh BUILD_DIR [--with-window]
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$scratch"
fail() { echo "install check: $*" >&2; exit 1; }

mkdir in && echo hello >in/a.txt
"$prefix/bin/vorelkit-cli" add x.zip in/a.txt >/dev/null || fail "vorelkit-cli add failed"
"$prefix/bin/vorelkit-cli" list --tsv x.zip | grep -q '^in/a.txt	6	' || fail "listing differs"
"$prefix/bin/vorelkit-cli" sfx x.zip >/dev/null || fail "no self-extractor: the stub was not found"
"$prefix/bin/vorelkit-cli" --version | grep -q '^vorelkit-cli ' || fail "no version"
[ -f "$prefix/share/man/man1/vorelkit-cli.1.gz" ] || fail "no manual page"
[ -f "$prefix/share/bash-completion/completions/vorelkit-cli" ] || fail "no completion"

if [ "${2:-}" = --with-window ]; then
  [ -f "$prefix/share/applications/vorelkit.desktop" ] || fail "no desktop entry"
  [ -f "$prefix/share/icons/hicolor/48x48/apps/vorelkit.png" ] || fail "no icon"
  [ -f "$prefix/share/man/man1/vorelkit.1.gz" ] || fail "no manual page for the window"
  sed -i 's/^960=.*/960=Read from the installed language file./' \
    "$prefix/lib/vorelkit/Languages/English.lng"
  echo text >plain.txt
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$scratch/home" \
    XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch" \
    "$prefix/bin/vorelkit" /t plain.txt 2>&1) || true
  grep -q 'Read from the installed language file.' <<<"$out" || fail "language file not read: $out"
  [ -f "$scratch/config/vorelkit/Settings.ini" ] || fail "no Settings.ini in the configuration folder"
  [ ! -e "$prefix/lib/vorelkit/Settings.ini" ] || fail "Settings.ini written beside the program"
  "$prefix/bin/vorelkit" --version | grep -q '^vorelkit ' || fail "no version"
fi
echo "installed and ran from $prefix"
