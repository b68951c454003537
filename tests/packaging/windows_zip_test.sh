#!/usr/bin/env bash
# Builds the Windows zip as scripts/build --windows does and checks what a Windows user unpacks: the
# plug-in library and the tool beside a README with Windows line ends and the licence texts; a 64-bit
# DLL exporting the VST 2.4 entry points and nothing internal; both binaries importing only Windows' own
# DLLs (the C, C++ and threads runtimes linked in).
#   windows_zip_test.sh <build-dir> <objdump>
set -uo pipefail
build=$1
objdump=$2

fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kavren-zip.XXXXXX") || fail "cannot make a temporary folder"
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G ZIP -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
zip=$(find "$work/out" -maxdepth 1 -name 'KavrenXL-*-win64.zip' -print -quit)
[ -n "$zip" ] || fail "cpack made no KavrenXL-*-win64.zip"
top=$(basename "$zip" .zip)
(cd "$work" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
cmake -E tar tf "$zip"

for file in kavren-xl.dll kavren.exe README.txt "licences/Kavren XL.txt" licences/cairo.txt licences/freetype.txt \
            licences/kissfft.txt licences/libpng1.6.txt licences/libsndfile.txt licences/pixman.txt \
            licences/zlib.txt licences/gcc-runtime.txt licences/mingw-w64-runtime.txt \
            licences/common-licenses/LGPL-2.1.txt; do
  [ -s "$work/$top/$file" ] || fail "the zip lacks $top/$file"
done
[ ! -e "$work/$top/licences/googletest.txt" ] || fail "the zip carries the licence of a test-only library"
readme="$work/$top/README.txt"
grep -qF 'C:\Program Files\Common Files\VST2' "$readme" || fail "README.txt does not name the VST2 folder"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without Windows line ends"

# Windows' own DLLs, in lower case; anything else would have to ship beside the plug-in.
system='^(advapi32|bcrypt|comctl32|comdlg32|crypt32|dwmapi|gdi32|imm32|kernel32|msimg32|msvcrt|ole32|oleaut32|'
system+='shcore|shell32|shlwapi|ucrtbase|api-ms-win-[a-z0-9-]+|user32|userenv|uxtheme|version|winmm|ws2_32)\.dll$'
for binary in kavren-xl.dll kavren.exe; do
  headers=$("$objdump" -p "$work/$top/$binary") || fail "$objdump cannot read $binary"
  grep -q 'file format pei-x86-64' <<<"$headers" || fail "$binary is not a 64-bit Windows image"
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
  [ -n "$imports" ] || fail "$binary imports nothing"
  foreign=$(grep -Ev "$system" <<<"$imports")
  [ -z "$foreign" ] || fail "$binary imports DLLs that are not Windows' own: $foreign"
  echo "$binary imports:" $imports
done

exports=$("$objdump" -p "$work/$top/kavren-xl.dll" |
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' | LC_ALL=C sort | tr '\n' ' ')
[ "$exports" = "VSTPluginMain createTessuInstance getSamplerInterface getTessuPluginListPTR main " ] ||
  fail "kavren-xl.dll exports '$exports'"
echo "PASS: $top.zip holds the plug-in, the tool, the README and the licences"
