#!/usr/bin/env bash
# `cmake --install` into an empty DESTDIR puts exactly the expected files in
# place, and the installed console program runs from there.
#   paquet_installation.sh BUILD_DIR PREFIX APPLICATION_ID VERSION SYSCONFDIR
set -euo pipefail
build=$1 prefixe=$2 id=$3 version=$4 etc=$5

destdir=$(mktemp -d)
trap 'rm -rf "$destdir"' EXIT
DESTDIR=$destdir cmake --install "$build" >/dev/null

attendus=$(sort <<FIN
$etc/default/bandepassante-recepteur
$prefixe/bin/bandepassante
$prefixe/bin/bandepassante-console
$prefixe/lib/systemd/system/bandepassante-recepteur.service
$prefixe/share/applications/$id.desktop
$prefixe/share/doc/bandepassante/changelog.gz
$prefixe/share/doc/bandepassante/copyright
$prefixe/share/icons/hicolor/16x16/apps/$id.png
$prefixe/share/icons/hicolor/22x22/apps/$id.png
$prefixe/share/icons/hicolor/24x24/apps/$id.png
$prefixe/share/icons/hicolor/32x32/apps/$id.png
$prefixe/share/icons/hicolor/48x48/apps/$id.png
$prefixe/share/icons/hicolor/64x64/apps/$id.png
$prefixe/share/icons/hicolor/128x128/apps/$id.png
$prefixe/share/icons/hicolor/256x256/apps/$id.png
$prefixe/share/icons/hicolor/scalable/apps/$id.svg
$prefixe/share/man/fr/man1/bandepassante-console.1.gz
$prefixe/share/man/fr/man1/bandepassante.1.gz
$prefixe/share/man/man1/bandepassante-console.1.gz
$prefixe/share/man/man1/bandepassante.1.gz
$prefixe/share/metainfo/$id.metainfo.xml
FIN
)
installes=$(cd "$destdir" && find . ! -type d | sed 's|^\.||' | sort)
if [ "$installes" != "$attendus" ]; then
    echo "ÉCHEC : fichiers installés différents des attendus (< attendus, > installés)" >&2
    diff <(echo "$attendus") <(echo "$installes") >&2 || true
    exit 1
fi
echo "ok : $(wc -l <<<"$installes") fichiers installés, ceux attendus"

for x in bandepassante bandepassante-console; do
    [ -x "$destdir$prefixe/bin/$x" ] || { echo "ÉCHEC : $x n'est pas exécutable" >&2; exit 1; }
done

# The manual pages: in English in man1, in French in fr/man1.
man=$destdir$prefixe/share/man
for page in bandepassante bandepassante-console; do
    zgrep -qx '\.SH NAME' "$man/man1/$page.1.gz" && zgrep -qx '\.SH NOM' "$man/fr/man1/$page.1.gz" \
        || { echo "ÉCHEC : $page.1 n'est pas en anglais dans man1 et en français dans fr/man1" >&2; exit 1; }
done
echo "ok : pages de manuel en anglais dans man1, en français dans fr/man1"

sortie=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$destdir$prefixe/bin/bandepassante-console" --version)
[ "$sortie" = "bandepassante-console $version" ] \
    || { echo "ÉCHEC : --version de la console installée : « $sortie »" >&2; exit 1; }
echo "ok : $sortie"
