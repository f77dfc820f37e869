#!/usr/bin/env bash
# The desktop entry, the AppStream metainfo and the manual pages pass their
# validators without a warning; the entry and the metainfo speak English, with
# their French translation beside.
#   paquet_donnees.sh DESKTOP METAINFO PAGE...
set -euo pipefail
desktop=$1 metainfo=$2
shift 2

# silencieux COMMAND...: runs a validator that says nothing of a good file;
# fails when it fails or says anything, even a hint.
silencieux() {
    local sortie
    if ! sortie=$("$@" 2>&1) || [ -n "$sortie" ]; then
        echo "ÉCHEC : $*" >&2
        echo "$sortie" >&2
        exit 1
    fi
    echo "ok : $*"
}

silencieux desktop-file-validate "$desktop"
for page in "$@"; do
    silencieux groff -K utf8 -man -ww -z "$page"
done
# Fails on errors and warnings; its one information is that the validator
# does not know the maker's top-level domain.
appstreamcli validate --no-net --explain "$metainfo" \
    || { echo "ÉCHEC : appstreamcli validate $metainfo" >&2; exit 1; }

# traduit FILE ENGLISH FRENCH: FILE has lines matching both patterns.
traduit() {
    grep -qi -- "$2" "$1" && grep -qi -- "$3" "$1" \
        || { echo "ÉCHEC : $1 n'a pas de ligne « $2 » et de ligne « $3 »" >&2; exit 1; }
}
for cle in GenericName Comment Keywords; do
    traduit "$desktop" "^$cle=.*throughput" "^$cle\[fr\]=.*débit"
done
traduit "$metainfo" "<summary>.*throughput" '<summary xml:lang="fr">.*débit'
# Every paragraph and caption of the metainfo has its French one.
for balise in p caption; do
    n=$(grep -c "<$balise>" "$metainfo") fr=$(grep -c "<$balise xml:lang=\"fr\">" "$metainfo") || true
    [ "$n" -gt 0 ] && [ "$n" = "$fr" ] \
        || { echo "ÉCHEC : $metainfo : $n <$balise> en anglais, $fr en français" >&2; exit 1; }
done
echo "ok : entrée de bureau et métadonnées en anglais, traduites en français"
