#!/usr/bin/env bash
# Validates an AppStream metainfo file, offline, as the software centres read it, failing on any
# warning or error.
#   validate-metainfo.sh <file.metainfo.xml>
#
# AppStream 1.0.2 and later (Debian 13) warn when a component has no homepage (url-homepage-missing).
# Ingranix has no web address of its own, and the validator lets a component without an active
# homepage lower that tag to a note; AppStream 0.16 (Debian 12) has no such tag and refuses to
# override it, so the override is given only from 1.0.2 on.
set -euo pipefail
file=$1
# The last version printed is the library's, where the validator lives.
version=$(appstreamcli --version | grep -oE '[0-9]+\.[0-9]+(\.[0-9]+)?' | tail -n 1)
options=(--no-net)
if [[ $(printf '%s\n' 1.0.2 "$version" | sort -V | head -n 1) == 1.0.2 ]]; then
  options+=(--override=url-homepage-missing=info)
fi
exec appstreamcli validate "${options[@]}" "$file"
