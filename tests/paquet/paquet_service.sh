#!/usr/bin/env bash
# systemd-analyze verify accepts the receiver's unit, its ExecStart pointed at
# the console program just built, and systemd-analyze security scores its
# overall exposure at 2.0 or less. Skipped where systemd-analyze cannot run.
#   paquet_service.sh UNIT CONSOLE
set -euo pipefail
unite=$1 console=$2

if ! command -v systemd-analyze >/dev/null || ! systemd-analyze --version >/dev/null 2>&1; then
    echo "systemd-analyze ne peut pas tourner ici : vérification de l'unité sautée"
    exit 77
fi

grep -q '^ExecStart=/[^ ]*/bandepassante-console recevoir \$OPTIONS$' "$unite" \
    || { echo "ÉCHEC : l'unité ne lance pas bandepassante-console recevoir" >&2; exit 1; }

dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
copie=$dossier/$(basename "$unite")
sed "s|^ExecStart=[^ ]*|ExecStart=$console|" "$unite" > "$copie"
erreurs=$dossier/erreurs
if ! systemd-analyze verify --man=no "$copie" 2>"$erreurs" || [ -s "$erreurs" ]; then
    echo "ÉCHEC : systemd-analyze verify" >&2
    cat "$erreurs" >&2
    exit 1
fi
echo "ok : systemd-analyze verify $(basename "$unite")"

niveau=$(systemd-analyze security --offline=yes --no-pager "$copie" 2>&1 \
    | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\) .*/\1/p')
awk -v n="$niveau" 'BEGIN { exit !(n != "" && n <= 2.0) }' \
    || { echo "ÉCHEC : systemd-analyze security : exposition « $niveau », au-dessus de 2.0" >&2; exit 1; }
echo "ok : systemd-analyze security $(basename "$unite") : $niveau"
