#!/usr/bin/env bash
# Builds the Debian package from the build into a temporary folder and checks
# it: its control fields, its dependencies, ownership, and the files where a
# desktop looks for them once dpkg has unpacked it.
#   check-deb.sh BUILD_DIR VERSION CPACK
set -uo pipefail
build="$1" version="$2" cpack="$3"
app_id=org.korvel.Korvel

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if ! (cd "$build" && "$cpack" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log" >&2; echo "FAIL: cpack -G DEB" >&2; exit 1
fi
deb="$work/out/korvel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$work/out")" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvel ] || fail "Package is \"$(field Package)\""
[ "$(field Version)" = "$version" ] || fail "Version is \"$(field Version)\""
[ "$(field Section)" = devel ] || fail "Section is \"$(field Section)\""
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# dpkg-shlibdeps found what the binaries link against.
depends="$(field Depends)"
names="$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')"
for package in libqt5widgets5 libqt5gui5 libqt5network5 libqt5core5a libstdc++6 libc6; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done

# Files belong to root, as dpkg installs them.
owners="$(dpkg-deb -c "$deb" | awk '{ print $2 }' | sort -u)"
[ "$owners" = root/root ] || fail "files owned by $owners"

root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
for file in usr/bin/korvel usr/bin/korvel-cli usr/libexec/korvel/korvel-cli-render \
    "usr/share/applications/$app_id.desktop" \
    "usr/share/mime/packages/$app_id.xml" \
    "usr/share/metainfo/$app_id.metainfo.xml" \
    "usr/share/icons/hicolor/48x48/apps/$app_id.png" \
    "usr/share/icons/hicolor/256x256/apps/$app_id.png" \
    usr/share/icons/hicolor/48x48/mimetypes/application-x-korvel-project.png \
    usr/share/man/man1/korvel.1.gz usr/share/man/man1/korvel-cli.1.gz \
    usr/share/korvel/examples/Example_1.vorn; do
    [ -f "$root/$file" ] || fail "/$file is not in the package"
done
# Debug information stays in the build folder.
for program in korvel korvel-cli; do
    if readelf -S "$root/usr/bin/$program" 2>/dev/null | grep -q '\.debug_info'; then
        fail "/usr/bin/$program is not stripped"
    fi
done
"$root/usr/bin/korvel-cli" check "$root/usr/share/korvel/examples/Example_1.vorn" \
    || fail "the packaged korvel-cli does not check the packaged example"

[ "$failures" -eq 0 ] || { echo "$failures check(s) of the Debian package failed" >&2; exit 1; }
echo "$(basename "$deb") is complete: Depends: $depends"
