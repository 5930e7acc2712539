#!/bin/sh
# wine-prefix.sh up|down
#   up:   make the private prefix on first use (boot finished, a CD-ROM drive
#         letter R: for the drive probes), then keep its server warm.
#   down: stop this prefix's server.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the build's prefix}"
export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

case "${1:-}" in
up)
  if [ ! -f "$WINEPREFIX/.setupkit-ready" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
    # Emptied rather than removed: in the test VM the folder is a mount point.
    mkdir -p "$WINEPREFIX"
    find "$WINEPREFIX" -mindepth 1 -delete
    # The first boot must finish before anything uses the service manager.
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    mkdir -p "$WINEPREFIX/cdrom-media"
    ln -sfn ../cdrom-media "$WINEPREFIX/dosdevices/r:"
    wine reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f </dev/null >/dev/null 2>&1
    # Drive types are read when the server starts.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.setupkit-ready"
  fi
  # The server and Wine's own system processes (services, devices) are
  # started here, detached from our pipes: whatever starts them first hands
  # them its output pipes, and ctest would then wait on them for good.
  # A server left from an earlier run refuses a second one; it is reused.
  wineserver -p 60 </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1
  ;;
down)
  wineserver -k </dev/null >/dev/null 2>&1 || true
  ;;
*)
  echo "usage: $0 up|down" >&2
  exit 2
  ;;
esac
