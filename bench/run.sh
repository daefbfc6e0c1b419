#!/usr/bin/env bash
# quillon-ftp against curl on the same loopback vsftpd, in one run:
#   download and upload of a 1 GiB file kept on /dev/shm, and that download
#   killed at half and resumed with get --continue (against an uninterrupted one),
#   the listing of a folder of 100,000 empty files;
#   the same three and a connection with login over TLS (explicit, on a vsftpd
#   that requires session reuse; both clients trust the server's certificate only);
#   listings of 100,000 and 1,000,000 entries served from memory (liste_rapide.sh).
# Each command runs RUNS times (default 5), alternating with its peer; each
# figure is printed as the ratio of quillon-ftp's median time to curl's.
# Not part of the test run. Needs root (apt-get, vsftpd) and about 4 GiB of /dev/shm.
# Uses build/quillon-ftp (built when missing), or the program named by QUILLON_FTP.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

RUNS=${RUNS:-5}
FILES=${FILES:-100000}
SIZE_MIB=${SIZE_MIB:-1024}

[ "$(id -u)" -eq 0 ] || die "run as root (installs packages, starts vsftpd)"
ensure_tool
install_packages curl python3

WORK=$(mktemp -d /dev/shm/quillon-bench.XXXXXX)
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
log "vsftpd on 127.0.0.1:$SERVER_PORT, files on $WORK"

log "creating a $SIZE_MIB MiB file and a folder of $FILES empty files"
head -c "$((SIZE_MIB * 1024 * 1024))" /dev/urandom >"$WORK/source.bin"
cp "$WORK/source.bin" "$PUB/big.bin"
mkdir "$PUB/many"
python3 - "$PUB/many" "$FILES" <<'EOF'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    open(os.path.join(folder, "file-%06d.txt" % i), "w").close()
EOF
chown -R "$(stat -c %U "$PUB")" "$PUB"

# measure NAME PREPARE QUILLON_CMD CURL_CMD: PREPARE runs before every timed run.
measure() {
    local name=$1 prepare=$2 qcmd=$3 ccmd=$4
    local q=() c=()
    for _ in $(seq "$RUNS"); do
        eval "$prepare"
        q+=("$(eval "seconds $qcmd")")
        eval "$prepare"
        c+=("$(eval "seconds $ccmd")")
    done
    local mq mc
    mq=$(median "${q[@]}")
    mc=$(median "${c[@]}")
    printf '%-26s quillon-ftp %8.3f s   curl %8.3f s   ratio %s\n' "$name" "$mq" "$mc" \
        "$(python3 -c "print('%.2f' % ($mq / $mc))")"
}

URL=$SERVER_URL/pub
DL=$WORK/download.bin
# Warm-up, and a check that both tools really transfer the same bytes.
"$QFTP" get "$URL/big.bin" "$DL" && cmp -s "$DL" "$WORK/source.bin" || die "quillon-ftp get differs"
curl -sS -o "$DL" "$URL/big.bin" && cmp -s "$DL" "$WORK/source.bin" || die "curl download differs"
"$QFTP" put "$WORK/source.bin" "$URL/up.bin" && cmp -s "$PUB/up.bin" "$WORK/source.bin" ||
    die "quillon-ftp put differs"
[ "$("$QFTP" ls "$URL/many/" | wc -l)" -eq "$FILES" ] || die "quillon-ftp ls: wrong count"

echo "quillon-ftp vs curl on vsftpd, loopback, median of $RUNS runs (ratio = quillon-ftp / curl)"
measure "download ${SIZE_MIB} MiB" 'rm -f "$DL"' \
    '"$QFTP" get "$URL/big.bin" "$DL"' \
    'curl -sS -o "$DL" "$URL/big.bin"'
measure "upload ${SIZE_MIB} MiB" 'rm -f "$PUB/up.bin"' \
    '"$QFTP" put "$WORK/source.bin" "$URL/up.bin"' \
    'curl -sS -T "$WORK/source.bin" "$URL/up.bin"'
# The same download killed at half and finished by get --continue, against
# an uninterrupted one (bench/reprise.sh).
# shellcheck source=reprise.sh
. "$HERE/reprise.sh"
resume_row "$URL/big.bin" "$WORK/source.bin"
# quillon-ftp asks for "LIST -a" (vsftpd hides dot-files such as .htaccess
# otherwise), which costs vsftpd more than a plain LIST: curl is measured with
# the same command, and with its own plain LIST for reference.
measure "listing of $FILES files" ':' \
    '"$QFTP" ls "$URL/many/"' \
    'curl -sS -X "LIST -a" "$URL/many/"'
measure "  (curl with plain LIST)" ':' \
    '"$QFTP" ls "$URL/many/"' \
    'curl -sS "$URL/many/"'

# Over TLS, on a second vsftpd serving the same files. Both clients check the
# certificate against that one certificate only (quillon-ftp through
# SSL_CERT_FILE, curl through --cacert).
start_vsftpd_tls "$ROOT"
URL=$SERVER_URL/pub
CERT=$WORK/vsftpd-cert.pem
tqftp() { SSL_CERT_FILE=$CERT SSL_CERT_DIR=/nonexistent "$QFTP" --tls=required "$@"; }
tcurl() { curl -sS --ssl-reqd --cacert "$CERT" "$@"; }
tqftp get "$URL/big.bin" "$DL" && cmp -s "$DL" "$WORK/source.bin" || die "quillon-ftp get over TLS differs"
tcurl -o "$DL" "$URL/big.bin" && cmp -s "$DL" "$WORK/source.bin" || die "curl download over TLS differs"
[ "$(tqftp ls "$URL/many/" | wc -l)" -eq "$FILES" ] || die "quillon-ftp ls over TLS: wrong count"
echo "over TLS (vsftpd: explicit TLS, session reuse required)"
measure "TLS download ${SIZE_MIB} MiB" 'rm -f "$DL"' \
    'tqftp get "$URL/big.bin" "$DL"' \
    'tcurl -o "$DL" "$URL/big.bin"'
measure "TLS upload ${SIZE_MIB} MiB" 'rm -f "$PUB/up.bin"' \
    'tqftp put "$WORK/source.bin" "$URL/up.bin"' \
    'tcurl -T "$WORK/source.bin" "$URL/up.bin"'
measure "TLS listing of $FILES files" ':' \
    'tqftp ls "$URL/many/"' \
    'tcurl -X "LIST -a" "$URL/many/"'
# Connection, handshake, login and SIZE (curl -I asks MDTM and SIZE).
measure "TLS connect+login" ':' \
    'tqftp size "$URL/big.bin"' \
    'tcurl -I "$URL/big.bin"'

# The same listing from a server that sends it from memory in one sendall:
# the figures are the clients' own, not vsftpd's.
stop_servers
# shellcheck source=liste_rapide.sh
. "$HERE/liste_rapide.sh"
fast_listing_rows
