#!/usr/bin/env bash
# Checks a built Velmo Debian package: its contents (everything the programs need, nothing from
# tests, benchmarks or headers), dependencies found by dpkg-shlibdeps, and that velmo-cli unpacked
# from it writes and builds the sample site in a fresh home folder.
#   usage: scripts/check-package.sh velmo_VERSION_ARCH.deb
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 velmo_VERSION_ARCH.deb" >&2
    exit 2
fi
package="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
failures=0
fail() {
    echo "check-package: $*" >&2
    failures=$((failures + 1))
}

echo "-- contents"
# dpkg-deb -c lists "mode owner/group size date time ./path"; the paths alone, without "./".
listing="$(dpkg-deb -c "$package")"
paths="$(sed -E 's/^([^ ]+ +){5}\.\///' <<<"$listing")"
has() { grep -qxE "$1" <<<"$paths"; }

sample="usr/share/velmo/template/サンプル/サンプル１"
for expected in usr/bin/velmo usr/bin/velmo-cli \
        usr/share/applications/velmo.desktop usr/share/mime/packages/velmo.xml \
        usr/share/icons/hicolor/scalable/apps/velmo.svg \
        usr/share/icons/hicolor/scalable/mimetypes/application-x-velmo.svg \
        "$sample/index.html" "$sample/ページテンプレート/page.html" "$sample/css/light.css"; do
    has "$expected" || fail "missing: $expected"
done
has 'usr/share/velmo/user_image/sample/[^/]+\.(jpg|png)' || fail "missing: a sample picture"

# Only the programs and what lies under share/; tests, benchmarks, fuzzers, the build-time
# picture tool, libraries and headers never belong in the package.
unexpected="$(grep -vxE '|usr/|usr/bin/|usr/bin/velmo(-cli)?|usr/share/|usr/share/(applications|mime|mime/packages|icons|icons/hicolor|icons/hicolor/scalable|icons/hicolor/scalable/(apps|mimetypes))/|usr/share/applications/velmo\.desktop|usr/share/mime/packages/velmo\.xml|usr/share/icons/hicolor/scalable/apps/velmo\.svg|usr/share/icons/hicolor/scalable/mimetypes/application-x-velmo\.svg|usr/share/velmo/.*' <<<"$paths" || true)"
unexpected+=$'\n'"$(grep -E '(^|/)include/|\.(a|so|h)$|\.so\.|(^|/)(tst_|bench_|velmo_fuzz|velmo-make-sample-images)' <<<"$paths" || true)"
unexpected="$(sort -u <<<"$unexpected" | sed '/^$/d')"
[ -z "$unexpected" ] || fail "unexpected in the package:"$'\n'"$unexpected"
# Installed as root, whoever built it.
if grep -vq ' root/root ' <<<"$listing"; then
    fail "files not owned by root: $(grep -v ' root/root ' <<<"$listing" | head -3)"
fi
echo "$(wc -l <<<"$paths") entries"

echo "-- dependencies"
depends="$(dpkg-deb -f "$package" Depends)"
echo "Depends: $depends"
# Present only when dpkg-shlibdeps read the programs: velmo-cli needs QtCore, velmo QtWidgets.
for library in libqt6core6 libqt6widgets6; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library"
done
control="$(dpkg-deb --ctrl-tarfile "$package" | tar -tvf -)"
for script in postinst postrm; do
    grep -qE "^-rwxr-xr-x .*\./$script$" <<<"$control" || fail "$script missing or not executable"
done

echo "-- unpacked velmo-cli in a fresh home folder"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$package" "$work/root"
mkdir "$work/home"
# The data root must come from the user's data folder, seeded from the unpacked share/velmo,
# not from anything the caller's environment names.
run() {
    (cd "$work/home" && env -u XDG_DATA_HOME -u VELMO_HOME HOME="$work/home" \
        "$work/root/usr/bin/velmo-cli" "$@")
}
if ! run sample "$work/home/s.vlm"; then
    fail "velmo-cli sample failed"
elif ! output="$(run build "$work/home/s.vlm")"; then
    echo "$output"
    fail "velmo-cli build failed"
else
    echo "$output"
    published="$(sed -n 's/^published: //p' <<<"$output")"
    case "$published" in
    "$work/home/.local/share/velmo/web/"*) ;;
    *) fail "published outside ~/.local/share/velmo/web: $published" ;;
    esac
    [ -f "$published/index.html" ] || fail "no index page in $published"
fi

if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures check(s) failed for $(basename "$package")" >&2
    exit 1
fi
echo "check-package: $(basename "$package") is complete"
