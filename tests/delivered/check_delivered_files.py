#!/usr/bin/python3
"""Checks the delivered files of a build folder (the i686 build) from their bytes alone, read by
pefile (Debian's python3-pefile, a reader independent of the toolchain): tolOpen.exe is a 32-bit
program within its size budget, imports from KERNEL32.dll alone and carries its application
manifest; vb5stkit.dll imports from KERNEL32.dll alone (every other entry it uses is looked up by
name, so that it loads on every Windows).
usage: check_delivered_files.py BUILD_FOLDER"""
import os
import sys
import xml.etree.ElementTree as ElementTree

import pefile

SIZE_BUDGET = 35840  # bytes of tolOpen.exe, read from a CD at every start
SUPPORTED_OS = {  # Vista, 7, 8, 8.1, 10 and 11
    '{e2011457-1546-43c5-a5fe-008deee3d3f0}', '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}',
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}', '{1f676c76-80e1-4239-95bb-83d0f6d0da78}',
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'}
ASM_V2 = '{urn:schemas-microsoft-com:asm.v2}'  # trustInfo's namespace that Windows XP reads safely
COMPATIBILITY = '{urn:schemas-microsoft-com:compatibility.v1}'


def imports(pe):
    return [entry.dll.decode() for entry in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', [])]


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
    size = os.path.getsize(launcher_path)
    alone = ['KERNEL32.DLL']
    return [
        (f'{launcher_path} is a 32-bit program',
         [] if launcher.FILE_HEADER.Machine == pefile.MACHINE_TYPE['IMAGE_FILE_MACHINE_I386'] else ['another machine']),
        (f'{launcher_path} within {SIZE_BUDGET} bytes', [] if size <= SIZE_BUDGET else [f'{size} bytes']),
        (f'{launcher_path} imports KERNEL32.dll alone',
         [] if [n.upper() for n in imports(launcher)] == alone else [f'imports {imports(launcher)}']),
        (f'{launcher_path} manifest', manifest_problems(manifest(launcher))),
        (f'{library_path} imports KERNEL32.dll alone',
         [] if [n.upper() for n in imports(library)] == alone else [f'imports {imports(library)}']),
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
