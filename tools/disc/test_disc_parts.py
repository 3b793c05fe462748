"""Unit tests of what the disc command's parts decide: the options, and the room the image needs
(against the real xorriso, whose behaviour the estimate was measured on)."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import course as course_survey  # noqa: E402
import options  # noqa: E402
import placing  # noqa: E402
from failures import Failure, Refusal  # noqa: E402


class Options(unittest.TestCase):
    def test_signing_options_go_with_sign(self):
        for extra in (["--sign-password-file", "p"], ["--timestamp", "http://t/"]):
            with self.subTest(extra=extra), self.assertRaisesRegex(Refusal, "goes with --sign"):
                options.parse(["--course", "c", "--control", "f"] + extra)
        with self.assertRaisesRegex(Refusal, "--control needs a value"):  # the last option, without its value
            options.parse(["--course", "c", "--control"])
        parsed = options.parse(["--course", "c", "--control", "f", "--sign", "k.p12", "--timestamp", "http://t/"])
        self.assertEqual((parsed["sign"], parsed["timestamp"], parsed["disc"]), ("k.p12", "http://t/", "build/disc"))


class CourseSurvey(unittest.TestCase):
    """What the walk of a course finds in names as Windows compares them."""

    def test_names_as_windows_takes_them(self):
        deep = "/".join(["kapitola"] * 28) + "/strana.html"  # 263 characters, more than a disc path may have
        with tempfile.TemporaryDirectory() as folder:
            for name in ("INDEX.HTML", "AUTORUN.INF", "TOLOPEN.EXE", deep):
                os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
                open(os.path.join(folder, name), "w").close()
            os.symlink("INDEX.HTML", os.path.join(folder, "odkaz.html"))
            found = course_survey.survey(folder.encode())
        problems = dict(found.problems)
        self.assertEqual(found.index, "INDEX.HTML", "the start page, whatever its case")
        self.assertIn("symbolic link", problems.get("odkaz.html", ""))
        self.assertIn("characters", problems.get(deep, ""), "a path too long for Windows")
        for own in ("AUTORUN.INF", "TOLOPEN.EXE"):
            self.assertIn(f"the course's own {own} is replaced on the disc", found.notes)
            self.assertNotIn((own,), [entry.parts for entry in found.entries], "not onto the disc beside the command's")


class PutInPlace(unittest.TestCase):
    def test_a_failed_rename_leaves_the_earlier_disc(self):
        with tempfile.TemporaryDirectory() as folder:
            def made(path, text):
                os.makedirs(path)
                with open(os.path.join(path, "index.html"), "w") as file:
                    file.write(text)
            made(os.path.join(folder, "disc"), "earlier")
            made(os.path.join(folder, "work", "disc"), "new")
            open(os.path.join(folder, "file"), "w").close()
            moves = [(os.path.join(folder, "work", "disc"), os.path.join(folder, "disc"), os.path.join(folder, "work", "old")),
                     (os.path.join(folder, "work", "disc.iso"), os.path.join(folder, "file", "disc.iso"), "unused")]
            with self.assertRaisesRegex(Failure, "could not put"):
                placing.put_in_place(moves)
            with open(os.path.join(folder, "disc", "index.html")) as file:
                self.assertEqual(file.read(), "earlier", "the earlier disc folder is back in its place")
            self.assertTrue(os.path.isdir(os.path.join(folder, "work", "disc")), "and the new one where it was made")


class ReadBack(unittest.TestCase):
    def test_names_are_read_in_utf8_whatever_the_callers_locale(self):
        """A 7-Zip that prints names in the locale's character set, as upstream builds do, run from LC_ALL=C."""
        with tempfile.TemporaryDirectory() as folder:
            os.makedirs(os.path.join(folder, "disc"))
            with open(os.path.join(folder, "disc", "Úvod.html"), "w") as file:
                file.write("x")
            with open(os.path.join(folder, "7z"), "w") as tool:
                tool.write('#!/bin/sh\ncase "$LC_ALL" in *UTF-8) name=Úvod.html ;; *) name=?vod.html ;; esac\n'
                           'printf "Path = %s\\nSize = 1\\n" "$name"\n')
            os.chmod(os.path.join(folder, "7z"), 0o755)
            caller = dict(os.environ, LC_ALL="C", PATH=folder + os.pathsep + os.environ["PATH"])
            reading = subprocess.run([sys.executable, "-c", "import sys, image; image.read_back('unused.iso', sys.argv[1])",
                                      os.path.join(folder, "disc")], env=caller, cwd=HERE, capture_output=True, text=True)
            self.assertEqual(reading.returncode, 0, reading.stderr)


class ImageRoom(unittest.TestCase):
    """What xorriso writes is what the free-space check expects, for images of several sizes."""

    def test_written_bytes_match_xorriso(self):
        if shutil.which("xorriso") is None:
            self.skipTest("xorriso is not installed")
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "source")
            os.mkdir(source)
            for size in (10, 300_000, 917_504, 5_000_000):
                with open(os.path.join(source, "data.bin"), "wb") as file:
                    file.write(os.urandom(size))
                base = ["-joliet", "on", "-volid", "T", "-map", source, "/"]
                report = subprocess.run(["xorriso", "-outdev", "stdio:/dev/null"] + base + ["-print_size", "-rollback_end"],
                                        capture_output=True, text=True)
                line = next(x for x in (report.stdout + report.stderr).splitlines() if x.startswith("Image size"))
                printed = int(line.split(":")[1].strip().rstrip("s")) * placing.SECTOR
                image = os.path.join(folder, f"{size}.iso")
                subprocess.run(["xorriso", "-outdev", f"stdio:{image}"] + base + ["-commit"], capture_output=True,
                               check=True)
                with self.subTest(size=size):
                    self.assertEqual(placing.written_image_bytes(printed), os.path.getsize(image))


if __name__ == "__main__":
    unittest.main()
