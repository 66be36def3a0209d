#!/usr/bin/env bash
# Plays the bundled demo stack; later the player opens it in a window.
set -euo pipefail
bin=$1
"$bin" --help
