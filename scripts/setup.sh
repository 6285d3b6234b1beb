#!/usr/bin/env bash
# Installs what building, running and testing Raccolio needs on Debian 12 (run as root).
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools
          libsqlite3-dev libicu-dev qt6-translations-l10n libgl-dev xvfb xauth ccache lld libwmf-bin fonts-urw-base35
          poppler-utils clang libfuzzer-14-dev desktop-file-utils appstream
          pkg-config libzip-dev tellico-data libxml2-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
