#!/usr/bin/python3
"""Reads Wine's relay trace of the launcher's runs told Windows 95, 98 or Me, and fails on each
call of a wide KERNEL32 entry made from the program's or vb5stkit.dll's image: 9x has those only
as stubs that fail with ERROR_CALL_NOT_IMPLEMENTED, but the few it has for real. Wine implements
them all, so only this trace shows one. A call is the program's when its return address lies in
one of its images as loaded in that process (+pid, +loaddll); there must be runs of the program,
each with calls through its images.
usage: check_relay_trace.py TRACE TOLOPEN_EXE VB5STKIT_DLL"""
import collections
import os
import re
import sys

import pefile

# The wide entries that Windows 95, 98 and Me have for real and the program may call.
REAL_ON_9X = {'GetCommandLineW', 'lstrlenW', 'lstrcpyW', 'lstrcatW', 'lstrcpynW', 'FindResourceW', 'FindResourceExW'}
LOADED = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded L"(?:[^"]*\\)?([^"\\]+)" at ([0-9A-Fa-f]+)')
CALL = re.compile(r'^([0-9a-f]+):[0-9a-f]+:Call (\w+)\.(\w+)\(.*\) ret=([0-9a-f]+)$')


def problems(trace_path, image_paths):
    sizes = {os.path.basename(p).lower(): pefile.PE(p, fast_load=True).OPTIONAL_HEADER.SizeOfImage for p in image_paths}
    images, calls = collections.defaultdict(dict), collections.defaultdict(set)
    with open(trace_path, encoding='utf-8', errors='replace') as trace:
        for line in trace:
            line = line.rstrip('\r\n')
            if (loaded := LOADED.match(line)) and loaded.group(2).lower() in sizes:
                base, name = int(loaded.group(3), 16), loaded.group(2).lower()
                images[loaded.group(1)][name] = range(base, base + sizes[name])
            elif call := CALL.match(line):
                pid, address = call.group(1), int(call.group(4), 16)
                calls[pid] |= {(call.group(2), call.group(3), name, address - extent.start)
                               for name, extent in images.get(pid, {}).items() if address in extent}
    runs = [pid for pid, loaded in images.items() if 'tolopen.exe' in loaded]
    print(f'{len(runs)} runs of tolOpen.exe; its calls: '
          + ' '.join(sorted({f'{module}.{entry}' for pid in runs for module, entry, _, _ in calls[pid]})))
    found = [] if runs else ['no run of tolOpen.exe in the trace']
    for pid in runs:
        found += [] if calls[pid] else [f'process {pid}: no call from the program\'s images in the trace']
        found += [f'process {pid}: {module}.{entry} called from {image}+{offset:#x}, a stub on Windows 95, 98 and Me'
                  for module, entry, image, offset in sorted(calls[pid])
                  if entry.endswith('W') and entry not in REAL_ON_9X]
    return found


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    found = problems(sys.argv[1], sys.argv[2:])
    print(''.join(f'FAILED  {problem}\n' for problem in found), end='')
    sys.exit(1 if found else 0)
