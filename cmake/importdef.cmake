# cmake -DIN=<export .def> -DOUT=<import .def> -P importdef.cmake
#
# The DLLs' .def files bind each plain export name to the decorated stdcall
# symbol inside the DLL (DriveOk=DriveOk@4). A caller's compiler emits the
# decorated name instead, so the import library must define DriveOk@4; with
# dlltool's --kill-at it then imports the plain name DriveOk. cdecl entries
# (IsNT) carry no decoration and pass through as they are.
file(READ "${IN}" def)
string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)=([A-Za-z_][A-Za-z0-9_]*@[0-9]+)" "\\2" def "${def}")
file(WRITE "${OUT}" "${def}")
