"""A course folder as a disc would carry it: what it holds, what the disc command replaces in
it, and every path that cannot reach Windows as the course has it, with the reason."""
import os
import stat
from dataclasses import dataclass, field

import disc_rules as rules


@dataclass
class Entry:
    parts: tuple    # the names from the course's root, as text
    raw: bytes      # the path below the course folder, as the file system has it
    is_folder: bool
    size: int = 0


@dataclass
class Survey:
    entries: list = field(default_factory=list)    # what goes onto the disc, folders before their content
    problems: list = field(default_factory=list)   # (shown path, reason)
    notes: list = field(default_factory=list)
    control_folder: tuple = rules.CONTROL_FOLDERS  # where the control goes, as the course spells it
    root_files: list = field(default_factory=list)
    index: str = None                              # the course's index.html, as it spells it

    def has_file(self, names):
        wanted = tuple(rules.windows_upper(n) for n in names)
        return any(not e.is_folder and tuple(rules.windows_upper(n) for n in e.parts) == wanted
                   for e in self.entries)


def shown(raw):
    return raw.decode("utf-8", "backslashreplace")


_SPECIAL = [(stat.S_ISFIFO, "a FIFO"), (stat.S_ISSOCK, "a socket"), (stat.S_ISCHR, "a device"),
            (stat.S_ISBLK, "a device")]


def _kind_problem(mode):
    for test, what in _SPECIAL:
        if test(mode):
            return f"it is {what}, and a disc holds only files and folders"
    return None


def _what_the_disc_puts_here(parts):
    """The name of what the disc command itself puts at these path parts, and whether it is a folder."""
    upper = tuple(rules.windows_upper(p) for p in parts)
    if len(parts) == 1:
        for added in (rules.PROGRAM, rules.LIBRARY, rules.AUTORUN):
            if upper[0] == rules.windows_upper(added):
                return added, False
    folders = tuple(rules.windows_upper(p) for p in rules.CONTROL_FOLDERS)
    if upper == folders[: len(upper)]:
        return "\\".join(rules.CONTROL_FOLDERS[: len(upper)]), True
    if upper == folders + (rules.windows_upper(rules.CONTROL),):
        return "\\".join(rules.CONTROL_FOLDERS + (rules.CONTROL,)), False
    return None


def survey(course):
    """Walks the course folder (bytes paths, no link followed) and judges every name in it."""
    result = Survey()
    control_folder = list(rules.CONTROL_FOLDERS)

    def walk(raw_folder, parts):
        try:
            with os.scandir(os.path.join(course, raw_folder) if raw_folder else course) as it:
                children = sorted(it, key=lambda e: e.name)
        except OSError as error:
            result.problems.append((shown(raw_folder) or ".", f"it cannot be read ({error.strerror})"))
            return
        seen = {}  # upper-cased name -> name, within this folder
        for child in children:
            raw = os.path.join(raw_folder, child.name) if raw_folder else child.name
            path = shown(raw)
            try:
                name = child.name.decode("utf-8")
            except UnicodeDecodeError:
                result.problems.append((path, "its name is not UTF-8, so it has no Windows name"))
                continue
            mode = child.stat(follow_symlinks=False).st_mode
            if stat.S_ISLNK(mode):
                result.problems.append((path, "it is a symbolic link, which Windows does not read from a disc"))
                continue
            special = _kind_problem(mode)
            if special:
                result.problems.append((path, special))
                continue
            for reason in rules.name_problems(name):
                result.problems.append((path, reason))
            child_parts = parts + (name,)
            too_long = rules.path_problem("\\".join(child_parts))
            if too_long:
                result.problems.append((path, too_long))
            other = seen.setdefault(rules.windows_upper(name), name)
            if other != name:
                result.problems.append((path, f"it differs from '{other}' only in case; Windows keeps one of them"))
            is_folder = stat.S_ISDIR(mode)
            added = _what_the_disc_puts_here(child_parts)
            if added:
                added_name, added_is_folder = added
                if is_folder != added_is_folder:
                    what = "a folder" if is_folder else "a file"
                    result.problems.append((path, f"it is {what} where the disc puts {added_name}"))
                    continue
                if not is_folder:
                    result.notes.append(f"the course's own {path} is replaced on the disc")
                    continue
                control_folder[len(child_parts) - 1] = name
            if not parts and not is_folder:
                result.root_files.append(name)
                if rules.same_name(name, "index.html"):
                    result.index = name
            size = 0 if is_folder else child.stat(follow_symlinks=False).st_size
            if size > rules.LARGEST_FILE:
                result.problems.append((path, "a file of 4 GiB or more does not fit ISO 9660"))
            result.entries.append(Entry(child_parts, raw, is_folder, size))
            if is_folder:
                walk(raw, child_parts)

    walk(b"", ())
    result.control_folder = tuple(control_folder)
    return result
