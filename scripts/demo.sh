#!/usr/bin/env bash
# Builds Quillon, starts a demo FTP server on 127.0.0.1 with sample files and
# opens Quillon connected to it, with a settings folder of its own (the user's
# settings are never touched). Without a display it runs under Xvfb, saves a
# screenshot of the window to build/screenshot.png and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
# The window, and the command-line tool the package ships beside it (so that
# `cpack -G DEB` works right after): no tests, no benchmarks.
bash scripts/build.sh quillon quillon-ftp

demo="$PWD/build/demo"
rm -rf "$demo"
mkdir -p "$demo/site/www/images" "$demo/site/www/css" "$demo/site/docs" "$demo/config/quillon" \
    "$demo/local/brouillons"
echo '<html><body><h1>Bienvenue</h1></body></html>' >"$demo/site/www/index.html"
echo 'body { font-family: sans-serif; }' >"$demo/site/www/css/style.css"
head -c 20480 /dev/urandom >"$demo/site/www/images/logo.png"
printf 'Notes de version\n' >"$demo/site/docs/notes de version.txt"
printf 'Résumé\n' >"$demo/site/docs/résumé.txt"
echo 'Options +Indexes' >"$demo/site/www/.htaccess"
echo '<html><body><h1>Nouvelle page</h1></body></html>' >"$demo/local/contact.html"
echo 'h1 { color: navy; }' >"$demo/local/theme.css"
head -c 4096 /dev/urandom >"$demo/local/photo été.jpg"

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -d "$demo/site" -u demo -P demo -w \
    >"$demo/ftpserver.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done

cat >"$demo/config/quillon/quillon.ini" <<INI
[data]
TxtSite=127.0.0.1:$port
txtUtilisateur=demo
txtMDP=demo
ConAuto=True
RecAuto=1

[path]
PathSite=/www/
drvloc=/
dirloc=$demo/local
filloc=$demo/local

[pos]
w=14400
h=10800
INI
chmod 600 "$demo/config/quillon/quillon.ini"
export XDG_CONFIG_HOME="$demo/config"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    build/quillon
else
    QUILLON_SCREENSHOT="$PWD/build/screenshot.png" xvfb-run -a -s '-screen 0 1280x1024x24' build/quillon
    echo "Screenshot: build/screenshot.png"
fi
