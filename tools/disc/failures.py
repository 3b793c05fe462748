"""How the disc command ends when it does not make the disc, and how it runs its tools.

Exit status: 0 made; 1 a failure (a full or read-only file system, an interruption, a tool that
failed, a timestamp server that did not answer); 2 bad input, the message naming it (also a
signing certificate that the password does not open, that is not for code signing or that has
expired)."""
import os
import subprocess
import sys

TOOL_ENVIRONMENT = dict(os.environ, LC_ALL="C.UTF-8")


class Refusal(Exception):
    """Bad input: exit status 2."""


class Failure(Exception):
    """The input was good and the work failed: exit status 1."""


class Interrupted(Exception):
    pass


def say(message):
    print(f"make-disc: {message}", file=sys.stderr, flush=True)


def run_quietly(command, **keywords):
    """Runs a tool with its output kept (stdout and stderr together) for the caller to read."""
    try:
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=TOOL_ENVIRONMENT,
                              **keywords)
    except OSError:
        raise Failure(f"{command[0]} is not installed (scripts/install-tools installs it)")
