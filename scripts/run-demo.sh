#!/bin/sh
# run-demo.sh KIT_DIR TOOLS_DIR WORK_DIR [PHRASE]
#   KIT_DIR    the kit as dist/ lays it out (bin/, examples/nsis/)
#   TOOLS_DIR  the build's bin/ folder: the example product's stand-ins
#              (sitesvc.exe, sitefilt.dll) and the demo's kitdemo.exe
#   WORK_DIR   where the installer and the demo's own Wine prefix go
#   PHRASE     what the user "typed" for the installer to digest
#
# Builds the example installer from the kit with makensis, runs it silently
# in a private Wine prefix that holds a stand-in web service, tells what
# changed, then runs the uninstaller.
set -eu
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
kit=$(CDPATH= cd -- "$1" && pwd)
tools=$(CDPATH= cd -- "$2" && pwd)
mkdir -p "$3"
work=$(CDPATH= cd -- "$3" && pwd)
phrase=${4:-Swordfish}

# What the example installer names (examples/nsis/product-setup.nsi).
service=ExampleSite
root=/site
instdir='C:\Program Files\Example Site'

export WINEPREFIX="$work/prefix"
instdir_unix="$WINEPREFIX/drive_c/Program Files/Example Site"

# Runs a Windows program in the demo's prefix; its console output ends its
# lines with CR LF.
win() {
  status=0
  "$here/wine-run.sh" "$@" >"$work/output" 2>&1 || status=$?
  tr -d '\r' <"$work/output"
  return $status
}
kitdemo() { win "$tools/kitdemo.exe" "$@"; }
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

echo "== Building the example installer from the kit"
echo "makensis -DPRODUCT_BIN=$tools $kit/examples/nsis/product-setup.nsi"
makensis -V2 "-DPRODUCT_BIN=$tools" "-DOUTFILE=$work/product-setup.exe" "$kit/examples/nsis/product-setup.nsi"

echo
echo "== A private Wine prefix with a stand-in web service"
[ -f "$WINEPREFIX/.setupkit-ready" ] || echo "(making the prefix $WINEPREFIX: about 10 s)"
"$here/wine-prefix.sh" up
trap '"$here/wine-prefix.sh" down' EXIT
kitdemo prepare "$service" "$root"
echo
echo "Filter list before:"
kitdemo filters

echo
echo "== Running the installer silently: product-setup.exe /S \"/PHRASE=$phrase\""
status=0
"$here/wine-run.sh" "$work/product-setup.exe" /S "/PHRASE=$phrase" || status=$?
if [ "$status" -ne 0 ]; then
  echo "The installer failed with exit code $status."
  [ -f "$instdir_unix/setup.log" ] && tr -d '\r' <"$instdir_unix/setup.log" | sed 's/^/  /'
  exit 1
fi
echo "The installer finished (exit code 0). Its log, $instdir\\setup.log:"
tr -d '\r' <"$instdir_unix/setup.log" | sed 's/^/  /'

echo
echo "Filter list after:"
kitdemo filters
echo
echo "Virtual root $root:"
kitdemo root "$root"
echo
echo "Access entries of the web directory as the kit wrote them:"
kitdemo access "$(windows_path "$kit/bin/srvsetup.dll")" "$instdir\\setup.log"
echo "  (Wine keeps no access lists on files, so the installer's two calls were"
echo "  made again through the kit with its file-security calls recorded. Wine"
echo "  itself kept only Unix mode bits: $(stat -c %A "$instdir_unix/web") on the web directory.)"
echo
echo "Service:"
kitdemo service "$service"
echo
echo "Product record:"
kitdemo value 'SOFTWARE\Example Site' WebServerDir
kitdemo value 'SOFTWARE\Example Site' PhraseDigest

echo
echo "== Uninstalling silently: uninstall.exe /S"
# _?= keeps the uninstaller in place, so this waits for it to finish; it
# must stand unquoted at the end of the command line.
kitdemo run "\"$instdir\\uninstall.exe\" /S _?=$instdir"
echo "Service after uninstalling:"
kitdemo service "$service"
