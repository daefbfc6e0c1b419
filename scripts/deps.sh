#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need,
# only when some are missing.
set -euo pipefail
packages=(
    cmake g++ make
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libqt6svg6
    python3 python3-pyftpdlib
    xvfb xauth fonts-dejavu-core
    desktop-file-utils appstream
    libssl-dev openssl qtkeychain-qt6-dev python3-openssl
    vsftpd gnome-keyring dbus libsecret-tools python3-dbus python3-gi
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
