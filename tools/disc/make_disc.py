"""make-disc: assembles a course disc folder and its ISO 9660 image with Joliet names.

The command owns only what it made: it replaces a disc folder that holds its record (and
nothing changed since), and an image that carries its application identifier; anything else
is refused. Both are built completely beside their places and then put there by renames, with
interruptions held off, so any failure leaves the earlier disc folder and image as they were.

Exit status: 0 made; 1 a failure (a full or read-only file system, an interruption, a tool
that failed); 2 bad input (the message names it).
"""
import json
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile

import course as course_survey
import disc_rules as rules

USAGE = """\
usage: scripts/make-disc --course DIR --control FILE [--disc DIR] [--image FILE] [--label NAME]
                         [--title TEXT] [--media cd|dvd] [--build DIR]
  --course DIR     the course folder: index.html and the pages it needs
  --control FILE   the Flash control, put on the disc as tools\\flash\\flash.ocx
  --disc DIR       the disc folder to make (default build/disc)
  --image FILE     the ISO image to write (default: the disc folder's name with .iso)
  --label NAME     the volume label Windows shows, 1 to 16 characters (default COURSE)
  --title TEXT     what AutoPlay shows for the disc, with the course's autorun.ico or its one .ico
  --media cd|dvd   the medium the image must fit (default cd, 700 MB)
  --build DIR      the delivered 32-bit build (default build-i686, built when missing)
"""
APPLICATION_ID = "TOLOPEN MAKE-DISC"
RECORD = ".make-disc"  # in the disc folder: what the command made there
HERE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOL_ENVIRONMENT = dict(os.environ, LC_ALL="C.UTF-8")


class Refusal(Exception):
    """Bad input: exit status 2."""


class Failure(Exception):
    """The input was good and the work failed: exit status 1."""


class Interrupted(Exception):
    pass


def say(message):
    print(f"make-disc: {message}", file=sys.stderr, flush=True)


def text_argument(value):
    """An argument as the bytes the shell gave, read as UTF-8 whatever the locale."""
    try:
        return os.fsencode(value).decode("utf-8")
    except UnicodeDecodeError:
        raise Refusal(f"'{value}' is not UTF-8 text")


def parse(arguments):
    options = {"disc": "build/disc", "image": None, "label": "COURSE", "title": None, "media": "cd",
               "build": os.path.join(HERE, "build-i686"), "course": None, "control": None}
    i = 0
    while i < len(arguments):
        option = arguments[i]
        if option in ("--help", "-h"):
            sys.stdout.write(USAGE)
            sys.exit(0)
        if not option.startswith("--") or option[2:] not in options:
            raise Refusal(f"unknown option '{option}'")
        if i + 1 >= len(arguments):
            raise Refusal(f"{option} needs a value")
        options[option[2:]] = text_argument(arguments[i + 1])
        i += 2
    for required in ("course", "control"):
        if not options[required]:
            raise Refusal(f"--{required} is required")
    return options


# --- What the command made ---

def _tree(folder):
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
        json.dump({"made-by": APPLICATION_ID, "entries": _tree(folder)}, record, ensure_ascii=False)


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
    changed = sorted(path for path, what in _tree(disc).items() if entries.get(path) != what)
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


def joliet_label(path):
    """The volume label in the image's Joliet descriptor: what Windows shows."""
    with open(path, "rb") as image:
        for sector in range(16, 64):
            image.seek(sector * 2048)
            descriptor = image.read(2048)
            if len(descriptor) < 2048 or descriptor[0] == 255:
                return None
            if descriptor[0] == 2 and descriptor[88:90] == b"%/":
                return descriptor[40:72].decode("utf-16-be", "replace").rstrip(" ")
    return None


# --- Inputs ---

def inside(path, folder):
    return path == folder or path.startswith(folder.rstrip(os.sep) + os.sep)


def check_inputs(options):
    course = options["course"]
    if not os.path.isdir(course):
        raise Refusal(f"the course folder '{course}' does not exist")
    control = options["control"]
    if not os.path.isfile(control):
        raise Refusal(f"the control file '{control}' does not exist or is no file")
    if os.path.getsize(control) > rules.LARGEST_FILE:
        raise Refusal(f"the control file '{control}' has {os.path.getsize(control)} bytes; "
                      "ISO 9660 holds files of less than 4 GiB")
    if options["media"] not in rules.MEDIA:
        raise Refusal(f"--media is cd or dvd, not '{options['media']}'")
    for check in (rules.label_problem(options["label"]),
                  options["title"] is not None and rules.title_problem(options["title"])):
        if check:
            raise Refusal(check)
    disc = os.path.realpath(options["disc"])
    image = os.path.realpath(options["image"] or options["disc"].rstrip("/") + ".iso")
    real_course = os.path.realpath(course)
    for path, option in ((disc, "--disc"), (image, "--image")):
        if inside(path, real_course):
            raise Refusal(f"{option} '{path}' lies inside the course folder '{course}'")
        if inside(real_course, path):
            raise Refusal(f"the course folder '{course}' lies inside {option} '{path}'")
    if inside(image, disc):
        raise Refusal(f"--image '{image}' lies inside the disc folder '{disc}'")
    check_disc_folder_is_ours(disc, options["disc"])
    check_image_is_ours(image, options["image"] or image)
    return disc, image


