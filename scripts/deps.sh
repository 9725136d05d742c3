#!/bin/sh
# Installs the Debian packages the project needs; does nothing when all are there.
set -e
PKGS="cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-base-dev-tools libgl-dev clang libclang-rt-14-dev xvfb xauth hyperfine"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
