#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the demo and the
# package build need, only when some are missing. No service a package brings
# is started or left enabled: the tests start their own servers on loopback
# ports, and a machine must not be left serving FTP on port 21 at every boot.
set -euo pipefail
packages=(
    cmake g++ make
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libqt6svg6
    python3 python3-pyftpdlib python3-paramiko
    xvfb xauth fonts-dejavu-core
    desktop-file-utils appstream
    libssl-dev openssl qtkeychain-qt6-dev python3-openssl
    vsftpd gnome-keyring dbus libsecret-tools python3-dbus python3-gi
    file dpkg-dev lintian
    libssh-dev openssh-server
)
# Packages whose install enables a system service that nothing here wants.
# openssh-server's service is named ssh; the SFTP tests run their own sshd.
services=(vsftpd ssh)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# invoke-rc.d asks policy-rc.d before starting anything: 101 means "not now".
policy=/usr/sbin/policy-rc.d
own_policy=0
if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' >"$policy"
    chmod 755 "$policy"
    own_policy=1
    trap 'rm -f "$policy"' EXIT
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"

# A service installed just now is switched off for good, whatever the init
# system; one the machine had before is the owner's business.
for s in "${services[@]}"; do
    pkg=$s
    [ "$s" = ssh ] && pkg=openssh-server
    case " ${missing[*]} " in *" $pkg "*) ;; *) continue ;; esac
    if [ -d /run/systemd/system ]; then
        systemctl disable --now "$s" >/dev/null 2>&1 || true
    fi
    if [ -e "/lib/systemd/system/$s.service" ] && command -v deb-systemd-helper >/dev/null; then
        deb-systemd-helper disable "$s.service" >/dev/null 2>&1 || true
    fi
    if [ -e "/etc/init.d/$s" ]; then
        update-rc.d "$s" disable >/dev/null 2>&1 || true
        # Started by an existing policy that allowed it: stop it now.
        invoke-rc.d --force "$s" stop >/dev/null 2>&1 || true
    fi
done
