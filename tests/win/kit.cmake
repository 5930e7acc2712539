# The kit as its callers meet it: setupkit.h compiled as C and C++ (mingw,
# and the Microsoft ABI through clang), programs linked against the import
# libraries and run beside the DLLs.
set(KIT_HEADER ${PROJECT_SOURCE_DIR}/include/setupkit.h)
set(KIT_STRICT -fsyntax-only -Wall -Wextra -Werror)

# The header alone, in the oldest dialects a caller may still use.
add_test(NAME kit_header_c89
  COMMAND ${CMAKE_C_COMPILER} ${KIT_STRICT} -std=c89 -pedantic-errors -x c ${KIT_HEADER})
add_test(NAME kit_header_cxx98
  COMMAND ${CMAKE_CXX_COMPILER} ${KIT_STRICT} -std=c++98 -pedantic-errors -x c++ ${KIT_HEADER})
# A program with its own replace() can still use the pointer types.
add_test(NAME kit_header_no_prototypes
  COMMAND ${CMAKE_C_COMPILER} ${KIT_STRICT} -DSETUPKIT_NO_PROTOTYPES -include ${KIT_HEADER}
          ${CMAKE_CURRENT_SOURCE_DIR}/kit_no_prototypes.c)

find_program(KIT_CLANG NAMES clang clang-14)
if(KIT_CLANG)
  add_test(NAME kit_header_msvc_c
    COMMAND ${KIT_CLANG} --target=i686-pc-windows-msvc ${KIT_STRICT} -x c ${KIT_HEADER})
  add_test(NAME kit_header_msvc_cxx
    COMMAND ${KIT_CLANG} --target=i686-pc-windows-msvc ${KIT_STRICT} -x c++ ${KIT_HEADER})
endif()

# C through the import table (dllimport), every srvsetup export linked.
add_executable(kit_link_c kit_link_test.c)
target_include_directories(kit_link_c PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_compile_definitions(kit_link_c PRIVATE "SETUPKIT_API=__declspec(dllimport)")
target_compile_options(kit_link_c PRIVATE -Wall -Wextra -Werror)
target_link_libraries(kit_link_c PRIVATE ${KIT_LIB_DIR}/libsrvsetup.dll.a)
target_link_options(kit_link_c PRIVATE -static)
add_dependencies(kit_link_c import_libs srvsetup)
add_wine_test(kit_link_c PROGRAM kit_link_c)

# C++ beside the DLLs' own declarations; clisetup through its jump stubs.
add_executable(kit_link_cxx kit_link_test.cpp)
target_include_directories(kit_link_cxx PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/setupcore)
target_compile_options(kit_link_cxx PRIVATE -Wall -Wextra -Werror)
target_link_libraries(kit_link_cxx PRIVATE ${KIT_LIB_DIR}/libclisetup.dll.a)
target_link_options(kit_link_cxx PRIVATE -static)
add_dependencies(kit_link_cxx import_libs srvsetup clisetup)
add_wine_test(kit_link_cxx PROGRAM kit_link_cxx)

# The Microsoft ABI: clang in MSVC mode and lld-link against the .lib files.
find_program(KIT_LLD_LINK NAMES lld-link lld-link-14)
if(KIT_CLANG AND KIT_LLD_LINK AND LLVM_DLLTOOL)
  set(msvc_src ${CMAKE_CURRENT_SOURCE_DIR}/kit_msvc_link.c)
  set(msvc_obj ${CMAKE_CURRENT_BINARY_DIR}/kit_msvc_link.obj)
  set(msvc_exe ${CMAKE_BINARY_DIR}/bin/kit_msvc_link.exe)
  add_custom_command(OUTPUT ${msvc_exe}
    COMMAND ${KIT_CLANG} --target=i686-pc-windows-msvc -O1 -Wall -Werror -ffreestanding
            -I${PROJECT_SOURCE_DIR}/include -c ${msvc_src} -o ${msvc_obj}
    COMMAND ${KIT_LLD_LINK} /nologo /entry:kit_entry /subsystem:console /nodefaultlib
            /out:${msvc_exe} ${msvc_obj} ${KIT_LIB_DIR}/srvsetup.lib
    DEPENDS ${msvc_src} ${KIT_HEADER} ${KIT_LIB_DIR}/srvsetup.lib
    VERBATIM)
  add_custom_target(kit_msvc_link_exe ALL DEPENDS ${msvc_exe})
  add_dependencies(kit_msvc_link_exe import_libs srvsetup)
  add_wine_test(kit_msvc_link PROGRAM ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ARGS ${msvc_exe})
else()
  message(STATUS "clang, lld-link or llvm-dlltool missing: no Microsoft-ABI link test")
endif()

# The declarations of the reference and of the example installer against
# the .def files and the header.
find_program(KIT_PYTHON NAMES python3)
if(KIT_PYTHON)
  add_test(NAME kit_exports_doc
    COMMAND ${KIT_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/exports_doc_check.py ${PROJECT_SOURCE_DIR})
endif()
