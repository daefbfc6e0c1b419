#!/usr/bin/env bash
# quillon-ftp over SFTP against OpenSSH's sftp client and curl's sftp:// (libssh2)
# on the same loopback OpenSSH sshd, in one run:
#   download and upload of a 1 GiB file kept on /dev/shm,
#   the listing of a folder of 100,000 empty files,
#   a connection with login and one request (stat of a file).
# Every client logs in with the same throw-away account and the same key file and
# checks the server's key against the one key made for the run. The three clients
# run as that account (libssh reads keys from the account's own ~/.ssh).
# Each command runs RUNS times (default 5), alternating with its peers; each row
# gives the medians and the ratio of quillon-ftp's to the faster peer's (below 1:
# quillon-ftp is faster).
# Not part of the test run. Needs root (apt-get, a local account, sshd) and about
# 4 GiB of /dev/shm. Leaves nothing running and removes the account.
# Uses build/quillon-ftp (built when missing), or the program named by QUILLON_FTP.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

RUNS=${RUNS:-5}
FILES=${FILES:-100000}
SIZE_MIB=${SIZE_MIB:-1024}
ACCOUNT=quillonbench
SSHD=/usr/sbin/sshd

[ "$(id -u)" -eq 0 ] || die "run as root (installs packages, creates an account, starts sshd)"
ensure_tool
install_packages openssh-server openssh-client curl python3 util-linux
curl -V | grep -q 'libssh' || die "this curl speaks no sftp://"

SSHD_PID=
WORK=
# The account is removed only when its home is one of ours.
remove_account() {
    local home
    home=$(getent passwd "$ACCOUNT" | cut -d: -f6) || return 0
    case $home in
    /dev/shm/quillon-sftp-bench.*) userdel -f "$ACCOUNT" >/dev/null 2>&1 || true ;;
    esac
}
cleanup() {
    set +e
    if [ -n "$SSHD_PID" ]; then
        kill "$SSHD_PID" 2>/dev/null
        wait "$SSHD_PID" 2>/dev/null
    fi
    remove_account
    [ -n "$WORK" ] && rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

remove_account
WORK=$(mktemp -d /dev/shm/quillon-sftp-bench.XXXXXX)
chmod 755 "$WORK"
HOME_DIR=$WORK/home
useradd -M -d "$HOME_DIR" -s /bin/sh "$ACCOUNT"
# No password, but not locked either: sshd without PAM refuses a locked account.
usermod -p '*' "$ACCOUNT"
mkdir -p "$HOME_DIR/.ssh" "$WORK/out"
ssh-keygen -q -t ed25519 -N '' -C quillon-bench-host -f "$WORK/host_ed25519"
ssh-keygen -q -t ed25519 -N '' -C quillon-bench-user -f "$HOME_DIR/.ssh/id_ed25519"
KEY=$HOME_DIR/.ssh/id_ed25519
cp "$KEY.pub" "$WORK/authorized_keys"
mkdir -p /run/sshd
PORT=$(free_port)
cat >"$WORK/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $PORT
HostKey $WORK/host_ed25519
PidFile $WORK/sshd.pid
AuthorizedKeysFile $WORK/authorized_keys
AllowUsers $ACCOUNT
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PubkeyAuthentication yes
PermitRootLogin no
StrictModes no
Subsystem sftp internal-sftp
PrintMotd no
MaxStartups 50
LogLevel INFO
EOF
"$SSHD" -D -e -f "$WORK/sshd_config" </dev/null >"$WORK/sshd.log" 2>&1 &
SSHD_PID=$!
for _ in $(seq 100); do
    python3 - "$PORT" <<'PY' && break
import socket, sys
try:
    with socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=1) as s:
        sys.exit(0 if s.recv(64).startswith(b"SSH-") else 1)
except OSError:
    sys.exit(1)
PY
    kill -0 "$SSHD_PID" 2>/dev/null || die "sshd did not start: $(cat "$WORK/sshd.log")"
    sleep 0.1
done
KNOWN=$WORK/known_hosts
echo "[127.0.0.1]:$PORT $(cut -d' ' -f1,2 "$WORK/host_ed25519.pub")" >"$KNOWN"
FP=$(ssh-keygen -l -E sha256 -f "$WORK/host_ed25519.pub" | cut -d' ' -f2)
log "sshd on 127.0.0.1:$PORT, files on $WORK"

log "creating a $SIZE_MIB MiB file and a folder of $FILES empty files"
head -c "$((SIZE_MIB * 1024 * 1024))" /dev/urandom >"$WORK/source.bin"
cp "$WORK/source.bin" "$HOME_DIR/big.bin"
mkdir "$HOME_DIR/many"
python3 - "$HOME_DIR/many" "$FILES" <<'EOF'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    open(os.path.join(folder, "file-%06d.txt" % i), "w").close()
EOF
chown -R "$ACCOUNT:$ACCOUNT" "$HOME_DIR" "$WORK/out"
chmod 700 "$HOME_DIR/.ssh"
chmod 644 "$WORK/source.bin"

