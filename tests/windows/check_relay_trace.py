#!/usr/bin/python3
"""Reads Wine's relay trace of the launcher's runs on Windows 95, 98 and Me (as told to Wine) and
finds every call of a KERNEL32 wide entry made from the program's or vb5stkit.dll's image: on a
real 9x those entries are stubs that fail with ERROR_CALL_NOT_IMPLEMENTED, so none may be called
there, but the few that 9x has for real. Wine implements them all, so only this trace shows one.

The trace holds, per process (+pid): "Loaded L"...\\tolOpen.exe" at BASE" (+loaddll) and
"Call KERNEL32.Entry(...) ret=ADDRESS" (+relay); a call is the program's when ADDRESS lies in one
of its images as loaded in that process. Each traced run is marked "tolopen-relay-trace: a run on
VERSION": every marked run must have loaded the program and called through its images.
usage: check_relay_trace.py TRACE TOLOPEN_EXE VB5STKIT_DLL"""
import collections
import os
import re
import sys

import pefile

# The wide entries that Windows 95, 98 and Me have for real (the Layer for Unicode's list of the
# few that are not stubs, those of them the program could call).
REAL_ON_9X = {'GetCommandLineW', 'lstrlenW', 'lstrcpyW', 'lstrcatW', 'lstrcpynW', 'FindResourceW',
              'FindResourceExW', 'EnumResourceNamesW', 'EnumResourceLanguagesW', 'EnumResourceTypesW'}
MARK = re.compile(r'tolopen-relay-trace: a run on (\w+)')
LOADED = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"(?:[^"]*\\)?([^"\\]+)" at ([0-9A-Fa-f]+)')
CALL = re.compile(r'^([0-9a-f]+):[0-9a-f]+:Call (\w+)\.(\w+)\(.*\) ret=([0-9a-f]+)$')


def image_sizes(paths):
    return {os.path.basename(path).lower(): pefile.PE(path, fast_load=True).OPTIONAL_HEADER.SizeOfImage
            for path in paths}


def read(trace_path, sizes):
    """The marked runs, and per process of the program: its images and the calls from them."""
    marks, images, calls = [], collections.defaultdict(dict), collections.defaultdict(list)
    with open(trace_path, encoding='utf-8', errors='replace') as trace:
        for line in trace:
            line = line.rstrip('\r\n')
            if mark := MARK.search(line):
                marks.append(mark.group(1))
            elif loaded := LOADED.match(line):
                pid, name, base = loaded.group(1), loaded.group(2).lower(), int(loaded.group(3), 16)
                if name in sizes:
                    images[pid][name] = range(base, base + sizes[name])
            elif call := CALL.match(line):
                pid, module, entry, address = call.group(1), call.group(2), call.group(3), int(call.group(4), 16)
                for name, extent in images.get(pid, {}).items():
                    if address in extent:
                        calls[pid].append((module, entry, name, address - extent.start))
    return marks, images, calls


def problems(marks, images, calls):
    runs = [pid for pid, loaded in images.items() if 'tolopen.exe' in loaded]
    found = []
    if not marks:
        found.append('no traced run: the trace holds no run marked as one on Windows 95, 98 or Me')
    if len(runs) != len(marks):
        found.append(f'{len(marks)} runs marked, {len(runs)} traced runs of tolOpen.exe found: a run went without its trace')
    for pid in runs:
        if not calls[pid]:
            found.append(f'process {pid}: no call from the program\'s images in the trace')
        for module, entry, image, offset in sorted(set(calls[pid])):
            if entry.endswith('W') and entry not in REAL_ON_9X:
                found.append(f'process {pid}: {module}.{entry} called from {image}+{offset:#x}, a stub on Windows 95, 98 and Me')
    return found


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    marks, images, calls = read(sys.argv[1], image_sizes(sys.argv[2:]))
    runs = [pid for pid, loaded in images.items() if 'tolopen.exe' in loaded]
    entries = sorted({f'{module}.{entry}' for pid in runs for module, entry, _, _ in calls[pid]})
    print(f'{len(marks)} runs on {", ".join(sorted(set(marks)))}; the program\'s calls: {" ".join(entries)}')
    found = problems(marks, images, calls)
    for problem in found:
        print('FAILED  ' + problem)
    sys.exit(1 if found else 0)


if __name__ == '__main__':
    main()
