#!/usr/bin/env bash
# Installs the build into a scratch root as a package would (prefix /usr) and
# checks the installed tree: the file layout, the desktop, AppStream, MIME and
# manual-page files with their own validators, and that the installed
# programs find their read-only files in share/vorlumi3.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }

for f in bin/vorlumi3 bin/vlmc bin/vorlumi3-cli share/vorlumi3/Scale.dat share/vorlumi3/vorlumi3.hlp share/vorlumi3/vorlumi3.ja.hlp \
         share/man/man1/vorlumi3.1.gz share/man/man1/vlmc.1.gz share/man/man1/vorlumi3-cli.1.gz \
         share/applications/org.vorlumi3.Vorlumi3.desktop share/metainfo/org.vorlumi3.Vorlumi3.metainfo.xml \
         share/mime/packages/vorlumi3.xml share/icons/hicolor/scalable/apps/vorlumi3.svg \
         share/org.kde.syntax-highlighting/syntax/vlm.xml share/vim/vimfiles/syntax/vlm.vim \
         share/vim/vimfiles/ftdetect/vlm.vim share/bash-completion/completions/vlmc \
         share/vorlumi3/vscode-vlm/package.json share/vorlumi3/vscode-vlm/syntaxes/vlm.tmLanguage.json \
         share/bash-completion/completions/vorlumi3-cli share/bash-completion/completions/vorlumi3; do
  check test -f "$usr/$f"
done
# Read-only data lives in share/vorlumi3, never beside the picture library.
check test -z "$(find "$usr/lib" -name Scale.dat -o -name vorlumi3.hlp)"
# The picture library for --png, opened at run time from the library folder.
check test -n "$(find "$usr/lib" -path '*/vorlumi3/libvorlumi3-roll-png.so')"
check desktop-file-validate "$usr/share/applications/org.vorlumi3.Vorlumi3.desktop"
check appstreamcli validate --no-net "$usr/share/metainfo/org.vorlumi3.Vorlumi3.metainfo.xml"
for page in "$usr"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -l "$page" 2>&1 >/dev/null)
  check test -z "$warnings"
done

# The MIME database built from our file alone names both types by extension.
mkdir -p "$root/mime/packages"
cp "$usr/share/mime/packages/vorlumi3.xml" "$root/mime/packages/"
check update-mime-database "$root/mime"
check grep -qx 'text/x-vorlumi3-mml:\*\.vlm' "$root/mime/globs"
check grep -qx 'application/x-vorlumi3-settings:\*\.vr3' "$root/mime/globs"
check grep -q '^MimeType=.*text/x-vorlumi3-mml;application/x-vorlumi3-settings;' \
  "$usr/share/applications/org.vorlumi3.Vorlumi3.desktop"

# The installed completion registers itself for the command it is named after.
check grep -q "_vorlumi3_complete" <<<"$(bash -c "source '$usr/share/bash-completion/completions/vlmc' && complete -p vlmc")"

# Run from elsewhere, the installed generator reads the installed presets:
# without them it would draw from an all-zero scale and warn for every note.
work=$root/work
mkdir -p "$work"
out=$(cd "$work" && "$usr/bin/vorlumi3-cli" --seed 4 --print pattern 2>&1)
check test -f "$work/vorlumi3.mid"
if grep -q "警告" <<<"$out"; then echo "FAILED: installed vorlumi3-cli warned: $out"; fail=1; fi
check grep -q '^pattern: .*[a-g]' <<<"$out"
# The installed programs find the picture library.
check "$usr/bin/vorlumi3-cli" --seed 4 -q --out "$work/p.mid" --png "$work/p.png"
check test -s "$work/p.png"
exit $fail
