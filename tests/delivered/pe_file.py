"""What a Windows program file holds, read from its bytes alone: its machine, its imports and
its resources. Enough of the PE format for the checks of the delivered files."""
import struct


class PeFile:
    def __init__(self, path):
        with open(path, 'rb') as file:
            self.data = file.read()
        self.path = path
        if self.data[:2] != b'MZ':
            raise ValueError(f'{path}: no MZ header')
        pe = struct.unpack_from('<I', self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b'PE\0\0':
            raise ValueError(f'{path}: no PE signature')
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from('<HHIIIHH', self.data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from('<H', self.data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)  # PE32 or PE32+
        self.directories = [struct.unpack_from('<II', self.data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from('<IIII', self.data, table + 40 * i + 8) for i in range(sections)]
        self.is_pe32 = magic == 0x10B

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw_offset
        raise ValueError(f'{self.path}: address {rva:#x} lies in no section')

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b'\0', start)].decode('ascii')

    def imports(self):
        """The names of the DLLs the file imports from, in order."""
        rva, size = self.directories[1]
        names = []
        at = self.offset(rva) if size else None
        while at is not None:
            name_rva = struct.unpack_from('<I', self.data, at + 12)[0]
            if name_rva == 0:
                break
            names.append(self.c_string(name_rva))
            at += 20
        return names

    def resource(self, type_id, name_id):
        """The bytes of a resource of a numbered type and name (its first language), or None."""
        rva, size = self.directories[2]
        if not size:
            return None
        base = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from('<HH', self.data, directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from('<II', self.data, directory + 16 + 8 * i)
                yield ident, target

        def find(directory, wanted):
            for ident, target in entries(directory):
                if ident == wanted:
                    return target
            return None

        level = find(base, type_id)
        level = None if level is None or not level & 0x80000000 else find(base + (level & 0x7FFFFFFF), name_id)
        if level is None or not level & 0x80000000:
            return None
        languages = list(entries(base + (level & 0x7FFFFFFF)))
        if not languages or languages[0][1] & 0x80000000:
            return None
        data_rva, data_size = struct.unpack_from('<II', self.data, base + languages[0][1])
        start = self.offset(data_rva)
        return self.data[start:start + data_size]
