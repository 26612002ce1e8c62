#!/usr/bin/env bash
# Narrata as a user installs it: `cmake --install` lays out both programs with their manual
# pages, desktop entry, icons and metainfo, which the freedesktop validators accept; the .deb
# holds the same files, depends on the libraries the programs link, and its programs start
# from where it is unpacked, with no display, saying the version the metainfo announces.
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/dest" cmake --install "$build" --prefix /usr >/dev/null
cd "$work/dest"
for file in usr/bin/narrata usr/bin/narrata-cli usr/share/man/man1/narrata.1.gz usr/share/man/man1/narrata-cli.1.gz \
  usr/share/applications/narrata.desktop usr/share/icons/hicolor/scalable/apps/narrata.svg \
  usr/share/icons/hicolor/48x48/apps/narrata.png usr/share/icons/hicolor/256x256/apps/narrata.png; do
  [ -s "$file" ] || fail "cmake --install left out $file"
done
metainfo=(usr/share/metainfo/*.metainfo.xml)
desktop-file-validate usr/share/applications/narrata.desktop || fail "the desktop entry is invalid"
appstreamcli validate --no-net "${metainfo[@]}" >/dev/null || fail "the metainfo is invalid: $(appstreamcli validate --no-net "${metainfo[@]}")"
zgrep -q 'report\\-word\\-position' usr/share/man/man1/narrata.1.gz || fail "narrata's manual page lacks its options"
zgrep -q '^narrata-cli \\- ' usr/share/man/man1/narrata-cli.1.gz || fail "narrata-cli's manual page lacks its name"

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=("$work"/package/narrata_*.deb)
depends=$(dpkg-deb --field "${deb[@]}" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libespeak-ng1* ]] || fail "the package lacks the linked libraries: $depends"
dpkg-deb --extract "${deb[@]}" "$work/root"
diff <(find . -type f | sort) <(cd "$work/root" && find . -type f | sort) || fail "the package and the installation differ"

version=$(grep -o -m1 'release version="[^"]*"' "${metainfo[@]}" | cut -d'"' -f2)
[ "$(dpkg-deb --field "${deb[@]}" Version)" = "$version" ] || fail "the package's version is not the metainfo's $version"
for program in narrata narrata-cli; do
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/root/usr/bin/$program" --version) ||
    fail "$program --version failed from the package"
  [ "${said##* }" = "$version" ] || fail "$program --version says '$said', the metainfo's newest release is $version"
done
echo "installed, validated, packaged as $(basename "${deb[@]}") and started"
