#!/usr/bin/env bash
# Signs a packaged player as a user would and checks that it still works: the
# test program writes the player, osslsigncode signs and verifies it with a
# self-signed certificate made here, swfpack info still reads its package, and
# the signed player plays its movie under Wine.
set -euo pipefail
tests=$1 swfpack=$2
run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh"
dir=$(dirname "$tests")/signing
rm -rf "$dir"
"$run" "$tests" --gtest_also_run_disabled_tests --gtest_filter=SignedPlayer.DISABLED_WriteThePlayerToSign
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=signing-test -addext extendedKeyUsage=codeSigning \
  -keyout "$tmp/key.pem" -out "$tmp/cert.pem" 2>/dev/null
osslsigncode sign -certs "$tmp/cert.pem" -key "$tmp/key.pem" -n Orbit -in "$dir/player.exe" -out "$dir/signed.exe"
osslsigncode verify -CAfile "$tmp/cert.pem" -in "$dir/signed.exe"
"$run" "$swfpack" info "$dir/signed.exe" | tr -d '\r' | tee "$tmp/info.txt"
grep -q '^  MovieWidth = 200$' "$tmp/info.txt"
"$run" "$tests" --gtest_also_run_disabled_tests --gtest_filter=SignedPlayer.DISABLED_PlaysItsMovie
echo "signed player: verified, read and played"
