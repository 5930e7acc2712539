# What an installer author takes: `cmake --build --preset win32 --target dist`
# fills dist/ with the binaries, the header, the import libraries, the
# reference and the example installer script.

# Import libraries, made from the DLLs' own .def files so they can't drift
# from the export tables. Two formats of the same table:
#   lib<dll>.dll.a  GNU dlltool, for mingw (-l<dll>);
#   <dll>.lib       LLVM dlltool, the short import format MSVC's link.exe
#                   writes itself; GNU dlltool's members carry no safe-SEH
#                   mark, which link.exe refuses under /SAFESEH (the default
#                   of Visual Studio's x86 projects).
find_program(LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
set(KIT_LIB_DIR ${CMAKE_BINARY_DIR}/lib)
set(KIT_IMPORT_LIBS)
foreach(dll srvsetup clisetup)
  set(def ${PROJECT_SOURCE_DIR}/${dll}/${dll}.def)
  set(import_def ${KIT_LIB_DIR}/${dll}.imports.def)
  add_custom_command(OUTPUT ${import_def}
    COMMAND ${CMAKE_COMMAND} -DIN=${def} -DOUT=${import_def} -P ${PROJECT_SOURCE_DIR}/cmake/importdef.cmake
    DEPENDS ${def} ${PROJECT_SOURCE_DIR}/cmake/importdef.cmake
    VERBATIM)
  # GNU dlltool names the library's members and its head and tail symbols
  # after the output path as given: a bare file name keeps the build folder
  # out of them (lib<dll>_dll_a_h.o, __head_lib<dll>_dll_a).
  add_custom_command(OUTPUT ${KIT_LIB_DIR}/lib${dll}.dll.a
    COMMAND ${CMAKE_DLLTOOL} --input-def ${import_def} --dllname ${dll}.dll --kill-at
            --output-lib lib${dll}.dll.a
    DEPENDS ${import_def}
    WORKING_DIRECTORY ${KIT_LIB_DIR}
    VERBATIM)
  list(APPEND KIT_IMPORT_LIBS ${KIT_LIB_DIR}/lib${dll}.dll.a)
  if(LLVM_DLLTOOL)
    add_custom_command(OUTPUT ${KIT_LIB_DIR}/${dll}.lib
      COMMAND ${LLVM_DLLTOOL} -m i386 -d ${import_def} -D ${dll}.dll -k -l ${KIT_LIB_DIR}/${dll}.lib
      DEPENDS ${import_def}
      VERBATIM)
    list(APPEND KIT_IMPORT_LIBS ${KIT_LIB_DIR}/${dll}.lib)
  endif()
endforeach()
if(NOT LLVM_DLLTOOL)
  message(WARNING "llvm-dlltool not found: dist/lib gets no MSVC import libraries (install llvm)")
endif()
add_custom_target(import_libs ALL DEPENDS ${KIT_IMPORT_LIBS})

# Everything the kit's install rules take from the build.
set(KIT_TARGETS srvsetup clisetup helpkey import_libs)

install(TARGETS srvsetup clisetup helpkey RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/include/setupkit.h DESTINATION include)
install(FILES ${KIT_IMPORT_LIBS} DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/docs/exports.md DESTINATION docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/nsis DESTINATION examples)

set(KIT_DIST_DIR ${PROJECT_SOURCE_DIR}/dist CACHE PATH "Where the dist target puts the kit")
add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KIT_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${KIT_DIST_DIR}
  DEPENDS ${KIT_TARGETS}
  COMMENT "Filling ${KIT_DIST_DIR}"
  VERBATIM)