# The three clients, as the account, without an agent.
as_account() {
    env -u SSH_AUTH_SOCK HOME="$HOME_DIR" setpriv --reuid="$ACCOUNT" --regid="$ACCOUNT" \
        --init-groups -- "$@"
}
URL=sftp://$ACCOUNT@127.0.0.1:$PORT$HOME_DIR
qftp() { as_account env QUILLON_KNOWN_HOSTS="$KNOWN" "$QFTP" --pin "$FP" "$@"; }
# sftp -b: one batch of commands, read from stdin.
osftp() {
    printf '%s\n' "$@" | as_account sftp -q -b - -P "$PORT" -i "$KEY" -o IdentitiesOnly=yes \
        -o UserKnownHostsFile="$KNOWN" -o GlobalKnownHostsFile=/dev/null \
        -o StrictHostKeyChecking=yes "$ACCOUNT@127.0.0.1"
}
CURL_URL=sftp://127.0.0.1:$PORT$HOME_DIR
ccurl() {
    as_account curl -sS -u "$ACCOUNT:" --key "$KEY" --pubkey "$KEY.pub" \
        --hostpubsha256 "${FP#SHA256:}" "$@"
}

# measure NAME PREPARE QUILLON_CMD SFTP_CMD CURL_CMD: PREPARE runs before every timed run.
measure() {
    local name=$1 prepare=$2 qcmd=$3 scmd=$4 ccmd=$5
    local q=() s=() c=()
    for _ in $(seq "$RUNS"); do
        eval "$prepare"
        q+=("$(eval "seconds $qcmd")")
        eval "$prepare"
        s+=("$(eval "seconds $scmd")")
        eval "$prepare"
        c+=("$(eval "seconds $ccmd")")
    done
    local mq ms mc
    mq=$(median "${q[@]}")
    ms=$(median "${s[@]}")
    mc=$(median "${c[@]}")
    printf '%-24s %10.3f s %10.3f s %10.3f s %8s\n' "$name" "$mq" "$ms" "$mc" \
        "$(python3 -c "print('%.2f' % ($mq / min($ms, $mc)))")"
}

DL=$WORK/out/download.bin
UP=$HOME_DIR/up.bin
# Warm-up, and a check that the three really move the same bytes.
same() { cmp -s "$1" "$WORK/source.bin" || die "$2 differs"; }
qftp get "$URL/big.bin" "$DL" || die "quillon-ftp get failed"
same "$DL" "quillon-ftp get"
rm -f "$DL"
osftp "get $HOME_DIR/big.bin $DL" >/dev/null || die "sftp get failed"
same "$DL" "sftp get"
rm -f "$DL"
ccurl -o "$DL" "$CURL_URL/big.bin" || die "curl download failed"
same "$DL" "curl download"
rm -f "$DL" "$UP"
qftp put "$WORK/source.bin" "$URL/up.bin" || die "quillon-ftp put failed"
same "$UP" "quillon-ftp put"
rm -f "$UP"
osftp "put $WORK/source.bin $UP" >/dev/null || die "sftp put failed"
same "$UP" "sftp put"
rm -f "$UP"
ccurl -T "$WORK/source.bin" "$CURL_URL/up.bin" || die "curl upload failed"
same "$UP" "curl upload"
[ "$(qftp ls "$URL/many/" | wc -l)" -eq "$FILES" ] || die "quillon-ftp ls: wrong count"
[ "$(osftp "ls -1 $HOME_DIR/many" | grep -c 'file-')" -eq "$FILES" ] || die "sftp ls: wrong count"
[ "$(ccurl "$CURL_URL/many/" | grep -c 'file-')" -eq "$FILES" ] || die "curl ls: wrong count"

echo "SFTP on OpenSSH's sshd, loopback, median of $RUNS runs (ratio = quillon-ftp / faster peer)"
printf '%-24s %12s %12s %12s %8s\n' "" quillon-ftp "sftp" "curl" ratio
measure "download ${SIZE_MIB} MiB" 'rm -f "$DL"' \
    'qftp get "$URL/big.bin" "$DL"' \
    'osftp "get $HOME_DIR/big.bin $DL"' \
    'ccurl -o "$DL" "$CURL_URL/big.bin"'
measure "upload ${SIZE_MIB} MiB" 'rm -f "$UP"' \
    'qftp put "$WORK/source.bin" "$URL/up.bin"' \
    'osftp "put $WORK/source.bin $UP"' \
    'ccurl -T "$WORK/source.bin" "$CURL_URL/up.bin"'
measure "listing of $FILES files" ':' \
    'qftp ls "$URL/many/"' \
    'osftp "ls -1 $HOME_DIR/many"' \
    'ccurl "$CURL_URL/many/"'
# Connection, key exchange, login, the SFTP start and one stat.
measure "connect+login" ':' \
    'qftp size "$URL/big.bin"' \
    'osftp "ls -l $HOME_DIR/big.bin"' \
    'ccurl -I "$CURL_URL/big.bin"'
