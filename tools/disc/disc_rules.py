"""The rules of a course disc: which names Windows reads back as the course has them, the
label, the AutoPlay title and icon, the media sizes, and autorun.inf itself.

Windows reads a CD by its Joliet names (UCS-2, since Windows 95) and compares names the way it
compares every file name: each UTF-16 unit upper-cased through its own table, one unit to one
unit, without normalisation. So "Straße.html" and "STRASSE.html" are two files to Windows, and
"a.html" and "A.HTML" are one.
"""
import re
from urllib.parse import unquote, urlsplit

JOLIET_NAME_LENGTH = 103        # xorriso's joliet_long_names; longer names do not fit a record
JOLIET_STANDARD_LENGTH = 64     # what the Joliet standard itself promises
WINDOWS_PATH_LENGTH = 256       # "D:\" + path + NUL within the 260 characters of MAX_PATH
LARGEST_FILE = 4 * 1024**3 - 1  # ISO 9660 records a file's length in 32 bits
LABEL_LENGTH = 16               # the Joliet volume identifier: 16 UCS-2 characters
LABEL_BYTES = 32                # the primary volume identifier holds the label in 32 bytes
TITLE_LENGTH = 64
MEDIA = {                       # bytes a medium holds
    "cd": 737_280_000,          # 700 MB: 360,000 sectors of 2,048 bytes
    "dvd": 4_700_372_992,       # 4.7 GB, one layer: 2,295,104 sectors
}
FORBIDDEN = set('<>:"|?*\\/')   # Windows cannot hold these in a name
JOLIET_FORBIDDEN = set("*/:;?\\")  # nor can a Joliet identifier
RESERVED = {"CON", "PRN", "AUX", "NUL"} | {f"{p}{n}" for p in ("COM", "LPT") for n in range(1, 10)}

# What the disc command puts on every disc, as Windows names them.
PROGRAM = "tolOpen.exe"
LIBRARY = "vb5stkit.dll"
AUTORUN = "autorun.inf"
CONTROL_FOLDERS = ("tools", "flash")
CONTROL = "flash.ocx"


def utf16_length(text):
    return len(text.encode("utf-16-le", "surrogatepass")) // 2


def windows_upper(name):
    """The name as Windows compares it: each character upper-cased on its own, one to one.

    A character whose upper case is longer than itself ("ß" gives "SS") stays as it is, as
    Windows' table maps every unit to exactly one unit.
    """
    return "".join(upper if len(upper := c.upper()) == 1 else c for c in name)


def same_name(a, b):
    return windows_upper(a) == windows_upper(b)


def _shown(characters):
    return " ".join(repr(c) for c in sorted(characters))


def name_problems(name):
    """Why a single file or folder name cannot reach Windows from the disc as it is, if it cannot."""
    problems = []
    bad = {c for c in name if c in FORBIDDEN or ord(c) < 32 or ord(c) == 127}
    if bad:
        problems.append(f"Windows cannot hold {_shown(bad)} in a name")
    if ";" in name:
        problems.append("a Joliet name cannot hold ';'")
    if any(ord(c) > 0xFFFF for c in name):
        problems.append("a Joliet name holds only characters of the Basic Multilingual Plane")
    if name.endswith((".", " ")):
        problems.append("Windows drops a trailing dot or blank from a name")
    stem = name.split(".")[0].rstrip(" ")
    if windows_upper(stem) in RESERVED:
        problems.append(f"'{stem}' is a device name that Windows reserves")
    if utf16_length(name) > JOLIET_NAME_LENGTH:
        problems.append(f"the name has {utf16_length(name)} characters; a disc carries {JOLIET_NAME_LENGTH}")
    return problems


def path_problem(path):
    """Why a path below the disc's root is too long for Windows to open, if it is."""
    length = utf16_length(path)
    if length > WINDOWS_PATH_LENGTH:
        return f"the path has {length} characters; Windows opens {WINDOWS_PATH_LENGTH} below a drive's root"
    return None


def label_problem(label):
    """Why the label cannot be what Windows shows of the disc exactly, if it cannot."""
    limit = (f"the label takes 1 to {LABEL_LENGTH} characters (what Windows shows of a disc's label), "
             f"at most {LABEL_BYTES} bytes in UTF-8")
    if not label or utf16_length(label) > LABEL_LENGTH or len(label.encode("utf-8", "surrogatepass")) > LABEL_BYTES:
        return f"{limit}; '{label}' has {utf16_length(label)} characters"
    bad = {c for c in label if c in JOLIET_FORBIDDEN or ord(c) < 32 or ord(c) == 127}
    if bad:
        return f"the label cannot hold {_shown(bad)}"
    if any(ord(c) > 0xFFFF or 0xD800 <= ord(c) <= 0xDFFF for c in label):
        return "the label holds only characters of the Basic Multilingual Plane"
    if label != label.strip(" "):
        return "the label cannot begin or end with a blank (Windows would not show it)"
    return None


