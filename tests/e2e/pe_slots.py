"""What the import slots of a PE program hold before Windows starts it, read from the
file itself and from the debug file beside it.

Windows fills a load-time slot from the hint/name entry (or ordinal) the slot names, and
calls through a delay-loaded slot as it stands: that slot must hold the address of its
thunk, moved with the program by a base relocation. GNU ld leaves the delay-import
directory empty, so the delay descriptors and slots are found by the debug file's
symbols (`__DELAY_IMPORT_DESCRIPTOR_*`, `__imp_*`)."""
import re
import struct
import subprocess
from pathlib import Path

ORDINAL_FLAG = {4: 1 << 31, 8: 1 << 63}
EXECUTABLE = 0x20000020  # IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_CNT_CODE
RELOCATION_TYPE = {4: 3, 8: 10}  # IMAGE_REL_BASED_HIGHLOW, IMAGE_REL_BASED_DIR64
IMPORT_DIRECTORY, RELOCATION_DIRECTORY = 1, 5
# A slot points into its thunk, past the jump through the slot that later calls take.
THUNK_BYTES = 16


class PeImage:
    def __init__(self, data: bytes):
        self.data = data
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        section_count, optional_size = struct.unpack_from("<H12xH", data, header + 6)
        optional = header + 24
        wide = struct.unpack_from("<H", data, optional)[0] == 0x20B
        self.slot_size = 8 if wide else 4
        self.image_base = struct.unpack_from("<Q" if wide else "<I", data, optional + (24 if wide else 28))[0]
        directories = optional + (112 if wide else 96)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        self.sections = []
        for i in range(section_count):
            name, size, rva, raw_size, raw_at = struct.unpack_from("<8sIIII", data, optional + optional_size + 40 * i)
            flags = struct.unpack_from("<I", data, optional + optional_size + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), rva, max(size, raw_size), raw_size, raw_at, flags))

    def section(self, rva: int):
        return next((s for s in self.sections if s[1] <= rva < s[1] + s[2]), None)

    def read(self, rva: int, size: int) -> bytes:
        found = self.section(rva)
        if not found:
            raise ValueError(f"RVA {rva:#x} lies in no section")
        _, start, _, raw_size, raw_at, _ = found
        offset = rva - start
        stored = self.data[raw_at + offset:raw_at + min(offset + size, raw_size)] if offset < raw_size else b""
        return stored + bytes(size - len(stored))  # beyond the stored bytes: zeros

    def slot(self, rva: int) -> int:
        return int.from_bytes(self.read(rva, self.slot_size), "little")

    def executable(self, rva: int) -> bool:
        found = self.section(rva)
        return bool(found and found[5] & EXECUTABLE)

    def relocated_slots(self) -> set:
        """The RVAs a base relocation of the slot's width moves."""
        rva, size = self.directories[RELOCATION_DIRECTORY]
        table, moved, at = self.read(rva, size), set(), 0
        while at + 8 <= len(table):
            page, block = struct.unpack_from("<II", table, at)
            if block < 8:
                break
            for (entry,) in struct.iter_unpack("<H", table[at + 8:at + block]):
                if entry >> 12 == RELOCATION_TYPE[self.slot_size]:
                    moved.add(page + (entry & 0xFFF))
            at += block
        return moved

    def names_a_function(self, value: int) -> bool:
        """Whether a lookup entry is an ordinal or the RVA of a hint/name entry."""
        if value & ORDINAL_FLAG[self.slot_size]:
            return True
        if not value or not self.section(value + 2):
            return False
        name = self.read(value + 2, 256).split(b"\0")[0]
        return bool(re.fullmatch(rb"[A-Za-z_?@$][\x21-\x7e]*", name))

    def load_time_slots(self):
        """(DLL, slot RVA, value) for every function the import directory names: each
        entry of a DLL's lookup table with the slot Windows fills from it."""
        rva, _ = self.directories[IMPORT_DIRECTORY]
        while True:
            lookup, _, _, name, slot = struct.unpack_from("<5I", self.read(rva, 20))
            if not slot:
                return
            dll = self.read(name, 256).split(b"\0")[0].decode()
            lookup = lookup or slot
            while self.slot(lookup):
                yield dll, slot, self.slot(slot)
                lookup += self.slot_size
                slot += self.slot_size
            rva += 20


def debug_symbols(debug: Path, tool_prefix: str) -> dict:
    """Every symbol of the debug file with its address."""
    listing = subprocess.run([f"{tool_prefix}-nm", str(debug)], capture_output=True, text=True, check=True).stdout
    return {parts[2]: int(parts[0], 16) for parts in map(str.split, listing.splitlines()) if len(parts) == 3}


def slot_faults(exe: Path) -> list:
    """Every import slot of `exe` that does not hold what Windows needs at start, each
    said in a line; an empty list when every call can reach its function."""
    image = PeImage(exe.read_bytes())
    prefix = "x86_64-w64-mingw32" if image.slot_size == 8 else "i686-w64-mingw32"
    symbols = debug_symbols(exe.with_name(exe.name + ".debug"), prefix)
    by_address = {}
    for name, address in symbols.items():
        by_address.setdefault(address, set()).add(name)
    faults, checked = [], set()

    for dll, slot, value in image.load_time_slots():
        checked.add(slot)
        if not image.names_a_function(value):
            faults.append(f"{dll} slot at {slot:#x} holds {value:#x}, neither an ordinal nor a hint/name entry")

    moved = image.relocated_slots()
    descriptors = {name: address for name, address in symbols.items() if "_DELAY_IMPORT_DESCRIPTOR_" in name}
    if not descriptors:
        faults.append("no delay-load descriptor among the debug file's symbols")
    for descriptor, address in sorted(descriptors.items()):
        attributes, _, _, iat, lookup = struct.unpack_from("<5I", image.read(address - image.image_base, 20))
        if attributes != 1:
            faults.append(f"{descriptor} does not hold RVAs (attributes {attributes})")
            continue
        while entry := image.slot(lookup):
            names = sorted(n[len("__imp_"):] for n in by_address.get(image.image_base + iat, ()) if n.startswith("__imp_"))
            label = names[0] if names else f"slot at {iat:#x}"
            thunk = image.slot(iat) - image.image_base
            checked.add(iat)
            if not image.names_a_function(entry):
                faults.append(f"{label}: its lookup entry names no function")
            if not image.executable(thunk):
                faults.append(f"{label}: holds {image.slot(iat):#x}, not an address in the program's code")
            elif names and not any(names[0] in by_address.get(image.image_base + thunk - back, ())
                                   for back in range(THUNK_BYTES)):
                faults.append(f"{label}: holds {image.slot(iat):#x}, not its own thunk")
            if iat not in moved:
                faults.append(f"{label}: no base relocation moves it with the program")
            iat += image.slot_size
            lookup += image.slot_size

    for name, address in sorted(symbols.items()):
        if name.startswith("__imp_") and address - image.image_base not in checked and image.section(
                address - image.image_base) and image.section(address - image.image_base)[0] == ".idata":
            faults.append(f"{name}: a slot in no import table")
    return faults
