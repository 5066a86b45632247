#!/usr/bin/env bash
# The Windows installer from the cross build: wixl turns
# packaging/windows/6175ZIZ.wxs and the .exe files into one x64 MSI.
# Usage: build-windows-installer.sh WINDOWS_BUILD [VERSION [OUTPUT.msi]]
# VERSION is project()'s by default ("1.02"); a test builds a newer one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath --relative-to=. "$1")
version=${2:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")}
out=${3:-$build/6175ZIZ-$version-x64.msi}
wxs=packaging/windows/6175ZIZ.wxs

# "1.02" is major 1, minor 2: ProductVersion 1.2.0, as in the .exe files'
# version records, so 1.03 (1.3.0) and 1.10 (1.10.0) compare newer.
IFS=. read -r major minor patch rest <<<"$version"
for field in "$major" "$minor" "${patch:-0}"; do
  [[ $field =~ ^[0-9]{1,5}$ ]] || { echo "version '$version' is not N.NN[.N]" >&2; exit 1; }
done
[ -z "${rest:-}" ] || { echo "version '$version' has more than three fields" >&2; exit 1; }
product_version=$((10#$major)).$((10#$minor)).$((10#${patch:-0}))
if ((10#$major > 255 || 10#$minor > 255)); then
  echo "version '$version': Windows Installer allows at most 255.255.65535" >&2
  exit 1
fi

# One ProductCode per version, derived from the UpgradeCode: rebuilding a
# version gives the same product, a new version a new one (a major upgrade).
upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$wxs")
product_code=$(python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$upgrade_code" "$product_version")

# The programs without their debugging information (a twelfth of their
# size), keeping their own time as the header's timestamp, so that the same
# build gives the same bytes; the text files with Windows' line ends, the
# read-me with its version.
staging="$build/msi-$version"
mkdir -p "$staging"
for exe in apps/panel/6175ZIZ.exe apps/ctl/6175ZIZ-ctl.exe apps/scpiserver/6175ZIZ-scpi.exe; do
  [ -f "$build/$exe" ] || { echo "$build/$exe is missing: make windows builds it" >&2; exit 1; }
  SOURCE_DATE_EPOCH=$(stat -c %Y "$build/$exe") x86_64-w64-mingw32-strip -o "$staging/${exe##*/}" "$build/$exe"
done
sed 's/$/\r/' packaging/windows/LICENSE.txt >"$staging/LICENSE.txt"
sed "s/@VERSION@/$version/g; s/\$/\r/" packaging/windows/README.txt.in >"$staging/README.txt"

wixl --arch x64 -o "$out" \
  -D Version="$version" -D ProductVersion="$product_version" -D ProductCode="$product_code" \
  -D SourceDir=. -D StagingDir="$staging" "$wxs"
echo "$out (ProductVersion $product_version)"
