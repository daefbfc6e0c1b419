#!/usr/bin/env bash
# A folder of 100,000 empty files on a loopback vsftpd, listed by
# `quillon-ftp ls` and by RafraichitSite into the main window's views
# (bench/liste_vues.cpp, offscreen), in one run. Prints the medians and the
# ratio of the window's time to quillon-ftp's.
# Not part of the test run. Needs root (apt-get, vsftpd).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

RUNS=${RUNS:-5}
FILES=${FILES:-100000}

[ "$(id -u)" -eq 0 ] || die "run as root (installs packages, starts vsftpd)"
ensure_tool
VUES=${LISTE_VUES:-$(dirname "$QFTP")/liste_vues}
if [ ! -x "$VUES" ]; then
    log "building liste_vues"
    (cd "$HERE/.." && cmake --build build -j2 --target liste_vues >/dev/null) ||
        die "the build of liste_vues failed (is bench/ added to the top-level CMakeLists.txt?)"
fi
install_packages python3

WORK=$(mktemp -d /dev/shm/quillon-vues.XXXXXX)
cleanup() {
    set +e
    stop_servers
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ROOT=$WORK/root
start_vsftpd "$ROOT"
PUB=$ROOT/pub
mkdir "$PUB/many"
python3 - "$PUB/many" "$FILES" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    open(os.path.join(folder, "file-%06d.txt" % i), "w").close()
PY
chown -R "$(stat -c %U "$PUB")" "$PUB"
URL=$SERVER_URL/pub/many/
log "vsftpd on 127.0.0.1:$SERVER_PORT, $FILES files"

times=()
for _ in $(seq "$RUNS"); do
    start=$(date +%s%N)
    "$QFTP" ls "$URL" >/dev/null || die "quillon-ftp ls failed"
    end=$(date +%s%N)
    times+=("$(((end - start) / 1000))e-6")
done
ls_median=$(python3 -c 'import statistics, sys; print("%.3f" % statistics.median(float(x) for x in sys.argv[1:]))' "${times[@]}")

report=$("$VUES" "$URL" "$RUNS" 2>/dev/null) || die "liste_vues failed"
printf '%s\n' "$report"
views=$(printf '%s\n' "$report" | awk '/^RafraichitSite/ { print $2 }')
printf 'quillon-ftp ls     %8.3f s (process, connection included)\n' "$ls_median"
printf 'RafraichitSite / quillon-ftp ls   ratio %s\n' \
    "$(python3 -c "print('%.2f' % ($views / $ls_median))")"
