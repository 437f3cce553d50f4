#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package as a Debian maintainer would before shipping it:
# the desktop entry and AppStream metainfo validate; the package is built with
# CPack; its control fields and contents list hold what a desktop program
# needs at the standard paths; it installs into a scratch root (dpkg --root,
# or dpkg-deb -x where dpkg cannot install there), where the installed program
# answers --version and the desktop entry, icons, metainfo, manual page and
# changelog agree with each other and with the version; apt would install it
# on this machine without removing anything; it purges without leftovers; and
# lintian finds neither errors nor warnings. Needs no network, no display and
# no install into the real root.
#
# Usage: check-package.sh <build folder> <version string> <AppStream id> <cpack>
# Prints one line per check and "N passed, N failed" at the end; exit status 0
# when every check passed.
set -uo pipefail
build="$1"
version="$2"
appstream_id="$3"
cpack="$4"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
check_dir="$build/packaging/check"
metainfo="$appstream_id.metainfo.xml"
icon_sizes=(16 22 24 32 48 64 128 256)

passed=0
failed=0
report() {  # report <ok 0|1> <check> <what went wrong>
  if [ "$1" = 0 ]; then
    passed=$((passed + 1)); echo "ok      $2"
  else
    failed=$((failed + 1)); echo "FAILED  $2: $3"
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
  exit
}

missing=""
for tool in desktop-file-validate appstreamcli dpkg dpkg-deb dpkg-shlibdeps apt-get lintian gzip file man; do
  command -v "$tool" >/dev/null || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  report 1 "packaging tools" "missing:$missing (make deps installs them)"
  finish
fi

# --- The metadata as written --------------------------------------------
if out="$(desktop-file-validate "$source_dir/packaging/kaltap.desktop" 2>&1)" && [ -z "$out" ]; then
  report 0 "desktop-file-validate kaltap.desktop"
else
  report 1 "desktop-file-validate kaltap.desktop" "$out"
fi
if out="$(appstreamcli validate --no-net "$build/packaging/$metainfo" 2>&1)"; then
  report 0 "appstreamcli validate $metainfo"
else
  report 1 "appstreamcli validate $metainfo" "$out"
fi

# --- The package ----------------------------------------------------------
rm -rf "$check_dir"
arch="$(dpkg --print-architecture)"
deb="$check_dir/kaltap_${version}_${arch}.deb"
if ! out="$("$cpack" -G DEB -B "$check_dir" --config "$build/CPackConfig.cmake" 2>&1)" || [ ! -f "$deb" ]; then
  report 1 "cpack builds kaltap_${version}_${arch}.deb" "$out"
  finish
fi
report 0 "cpack builds kaltap_${version}_${arch}.deb"

# Control fields: field | pattern (grep -E) the value must match.
fields=(
  "Package|^kaltap\$"
  "Version|^${version//./\\.}\$"
  "Architecture|^$arch\$"
  "Maintainer|^[^<>]+ <[^<>@ ]+@[^<>@ ]+>\$"
  "Section|^science\$"
  "Priority|^optional\$"
  "Description|^linear-phase FIR filter design"
  "Depends|(^|, )libc6 \(>= "
  "Depends|(^|, )libqt5widgets5 \(>= "
  "Depends|(^|, )libqwt-qt5-6 \(>= "
)
for entry in "${fields[@]}"; do
  IFS='|' read -r field pattern <<<"$entry"
  value="$(dpkg-deb --field "$deb" "$field")"
  if grep -Eq -- "$pattern" <<<"$value"; then
    report 0 "field $field matches /$pattern/"
  else
    report 1 "field $field matches /$pattern/" "it is '$value'"
  fi
done
info="$(dpkg-deb --info "$deb")"
if grep -q "^ Depends: " <<<"$info"; then
  report 0 "dpkg-deb --info shows the dependencies"
else
  report 1 "dpkg-deb --info shows the dependencies" "$info"
fi

# Contents: every path a desktop program installs, with owner and mode.
contents="$(dpkg-deb --contents "$deb")"
expected=(
  "-rwxr-xr-x ./usr/bin/kaltap"
  "-rw-r--r-- ./usr/share/applications/kaltap.desktop"
  "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/kaltap.svg"
  "-rw-r--r-- ./usr/share/metainfo/$metainfo"
  "-rw-r--r-- ./usr/share/man/man1/kaltap.1.gz"
  "-rw-r--r-- ./usr/share/doc/kaltap/copyright"
  "-rw-r--r-- ./usr/share/doc/kaltap/changelog.gz"
  "-rw-r--r-- ./usr/share/doc/kaltap/README.md"
)
for size in "${icon_sizes[@]}"; do
  expected+=("-rw-r--r-- ./usr/share/icons/hicolor/${size}x${size}/apps/kaltap.png")
done
for entry in "${expected[@]}"; do
  mode="${entry%% *}"
  path="${entry#* }"
  if awk -v mode="$mode" -v path="$path" \
       '$1 == mode && $2 == "root/root" && $6 == path { found = 1 } END { exit !found }' <<<"$contents"; then
    report 0 "package holds $path"
  else
    report 1 "package holds $path" "not there as $mode root/root"
  fi
