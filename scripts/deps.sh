#!/usr/bin/env bash
# Installs whatever the project needs that this Debian machine lacks (run as root).
set -euo pipefail

packages=(build-essential cmake pkg-config libmatheval-dev libgtest-dev libbenchmark-dev
          sudo util-linux procps strace libpng-dev chromium clang-format git
          slurmctld slurmd slurm-client munge iproute2)  # the last five: the campaign tests' cluster
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
