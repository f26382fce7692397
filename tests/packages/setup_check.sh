#!/bin/sh
# scripts/setup.sh with an optional package that no archive has: set-up goes
# on, and says so in one line that names it.
#   setup_check.sh SOURCE_DIR
set -eu
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: set-up runs as root"
  exit 77
fi
name=velmo-no-such-package
output=$(VELMO_SETUP_OPTIONAL=$name bash "$1/scripts/setup.sh" player 2>&1) ||
  { echo "$output"; echo "FAILED: set-up failed on an optional package"; exit 1; }
if [ "$(printf '%s\n' "$output" | wc -l)" -ne 1 ] ||
   ! printf '%s\n' "$output" | grep -q "^setup.sh: optional $name not installed (.*$name.*)"; then
  echo "$output"; echo "FAILED: not one line naming $name and apt's reason"; exit 1
fi
echo "$output: ok"
