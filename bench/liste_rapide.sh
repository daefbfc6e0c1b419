#!/usr/bin/env bash
# `quillon-ftp ls` against curl on folders of 100,000 and 1,000,000 entries
# served from memory as fast as the loopback allows (bench/serveur_liste.py),
# so that the figures are the clients' own. Each client runs RUNS times
# (default 7), alternating with its peer; prints medians, the ratio
# quillon-ftp / curl and quillon-ftp's peak RSS (one more run).
# Not part of the test run. Needs python3, curl and GNU time; no root.
# Sourced by run.sh for its last rows; runs on its own too.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers.sh
. "$HERE/servers.sh"

RUNS=${RUNS:-7}
COUNTS=${LISTING_COUNTS:-100000 1000000}

# Seconds taken by one run, output discarded; fails the run if it fails.
run_seconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null || die "failed: $*"
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))e-6"
}

# Peak RSS of one run, in KiB.
peak_rss() {
    /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1
}

fast_listing_rows() {
    local count url q c rss
    for count in $COUNTS; do
        start_listing_server "$count"
        url=$SERVER_URL/many/
        [ "$("$QFTP" ls "$url" | wc -l)" -eq "$count" ] || die "quillon-ftp ls: wrong count"
        [ "$(curl -sS "$url" | wc -l)" -eq "$count" ] || die "curl: wrong count"
        q=() c=()
        for _ in $(seq "$RUNS"); do
            q+=("$(run_seconds "$QFTP" ls "$url")")
            c+=("$(run_seconds curl -sS "$url" -o /dev/null)")
        done
        rss=$(peak_rss "$QFTP" ls "$url")
        python3 - "$count" "$rss" "${#q[@]}" "${q[@]}" "${c[@]}" <<'PY'
import statistics, sys
count, rss, n = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
q = [float(x) for x in sys.argv[4:4 + n]]
c = [float(x) for x in sys.argv[4 + n:]]
mq, mc = statistics.median(q), statistics.median(c)
print("%-26s quillon-ftp %8.3f s   curl %8.3f s   ratio %.2f   peak RSS %d MB"
      % ("listing of %d (memory)" % count, mq, mc, mq / mc, rss // 1024))
PY
        stop_servers
    done
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    ensure_tool
    command -v curl >/dev/null || die "curl is missing"
    WORK=$(mktemp -d)
    trap 'set +e; stop_servers; rm -rf "$WORK"' EXIT
    trap 'exit 130' INT TERM
    echo "quillon-ftp vs curl, listing served from memory, loopback, median of $RUNS runs"
    fast_listing_rows
fi
