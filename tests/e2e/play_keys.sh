#!/usr/bin/env bash
# varnek-play's keys through a pseudo-terminal (play_keys.py), on the demo's
# own module, without a sound card.
set -euo pipefail
exec python3 "$(dirname "$0")/play_keys.py" "$1"
