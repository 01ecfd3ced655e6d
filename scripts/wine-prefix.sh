#!/usr/bin/env bash
# Makes the Wine prefix for ROOT (called by wine-run.sh with the environment
# set): a 64-bit prefix, Russian ANSI code page, Wine's own fonts with
# Liberation stand-ins, no crash dialog, and no serial port mapped at all, so
# that no test can ever reach the machine's console through COM1.
set -euo pipefail
root=$1
if [ ! -d "$LOCPATH/ru_RU.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  localedef -i ru_RU -f UTF-8 "$LOCPATH/ru_RU.UTF-8" >/dev/null 2>&1 || true
fi
if [ -d "$LOCPATH/ru_RU.UTF-8" ]; then export LC_ALL=ru_RU.UTF-8; fi
wineboot --init </dev/null >/dev/null 2>&1
ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
cat >"$root/prefix.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Wine\Ports]
REG
# Wine gives every /dev/ttyS* it finds the first free COM number, and ttyS0
# is this machine's console. An empty mapping for every number it accepts
# leaves no number free, so no COM port of the prefix reaches a real device;
# a test maps its own port to a pseudo-terminal.
for n in $(seq 1 255); do printf '"COM%d"=""\n' "$n"; done >>"$root/prefix.reg"
wine regedit /S "$root/prefix.reg" </dev/null >/dev/null 2>&1
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w
# The numbers run out at 255, and Wine then gives ttyS0 the name COM256: an
# empty folder on every name keeps even that one from a device.
rm -f "$WINEPREFIX"/dosdevices/com*
for n in $(seq 1 256); do mkdir -p "$WINEPREFIX/dosdevices/com$n"; done
echo "wine prefix ready: $WINEPREFIX"
