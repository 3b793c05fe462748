"""What the command made, and nothing else, is what it replaces: a disc folder that holds its
record (and nothing changed since), an image that carries its application identifier."""
import json
import os
import stat

from failures import Refusal

APPLICATION_ID = "TOLOPEN MAKE-DISC"
RECORD = ".make-disc"  # in the disc folder: what the command made there


def tree(folder):
    """Every path below a folder (no link followed) with what it is: [kind, size, mtime_ns]."""
    found = {}
    for parent, folders, files in os.walk(folder):
        for name in folders + files:
            full = os.path.join(parent, name)
            info = os.lstat(full)
            kind = "folder" if stat.S_ISDIR(info.st_mode) else "file" if stat.S_ISREG(info.st_mode) else "other"
            found[os.path.relpath(full, folder)] = [kind, info.st_size if kind == "file" else 0, info.st_mtime_ns]
    found.pop(RECORD, None)
    return found


def write_record(folder):
    with open(os.path.join(folder, RECORD), "w", encoding="utf-8") as record:
        json.dump({"made-by": APPLICATION_ID, "entries": tree(folder)}, record, ensure_ascii=False)


def check_disc_folder_is_ours(disc, shown):
    if os.path.islink(disc) or not os.path.lexists(disc):
        return
    if not os.path.isdir(disc):
        raise Refusal(f"--disc '{shown}' is a file, not a disc folder")
    try:
        with open(os.path.join(disc, RECORD), encoding="utf-8") as record:
            made = json.load(record)
        entries = made["entries"] if made.get("made-by") == APPLICATION_ID else None
    except (OSError, ValueError, KeyError, TypeError, AttributeError):
        entries = None
    if entries is None:
        raise Refusal(f"--disc '{shown}' exists and was not made by this command (it has no {RECORD} record): "
                      "choose another --disc or remove it yourself")
    changed = sorted(path for path, what in tree(disc).items() if entries.get(path) != what)
    changed += sorted(path for path in entries if not os.path.lexists(os.path.join(disc, path)))
    if changed:
        more = f" and {len(changed) - 5} more" if len(changed) > 5 else ""
        raise Refusal(f"--disc '{shown}' was changed since this command made it ({', '.join(changed[:5])}{more}): "
                      "choose another --disc or remove it yourself")


def image_is_ours(path):
    try:
        with open(path, "rb") as image:
            image.seek(16 * 2048)
            descriptor = image.read(2048)
    except OSError:
        return False
    return descriptor[:6] == b"\x01CD001" and descriptor[574:702].rstrip(b" ") == APPLICATION_ID.encode()


def check_image_is_ours(image, shown):
    if not os.path.lexists(image):
        return
    if os.path.isdir(image):
        raise Refusal(f"--image '{shown}' is a folder; --image names the image file to write")
    if not os.path.isfile(image) or not image_is_ours(image):
        raise Refusal(f"--image '{shown}' exists and is no image made by this command: "
                      "choose another --image or remove it yourself")