def title_problem(title):
    """Why the AutoPlay title cannot be shown as it is, if it cannot."""
    if not title or utf16_length(title) > TITLE_LENGTH:
        return f"the title takes 1 to {TITLE_LENGTH} characters; it has {utf16_length(title)}"
    if any(ord(c) < 32 or ord(c) == 127 for c in title):
        return "the title takes one line of text, without control characters"
    if title != title.strip(" ") or title[0] == '"' or title[-1] == '"':
        return "the title cannot begin or end with a blank or a quote (Windows would drop them)"
    return None


def choose_icon(root_files):
    """The course's icon among the files at its root: autorun.ico in any case, else its only .ico."""
    named = [name for name in root_files if same_name(name, "autorun.ico")]
    if named:
        return named[0]
    icons = [name for name in root_files if windows_upper(name).endswith(".ICO")]
    return icons[0] if len(icons) == 1 else None


def icon_problem(name):
    """Why icon= cannot name the file, if it cannot: the text after a comma is an icon's index."""
    if "," in name:
        return "icon= takes a comma as the start of an icon index, so the name cannot hold one"
    if name != name.strip(" ") or name.startswith('"'):
        return "icon= drops a leading or trailing blank or quote"
    return None


def autorun_inf(title, icon):
    """autorun.inf's bytes, and a note on its encoding when the text is not plain ASCII.

    Every Windows reads an ANSI file in its own code page, and autorun starts open= from it; so the
    file is in the Western code page 1252 whenever that holds the text, and open= works
    everywhere, though Windows set to another code page shows the title otherwise. A title no
    such file can hold makes it UTF-16 with a byte-order mark, which the profile functions of
    Windows 2000 and later read; Windows 95, 98 and Me cannot, and do not start that disc by
    itself."""
    lines = ["[autorun]", f"open={PROGRAM}"]
    if title:
        lines += [f"action={title}", f"label={title}"]
    if icon:
        lines.append(f"icon={icon}")
    text = "\r\n".join(lines) + "\r\n"
    if text.isascii():
        return text.encode("ascii"), None
    shown = title or icon
    try:
        ansi = text.encode("cp1252")
    except UnicodeEncodeError:
        return b"\xff\xfe" + text.encode("utf-16-le"), (
            f"autorun.inf is written in UTF-16, as no Western ANSI file holds '{shown}': Windows 2000 and later "
            "read it; Windows 95, 98 and Me cannot, and there the disc does not start by itself (tolOpen.exe "
            "on it still starts the course)")
    elsewhere = [f"code page {page}, {region}: '{shown.encode('cp1252').decode(f'cp{page}', 'replace')}'"
                 for page, region in ((1250, "Central European"), (1251, "Cyrillic"), (1253, "Greek"))
                 if shown.encode("cp1252").decode(f"cp{page}", "replace") != shown]
    return ansi, ("autorun.inf is written in the Western code page 1252, so every Windows starts the disc by "
                  f"itself; Windows set to another code page shows '{shown}' otherwise"
                  + (f" ({'; '.join(elsewhere)})" if elsewhere else ""))


_LINK = re.compile(rb"""(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+))""", re.IGNORECASE)


def missing_links(html, has_page):
    """The links of a page at the disc's root to pages the disc does not have, with the reason.

    `has_page(parts)` says whether the disc has the file of those path parts (compared as
    Windows compares names).
    """
    missing = []
    for match in _LINK.finditer(html):
        target = next(g for g in match.groups() if g is not None).decode("utf-8", "replace").strip()
        parts = urlsplit(target)
        if not parts.path or parts.scheme or parts.netloc or target.startswith("#"):
            continue  # another site, a mail address, a script, or a place in the same page
        names = []
        for name in unquote(parts.path).replace("\\", "/").split("/"):
            if name in ("", "."):
                continue
            if name == "..":
                if not names:
                    names = None
                    break
                names.pop()
            else:
                names.append(name)
        if names is None:
            missing.append((target, "it leads out of the course folder"))
        elif not has_page(names):
            missing.append((target, "the course has no such file"))
    return missing
