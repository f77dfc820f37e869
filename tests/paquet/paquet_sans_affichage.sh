#!/usr/bin/env bash
# Without a display, bandepassante answers --help and --version, and otherwise
# exits 1 with one line that points to bandepassante-console; so it does when
# the display it is given cannot be opened, instead of aborting.
#   paquet_sans_affichage.sh BANDEPASSANTE VERSION
set -euo pipefail
programme=$1 version=$2
message="bandepassante : aucun affichage graphique trouvé (DISPLAY et WAYLAND_DISPLAY sont vides) ; bandepassante-console mesure le débit sans affichage."

dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT

# Runs the program without a display; sets code, and leaves its outputs in
# $dossier/sortie and $dossier/erreurs.
lance() {
    code=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$programme" "$@" \
        >"$dossier/sortie" 2>"$dossier/erreurs" </dev/null || code=$?
}

# attend CASE CODE STDOUT STDERR: the last run gave exactly these.
attend() {
    if [ "$code" != "$2" ] || [ "$(cat "$dossier/sortie")" != "$3" ] || [ "$(cat "$dossier/erreurs")" != "$4" ]; then
        echo "ÉCHEC ($1) : code $code, attendu $2" >&2
        echo "--- sortie :" >&2; cat "$dossier/sortie" >&2
        echo "--- erreurs :" >&2; cat "$dossier/erreurs" >&2
        exit 1
    fi
    echo "ok : $1"
}

lance
attend "sans affichage" 1 "" "$message"

lance --version
attend "--version" 0 "bandepassante $version" ""

lance -h
code_aide=$code
grep -q -- "--version" "$dossier/sortie" && [ "$code_aide" = 0 ] \
    || { echo "ÉCHEC (-h) : code $code_aide" >&2; cat "$dossier/sortie" "$dossier/erreurs" >&2; exit 1; }
echo "ok : -h"

# lance_avec VARIABLE=VALEUR...: the same run with a display that cannot be
# opened.
lance_avec() {
    code=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$programme" \
        >"$dossier/sortie" 2>"$dossier/erreurs" </dev/null || code=$?
}
for reglage in DISPLAY=:987 WAYLAND_DISPLAY=nulle-part QT_QPA_PLATFORM=inconnue; do
    lance_avec "$reglage"
    [ "$code" = 1 ] && grep -qF "bandepassante : l'affichage graphique ne s'ouvre pas ($reglage) ; bandepassante-console mesure le débit sans affichage." "$dossier/erreurs" \
        || { echo "ÉCHEC ($reglage) : code $code" >&2; cat "$dossier/erreurs" >&2; exit 1; }
    echo "ok : $reglage"
done

lance --inconnue
[ "$code" = 2 ] && grep -q "inconnue" "$dossier/erreurs" \
    || { echo "ÉCHEC (--inconnue) : code $code" >&2; cat "$dossier/erreurs" >&2; exit 1; }
echo "ok : --inconnue"