def judge_course(course_folder):
    survey = course_survey.survey(os.fsencode(course_folder))
    if survey.index is None:
        raise Refusal(f"the course folder '{course_folder}' has no index.html, the page the launcher opens")
    long_names = sorted(e.parts[-1] for e in survey.entries
                        if rules.utf16_length(e.parts[-1]) > rules.JOLIET_STANDARD_LENGTH)
    if long_names:
        say(f"note: {len(long_names)} name(s) are longer than the Joliet standard's {rules.JOLIET_STANDARD_LENGTH} "
            f"characters (such as '{long_names[0]}'); a reader that holds to the standard may cut them")
    for note in survey.notes:
        say(f"note: {note}")
    with open(os.path.join(course_folder, survey.index), "rb") as index:
        for target, why in rules.missing_links(index.read(), survey.has_file):
            say(f"warning: index.html links to '{target}': {why}")
    icon = rules.choose_icon(survey.root_files)
    if icon and rules.icon_problem(icon):
        survey.problems.append((icon, rules.icon_problem(icon)))
    if survey.problems:
        lines = "\n".join(f"  {path}: {reason}" for path, reason in survey.problems)
        raise Refusal(f"the disc cannot carry {len(survey.problems)} path(s) of '{course_folder}' "
                      f"as the course has them:\n{lines}")
    return survey, icon


def delivered_build(build):
    files = [os.path.join(build, name) for name in (rules.PROGRAM, rules.LIBRARY)]
    if all(os.path.isfile(f) for f in files):
        return files
    say(f"building the delivered program in '{build}'")
    steps = [["cmake", "-S", HERE, "-B", build, "--no-warn-unused-cli",
              f"-DCMAKE_TOOLCHAIN_FILE={HERE}/cmake/mingw-w64-i686.cmake", "-DCMAKE_BUILD_TYPE=MinSizeRel"],
             ["cmake", "--build", build, "--target", "tolOpen", "vb5stkit"]]
    for step in steps:
        if run_quietly(step).returncode != 0 or not all(os.path.isfile(f) for f in files):
            raise Failure(f"could not build tolOpen.exe and vb5stkit.dll in '{build}' (scripts/check shows why)")
    return files


def run_quietly(command):
    """Runs a tool with its output kept (stdout and stderr together) for the caller to read."""
    try:
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=TOOL_ENVIRONMENT)
    except OSError:
        raise Failure(f"{command[0]} is not installed (scripts/install-tools installs it)")


# --- Making it ---

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


def stage(course_folder, survey, icon, options, program_files, folder):
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
    copy_file(os.fsencode(os.path.realpath(options["control"])), os.fsencode(os.path.join(control_folder, rules.CONTROL)))
    with open(os.path.join(folder, rules.AUTORUN), "xb") as autorun:
        autorun.write(rules.autorun_inf(options["title"], icon))


def xorriso(options, folder, output, action):
    return ["xorriso", "-abort_on", "FAILURE", "-return_with", "SORRY", "32", "-report_about", "UPDATE",
            "-charset", "UTF-8", "-local_charset", "UTF-8", "-outdev", f"stdio:{output}",
            "-volid", options["label"], "-application_id", APPLICATION_ID, "-joliet", "on",
            "-compliance", "joliet_long_names:joliet_long_paths", "-map", folder, "/"] + action


def image_size(options, folder):
    result = run_quietly(xorriso(options, folder, "/dev/null", ["-print_size", "-rollback_end"]))
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        if line.startswith("Image size"):
            return int(line.split(":")[1].strip().rstrip("s")) * 2048
    raise Failure("xorriso did not say how large the image would be")


def write_image(options, folder, output, processes):
    process = subprocess.Popen(xorriso(options, folder, output, ["-commit"]), stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, env=TOOL_ENVIRONMENT, text=True, errors="replace")
    processes.append(process)
    failures = []
    for line in process.stderr:
        fields = line.split()
        if "UPDATE" in line and "Writing:" in line and len(fields) > 6 and fields[6].endswith("%"):
            say(f"writing the image: {fields[6]} done")
        elif " : FAILURE : " in line or " : SORRY : " in line or " : FATAL : " in line:
            failures.append(line.split(" : ", 2)[-1].strip())
    if process.wait() != 0:
        if any("No space left" in failure for failure in failures):
            raise Failure(f"the file system of '{output}' is full: the image could not be written")
        raise Failure(f"xorriso could not write the image ({'; '.join(failures) or f'exit status {process.returncode}'})")


