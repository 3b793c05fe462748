"""The course and the other inputs, judged before anything is written."""
import os

import course as course_survey
import disc_rules as rules
import ownership
from failures import Refusal, say


def inside(path, folder):
    return path == folder or path.startswith(folder.rstrip(os.sep) + os.sep)


def check_inputs(options):
    """The disc folder's and the image's real paths, once every input is judged usable."""
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
    if options["sign"] is not None and not os.path.isfile(options["sign"]):
        raise Refusal(f"the signing file '{options['sign']}' does not exist or is no file")
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
    ownership.check_disc_folder_is_ours(disc, options["disc"])
    ownership.check_image_is_ours(image, options["image"] or image)
    return disc, image


def judge_course(course_folder):
    """The course's survey and its AutoPlay icon, or a refusal naming every path it cannot carry."""
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
