#!/usr/bin/env bash
# A download cut at half and resumed: `quillon-ftp get` of a SIZE_MIB file
# (default 1024) from a loopback vsftpd is killed (SIGKILL) once its partial
# file holds half of it, then `get --continue` finishes it; the total time,
# from the first start to the end of the second run, is compared with an
# uninterrupted `get` of the same file. Each runs RUNS times (default 5),
# alternating; prints medians and the ratio resumed / uninterrupted (goal:
# at most 1.1). The result is compared with the server's file every time.
# Not part of the test run. Needs root (vsftpd) and about 3 × SIZE_MIB of
# /dev/shm. Sourced by run.sh for its resume row; runs on its own too.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

# Seconds of one cut-and-resumed download of URL into FILE, HALF bytes cut.
cut_and_resume() {
    python3 - "$QFTP" "$1" "$2" "$3" <<'PY'
import os, subprocess, sys, time
qftp, url, dl, half = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
partial = os.path.join(os.path.dirname(dl), "." + os.path.basename(dl) + ".quillon-partiel")
start = time.monotonic()
first = subprocess.Popen([qftp, "--tls=off", "get", url, dl], stdout=subprocess.DEVNULL)
while first.poll() is None:
    try:
        if os.stat(partial).st_size >= half:
            first.kill()
            break
    except FileNotFoundError:
        pass
    time.sleep(0.005)
first.wait()
cut = time.monotonic()
if first.returncode == 0 or not os.path.exists(partial):
    sys.exit("the first download was not cut")
kept = os.path.getsize(partial)
if subprocess.run([qftp, "--tls=off", "get", "--continue", url, dl],
                  stdout=subprocess.DEVNULL).returncode:
    sys.exit("get --continue failed")
end = time.monotonic()
sys.stderr.write("cut after %.3f s at %d bytes, resumed in %.3f s\n"
                 % (cut - start, kept, end - cut))
print("%.6f" % (end - start))
PY
}

# resume_row URL SOURCE: URL serves a copy of the local file SOURCE.
resume_row() {
    local url=$1 source=$2 dl size q=() r=() mq mr
    dl=$(dirname "$source")/resumed.bin
    size=$(stat -c %s "$source")
    for _ in $(seq "${RUNS:-5}"); do
        rm -f "$dl"
        q+=("$(seconds "$QFTP" --tls=off get "$url" "$dl")")
        cmp -s "$dl" "$source" || die "quillon-ftp get differs"
        rm -f "$dl"
        r+=("$(cut_and_resume "$url" "$dl" "$((size / 2))")")
        cmp -s "$dl" "$source" || die "the resumed download differs"
    done
    rm -f "$dl"
    mq=$(median "${q[@]}")
    mr=$(median "${r[@]}")
    printf '%-26s resumed     %8.3f s   whole %8.3f s   ratio %s\n' \
        "cut at half, resumed" "$mr" "$mq" "$(python3 -c "print('%.2f' % ($mr / $mq))")"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    SIZE_MIB=${SIZE_MIB:-1024}
    [ "$(id -u)" -eq 0 ] || die "run as root (installs packages, starts vsftpd)"
    ensure_tool
    install_packages python3
    WORK=$(mktemp -d /dev/shm/quillon-bench.XXXXXX)
    cleanup() {
        set +e
        stop_servers
        rm -rf "$WORK"
    }
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    start_vsftpd "$WORK/root"
    log "creating a $SIZE_MIB MiB file"
    head -c "$((SIZE_MIB * 1024 * 1024))" /dev/urandom >"$WORK/source.bin"
    cp "$WORK/source.bin" "$WORK/root/pub/big.bin"
    echo "quillon-ftp on vsftpd, loopback, ${SIZE_MIB} MiB, median of ${RUNS:-5} runs"
    resume_row "$SERVER_URL/pub/big.bin" "$WORK/source.bin"
fi
