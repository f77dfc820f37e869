#!/usr/bin/env bash
# The maintainer scripts handle the receiver's unit as dh_installsystemd
# would; run where systemd seems to run, with stand-ins that say their calls.
# deb-systemd-helper's stand-in knows the unit from update-state to purge.
#   paquet_scripts.sh DIRECTORY UNIT
set -euo pipefail
d=$(mktemp -d) u=$2 h=deb-systemd-helper r="systemctl --system daemon-reload"
trap 'rm -rf "$d"' EXIT
for c in $h deb-systemd-invoke systemctl; do
    cat >"$d/$c" <<FIN
#!/bin/sh
echo "$c \$*;" >&2
case \$1 in update-state) touch $d/etat ;; purge) rm $d/etat ;; debian-installed) [ -e $d/etat ] ;; esac
FIN
    chmod +x "$d/$c"
done

# Each line: a script and its arguments, then the calls that it must make.
while IFS=: read -r etape voulus; do
    faits=$(sed "s|/run/systemd/system|$d|" "$1/${etape%% *}" | env -u DPKG_ROOT PATH="$d:$PATH" sh -s ${etape#* } 2>&1)
    [ "$(echo $faits)" = "$(echo $voulus)" ] || { echo "ÉCHEC : $etape appelle : $faits" >&2; exit 1; }
    echo "ok : $etape"
done <<FIN
postinst configure: $h debian-installed $u; $h update-state $u; $r;
postinst configure 0.1: $h debian-installed $u; $h unmask $u; $h --quiet was-enabled $u; $h enable $u; $h update-state $u; $r; deb-systemd-invoke try-restart $u;
prerm upgrade 0.2:
prerm remove: deb-systemd-invoke stop $u;
postrm remove: $r;
postrm purge: $h purge $u;
FIN
