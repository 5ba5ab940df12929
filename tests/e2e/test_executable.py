"""The shipped file itself: a 32-bit GUI program that needs no DLL beyond Windows' own.
It is the 32-bit build even where the other tests run the 64-bit one."""
import os
import re
import subprocess
import unittest
from pathlib import Path

# DLLs that every Windows installation carries.
WINDOWS_DLLS = {
    "advapi32.dll", "comctl32.dll", "gdi32.dll", "gdiplus.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wininet.dll",
    "winhttp.dll", "version.dll", "ws2_32.dll",
}


class ExecutableTest(unittest.TestCase):
    def setUp(self):
        exe = os.environ.get("LUMAROUTE_SHIPPED_EXE")
        if not exe:
            self.skipTest("LUMAROUTE_SHIPPED_EXE is not set; run through CTest")
        self.headers = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], capture_output=True,
                                      text=True, check=True).stdout
        self.exe = Path(exe)

    def test_imports_only_windows_own_dlls(self):
        imported = {name.lower() for name in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertIn("user32.dll", imported)
        self.assertEqual(imported - WINDOWS_DLLS, set(), "runtime DLLs would have to ship beside the program")

    def test_is_a_32_bit_windows_gui_program(self):
        self.assertRegex(self.headers, r"file format pei-i386")
        self.assertRegex(self.headers, r"Subsystem\s+00000002\s+\(Windows GUI\)")

    def test_loads_at_a_random_place_runs_no_data_and_may_use_more_than_2_gib(self):
        self.assertRegex(self.headers, r"DllCharacteristics\s+[0-9a-f]+\s+DYNAMIC_BASE\s+NX_COMPAT")
        # Randomised loading needs the relocations the linker would otherwise drop.
        self.assertRegex(self.headers, r"Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation Directory")
        self.assertIn("large address aware", self.headers)


if __name__ == "__main__":
    unittest.main()
