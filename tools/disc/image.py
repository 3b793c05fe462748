"""The ISO 9660 image with Joliet names, written by xorriso and read back by 7-Zip, a reader
independent of the writer, by the Joliet names Windows shows."""
import subprocess

import ownership
from failures import Failure, Refusal, TOOL_ENVIRONMENT, run_quietly, say


def xorriso(options, folder, output, action):
    return ["xorriso", "-abort_on", "FAILURE", "-return_with", "SORRY", "32", "-report_about", "UPDATE",
            "-charset", "UTF-8", "-local_charset", "UTF-8", "-outdev", f"stdio:{output}",
            "-volid", options["label"], "-application_id", ownership.APPLICATION_ID, "-joliet", "on",
            "-compliance", "joliet_long_names:joliet_long_paths", "-map", folder, "/"] + action


def image_size(options, folder):
    """The bytes xorriso will write: its own count of the image's sectors, padding included."""
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
    """The image's names and sizes read back by 7-Zip against the disc folder's; every difference
    is a path Windows would not see."""
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
    expected = {(path, size) for path, (_, size, _) in ownership.tree(folder).items()}
    differences = sorted(expected ^ set(sizes.items()))
    if differences:
        lines = "\n".join(f"  {path}" for path, _ in differences)
        raise Refusal(f"these paths would not reach Windows as the course has them:\n{lines}")


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
