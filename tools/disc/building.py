"""The delivered program that goes on the disc: the build folder's tolOpen.exe and vb5stkit.dll,
built there first (the delivered 32-bit build) when the folder does not hold them yet."""
import os

import disc_rules as rules
from failures import Failure, run_quietly, say
from options import HERE


def delivered_build(build):
    files = [os.path.join(build, name) for name in (rules.PROGRAM, rules.LIBRARY)]
    if all(os.path.isfile(f) for f in files):
        return files
    say(f"building the delivered program in '{build}'")
    steps = [["cmake", "-S", HERE, "-B", build, "--no-warn-unused-cli",
              f"-DCMAKE_TOOLCHAIN_FILE={HERE}/cmake/mingw-w64-i686.cmake", "-DCMAKE_BUILD_TYPE=MinSizeRel"],
             ["cmake", "--build", build, "--target", "tolOpen", "vb5stkit"]]
    for step in steps:
        result = run_quietly(step)
        if result.returncode != 0:
            last = result.stdout.decode("utf-8", "replace").strip().splitlines()[-1:] or ["no output"]
            raise Failure(f"could not build tolOpen.exe and vb5stkit.dll in '{build}': '{' '.join(step[:2])}' "
                          f"failed ({last[0]})")
    missing = [f for f in files if not os.path.isfile(f)]
    if missing:
        raise Failure(f"the build in '{build}' made no {', '.join(os.path.basename(f) for f in missing)}")
    return files
