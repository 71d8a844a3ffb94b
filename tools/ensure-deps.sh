#!/usr/bin/env bash
# Installs the Debian packages the build needs when a machine lacks them.
set -euo pipefail
need=()
have() { dpkg -s "$1" >/dev/null 2>&1; }
for p in cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libpng-dev tmux; do
  have "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  if [ "$(id -u)" = 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
  else
    sudo apt-get update -qq && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
  fi
fi