def read_back(image, folder):
    """The image's names and sizes read back by 7-Zip (an independent reader, by the Joliet names
    Windows shows) against the disc folder's; every difference is a path Windows would not see."""
    result = subprocess.run(["7z", "l", "-slt", "-ba", image], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            env=TOOL_ENVIRONMENT)
    if result.returncode != 0:
        raise Failure(f"7-Zip could not read the image back (exit status {result.returncode})")
    sizes, path = {}, None
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        if line.startswith("Path = "):
            path = line[7:]
            sizes[path] = 0
        elif line.startswith("Size = ") and path is not None:
            sizes[path] = int(line[7:] or 0)
    expected = {(path, size) for path, (_, size, _) in _tree(folder).items()}
    differences = sorted(expected ^ set(sizes.items()))
    if differences:
        lines = "\n".join(f"  {path}" for path, _ in differences)
        raise Refusal(f"these paths would not reach Windows as the course has them:\n{lines}")


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
            raise Failure(f"the file system of '{folder}' has {free} bytes free; the disc needs about {size} there")


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


def make(options):
    disc, image = check_inputs(options)
    survey, icon = judge_course(options["course"])
    program_files = delivered_build(options["build"])
    for tool in ("xorriso", "7z"):
        if shutil.which(tool) is None:
            raise Failure(f"{tool} is not installed (scripts/install-tools installs it)")

    works, processes = [], []
    try:
        for place in (disc, image):
            anchor = nearest_folder(place)
            if not any(os.path.dirname(w) == anchor for w in works):
                try:
                    works.append(tempfile.mkdtemp(prefix=".make-disc-", dir=anchor))
                except OSError as error:
                    raise Failure(f"cannot write in '{anchor}' ({error.strerror})")
        disc_work = next(w for w in works if os.path.dirname(w) == nearest_folder(disc))
        image_work = next(w for w in works if os.path.dirname(w) == nearest_folder(image))
        made_disc, made_image = os.path.join(disc_work, "disc"), os.path.join(image_work, "disc.iso")
        free_space_check([(disc_work, course_bytes(survey) + os.path.getsize(options["control"]))])
        try:
            stage(options["course"], survey, icon, options, program_files, made_disc)
        except OSError as error:
            raise Failure(f"could not write the disc folder ({error.strerror}: '{error.filename}')")
        size = image_size(options, made_disc)
        capacity = rules.MEDIA[options["media"]]
        if size > capacity:
            raise Refusal(f"the image would be {size} bytes; a {options['media']} holds {capacity}")
        free_space_check([(image_work, size + 256 * 1024)])  # and what the writer adds
        write_image(options, made_disc, made_image, processes)
        read_back(made_image, made_disc)
        label = joliet_label(made_image)
        if label != options["label"]:
            raise Failure(f"the image's label reads '{label}', not '{options['label']}'")
        write_record(made_disc)

        signal.pthread_sigmask(signal.SIG_BLOCK, HELD)
        put_in_place([(made_disc, disc, os.path.join(disc_work, "old-disc")),
                      (made_image, image, os.path.join(image_work, "old.iso"))])
        for work in works:
            shutil.rmtree(work, ignore_errors=True)
        works.clear()
        for number in HELD:
            signal.signal(number, signal.SIG_IGN)
        signal.pthread_sigmask(signal.SIG_UNBLOCK, HELD)
        print(f"disc folder: {disc}")
        print(f"disc image:  {image} ({os.path.getsize(image)} bytes of the {capacity} a {options['media']} holds, "
              f"label {options['label']})")
    except OSError as error:
        raise Failure(f"{error.strerror}: '{error.filename}'")
    finally:
        for process in processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        for number in HELD:
            signal.signal(number, signal.SIG_IGN)
        for work in works:
            shutil.rmtree(work, ignore_errors=True)


HELD = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


def interrupted(number, _frame):
    raise Interrupted(signal.Signals(number).name)


def main(arguments):
    for number in HELD:
        signal.signal(number, interrupted)
    try:
        make(parse(arguments))
        return 0
    except Refusal as refusal:
        say(str(refusal))
        if str(refusal).startswith(("unknown option", "--course is", "--control is")) or "needs a value" in str(refusal):
            sys.stderr.write(USAGE)
        return 2
    except Failure as failure:
        say(f"{failure}; the earlier disc folder and image are as they were")
        return 1
    except Interrupted as interruption:
        say(f"interrupted by {interruption}; the earlier disc folder and image are as they were")
        return 1
