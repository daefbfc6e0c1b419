#!/usr/bin/env bash
# A folder tree from a distant server: 2,000 files of 4 KiB in 40 folders,
# served on loopback by bench/serveur_lent.py, which holds each reply back
# 20 ms (DELAY_MS). In one run, alternating, RUNS times each (default 3):
#   quillon-ftp get -r          against  lftp mirror
#   quillon-ftp get -r -P 4     against  lftp mirror -P 4
# and prints each row as the medians and the ratio quillon-ftp / lftp (below 1
# is faster). Every copy is compared with the tree before its time counts.
# Not part of the test run. Needs root to install lftp and python3-pyftpdlib.
# Uses build/quillon-ftp (built when missing), or the program named by QUILLON_FTP.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

RUNS=${RUNS:-3}
FOLDERS=${FOLDERS:-40}
PER_FOLDER=${PER_FOLDER:-50}
DELAY_MS=${DELAY_MS:-20}
# Debian's interpreter: the one with python3-pyftpdlib.
PY=/usr/bin/python3

[ "$(id -u)" -eq 0 ] || die "run as root (installs lftp and python3-pyftpdlib)"
ensure_tool
install_packages lftp python3-pyftpdlib

WORK=$(mktemp -d /dev/shm/quillon-arbre.XXXXXX)
SERVER_PID=
cleanup() {
    set +e
    [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null && wait "$SERVER_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ROOT=$WORK/root
mkdir -p "$ROOT/arbre"
log "creating $FOLDERS folders of $PER_FOLDER files of 4 KiB"
$PY - "$ROOT/arbre" "$FOLDERS" "$PER_FOLDER" <<'PY'
import os, sys
root, folders, per = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for d in range(folders):
    folder = os.path.join(root, "dossier-%02d" % d)
    os.mkdir(folder)
    for f in range(per):
        with open(os.path.join(folder, "fichier-%03d.bin" % f), "wb") as out:
            out.write(os.urandom(4096))
PY

$PY "$HERE/serveur_lent.py" "$ROOT" "$(python3 -c "print($DELAY_MS / 1000)")" \
    >"$WORK/port" 2>"$WORK/server.log" &
SERVER_PID=$!
for _ in $(seq 100); do
    grep -q '^port=' "$WORK/port" 2>/dev/null && break
    sleep 0.1
done
PORT=$(sed -n 's/^port=//p' "$WORK/port")
[ -n "$PORT" ] || die "the slow server did not start: $(cat "$WORK/server.log")"
URL=ftp://127.0.0.1:$PORT
log "slow server on 127.0.0.1:$PORT, $DELAY_MS ms per reply"

# Seconds taken by a copy into $WORK/copie, which must then equal the tree.
seconds() {
    local start end
    rm -rf "$WORK/copie"
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$WORK/err" || die "failed: $* ($(head -3 "$WORK/err"))"
    end=$(date +%s%N)
    diff -r "$ROOT/arbre" "$WORK/copie" >/dev/null || die "copy differs: $*"
    echo "$(((end - start) / 1000))e-6"
}

median() {
    python3 -c 'import statistics, sys; print("%.2f" % statistics.median(float(x) for x in sys.argv[1:]))' "$@"
}

quillon() { "$QFTP" --tls=off get -r "$@" "$URL/arbre/" "$WORK/copie"; }
mirror() {
    lftp -e "set cmd:fail-exit yes; set ftp:ssl-allow no; mirror $* /arbre $WORK/copie; quit" \
        -u anonymous,bench "$URL"
}

# row NAME QUILLON_ARGS LFTP_ARGS
row() {
    local name=$1 qargs=$2 largs=$3 q=() l=()
    for _ in $(seq "$RUNS"); do
        # shellcheck disable=SC2086
        q+=("$(seconds quillon $qargs)")
        # shellcheck disable=SC2086
        l+=("$(seconds mirror $largs)")
    done
    local mq ml
    mq=$(median "${q[@]}")
    ml=$(median "${l[@]}")
    printf '%-30s %8s s %10s s %8s\n' "$name" "$mq" "$ml" \
        "$(python3 -c "print('%.2f' % ($mq / $ml))")"
}

printf '%-30s %10s %12s %8s\n' "tree, $((FOLDERS * PER_FOLDER)) x 4 KiB, ${DELAY_MS} ms" \
    quillon-ftp lftp ratio
row "get -r / mirror" "" ""
row "get -r -P 4 / mirror -P 4" "-P 4" "-P 4"
