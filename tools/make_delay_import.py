#!/usr/bin/env python3
"""Makes a delay-load import library for one Windows DLL from MinGW-w64's own import
library of it: every function that library imports, loaded only when first called.

    make_delay_import.py NM DLLTOOL OBJCOPY IMPORT_LIBRARY DLL_NAME OUTPUT [--underscored]

(--underscored for 32-bit Windows, whose C symbols carry a leading underscore.)

The program resolves nothing but kernel32 and the C runtime when Windows loads it, so
that it can confine the DLL search to the system folder before any other DLL is looked
for; every other DLL comes in through a library made here.

A call reaches its function through the function's slot: a call declared `dllimport`
(as Windows' headers declare nearly everything) jumps through `__imp_Name`, which
before the first call holds the address of the function's thunk in the library; the
thunk loads the DLL, finds the function, writes its address into the slot and jumps
there. The 32-bit GNU linker drops the code sections of import-library members that
no symbol of the program names, and a `dllimport` call names only the slot: the thunk
would be dropped and the slot left holding 0. So the thunks' code goes into a section
the linker does not take for code (`.text$dl`, still placed in the program's .text);
tests/e2e/test_executable.py reads every slot of the finished program.
"""
import subprocess
import sys
from pathlib import Path


def exported_functions(nm: str, import_library: str, underscored: bool) -> list[str]:
    """The functions (not data) the import library names, as a .def file spells them:
    `Name@N` for the stdcall functions of 32-bit Windows, `Name` otherwise."""
    listing = subprocess.run([nm, "--defined-only", import_library], capture_output=True, text=True,
                             check=True).stdout
    imports, thunks = set(), set()
    for line in listing.splitlines():
        parts = line.split()
        if len(parts) != 3:
            continue
        _, kind, symbol = parts
        if kind == "I" and symbol.startswith("__imp_"):
            imports.add(symbol[len("__imp_"):])
        elif kind == "T":
            thunks.add(symbol)
    # A function has both an import slot and a call thunk; data has only the slot.
    functions = sorted(imports & thunks)
    return [name[1:] if underscored and name.startswith("_") else name for name in functions]


def main() -> int:
    nm, dlltool, objcopy, import_library, dll_name, output = sys.argv[1:7]
    functions = exported_functions(nm, import_library, "--underscored" in sys.argv[7:])
    if not functions:
        print(f"{import_library}: no functions found", file=sys.stderr)
        return 1
    definition = Path(output).with_suffix(".def")
    definition.write_text(f"LIBRARY {dll_name}\nEXPORTS\n" + "".join(f"  {f}\n" for f in functions))
    # -k: the DLL exports the bare names; the @N only tells the linker the stack size.
    subprocess.run([dlltool, "-k", "-d", str(definition), "-D", dll_name, "-y", output], check=True)
    subprocess.run([objcopy, "--rename-section", ".text=.text$dl,contents,alloc,load,readonly,data", output],
                   check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
