#!/usr/bin/env python3
"""Writes a registry export of about SIZE bytes for the dry-run tool's benchmark:

    benchmark/make_registry_export.py regedit4|utf16|utf8 FILE SIZE

Course-like classes (an extension, its type with an open command, flags and binary data), as
reg export (version 5, UTF-16 or UTF-8, under HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes) or a
REGEDIT4 file (Windows-1252, under HKEY_CLASSES_ROOT) holds them, ending with .html.
"""
import sys

form, path, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
root = "HKEY_CLASSES_ROOT" if form == "regedit4" else "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
header = "REGEDIT4" if form == "regedit4" else "Windows Registry Editor Version 5.00"
width = 2 if form == "utf16" else 1
parts = [header + "\r\n\r\n"]
written = len(parts[0]) * width
i = 0
while written < size:
    block = (f"[{root}\\.ext{i}]\r\n@=\"Type.{i}\"\r\n\"Content Type\"=\"application/x-type-{i}\"\r\n\r\n"
             f"[{root}\\Type.{i}\\shell\\open\\command]\r\n"
             f"@=\"\\\"C:\\\\Program Files\\\\Viewer {i}\\\\viewer.exe\\\" \\\"%1\\\"\"\r\n"
             f"\"Flags\"=dword:{i:08x}\r\n\"Data\"=hex:" + ",".join(f"{(i + k) % 256:02x}" for k in range(24)) + "\r\n\r\n")
    parts.append(block)
    written += len(block) * width
    i += 1
parts.append(f"[{root}\\.html]\r\n@=\"htmlfile\"\r\n[{root}\\htmlfile\\shell\\open\\command]\r\n@=\"C:\\\\viewer.exe %1\"\r\n")
text = "".join(parts)
with open(path, "wb") as out:
    if form == "utf16":
        out.write(b"\xff\xfe" + text.encode("utf-16-le"))
    else:
        out.write(text.encode("cp1252" if form == "regedit4" else "utf-8"))
print(2 * i + 2)
