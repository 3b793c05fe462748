"""The disc folder staged beside its place, the room it and the image need, and the renames that
put both in place, undone when one fails."""
import os
import shutil
import stat

import course as course_survey
import disc_rules as rules
from failures import Failure, Refusal

# Measured on xorriso 1.5: an image written to a file is the size -print_size reports and 30
# sectors more, written in blocks of 32 sectors (64 KiB).
WRITER_TAIL_SECTORS = 30
WRITER_BLOCK_SECTORS = 32
SECTOR = 2048


def written_image_bytes(printed_bytes):
    """What xorriso writes for an image whose size it printed."""
    sectors = printed_bytes // SECTOR + WRITER_TAIL_SECTORS
    return -(-sectors // WRITER_BLOCK_SECTORS) * WRITER_BLOCK_SECTORS * SECTOR


def copy_file(source, destination):
    """Copies a regular file without following a link, keeping its modification time."""
    flags = os.O_RDONLY | getattr(os, "O_NOFOLLOW", 0) | getattr(os, "O_NONBLOCK", 0)
    descriptor = os.open(source, flags)
    with open(descriptor, "rb") as reader:
        if not stat.S_ISREG(os.fstat(descriptor).st_mode):
            raise Refusal(f"'{course_survey.shown(source)}' is no longer a regular file")
        with open(destination, "xb") as writer:
            shutil.copyfileobj(reader, writer, 1 << 20)
        times = os.fstat(descriptor)
    os.utime(destination, ns=(times.st_atime_ns, times.st_mtime_ns))


def stage(course_folder, survey, autorun, control, program_files, folder):
    """The disc folder: the course, the program files at its root, the control, autorun.inf."""
    os.mkdir(folder)
    source = os.fsencode(course_folder)
    target = os.fsencode(folder)
    for entry in survey.entries:
        if entry.is_folder:
            os.mkdir(os.path.join(target, entry.raw))
        else:
            copy_file(os.path.join(source, entry.raw), os.path.join(target, entry.raw))
    for program_file in program_files:
        copy_file(os.fsencode(program_file), os.path.join(target, os.fsencode(os.path.basename(program_file))))
    control_folder = os.path.join(folder, *survey.control_folder)
    os.makedirs(control_folder, exist_ok=True)
    copy_file(os.fsencode(os.path.realpath(control)), os.fsencode(os.path.join(control_folder, rules.CONTROL)))
    with open(os.path.join(folder, rules.AUTORUN), "xb") as file:
        file.write(autorun)


def free_space_check(places):
    """Fails early when a file system cannot take what is made on it: (folder, bytes)."""
    needed = {}
    for folder, size in places:
        device = os.stat(folder).st_dev
        needed[device] = (folder, needed.get(device, (folder, 0))[1] + size)
    for folder, size in needed.values():
        info = os.statvfs(folder)
        free = info.f_bavail * info.f_frsize
        if free < size:
            raise Failure(f"the file system of '{folder}' has {free} bytes free; the disc needs {size} there")


def nearest_folder(path):
    folder = os.path.dirname(path)
    while not os.path.isdir(folder):
        folder = os.path.dirname(folder)
    return folder


def course_bytes(survey):
    """About what the course takes on disk: each file in whole 4 KiB blocks, each entry a block."""
    return sum(-(-entry.size // 4096) * 4096 + 4096 for entry in survey.entries)


def put_in_place(moves):
    """Renames each (made, destination, keep_old_at) in order; undoes all of them when one fails."""
    done = []
    try:
        for made, destination, old in moves:
            os.makedirs(os.path.dirname(destination), exist_ok=True)
            if os.path.lexists(destination):
                os.rename(destination, old)
                done.append((old, destination))
            os.rename(made, destination)
            done.append((destination, made))
    except OSError as error:
        for now, before in reversed(done):
            os.rename(now, before)
        raise Failure(f"could not put '{error.filename}' in place ({error.strerror})")
