#!/usr/bin/env bash
# The desktop entry, the AppStream metainfo and both manual pages pass their
# validators without a warning.
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
