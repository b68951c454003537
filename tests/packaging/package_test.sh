#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and runs what it installed from there: the
# kavren tool on the VST 2.4 library and lv2info on the LV2 bundle; lintian must report neither error nor
# warning.
# Exits 77 (skipped) when the Debian packaging tools are missing.
#   package_test.sh <build-dir>
set -uo pipefail
build=$1

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

command -v dpkg-deb >/dev/null || skip "dpkg-deb is not installed"
command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps (dpkg-dev) is not installed"
work=$(mktemp -d "${TMPDIR:-/tmp}/kavren-package.XXXXXX") || fail "cannot make a temporary folder"
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(find "$work/out" -maxdepth 1 -name 'kavren-xl_*_amd64.deb' -print -quit)
[ -n "$deb" ] || fail "cpack made no kavren-xl_*_amd64.deb"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 zlib1g libsndfile1; do
  [[ $depends == *"$library "* ]] || fail "the package does not depend on $library"
done
[[ $depends != *-dev* ]] || fail "the package depends on a development package"

dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb could not unpack the package"
root=$work/root/usr
for file in bin/kavren lib/vst/kavren-xl.so lib/lv2/kavren-xl.lv2/kavren-xl.so lib/lv2/kavren-xl.lv2/kavren-xl-ui.so \
            lib/lv2/kavren-xl.lv2/manifest.ttl \
            share/doc/kavren-xl/copyright share/doc/kavren-xl/changelog.gz share/doc/kavren-xl/README.md \
            share/man/man1/kavren.1.gz; do
  [ -f "$root/$file" ] || fail "the package lacks /usr/$file"
done
[ "$(find "$root/lib/lv2/kavren-xl.lv2/presets" -name '*.ttl' | wc -l)" -eq 133 ] || fail "the bundle lacks presets"

info=$("$root/bin/kavren" info --plugin "$root/lib/vst/kavren-xl.so") || fail "kavren info failed: $info"
grep -q "QMX Kavren XL" <<<"$info" || fail "kavren info did not describe the plug-in: $info"
# Installed under the same prefix, the tool finds the VST 2.4 library on its own.
found=$("$root/bin/kavren" info 2>&1)
grep -q "QMX Kavren XL" <<<"$found" || fail "the installed tool did not find the installed plug-in: $found"

if command -v lv2info >/dev/null; then
  lv2=$(LV2_PATH="$root/lib/lv2" lv2info urn:quillmark:kavren-xl) || fail "lv2info failed: $lv2"
  grep -q "Bundle:            file://$root/lib/lv2/kavren-xl.lv2/" <<<"$lv2" || fail "lv2info did not load the unpacked bundle"
fi

if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
  cat "$work/lintian.log"
  ! grep -q '^[EW]:' "$work/lintian.log" || fail "lintian reported errors or warnings"
fi
echo "PASS: the package installs both formats and the tool"
