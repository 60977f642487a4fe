#!/usr/bin/env bash
# Fetches Ruffle (npm @ruffle-rs/ruffle) at a pinned version, checks the
# package's integrity and unpacks its files into a folder.
#   scripts/fetch_ruffle.sh VERSION INTEGRITY DEST
# The package is kept as DEST.tgz, so a rebuild needs no network. A package
# already at hand can be given in LUMORA_RUFFLE_TGZ. Without network or npm
# the build goes on without Ruffle (Flash movies are then skipped by the
# show); a package whose integrity does not match is an error.
set -euo pipefail
version=$1 integrity=$2 dest=$3
tgz="$dest.tgz"

check() {  # the npm integrity string: sha512-<base64 of the digest>
  python3 -c 'import base64, hashlib, sys
d = hashlib.sha512(open(sys.argv[1], "rb").read()).digest()
sys.exit(0 if "sha512-" + base64.b64encode(d).decode() == sys.argv[2] else 1)' "$1" "$integrity"
}

if [ -n "${LUMORA_RUFFLE_TGZ:-}" ]; then cp "$LUMORA_RUFFLE_TGZ" "$tgz.part"; mv "$tgz.part" "$tgz"; fi
if [ ! -f "$tgz" ] || ! check "$tgz"; then
  if ! command -v npm >/dev/null; then
    echo "fetch_ruffle: warning: npm is missing (scripts/setup.sh installs it); building without Ruffle" >&2
    exit 0
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # npm's cache goes with the work folder, not into the user's home.
  if ! (cd "$work" && npm pack --silent --cache "$work/cache" "@ruffle-rs/ruffle@$version" >/dev/null); then
    echo "fetch_ruffle: warning: Ruffle $version could not be fetched; building without it" >&2
    exit 0
  fi
  mv "$work"/ruffle-rs-ruffle-"$version".tgz "$tgz.part"
  mv "$tgz.part" "$tgz"
fi
if ! check "$tgz"; then
  echo "fetch_ruffle: the package's integrity does not match $integrity" >&2
  rm -f "$tgz"
  exit 1
fi
rm -rf "$dest.new"
mkdir -p "$dest.new"
tar -xzf "$tgz" -C "$dest.new" --strip-components=1 package
rm -rf "$dest"
mv "$dest.new" "$dest"
touch "$dest/ruffle.js"
