"""make-disc: assembles a course disc folder and its ISO 9660 image with Joliet names.

The command owns only what it made: it replaces a disc folder that holds its record (and
nothing changed since), and an image that carries its application identifier; anything else
is refused. Both are built completely beside their places and then put there by renames, with
interruptions held off, so any failure leaves the earlier disc folder and image as they were.
Exit status: failures.py.
"""
import os
import shutil
import signal
import sys
import tempfile

import course_check
import disc_rules as rules
import image as disc_image
import ownership
import placing
import signing
from building import delivered_build
from failures import Failure, Interrupted, Refusal, say
from options import USAGE, parse, sign_password

HELD = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


def work_folders(disc, image, works):
    """A fresh folder beside each place, on its file system: the disc's and the image's."""
    for place in (disc, image):
        anchor = placing.nearest_folder(place)
        if not any(os.path.dirname(w) == anchor for w in works):
            try:
                works.append(tempfile.mkdtemp(prefix=".make-disc-", dir=anchor))
            except OSError as error:
                raise Failure(f"cannot write in '{anchor}' ({error.strerror})")
    return [next(w for w in works if os.path.dirname(w) == placing.nearest_folder(p)) for p in (disc, image)]


def sign_disc(options, made_disc):
    """The disc's copies of the program files signed and verified; the build's stay as built."""
    with signing.Signer(options["sign"], sign_password(options)) as signer:
        for name in (rules.PROGRAM, rules.LIBRARY):
            signer.sign(os.path.join(made_disc, name), options["timestamp"])
        say(f"signed {rules.PROGRAM} and {rules.LIBRARY} as {signer.subject}"
            + (f", timestamped by {options['timestamp']}" if options["timestamp"] else ""))


def make(options):
    disc, image = course_check.check_inputs(options)
    survey, icon = course_check.judge_course(options["course"])
    autorun, encoding_note = rules.autorun_inf(options["title"], icon)
    program_files = delivered_build(options["build"])
    for tool in ["xorriso", "7z"] + (["osslsigncode", "openssl"] if options["sign"] else []):
        if shutil.which(tool) is None:
            raise Failure(f"{tool} is not installed (scripts/install-tools installs it)")
    if encoding_note:
        say(f"note: {encoding_note}")
    signing.report_control_signature(options["control"])

    works, processes = [], []
    try:
        disc_work, image_work = work_folders(disc, image, works)
        made_disc, made_image = os.path.join(disc_work, "disc"), os.path.join(image_work, "disc.iso")
        placing.free_space_check([(disc_work, placing.course_bytes(survey) + os.path.getsize(options["control"]))])
        try:
            placing.stage(options["course"], survey, autorun, options["control"], program_files, made_disc)
        except OSError as error:
            raise Failure(f"could not write the disc folder ({error.strerror}: '{error.filename}')")
        if options["sign"]:
            sign_disc(options, made_disc)
        size = disc_image.image_size(options, made_disc)
        capacity = rules.MEDIA[options["media"]]
        if size > capacity:
            raise Refusal(f"the image would be {size} bytes; a {options['media']} holds {capacity}")
        placing.free_space_check([(image_work, placing.written_image_bytes(size))])
        disc_image.write_image(options, made_disc, made_image, processes)
        disc_image.read_back(made_image, made_disc)
        label = disc_image.joliet_label(made_image)
        if label != options["label"]:
            raise Failure(f"the image's label reads '{label}', not '{options['label']}'")
        ownership.write_record(made_disc)

        signal.pthread_sigmask(signal.SIG_BLOCK, HELD)
        placing.put_in_place([(made_disc, disc, os.path.join(disc_work, "old-disc")),
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
