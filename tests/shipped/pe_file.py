"""What Windows' loader reads in a PE file: the headers, the import table
and the resources. Only what the shipped-exe check needs."""

import struct
import xml.etree.ElementTree as ElementTree

IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2
MANIFEST, VERSION_BLOCK = 24, 16
FIXED_FILE_INFO = (0xFEEF04BD).to_bytes(4, "little")
PE32_PLUS = 0x20B
ORDINAL_FLAG = {4: 1 << 31, 8: 1 << 63}


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ program")
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        (self.machine, section_count, self.timestamp, symbols, symbol_count, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, header + 4)
        strings = symbols + 18 * symbol_count  # long section names ("/4") point into the string table
        optional = header + 24
        self.pointer_size = 8 if struct.unpack_from("<H", data, optional)[0] == PE32_PLUS else 4
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (112 if self.pointer_size == 8 else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(section_count):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, optional + optional_size + 40 * i)
            name = name.rstrip(b"\0").decode("latin-1")
            if name.startswith("/") and symbols:
                at = strings + int(name[1:])
                name = data[at:data.index(b"\0", at)].decode("latin-1")
            self.sections.append((name, address, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for _, address, size, raw_offset in self.sections:
            if address <= rva < address + size:
                return raw_offset + rva - address
        raise ValueError("address 0x%x lies in no section" % rva)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        """{DLL name: [function name, or "#ordinal"]}, as the exe names them."""
        found = {}
        descriptor = self.offset(self.directories[IMPORT_DIRECTORY][0])
        while True:
            names, _, _, dll, thunks = struct.unpack_from("<IIIII", self.data, descriptor)
            if dll == 0:
                return found
            entry, functions = self.offset(names or thunks), []
            size, code = self.pointer_size, "<Q" if self.pointer_size == 8 else "<I"
            while True:
                value = struct.unpack_from(code, self.data, entry)[0]
                if value == 0:
                    break
                ordinal = value & ORDINAL_FLAG[size]
                functions.append("#%d" % (value & 0xFFFF) if ordinal else self.c_string((value & 0x7FFFFFFF) + 2))
                entry += size
            found[self.c_string(dll)] = functions
            descriptor += 20

    def resources(self, type_id):
        """The data of every resource of that numeric type, all names and languages."""
        rva, _ = self.directories[RESOURCE_DIRECTORY]
        if rva == 0:
            return []
        root = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, root + directory + 12)
            for i in range(named + numbered):
                yield struct.unpack_from("<II", self.data, root + directory + 16 + 8 * i)

        def leaves(target):
            if target & 0x80000000:
                for _, below in entries(target & 0x7FFFFFFF):
                    yield from leaves(below)
            else:
                data_rva, size = struct.unpack_from("<II", self.data, root + target)
                yield self.data[self.offset(data_rva):self.offset(data_rva) + size]

        return [data for name, target in entries(0) if name == type_id for data in leaves(target)]

    def section_names(self):
        return [name for name, _, _, _ in self.sections]

    def manifest_elements(self):
        """[(tag without namespace, attributes)] of the one manifest; [] without one or unreadable."""
        manifests = self.resources(MANIFEST)
        try:
            root = ElementTree.fromstring(manifests[0]) if len(manifests) == 1 else None
        except ElementTree.ParseError:
            root = None
        return [(e.tag.rsplit("}", 1)[-1], e.attrib) for e in root.iter()] if root is not None else []

    def fixed_versions(self):
        """(file version, product version) of the one version block, as "a.b.c.d"."""
        blocks = self.resources(VERSION_BLOCK)
        at = blocks[0].find(FIXED_FILE_INFO) if len(blocks) == 1 else -1
        if at < 0:
            return None, None
        file_high, file_low, product_high, product_low = struct.unpack_from("<IIII", blocks[0], at + 8)
        text = lambda high, low: "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)
        return text(file_high, file_low), text(product_high, product_low)
