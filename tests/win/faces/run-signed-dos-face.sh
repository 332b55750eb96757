#!/usr/bin/env bash
# The DOS face of a signed Vorquint.exe: it cannot check the signature, and runs the file as it
# runs the unsigned one.
set -euo pipefail
exe=$1 image=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/../../../scripts/sign-throwaway" "$exe" "$tmp/Vorquint.exe"
bash "$here/run-dos-face.sh" "$tmp/Vorquint.exe" "$image"
