#!/usr/bin/env bash
# Builds the Debian package dist/vorlumi3_VERSION_ARCH.deb from the CMake
# install (prefix /usr) and checks it with lintian when that is installed.
# Usage: scripts/make-deb.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
out=${2:-dist}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$(nproc)" --target vorlumi3 vlmc vorlumi3-cli vlm_man_pages vlm_syntax_files
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/root
umask 022
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$root"/usr/bin/*

doc=$root/usr/share/doc/vorlumi3
mkdir -p "$doc"
cp packaging/copyright "$doc/copyright"
sed "s/@VERSION@/$version/" packaging/changelog | gzip -9n > "$doc/changelog.gz"

# The libraries the programs link (Qt, the C++ run time) as dpkg-shlibdeps
# finds them; libfluidsynth and libsndfile are opened at run time, so they and a SoundFont are
# named by hand.
mkdir -p "$stage/debian"
printf 'Source: vorlumi3\n\nPackage: vorlumi3\nArchitecture: any\n' > "$stage/debian/control"
shlibs=$(cd "$stage" && dpkg-shlibdeps -O root/usr/bin/* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')

mkdir -p "$root/DEBIAN"
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SHLIBS@/$shlibs/" \
    -e "s/@SIZE@/$(du -sk --exclude=DEBIAN "$root" | cut -f1)/" packaging/control > "$root/DEBIAN/control"

mkdir -p "$out"
deb=$out/vorlumi3_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "wrote $deb"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
