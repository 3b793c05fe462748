#!/usr/bin/python3
"""Checks the delivered files of a build folder (the i686 build) from their bytes alone, read by
pefile (Debian's python3-pefile, a reader independent of the toolchain): tolOpen.exe is a 32-bit
program within its size budget and carries its application manifest; both it and vb5stkit.dll
import from KERNEL32.dll alone and only entries that Windows 95's KERNEL32 exports (every other
entry they use is looked up by name, so that they load on every Windows), say Windows 4.0 as the
system they need, and hold no instruction that the Pentium lacks (read from a disassembly).
usage: check_delivered_files.py BUILD_FOLDER"""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

import pefile

SIZE_BUDGETS = {'tolOpen.exe': 35840, 'vb5stkit.dll': 8192}  # bytes, read from a CD at every start
SUPPORTED_OS = {  # Vista, 7, 8, 8.1, 10 and 11
    '{e2011457-1546-43c5-a5fe-008deee3d3f0}', '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}',
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}', '{1f676c76-80e1-4239-95bb-83d0f6d0da78}',
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'}
ASM_V2 = '{urn:schemas-microsoft-com:asm.v2}'  # trustInfo's namespace that Windows XP reads safely
COMPATIBILITY = '{urn:schemas-microsoft-com:compatibility.v1}'
WINDOWS_95_EXPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'windows95_kernel32_exports.txt')
DISASSEMBLER = 'i686-w64-mingw32-objdump'
# What the Pentium Pro brought (CMOVcc, FCOMI, FCOMIP, FUCOMI, FUCOMIP), and MMX and SSE, which
# the Pentium of Windows 95 lacks too: a mnemonic, or a register that only they have.
NOT_ON_A_PENTIUM = re.compile(r'\t(cmov\w*|f(u)?comip?)\b|%x?mm[0-9]')


def import_problems(pe, exports):
    """Each entry imported from KERNEL32 that Windows 95 does not export, by name."""
    imported = [(library.dll.decode(), entry.name.decode() if entry.name else f'ordinal {entry.ordinal}')
                for library in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []) for entry in library.imports]
    return [f'imports {library}!{name}, which Windows 95 does not export'
            for library, name in imported if library.upper() != 'KERNEL32.DLL' or name not in exports]


def version_problems(pe):
    header = pe.OPTIONAL_HEADER
    return [f'{what} version {major}.{minor}, not 4.0'
            for what, major, minor in (('system', header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion),
                                       ('subsystem', header.MajorSubsystemVersion, header.MinorSubsystemVersion))
            if (major, minor) != (4, 0)]


def instruction_problems(path):
    """Each instruction that a Pentium cannot run, with its address, from the disassembly."""
    listing = subprocess.run([DISASSEMBLER, '-d', '--no-show-raw-insn', path], capture_output=True, text=True, check=True)
    return [f'{line.strip()}: not on a Pentium' for line in listing.stdout.splitlines() if NOT_ON_A_PENTIUM.search(line)]


def size_row(path):
    budget, size = SIZE_BUDGETS[os.path.basename(path)], os.path.getsize(path)
    return f'{path} within {budget} bytes', [] if size <= budget else [f'{size} bytes']


def manifest(pe):
    """The bytes of RT_MANIFEST 1, or None."""
    if not hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE'):
        return None
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id == pefile.RESOURCE_TYPE['RT_MANIFEST']:
            for name in kind.directory.entries:
                if name.id == 1:
                    data = name.directory.entries[0].data.struct
                    return pe.get_data(data.OffsetToData, data.Size)
    return None


def manifest_problems(text):
    if text is None:
        return ['no manifest (RT_MANIFEST 1)']
    root = ElementTree.fromstring(text)
    problems = []
    path = '/'.join(ASM_V2 + step for step in ('trustInfo', 'security', 'requestedPrivileges', 'requestedExecutionLevel'))
    if [(level.get('level'), level.get('uiAccess')) for level in root.findall(path)] != [('asInvoker', 'false')]:
        problems.append('requestedExecutionLevel is not level="asInvoker" uiAccess="false" in the asm.v2 trustInfo')
    found = {os_id.get('Id').lower() for os_id in root.iter(COMPATIBILITY + 'supportedOS')}
    if found != SUPPORTED_OS:
        problems.append(f'supportedOS: missing {sorted(SUPPORTED_OS - found)}, unexpected {sorted(found - SUPPORTED_OS)}')
    return problems


def check(build):
    launcher_path, library_path = os.path.join(build, 'tolOpen.exe'), os.path.join(build, 'vb5stkit.dll')
    launcher, library = pefile.PE(launcher_path), pefile.PE(library_path)
    with open(WINDOWS_95_EXPORTS, encoding='ascii') as names:
        exports = {line.strip() for line in names if line.strip() and not line.startswith('#')}
    each_file = [check
                 for path, pe in ((launcher_path, launcher), (library_path, library))
                 for check in ((f'{path} imports from KERNEL32 only what Windows 95 exports', import_problems(pe, exports)),
                               (f'{path} needs Windows 4.0', version_problems(pe)),
                               (f'{path} runs on a Pentium', instruction_problems(path)),
                               size_row(path))]
    return each_file + [
        (f'{launcher_path} is a 32-bit program',
         [] if launcher.FILE_HEADER.Machine == pefile.MACHINE_TYPE['IMAGE_FILE_MACHINE_I386'] else ['another machine']),
        (f'{launcher_path} manifest', manifest_problems(manifest(launcher))),
    ]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    results = check(sys.argv[1])
    for what, problems in results:
        print(('ok      ' if not problems else 'FAILED  ') + what + ''.join('\n        ' + p for p in problems))
    failed = sum(1 for _, problems in results if problems)
    print(f'{len(results) - failed} passed, {failed} failed')
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
