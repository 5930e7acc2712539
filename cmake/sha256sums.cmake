# Run by the install as its last rule: writes SHA256SUMS at the top of the
# installed kit with a line for every file the other rules installed, in the
# format `sha256sum -c SHA256SUMS` checks from that folder.
set(kit_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
# The manifest names each file under the prefix, without DESTDIR.
set(kit_files)
foreach(installed IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  if(NOT IS_DIRECTORY "$ENV{DESTDIR}${installed}")
    file(RELATIVE_PATH relative "${CMAKE_INSTALL_PREFIX}" "${installed}")
    list(APPEND kit_files "${relative}")
  endif()
endforeach()
list(REMOVE_DUPLICATES kit_files)
list(SORT kit_files)

set(sums "")
foreach(relative IN LISTS kit_files)
  file(SHA256 "${kit_root}/${relative}" digest)
  string(APPEND sums "${digest}  ${relative}\n")
endforeach()
message(STATUS "Installing: ${kit_root}/SHA256SUMS")
file(WRITE "${kit_root}/SHA256SUMS" "${sums}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_PREFIX}/SHA256SUMS")
