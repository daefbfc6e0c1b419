#!/usr/bin/env bash
# Checks quillon-ftp's contract against vsftpd and pure-ftpd on loopback: names
# with spaces and accents, dot-folders and dot-files, empty folders, a folder of
# 100,000 files, and every command. Prints one line per check; on a failure,
# what the tool printed and what the server lists for the folder (through curl).
# Exit status: the number of failed checks (0 = all good). Needs root.
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

FILES=${FILES:-100000}
[ "$(id -u)" -eq 0 ] || die "run as root (installs packages, starts the servers)"
ensure_tool
install_packages curl python3

WORK=$(mktemp -d /dev/shm/quillon-compat.XXXXXX)
cleanup() {
    set +e
    stop_servers
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

FAILED=0
OUT=$WORK/out
ERR=$WORK/err

check() { # NAME STATUS(0 = good) [DETAIL...]
    local name=$1 status=$2
    shift 2
    if [ "$status" -eq 0 ]; then
        printf '  ok    %s\n' "$name"
    else
        FAILED=$((FAILED + 1))
        printf '  FAIL  %s\n' "$name"
        [ $# -gt 0 ] && printf '        %s\n' "$@"
        printf '        stdout: %s\n' "$(head -c 600 "$OUT" | tr '\t\n' '>|')"
        printf '        stderr: %s\n' "$(head -c 600 "$ERR")"
    fi
}

q() { "$QFTP" "$@" >"$OUT" 2>"$ERR"; }

# The server's own view of a folder, for failure reports.
raw_listing() { curl -sS --max-time 20 "$1" 2>&1 | head -c 1500 | tr '\r\n' '~|'; }

# run_checks SERVER_NAME DISK_FOLDER REMOTE_FOLDER OWNER
run_checks() {
    local server=$1 disk=$2 remote=$3 owner=$4
    local url=$SERVER_URL$remote
    echo "== $server ($SERVER_URL)"

    mkdir -p "$disk/dossier avec espaces" "$disk/.cache" "$disk/vide" "$disk/été" "$disk/many"
    printf 'profil' >"$disk/.profile"
    printf 'accents' >"$disk/é à ü.txt"
    printf 'espaces' >"$disk/deux  espaces.txt"
    python3 - "$disk/many" "$FILES" <<'EOF'
import os, sys
for i in range(int(sys.argv[2])):
    open(os.path.join(sys.argv[1], "f%06d" % i), "w").close()
EOF
    chown -R "$owner" "$disk"

    local expected actual
    expected=$(printf '%s\n' "?${remote}dossier avec espaces/	dossier avec espaces" \
        "?${remote}vide/	vide" "?${remote}été/	été" "?${remote}many/	many" \
        "${remote}.profile	.profile" "${remote}é à ü.txt	é à ü.txt" \
        "${remote}deux  espaces.txt	deux  espaces.txt" | LC_ALL=C sort)
    q ls "$url"
    local st=$?
    actual=$(LC_ALL=C sort "$OUT")
    [ $st -eq 0 ] && [ "$actual" = "$expected" ]
    check "ls: spaces, accents, dot-folder skipped, dot-file kept" $? \
        "expected: $(echo "$expected" | tr '\t\n' '>|')" "server LIST: $(raw_listing "$url")"

    q ls "${url}vide/"
    [ $? -eq 0 ] && [ ! -s "$OUT" ]
    check "ls of an empty folder: nothing, status 0" $?

    q ls "${url}%C3%A9t%C3%A9/"
    [ $? -eq 0 ] && [ ! -s "$OUT" ]
    check "ls of an accented empty folder (percent-encoded URL)" $?

    q ls "${url}absent/"
    [ $? -eq 1 ] && [ "$(wc -l <"$ERR")" -eq 1 ]
    check "ls of a missing folder: status 1, one line" $?

    q ls "${url}many/"
    st=$?
    local count bad
    count=$(wc -l <"$OUT")
    bad=$(grep -cv "^${remote}many/f[0-9]\{6\}	f[0-9]\{6\}\$" "$OUT")
    [ $st -eq 0 ] && [ "$count" -eq "$FILES" ] && [ "$bad" -eq 0 ] &&
        [ "$(cut -f2 "$OUT" | sort -u | wc -l)" -eq "$FILES" ]
    check "ls of $FILES files: $count lines, $bad malformed" $?

    q get "${url}%C3%A9%20%C3%A0%20%C3%BC.txt" "$WORK/dl.txt"
    [ $? -eq 0 ] && [ "$(cat "$WORK/dl.txt")" = accents ]
    check "get of an accented name" $?

    q get "${url}.profile" "$WORK/profile"
    [ $? -eq 0 ] && [ "$(cat "$WORK/profile")" = profil ]
    check "get of a dot-file" $?

    printf 'ancien' >"$WORK/keep"
    q get "${url}absent.txt" "$WORK/keep"
    [ $? -eq 1 ] && [ "$(cat "$WORK/keep")" = ancien ] && [ "$(ls "$WORK" | grep -c keep)" -eq 1 ]
    check "failed get keeps the local file, no temporary left" $?

    head -c 3000000 /dev/urandom >"$WORK/up.bin"
    q put "$WORK/up.bin" "${url}%C3%A9t%C3%A9/envoi%20%C3%A0%20moi.bin"
    [ $? -eq 0 ] && cmp -s "$WORK/up.bin" "$disk/été/envoi à moi.bin"
    check "put to an accented name in an accented folder" $?

    q size "${url}%C3%A9t%C3%A9/envoi%20%C3%A0%20moi.bin"
    [ $? -eq 0 ] && [ "$(cat "$OUT")" = 3000000 ]
    check "size" $?

    q mv "${url}%C3%A9t%C3%A9/envoi%20%C3%A0%20moi.bin" "${remote}été/renommé.bin"
    [ $? -eq 0 ] && [ -f "$disk/été/renommé.bin" ]
    check "mv to an accented name" $?

    q rm "${url}%C3%A9t%C3%A9/renomm%C3%A9.bin"
    [ $? -eq 0 ] && [ ! -e "$disk/été/renommé.bin" ]
    check "rm" $?

    q mkdir "${url}nouveau%20dossier%20%C3%A7a"
    [ $? -eq 0 ] && [ -d "$disk/nouveau dossier ça" ]
    check "mkdir with spaces and accents" $?

    q pwd "${url}nouveau%20dossier%20%C3%A7a"
    [ $? -eq 0 ] && [ "$(sed -n 2p "$OUT")" = "${remote}nouveau dossier ça" ]
    check "pwd after changing folder" $?

    q rmdir "${url}nouveau%20dossier%20%C3%A7a"
    [ $? -eq 0 ] && [ ! -e "$disk/nouveau dossier ça" ]
    check "rmdir" $?

    q rmdir "${url}dossier%20avec%20espaces/absent"
    [ $? -eq 1 ]
    check "rmdir of a missing folder: status 1" $?
}

start_vsftpd "$WORK/vsftpd"
OWNER=ftp
getent passwd ftp >/dev/null || OWNER=nobody
run_checks vsftpd "$WORK/vsftpd/pub/t" /pub/t/ "$OWNER"
stop_servers

start_pureftpd "$WORK/pure"
run_checks pure-ftpd "$WORK/pure/t" /t/ "$OWNER"
stop_servers

echo "$FAILED failed check(s)"
exit "$FAILED"
