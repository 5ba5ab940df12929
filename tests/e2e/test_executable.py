"""The shipped file itself: a small 32-bit GUI program that needs no DLL beyond Windows'
own, with its debug information in a file beside it. It is the 32-bit build even where
the other tests run the 64-bit one, so these checks hold on every machine, also where
32-bit Windows code cannot run."""
import os
import re
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree
import zlib
from pathlib import Path

from pe_slots import slot_faults

# Windows' known DLLs, which it always takes from the system folder (on every version
# since Windows 7). Any other DLL the program needs is delay-loaded once it has confined
# the DLL search to the system folder.
KNOWN_DLLS = {"kernel32.dll", "msvcrt.dll"}

# The whole program, pictures included: it is the first thing a user downloads.
MAX_BYTES = 900 * 1024  # both sets of the skin's pictures included


def import_names(library: Path) -> dict:
    """The functions of an i686 import library by symbol (`_MessageBoxW@16`), each with
    the name its import asks the DLL for (the hint/name entry, after the two-byte hint)."""
    def tool(name: str, *args: str) -> str:
        return subprocess.run([f"i686-w64-mingw32-{name}", *args, str(library)], capture_output=True, text=True,
                              check=True).stdout

    data, member = {}, None
    for line in tool("objdump", "-s", "-j", ".idata$6").splitlines():
        if found := re.match(r"^(\S+\.o):\s+file format", line):
            member = found[1]
        elif re.match(r"^ [0-9a-f]{4} ", line):
            # The offset, then up to 16 bytes in hex in a fixed-width column.
            data[member] = data.get(member, b"") + bytes.fromhex(line[6:41].replace(" ", ""))
    names = {}
    for line in tool("nm", "-A", "--defined-only").splitlines():
        member, symbol = line.split(":")[-2], line.split()[-1]
        if symbol.startswith("__imp_") and member in data:
            names[symbol[len("__imp_"):]] = data[member][2:data[member].index(b"\0", 2)].decode("ascii")
    return names


class ExecutableTest(unittest.TestCase):
    def setUp(self):
        exe = os.environ.get("LUMAROUTE_SHIPPED_EXE")
        if not exe:
            self.skipTest("LUMAROUTE_SHIPPED_EXE is not set; run through CTest")
        self.headers = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], capture_output=True,
                                      text=True, check=True).stdout
        self.exe = Path(exe)

    def test_loads_nothing_but_known_dlls_with_itself(self):
        imported = {name.lower() for name in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertEqual(imported, KNOWN_DLLS, "a DLL beside the program would be loaded in its place")

    def test_is_a_32_bit_windows_gui_program(self):
        self.assertRegex(self.headers, r"file format pei-i386")
        self.assertRegex(self.headers, r"Subsystem\s+00000002\s+\(Windows GUI\)")
        # Windows 7, the oldest it is built for (_WIN32_WINNT): from 6.0 on, Windows
        # reports the true frame of a window instead of a compatible one.
        version = re.findall(r"M(?:aj|in)orSubsystemVersion\s+(\d+)", self.headers)
        self.assertEqual(version, ["6", "1"])
        # The program and the common controls and GDI+ it asks for are all x86: Windows
        # refuses to start a program whose manifest names another processor's.
        manifest = re.search(rb"<assembly .*?</assembly>", self.exe.read_bytes(), re.S)
        self.assertIsNotNone(manifest, "an embedded manifest")
        identities = ElementTree.fromstring(manifest.group()).iter("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
        self.assertEqual([i.get("processorArchitecture") for i in identities], ["x86"] * 3)

    def test_each_delay_loaded_function_is_asked_for_by_the_name_its_dll_exports(self):
        # A 32-bit stdcall function's symbol carries its stack size (MessageBoxW@16); the
        # DLL exports it by the name MinGW-w64's import library imports it by, most often
        # without. The delay-load stubs of the build (beside the program) must ask for
        # exactly that name, or the function is not found when first called.
        stubs = sorted((self.exe.parent / "delay-imports").glob("lib*_delay.a"))
        self.assertIn("libuser32_delay.a", [stub.name for stub in stubs])
        for stub in stubs:
            dll = stub.name[len("lib"):-len("_delay.a")]
            library = subprocess.run(["i686-w64-mingw32-gcc", f"-print-file-name=lib{dll}.a"], capture_output=True,
                                     text=True, check=True).stdout.strip()
            with self.subTest(dll=dll):
                asked, exported = import_names(stub), import_names(Path(library))
                self.assertTrue(asked)
                self.assertEqual({s: n for s, n in asked.items() if exported.get(s) != n}, {})

    def test_every_import_slot_holds_what_windows_needs_at_start(self):
        # Windows calls through a slot as it finds it: one left at 0 ends the program at
        # the first call of its function. The test build of the program is read too.
        for exe in (self.exe, Path(os.environ["LUMAROUTE_E2E_EXE"])):
            with self.subTest(exe=str(exe)):
                self.assertEqual(slot_faults(exe), [])

    def objdump(self, *args: str, path: "Path | None" = None) -> str:
        return subprocess.run(["i686-w64-mingw32-objdump", *args, str(path or self.exe)], capture_output=True,
                              text=True, check=True).stdout

    def test_fits_in_900_kib(self):
        self.assertLessEqual(self.exe.stat().st_size, MAX_BYTES)

    def test_is_stripped_and_names_the_file_that_holds_its_debug_information(self):
        self.assertIn("symbols stripped", self.headers)
        self.assertNotIn(".debug_", self.objdump("-h"))
        # .gnu_debuglink: the debug file's name, zero-padded to four bytes, then its CRC-32.
        dump = self.objdump("-s", "-j", ".gnu_debuglink")
        link = bytes.fromhex("".join("".join(line.split()[1:5]) for line in dump.splitlines()
                                     if re.match(r"^ [0-9a-f]+ ", line)))
        name = link[:link.index(b"\0")].decode()
        debug = self.exe.with_name(name)
        self.assertEqual(name, self.exe.name + ".debug")
        self.assertTrue(debug.is_file(), f"{debug} is missing")
        self.assertEqual(int.from_bytes(link[-4:], "little"), zlib.crc32(debug.read_bytes()),
                         "the debug file is of another build")
        self.assertIn(".debug_info", self.objdump("-h", path=debug))
        symbols = subprocess.run(["i686-w64-mingw32-nm", str(debug)], capture_output=True, text=True,
                                 check=True).stdout
        self.assertRegex(symbols, r" T _wWinMain@16\n", "the program's own functions are named")

    def test_loads_at_a_random_place_runs_no_data_and_may_use_more_than_2_gib(self):
        self.assertRegex(self.headers, r"DllCharacteristics\s+[0-9a-f]+\s+DYNAMIC_BASE\s+NX_COMPAT")
        # Randomised loading needs the relocations the linker would otherwise drop.
        self.assertRegex(self.headers, r"Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation Directory")
        self.assertIn("large address aware", self.headers)


if __name__ == "__main__":
    unittest.main()