done
strays="$(awk '$6 !~ /^\.\/usr\// || $2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x")' <<<"$contents")"
if [ -z "$strays" ]; then
  report 0 "everything below /usr, owned by root, directories rwxr-xr-x"
else
  report 1 "everything below /usr, owned by root, directories rwxr-xr-x" "$strays"
fi

# --- Installed into a scratch root ----------------------------------------
root="$check_dir/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# The scratch root holds no libraries, so the dependencies cannot be met
# there; whether they can be met here is checked with apt below.
if out="$(dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -i "$deb" 2>&1)"; then
  installed_by=dpkg
  report 0 "dpkg --root installs the package"
else
  echo "note    dpkg cannot install into a scratch root here; unpacking with dpkg-deb -x: $out" | head -3
  installed_by=dpkg-deb
  dpkg-deb -x "$deb" "$root"
fi

# The files are checked as the package holds them, unpacked: a dpkg set up
# to leave out documentation (path-exclude in /etc/dpkg/dpkg.cfg.d) would
# drop the manual page and changelog from the installed copy.
files="$check_dir/unpacked"
dpkg-deb -x "$deb" "$files"

run_installed() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kaltap" "$@"
}
if out="$(run_installed --version 2>&1)" && [ "$out" = "kaltap $version" ]; then
  report 0 "installed kaltap --version prints 'kaltap $version'"
else
  report 1 "installed kaltap --version prints 'kaltap $version'" "$out"
fi

desktop="$files/usr/share/applications/kaltap.desktop"
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$desktop")"
if [ -n "$exec_name" ] && [ -x "$files/usr/bin/$exec_name" ]; then
  report 0 "desktop entry's Exec ($exec_name) is the packaged program"
else
  report 1 "desktop entry's Exec ($exec_name) is the packaged program" "no $files/usr/bin/$exec_name"
fi
missing_icons=""
for size in "${icon_sizes[@]}"; do
  icon="$files/usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png"
  dimensions="$(file -b "$icon" 2>/dev/null | grep -o '[0-9]* x [0-9]*')"
  [ "$dimensions" = "$size x $size" ] || missing_icons="$missing_icons ${size}x${size}($dimensions)"
done
grep -q "<svg" "$files/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" 2>/dev/null \
  || missing_icons="$missing_icons scalable"
if [ -n "$icon_name" ] && [ -z "$missing_icons" ]; then
  report 0 "desktop entry's Icon ($icon_name) is installed at every size, as PNGs of that size and SVG"
else
  report 1 "desktop entry's Icon ($icon_name) is installed at every size, as PNGs of that size and SVG" \
    "missing or wrong:$missing_icons"
fi
if out="$(appstreamcli validate-tree --no-net "$files" 2>&1)"; then
  report 0 "appstreamcli validate-tree on the package's files"
else
  report 1 "appstreamcli validate-tree on the package's files" "$out"
fi
installed_metainfo="$files/usr/share/metainfo/$metainfo"
consistent=""
grep -q "<id>$appstream_id</id>" "$installed_metainfo" || consistent="$consistent id"
grep -q '<launchable type="desktop-id">kaltap.desktop</launchable>' "$installed_metainfo" \
  || consistent="$consistent launchable"
grep -q "<release version=\"$version\"" "$installed_metainfo" || consistent="$consistent release"
manual_page="$(gzip -dc "$files/usr/share/man/man1/kaltap.1.gz")"
grep -q "^\.TH KALTAP 1 .*\"kaltap $version\"" <<<"$manual_page" || consistent="$consistent manual-page"
changelog="$(gzip -dc "$files/usr/share/doc/kaltap/changelog.gz")"
[[ "${changelog%%$'\n'*}" == "kaltap ($version) "* ]] || consistent="$consistent changelog"
if [ -z "$consistent" ]; then
  report 0 "metainfo, manual page and changelog name this package and version"
else
  report 1 "metainfo, manual page and changelog name this package and version" "wrong:$consistent"
fi
if out="$(man --warnings -l "$files/usr/share/man/man1/kaltap.1.gz" 2>&1 >/dev/null)" && [ -z "$out" ]; then
  report 0 "manual page formats without warnings"
else
  report 1 "manual page formats without warnings" "$out"
fi

if [ "$installed_by" = dpkg ]; then
  if out="$(dpkg --root="$root" --log=/dev/null --force-not-root --purge kaltap 2>&1)" \
     && [ -z "$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/*")" ]; then
    report 0 "dpkg --purge leaves nothing behind"
  else
    report 1 "dpkg --purge leaves nothing behind" \
      "$out $(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/*" | head -5)"
  fi
fi

# --- On this machine, and by lintian -----------------------------------------
# A simulated "apt install ./<package>": its dependencies can be met without
# removing anything.
out="$(cd "$check_dir" && apt-get install -s --no-install-recommends "./$(basename "$deb")" 2>&1)"
if grep -q "^Inst kaltap " <<<"$out" && ! grep -q "^Remv " <<<"$out"; then
  report 0 "apt would install the package here, removing nothing"
else
  report 1 "apt would install the package here, removing nothing" "$(tail -5 <<<"$out")"
fi
if out="$(lintian --fail-on error,warning "$deb" 2>&1)"; then
  report 0 "lintian: no errors or warnings"
else
  report 1 "lintian: no errors or warnings" "$out"
fi

finish
