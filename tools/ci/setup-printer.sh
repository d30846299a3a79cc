#!/usr/bin/env bash
# Makes a virtual printer, the system default, that keeps every job's document unchanged, so that the
# printing test can read a printout back with pdftotext. Run as root; running it again changes nothing.
#
# Why not cups-pdf: it runs every job through Ghostscript and writes a new PDF whose text is drawn
# again as outlines or re-encoded glyphs, which pdftotext often cannot read back. A raw queue hands
# the PDF that the program made straight to our backend, byte for byte.
set -euo pipefail

QUEUE=IngranixTest
STOPPED=IngranixStopped
SPOOL=${INGRANIX_PRINT_SPOOL:-/var/spool/ingranix-printed}
BACKEND=/usr/lib/cups/backend/ingranixkeep

if [[ $(id -u) -ne 0 ]]; then
  echo "setup-printer.sh: must run as root" >&2
  exit 1
fi

missing=()
for pkg in cups cups-client cups-bsd poppler-utils; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mkdir -p "$SPOOL"
chmod 1777 "$SPOOL"

# The backend runs as root (mode 0700), so it may write into the spool folder whoever owns it.
# With a file argument ($6) the document is that file, otherwise it comes on standard input.
# The folder is written into the script, since cupsd gives backends a cleaned environment.
cat > "$BACKEND.new" <<BACKEND_EOF
#!/bin/sh
# CUPS backend: keeps each job's document unchanged as <spool>/job-<id>.pdf.
if [ \$# -eq 0 ]; then echo 'direct ingranixkeep "Unknown" "Ingranix keep-the-document printer"'; exit 0; fi
out="$SPOOL/job-\$1.pdf"
if [ -n "\$6" ]; then cat "\$6" > "\$out.part" || exit 1; else cat > "\$out.part" || exit 1; fi
chmod 0644 "\$out.part" && mv "\$out.part" "\$out"
BACKEND_EOF
chmod 0700 "$BACKEND.new"
chown root:root "$BACKEND.new"
if ! cmp -s "$BACKEND.new" "$BACKEND"; then
  mv "$BACKEND.new" "$BACKEND"
else
  rm -f "$BACKEND.new"
fi

# No systemd here: start the scheduler ourselves when it is not running.
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  mkdir -p /run/cups
  CUPSD=$(command -v cupsd || echo /usr/sbin/cupsd)
  # cupsd turns itself into a daemon; its output must not hold the caller's pipes open.
  "$CUPSD" </dev/null >/dev/null 2>&1
  for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    echo "setup-printer.sh: cupsd did not start" >&2
    exit 1
  fi
fi

# A queue without a driver passes documents through unfiltered ("-m raw" is only a deprecated
# spelling of the same thing in CUPS 2.4).
if ! lpstat -v "$QUEUE" 2>/dev/null | grep -q "ingranixkeep:/"; then
  lpadmin -p "$QUEUE" -v ingranixkeep:/ -E
fi
cupsenable "$QUEUE"
cupsaccept "$QUEUE"
lpadmin -d "$QUEUE"

# A second queue, kept stopped, lets the test check that a printer in error is reported, not used.
if ! lpstat -v "$STOPPED" 2>/dev/null | grep -q "ingranixkeep:/"; then
  lpadmin -p "$STOPPED" -v ingranixkeep:/
fi
cupsaccept "$STOPPED"
cupsdisable "$STOPPED"

echo "Default printer: $(lpstat -d)"
echo "Printed jobs land in: $SPOOL (job-<id>.pdf)"
