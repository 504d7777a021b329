#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree as a Linux
# desktop reads it, with the desktop's own validators.
#   check-install.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
build="$1" source="$2" version="$3"
app_id=org.korvel.Korvel
mime_type=application/x-korvel-project
sizes="16 22 24 32 48 64 128 256"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Runs a validator; anything it prints is a finding, even with exit code 0.
quiet() {
    local out
    if ! out="$("$@" 2>&1)" || [ -n "$out" ]; then
        fail "$* reports:"; printf '%s\n' "$out" >&2
    fi
}
# Width and height of a PNG from its IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }

prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2; rm -f "$prefix.log"; echo "FAIL: cmake --install" >&2; exit 1
fi
rm -f "$prefix.log"
share="$prefix/share"

for program in bin/korvel bin/korvel-cli libexec/korvel/korvel-cli-render; do
    [ -x "$prefix/$program" ] || fail "$program is missing or not executable"
done

# Every example and its tests, byte for byte.
for example in "$source"/Examples/*.vorn "$source"/Examples/*.kvtest; do
    installed="$share/korvel/examples/$(basename "$example")"
    cmp -s "$example" "$installed" || fail "${installed#"$prefix"/} differs from or lacks $(basename "$example")"
done

desktop="$share/applications/$app_id.desktop"
mime="$share/mime/packages/$app_id.xml"
metainfo="$share/metainfo/$app_id.metainfo.xml"
for file in "$desktop" "$mime" "$metainfo" "$share/man/man1/korvel.1.gz" "$share/man/man1/korvel-cli.1.gz"; do
    [ -f "$file" ] || fail "${file#"$prefix"/} is missing"
done

quiet desktop-file-validate "$desktop"
grep -qx "Exec=korvel %f" "$desktop" || fail "the desktop entry does not run korvel %f"
grep -qx "MimeType=$mime_type;" "$desktop" || fail "the desktop entry does not open $mime_type"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry's icon is not $app_id"
# What a file manager reads to open a project with a double click.
quiet update-desktop-database "$share/applications"
grep -qx "$mime_type=$app_id.desktop;" "$share/applications/mimeinfo.cache" \
    || fail "$mime_type does not open with $app_id.desktop"

appstreamcli validate --no-net "$metainfo" >"$prefix/appstream.log" 2>&1 \
    || { fail "appstreamcli validate:"; cat "$prefix/appstream.log" >&2; }
grep -q "<mediatype>$mime_type</mediatype>" "$metainfo" || fail "the metainfo does not provide $mime_type"
# The newest release comes first and must be the version being built.
newest="$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)"
[ "$newest" = "$version" ] || fail "the metainfo's newest release is \"$newest\", not $version"

quiet xmllint --noout "$mime"
# shared-mime-info compiles the description as a desktop's database would.
XDG_DATA_DIRS="$share" quiet update-mime-database "$share/mime"
grep -q "^[0-9]*:$mime_type:\*\.vorn$" "$share/mime/globs2" || fail "*.vorn is not $mime_type in globs2"
grep -q "^ VornProject $mime_type$" "$share/mime/XMLnamespaces" \
    || fail "the VornProject root element is not $mime_type in XMLnamespaces"
grep -aq "<VornProject" "$share/mime/magic" || fail "no magic rule finds <VornProject"

for size in $sizes; do
    for icon in "apps/$app_id.png" "mimetypes/application-x-korvel-project.png"; do
        file="$share/icons/hicolor/${size}x${size}/$icon"
        if [ ! -f "$file" ]; then
            fail "${file#"$prefix"/} is missing"
        elif [ "$(png_size "$file")" != "${size}x${size}" ]; then
            fail "${file#"$prefix"/} is $(png_size "$file")"
        fi
    done
done

for page in korvel korvel-cli; do
    file="$share/man/man1/$page.1.gz"
    [ -f "$file" ] || continue
    zcat "$file" | head -n 1 | grep -q "^\.TH ${page^^} 1 .*\"Korvel $version\"" \
        || fail "$page.1 does not carry version $version in its title"
    quiet bash -c "zcat '$file' | LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8"
done

# The installed program runs, on an installed example.
cli="$prefix/bin/korvel-cli"
[ "$("$cli" --version)" = "korvel-cli $version" ] || fail "korvel-cli --version does not say $version"
"$cli" check "$share/korvel/examples/Example_1.vorn" || fail "korvel-cli check of the installed example"
# Only render, in a program of its own, loads Qt GUI, and never the widgets.
ldd "$cli" | grep -q 'libQt5\(Gui\|Widgets\)' && fail "korvel-cli links the GUI libraries"
ldd "$prefix/libexec/korvel/korvel-cli-render" | grep -q 'libQt5Widgets' && fail "korvel-cli-render links Qt Widgets"
"$cli" render "$share/korvel/examples/Example_1.vorn" -o "$prefix/pictures" --canvas Pedestrian_Crossing >/dev/null \
    && [ -s "$prefix/pictures/Pedestrian_Crossing.svg" ] || fail "korvel-cli render of the installed example"

[ "$failures" -eq 0 ] || { echo "$failures check(s) of the installed tree failed" >&2; exit 1; }
echo "The installed tree is complete and valid."
