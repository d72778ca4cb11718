#!/usr/bin/env bash
# Builds the Debian package from a build tree and reads it back:
#   check_deb.sh BUILD_DIR HAS_AGENT(0|1)
# It must depend on runtime packages only, cover every library its programs link, and hold
# the programs, the data files, the launcher with the link handler, the autostart template
# and the icon, owned by root.
set -euo pipefail
build=$1
has_agent=${2:-0}
out=$build/packaging
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log" >&2; exit 1; }
debs=("$out"/tarnwhistle_*.deb)
[ -f "${debs[0]}" ] || { echo "no package was made" >&2; exit 1; }
deb=${debs[0]}

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The names of the packages it depends on, one a line (versions and alternatives' bars dropped).
depend_names=$(dpkg-deb --field "$deb" Depends | tr ',|' '\n' \
    | sed -E 's/\(.*\)//; s/:any//; s/^ +| +$//g' | sed '/^$/d')
grep -E -e '-dev$' <<<"$depend_names" && fail "a build package is among the dependencies"
for needed in at-spi2-core tesseract-ocr-eng libssl3; do
    grep -qx "$needed" <<<"$depend_names" || fail "$needed (used without linking) is not a dependency"
done

contents=$(dpkg-deb --contents "$deb")
programs=(usr/bin/tarnwhistle-tool usr/bin/tarnwhistle-receiver)
[ "$has_agent" = 1 ] && programs+=(usr/bin/tarnwhistle)
for path in "${programs[@]}" \
    usr/share/tarnwhistle/person-names.txt usr/share/tarnwhistle/word-vectors.bin \
    usr/share/tarnwhistle/autostart/tarnwhistle.desktop \
    usr/share/applications/tarnwhistle.desktop \
    usr/share/icons/hicolor/scalable/apps/tarnwhistle.svg \
    usr/share/icons/hicolor/48x48/apps/tarnwhistle.png; do
    grep -qE " \./$path\$" <<<"$contents" || fail "$path is not in the package"
done
awk '{print $2}' <<<"$contents" | grep -v '^root/root$' && fail "files not owned by root"

root=$out/root
dpkg-deb --extract "$deb" "$root"
launcher=$root/usr/share/applications/tarnwhistle.desktop
grep -qx 'Exec=tarnwhistle %u' "$launcher" || fail "the launcher does not pass the link on"
grep -qE '^MimeType=(.*;)?x-scheme-handler/tarnwhistle;' "$launcher" \
    || fail "the launcher does not handle tarnwhistle: links"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$launcher" "$root/usr/share/tarnwhistle/autostart/tarnwhistle.desktop" \
        || fail "a desktop entry is not valid"
fi
[ -x "$root/usr/bin/tarnwhistle-receiver" ] || fail "the receiver is not executable"

modules=$(find "$root/usr/lib" -path '*/tarnwhistle/*.so')
[ -n "$modules" ] || fail "the text-recognition module is not in the package"

# Every library a program or module links directly must come with a listed package.
for program in "$root"/usr/bin/* $modules; do
    [ "$(head -c 4 "$program" | tail -c 3)" = ELF ] || continue
    resolved=$(ldd "$program")
    for soname in $(readelf -d "$program" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p'); do
        path=$(awk -v s="$soname" '$1 == s && $2 == "=>" {print $3}' <<<"$resolved")
        [ -n "$path" ] || { fail "$(basename "$program"): $soname does not resolve"; continue; }
        owner=""
        # Debian 12 registers some libraries under /lib, others under /usr/lib.
        for candidate in "$path" "$(realpath "$path")" "${path#/usr}" "/usr$path"; do
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1) && [ -n "$owner" ] && break
        done
        [ -n "$owner" ] || { fail "$(basename "$program"): no package owns $path"; continue; }
        grep -qx "$owner" <<<"$depend_names" \
            || fail "$(basename "$program") links $soname from $owner, which is not a dependency"
    done
done

[ $failures -eq 0 ] || exit 1
echo "package ok: $deb"
