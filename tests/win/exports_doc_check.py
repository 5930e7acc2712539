#!/usr/bin/env python3
"""Checks docs/exports.md and the example installer against the .def files
and include/setupkit.h.

An installer author copies the declarations from the reference, so each
section must carry the export's real name, convention and argument count:
one NSIS System::Call line (narrow "m" strings, "?c" exactly for cdecl) and
one Inno Setup external line (stdcall or cdecl), and "both" exactly on the
exports clisetup.dll has. The example installer's calls follow the same
rules; the System plug-in runs a cdecl export called as stdcall without a
visible fault, so only reading the script finds a missing "?c".

usage: exports_doc_check.py SOURCE_DIR
"""
import re
import sys
from pathlib import Path


def def_exports(path):
    """name -> (ordinal, 'stdcall' or 'cdecl') from a .def file."""
    exports = {}
    for line in path.read_text().splitlines():
        m = re.match(r"\s+(\w+)(=\w+@(\d+))?\s+@(\d+)", line)
        if m:
            exports[m.group(1)] = (int(m.group(4)), "stdcall" if m.group(2) else "cdecl")
    return exports


def header_arguments(path):
    """name -> argument count from the prototypes of setupkit.h."""
    counts = {}
    text = " ".join(path.read_text().split())
    for m in re.finditer(r"SETUPKIT_API int __(?:stdcall|cdecl) (\w+)\(([^)]*)\)", text):
        args = m.group(2).strip()
        counts[m.group(1)] = 0 if args in ("", "void") else args.count(",") + 1
    return counts


def sections(text):
    """'### Name' heading -> the section's text."""
    parts = re.split(r"^### (\w+)\s*$", text, flags=re.M)
    return dict(zip(parts[1::2], parts[2::2]))


def check(source):
    srv = def_exports(source / "srvsetup" / "srvsetup.def")
    cli = def_exports(source / "clisetup" / "clisetup.def")
    arguments = header_arguments(source / "include" / "setupkit.h")
    docs = sections((source / "docs" / "exports.md").read_text())
    errors = []

    if set(docs) != set(srv):
        errors.append(f"sections {sorted(set(docs) ^ set(srv))} don't match the exports of srvsetup.def")
    for name, (ordinal, convention) in sorted(srv.items(), key=lambda item: item[1][0]):
        body = docs.get(name)
        if body is None or name not in arguments:
            errors.append(f"{name}: no section or no prototype")
            continue
        count = arguments[name]
        title = body.strip().splitlines()[0]
        if f"· {convention}" not in title:
            errors.append(f"{name}: the title line doesn't say {convention}: {title}")
        if ("**both**" in title) != (name in cli):
            errors.append(f"{name}: 'both' must mark exactly the exports of clisetup.def")

        calls = re.findall(r"^System::Call '\$PLUGINSDIR\\srvsetup\.dll::(\w+)\(([^)]*)\) i \.r0( \?c)?'",
                           body, flags=re.M)
        if len(calls) != 1 or calls[0][0] != name:
            errors.append(f"{name}: expected one System::Call of {name}, found {calls}")
        else:
            _, params, cdecl = calls[0]
            types = [p.strip().split(" ")[0] for p in params.split(",")] if params.strip() else []
            if len(types) != count:
                errors.append(f"{name}: the NSIS line passes {len(types)} arguments, the export takes {count}")
            if any(t not in ("m", "i", "p") for t in types):
                errors.append(f"{name}: the NSIS line uses types {types}; texts are 'm'")
            if bool(cdecl) != (convention == "cdecl"):
                errors.append(f"{name}: the NSIS line must {'' if convention == 'cdecl' else 'not '}end in ?c")

        externals = re.findall(r"external '(\w+)@files:srvsetup\.dll (\w+)'", body)
        if externals != [(name, convention)]:
            errors.append(f"{name}: expected the Inno Setup line '{name}@files:srvsetup.dll {convention}', "
                          f"found {externals}")
        pascal = re.search(r"^(function|procedure) " + name + r"\b(\(([^)]*)\))?", body, flags=re.M)
        if not pascal:
            errors.append(f"{name}: no Pascal declaration")
        else:
            params = pascal.group(3) or ""
            pascal_count = sum(len(group.split(":")[0].split(",")) for group in params.split(";") if group.strip())
            if pascal_count != count:
                errors.append(f"{name}: the Pascal declaration has {pascal_count} arguments, the export takes {count}")
    errors += check_example(source / "examples" / "nsis" / "product-setup.nsi", srv, arguments)
    return errors


def check_example(path, srv, arguments):
    errors = []
    text = path.read_text()
    calls = re.findall(r"System::Call '\$\{KIT\}::(\w+)\((.*)\) i \.r0 \?(c?)u'", text)
    if not calls or len(calls) != text.count("System::Call '${KIT}::"):
        errors.append(f"{path.name}: every kit call should read System::Call '${{KIT}}::Name(...) i .r0 ?u' "
                      f"(or ?cu); {len(calls)} of {text.count('System::Call')} do")
    for name, params, cdecl in calls:
        if name not in srv:
            errors.append(f"{path.name}: {name} is no export of srvsetup.dll")
            continue
        if bool(cdecl) != (srv[name][1] == "cdecl"):
            must = "must" if srv[name][1] == "cdecl" else "must not"
            errors.append(f"{path.name}: {name} is {srv[name][1]}, so its call {must} use ?c")
        types = re.findall(r"(?:^|,)\s*(\w)\s", params + " ") if params.strip() else []
        if len(types) != arguments[name] or any(t not in ("m", "i", "p") for t in types):
            errors.append(f"{path.name}: {name} is called with {types}")
    return errors


def main():
    errors = check(Path(sys.argv[1]))
    for error in errors:
        print(error)
    if not errors:
        print("docs/exports.md and the example installer agree with the .def files and setupkit.h")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
