"""The disc command's options, read as the bytes the shell gave, as UTF-8 whatever the locale."""
import os
import sys

from failures import Refusal

HERE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PASSWORD_VARIABLE = "TOLOPEN_SIGN_PASSWORD"

USAGE = f"""\
usage: scripts/make-disc --course DIR --control FILE [--disc DIR] [--image FILE] [--label NAME]
                         [--title TEXT] [--media cd|dvd] [--build DIR]
                         [--sign P12 [--sign-password-file FILE] [--timestamp URL]]
  --course DIR     the course folder: index.html and the pages it needs
  --control FILE   the Flash control, put on the disc as tools\\flash\\flash.ocx
  --disc DIR       the disc folder to make (default build/disc)
  --image FILE     the ISO image to write (default: the disc folder's name with .iso)
  --label NAME     the volume label Windows shows, 1 to 16 characters (default COURSE)
  --title TEXT     what AutoPlay shows for the disc, with the course's autorun.ico or its one .ico
  --media cd|dvd   the medium the image must fit (default cd, 700 MB)
  --build DIR      the delivered 32-bit build (default build-i686, built when missing)
  --sign P12       sign the disc's tolOpen.exe and vb5stkit.dll (Authenticode, SHA-256) with the
                   code-signing certificate and key of this PKCS#12 file; the build's files stay
                   as built. The key's password comes from --sign-password-file FILE or the
                   environment variable {PASSWORD_VARIABLE}, never from the command line
  --timestamp URL  an RFC 3161 timestamp server, so the signature outlives the certificate
"""
_VALUED = ("course", "control", "disc", "image", "label", "title", "media", "build", "sign",
           "sign-password-file", "timestamp")


def text_argument(value):
    """An argument as the bytes the shell gave, read as UTF-8 whatever the locale."""
    try:
        return os.fsencode(value).decode("utf-8")
    except UnicodeDecodeError:
        raise Refusal(f"'{value}' is not UTF-8 text")


def parse(arguments):
    options = dict.fromkeys(_VALUED)
    options.update({"disc": "build/disc", "label": "COURSE", "media": "cd", "build": os.path.join(HERE, "build-i686")})
    i = 0
    while i < len(arguments):
        option = arguments[i]
        if option in ("--help", "-h"):
            sys.stdout.write(USAGE)
            sys.exit(0)
        if not option.startswith("--") or option[2:] not in _VALUED:
            raise Refusal(f"unknown option '{option}'")
        if i + 1 >= len(arguments):
            raise Refusal(f"{option} needs a value")
        options[option[2:]] = text_argument(arguments[i + 1])
        i += 2
    for required in ("course", "control"):
        if not options[required]:
            raise Refusal(f"--{required} is required")
    for needs_sign in ("sign-password-file", "timestamp"):
        if options[needs_sign] is not None and options["sign"] is None:
            raise Refusal(f"--{needs_sign} goes with --sign")
    return options


def sign_password(options):
    """The signing key's password: the file's first line, else the environment's, else empty."""
    if options["sign-password-file"] is not None:
        try:
            with open(options["sign-password-file"], "rb") as file:
                return file.read().split(b"\n", 1)[0].rstrip(b"\r")
        except OSError as error:
            raise Refusal(f"the password file '{options['sign-password-file']}' cannot be read ({error.strerror})")
    return os.environb.get(PASSWORD_VARIABLE.encode(), b"")
