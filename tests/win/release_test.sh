#!/bin/sh
# The release checked on the build machine, without Wine.
#
# release_test.sh build WORK_DIR SOURCE_DIR CMAKE
#   Copies the sources into two folders of different names and depths and
#   builds the release target from each copy, afresh: copy a in the preset's
#   own build folder, copy b in a build folder outside its sources and with
#   another SOURCE_DATE_EPOCH. Each zip is unpacked beside its build.
# release_test.sh same WORK_DIR
#   The two builds' srvsetup.dll, clisetup.dll and helpkey.exe are byte for
#   byte the same, and so is every other file of the two kits.
# release_test.sh zip WORK_DIR VERSION OBJDUMP
#   Each zip holds setupkit-VERSION-win32/ alone, its SHA256SUMS lists every
#   file there and `sha256sum -c` passes; the DLLs carry no resources.
set -eu
step=$1
if [ "$step" = build ]; then
  rm -rf "$2"
  mkdir -p "$2"
fi
work=$(CDPATH= cd -- "$2" && pwd)
src_a=$work/a/setupkit
build_a=$src_a/build/win32
src_b=$work/bb/deeper/kit-copy
build_b=$work/bb/out/x
binaries="bin/srvsetup.dll bin/clisetup.dll bin/helpkey.exe"

fail() { echo "FAIL: $*"; exit 1; }

copy_sources() {
  # Not the sources' own build folders, nor the work folder inside one.
  mkdir -p "$2"
  tar -C "$1" --exclude=./build --exclude=./dist --exclude=./.git --exclude="./${3:-build}" -cf - . |
    tar -C "$2" -xf -
}

unpack() {
  rm -rf "$2"
  mkdir -p "$2"
  (cd "$2" && "$cmake" -E tar xf "$1")
}

case $step in
build)
  source_dir=$(CDPATH= cd -- "$3" && pwd)
  cmake=$4
  inside=""
  case $work/ in "$source_dir"/*) inside=${work#"$source_dir"/} ;; esac
  copy_sources "$source_dir" "$src_a" "$inside"
  copy_sources "$source_dir" "$src_b" "$inside"

  (cd "$src_a" && env -u SOURCE_DATE_EPOCH "$cmake" --preset win32 &&
    env -u SOURCE_DATE_EPOCH "$cmake" --build --preset win32 --target release)
  # The binaries must not follow the date a build is told to stamp.
  (cd "$src_b" && SOURCE_DATE_EPOCH=946684800 "$cmake" --preset win32 -B "$build_b" &&
    SOURCE_DATE_EPOCH=946684800 "$cmake" --build "$build_b" --target release)

  for build in "$build_a" "$build_b"; do
    set -- "$build"/setupkit-*-win32.zip
    [ $# = 1 ] && [ -f "$1" ] || fail "expected one release zip in $build, found: $*"
    unpack "$1" "$build/unpacked"
  done
  ;;
same)
  failed=0
  for binary in $binaries; do
    if cmp -s "$build_a/$binary" "$build_b/$binary"; then
      echo "same: $binary"
    else
      echo "FAIL: $binary differs between the two builds ($(cmp -l "$build_a/$binary" "$build_b/$binary" | wc -l) bytes), first offsets (1-based, octal bytes):"
      cmp -l "$build_a/$binary" "$build_b/$binary" | head -8
      failed=1
    fi
  done
  if ! diff "$build_a"/unpacked/*/SHA256SUMS "$build_b"/unpacked/*/SHA256SUMS; then
    echo "FAIL: the two kits' SHA256SUMS differ (above)"
    failed=1
  fi
  exit $failed
  ;;
zip)
  version=$3
  objdump=$4
  name=setupkit-$version-win32
  for build in "$build_a" "$build_b"; do
    [ -f "$build/$name.zip" ] || fail "no $name.zip in $build"
    (cd "$build" && sha256sum -c "$name.zip.sha256") || fail "$name.zip does not match $name.zip.sha256"
    top=$(ls -A "$build/unpacked")
    [ "$top" = "$name" ] || fail "$name.zip should unpack into $name/ alone, not: $top"
    kit=$build/unpacked/$name
    (cd "$kit" && sha256sum -c SHA256SUMS) || fail "files of $name.zip do not match its SHA256SUMS"
    listed=$(sed 's/^[0-9a-f]\{64\}  //' "$kit/SHA256SUMS" | sort)
    present=$(cd "$kit" && find . ! -type d ! -path ./SHA256SUMS | sed 's|^\./||' | sort)
    [ "$listed" = "$present" ] || {
      printf 'listed:\n%s\npresent:\n%s\n' "$listed" "$present"
      fail "SHA256SUMS of $name.zip does not list exactly the files in it"
    }
    for binary in $binaries; do
      printf '%s\n' "$listed" | grep -qx "$binary" || fail "$name.zip lacks $binary"
    done
    for dll in bin/srvsetup.dll bin/clisetup.dll; do
      if "$objdump" -h "$kit/$dll" | grep -q '\.rsrc'; then fail "$dll in $name.zip carries resources"; fi
    done
  done
  echo "both zips: $name/ with $(printf '%s\n' "$listed" | wc -l) files, all in SHA256SUMS and matching"
  ;;
*)
  fail "unknown step $step"
  ;;
esac
