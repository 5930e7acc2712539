#!/bin/sh
# demo_test.sh BUILD_DIR [CMAKE]
# Installs the kit the way dist/ gets it, runs the demo from it (the example
# installer built with makensis and run silently under Wine, then its
# uninstaller) and checks what the demo reports.
set -eu
build=$(CDPATH= cd -- "$1" && pwd)
source_dir=$(CDPATH= cd -- "$(dirname -- "$0")/../.." && pwd)
kit=$build/demo-kit
report=$build/demo/report.txt

rm -rf "$kit"
"${2:-cmake}" --install "$build" --prefix "$kit" >/dev/null
mkdir -p "$build/demo"
if ! "$source_dir/scripts/run-demo.sh" "$kit" "$build/bin" "$build/demo" aBc >"$report" 2>&1; then
  cat "$report"
  echo "FAIL: the demo stopped"
  exit 1
fi

failed=0
# The lines under a heading: indented, up to the next unindented line.
section() { awk -v h="$1" 'index($0, h) == 1 { on = 1; next } on && /^[^ ]/ { on = 0 } on && NF' "$report"; }
# Account names depend on the machine, the SIDs Wine gives don't; the note
# on Wine's mode bits ends the list.
access_list() { sed -e 's/^\( *[0-9]*\. allow \).* (\(S-[0-9-]*\))$/\1\2/' -e '/^  (Wine keeps/,$d'; }
expect_section() {
  expected=$(cat)
  actual=$(section "$1" | ${2:-cat})
  [ "$expected" = "$actual" ] && return 0
  echo "FAIL under \"$1\": expected"
  printf '%s\n' "$expected"
  echo "but the demo reported"
  printf '%s\n' "$actual"
  failed=1
}

expect_section 'The installer finished (exit code 0).' <<'END'
  IsNT() = 1
  RunningAsAdministrator() = 1
  GetIISDir() = 1: C:\WebServer
  IISAddFilter("C:\Program Files\Example Site\bin\sitefilt.dll") = 1
  GetFilterDir() = 1: C:\Program Files\Example Site\bin\
  IISInstallVirtualDir("/site", "C:\Program Files\Example Site\web", 5) = 1
  ClearAccessRights("C:\Program Files\Example Site\web") = 1
  NTSetDirAccess("C:\Program Files\Example Site\web", 1, 0, 1, 0, 0, 1, 0) = 1
  InstallService("ExampleSite", "Example Site Service", "C:\Program Files\Example Site\bin\sitesvc.exe") = 1
  LaunchService("ExampleSite") = 1
  strconv(<the phrase>) = 1: 65B4AB04CADBBE3D
END

expect_section 'Filter list before:' <<'END'
  "Filter DLLs" = "C:\WebServer\sspifilt.dll, C:\Old Site\bin\SITEFILT.DLL ,C:\WebServer\compfilt.dll"
    1. C:\WebServer\sspifilt.dll
    2. C:\Old Site\bin\SITEFILT.DLL
    3. C:\WebServer\compfilt.dll
END

# The product's module first, the old registration gone, the rest trimmed.
expect_section 'Filter list after:' <<'END'
  "Filter DLLs" = "C:\Program Files\Example Site\bin\sitefilt.dll,C:\WebServer\sspifilt.dll,C:\WebServer\compfilt.dll"
    1. C:\Program Files\Example Site\bin\sitefilt.dll
    2. C:\WebServer\sspifilt.dll
    3. C:\WebServer\compfilt.dll
END

expect_section 'Virtual root /site:' <<'END'
  "/site" = "C:\Program Files\Example Site\web,,5"
    directory:    C:\Program Files\Example Site\web
    attribute:    (empty)
    access flags: 5
END

# Exactly the three grants, in order, each inherited by files: the
# anonymous account (the Wine user), Administrators, SYSTEM.
expect_section 'Access entries of the web directory as the kit wrote them:' access_list <<'END'
  ClearAccessRights("C:\Program Files\Example Site\web") = 1
  NTSetDirAccess("C:\Program Files\Example Site\web", 1, 0, 1, 0, 0, 1, 0) = 1
  Access list of C:\Program Files\Example Site\web:
    1. allow S-1-5-21-0-0-0-1000
         rights: read, execute (GENERIC_READ | GENERIC_EXECUTE)
         flags:  files created in it inherit the entry (OBJECT_INHERIT_ACE)
    2. allow S-1-5-32-544
         rights: full control (GENERIC_ALL)
         flags:  files created in it inherit the entry (OBJECT_INHERIT_ACE)
    3. allow S-1-5-18
         rights: full control (GENERIC_ALL)
         flags:  files created in it inherit the entry (OBJECT_INHERIT_ACE)
END

expect_section 'Service:' <<'END'
  ExampleSite: running
    display name: Example Site Service
    starts:       automatically at boot
    runs as:      LocalSystem
    program:      "C:\Program Files\Example Site\bin\sitesvc.exe"
END

expect_section 'Product record:' <<'END'
  WebServerDir = C:\WebServer
  PhraseDigest = 65B4AB04CADBBE3D
END

expect_section 'Service after uninstalling:' <<'END'
  ExampleSite: not installed
END

if [ "$failed" -ne 0 ]; then
  echo "The whole report:"
  cat "$report"
  exit 1
fi
echo "The demo reported what the example installer should have changed."
