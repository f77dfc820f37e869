#!/usr/bin/env bash
# systemd-analyze verify accepts the receiver's unit, its ExecStart pointed at
# the console program just built, and systemd-analyze security scores its
# overall exposure at 2.0 or less; systemd reads the options file as meant.
# Skipped where systemd-analyze cannot run.
#   paquet_service.sh UNIT CONSOLE OPTIONS_FILE
set -euo pipefail
unite=$1 console=$2 defaut=$3
generateur=/usr/lib/systemd/user-environment-generators/30-systemd-environment-d-generator

if ! command -v systemd-analyze >/dev/null || ! systemd-analyze --version >/dev/null 2>&1 || [ ! -x $generateur ]; then
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

# The options file sets nothing but an empty OPTIONS. systemd's parser of such
# files (environment.d's generator shares it with EnvironmentFile=) reads each
# example in it, uncommented, as sh does; and OPTIONS="--sans-retour  --port
# 4445" gives ExecStart's $OPTIONS these three arguments.
actives=$(grep -v '^\(#.*\)\?$' "$defaut" || true)
[ "$actives" = 'OPTIONS=""' ] || { echo "ÉCHEC : $defaut affecte « $actives »" >&2; exit 1; }
mkdir "$dossier/environment.d"
# mots LINE: the arguments that $OPTIONS gives where systemd reads LINE.
mots() {
    echo "$1" >"$dossier/environment.d/options.conf"
    lu=$(env -i XDG_CONFIG_HOME="$dossier" $generateur 2>"$erreurs" | grep '^OPTIONS=') && [ ! -s "$erreurs" ] \
        || { echo "ÉCHEC : systemd ne lit pas « $1 »" >&2; cat "$erreurs" >&2; exit 1; }
    (set -f; eval "$lu"; printf '%s\n' $OPTIONS)
}
grep '^#OPTIONS=' "$defaut" | cut -c2- | while read -r ligne; do
    [ "$(mots "$ligne")" = "$(set -f; eval "$ligne"; printf '%s\n' $OPTIONS)" ] \
        || { echo "ÉCHEC : systemd lit « $ligne » autrement que sh" >&2; exit 1; }
done
[ "$(mots 'OPTIONS="--sans-retour  --port 4445"')" = "$(printf '%s\n' --sans-retour --port 4445)" ] \
    || { echo "ÉCHEC : OPTIONS ne donne pas --sans-retour --port 4445" >&2; exit 1; }
echo "ok : $(basename "$defaut") : OPTIONS vide, $(grep -c '^#OPTIONS=' "$defaut") exemples lus par systemd comme par sh"
