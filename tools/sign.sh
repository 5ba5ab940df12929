#!/usr/bin/env bash
# Signs a Windows program in place with Authenticode (SHA-256) using osslsigncode.
#
#   CERT=cert.pem KEY=key.pem [TIMESTAMP=url] [PASS=passphrase] tools/sign.sh FILE
#
# CERT is a PEM certificate (the signer's first, then any chain), KEY its PEM private
# key. TIMESTAMP is an RFC 3161 time-stamp server. PASS unlocks an encrypted KEY; it
# goes to osslsigncode through a pipe, never on a command line where ps would show it.
# They come from the environment so that `make sign CERT=... KEY=...` passes them on
# unchanged.
#
# The signed program is written beside FILE and renamed over it only once osslsigncode
# has succeeded, so a failed signing leaves FILE as it was.
set -euo pipefail

usage() {
  echo "usage: make sign CERT=cert.pem KEY=key.pem [TIMESTAMP=url] [PASS=passphrase]" >&2
  echo "   or: CERT=cert.pem KEY=key.pem [TIMESTAMP=url] [PASS=passphrase] $0 FILE" >&2
  exit 2
}

[ $# -eq 1 ] && [ -n "${CERT:-}" ] && [ -n "${KEY:-}" ] || usage
file=$1
for input in "$CERT" "$KEY" "$file"; do
  if [ ! -f "$input" ]; then
    echo "$0: no such file: $input" >&2
    exit 1
  fi
done

# osslsigncode will not overwrite a file, so it writes into a folder of its own on the
# same file system, from where the rename over FILE is atomic.
work=$(mktemp -d "$(dirname -- "$file")/.signing.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
signed=$work/$(basename -- "$file")

args=(sign -certs "$CERT" -key "$KEY" -h sha256 -in "$file" -out "$signed")
[ -n "${TIMESTAMP:-}" ] && args+=(-ts "$TIMESTAMP")
if [ -n "${PASS:-}" ]; then
  printf '%s' "$PASS" | osslsigncode "${args[@]}" -readpass -
else
  osslsigncode "${args[@]}"
fi

chmod --reference="$file" -- "$signed"
mv -f -- "$signed" "$file"
echo "signed $file"
