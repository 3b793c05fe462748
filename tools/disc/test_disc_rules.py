"""The disc's rules as tables: names, labels, titles, icons, autorun.inf and links."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import disc_rules as rules  # noqa: E402


class NamesAsWindowsComparesThem(unittest.TestCase):
    def test_same_name(self):
        rows = [  # a, b, the same file to Windows
            ("index.html", "INDEX.HTML", True),
            ("Úvod.html", "úvod.html", True),
            ("Straße.html", "STRASSE.html", False),   # no unit becomes two
            ("é.html", "e\u0301.html", False),         # composed and decomposed stay apart
            ("ﬁle.html", "FILE.html", False),          # a ligature is one unit of its own
            ("Σ.html", "σ.html", True),
        ]
        for a, b, same in rows:
            with self.subTest(a=a, b=b):
                self.assertEqual(rules.same_name(a, b), same)

    def test_name_problems(self):
        rows = [  # name, a word of the reason, or None when the disc carries it
            ("Größenübersicht der Prüfungen.html", None),
            ("x" * 98 + ".html", None),
            ("č" * 98 + ".html", None),                    # counted in characters, not UTF-8 bytes
            ("x" * 99 + ".html", "104 characters"),
            ("otazka?.html", "cannot hold '?'"),
            ("tab\there.html", "cannot hold '\\t'"),
            ("strednik;.html", "cannot hold ';'"),
            ("smile\U0001F600.html", "Basic Multilingual Plane"),
            ("tecka.", "trailing dot"),
            ("blank ", "trailing dot or blank"),
            ("CON.txt", "device name"),
            ("com1 .txt", "device name"),
            ("lpt9", "device name"),
            ("aux.min.js", "device name"),                 # the stem before the first dot counts
            ("con.tar.gz", "device name"),
            ("CONSOLE.txt", None),
            ("COM0.txt", None),
        ]
        for name, reason in rows:
            with self.subTest(name=name):
                problems = rules.name_problems(name)
                if reason is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertTrue(any(reason in p for p in problems), problems)

    def test_path_length(self):
        self.assertIsNone(rules.path_problem("a\\" * 127 + "bc"))  # 256 characters
        self.assertIn("257 characters", rules.path_problem("a\\" * 127 + "bcd"))


class LabelTitleAndIcon(unittest.TestCase):
    def test_label(self):
        rows = [  # label, a word of the reason, or None
            ("COURSE", None),
            ("Sample_1", None),
            ("Kurz bezpečnost", None),
            ("A" * 16, None),
            ("A" * 17, "1 to 16 characters"),
            ("", "1 to 16 characters"),
            ("€" * 11, "32 bytes"),
            ("a;b", "cannot hold ';'"),
            ("a/b", "cannot hold '/'"),
            ("line\nbreak", "cannot hold"),
            (" padded", "blank"),
            ("padded ", "blank"),
            ("Kurz\U0001F600", "Basic Multilingual Plane"),
        ]
        for label, reason in rows:
            with self.subTest(label=label):
                problem = rules.label_problem(label)
                if reason is None:
                    self.assertIsNone(problem)
                else:
                    self.assertIn(reason, problem)

    def test_title(self):
        rows = [("Safety at work", None), ("Ž" * 64, None), ("Ž" * 65, "1 to 64"), ("two\nlines", "one line"),
                ("", "1 to 64"), (" Safety", "blank"), ('"Safety', "quote"), ('Safety"', "quote")]
        for title, reason in rows:
            with self.subTest(title=title):
                problem = rules.title_problem(title)
                self.assertIsNone(problem) if reason is None else self.assertIn(reason, problem)

    def test_icon_choice(self):
        rows = [  # files at the course's root, the icon chosen
            (["index.html", "kurz.ico"], "kurz.ico"),
            (["AUTORUN.ICO", "kurz.ico"], "AUTORUN.ICO"),
            (["a.ico", "b.ICO"], None),
            (["index.html"], None),
            (["Logo.Ico"], "Logo.Ico"),
        ]
        for files, icon in rows:
            with self.subTest(files=files):
                self.assertEqual(rules.choose_icon(files), icon)
        self.assertIn("comma", rules.icon_problem("Kurs, Teil 1.ico"))
        self.assertIn("blank", rules.icon_problem("Kurs.ico "))
        self.assertIsNone(rules.icon_problem("Kurs Teil 1.ico"))

    def test_autorun_inf(self):
        self.assertEqual(rules.autorun_inf(None, None), (b"[autorun]\r\nopen=tolOpen.exe\r\n", None))
        western, note = rules.autorun_inf("Øvelse", "k.ico")
        self.assertEqual(western, "[autorun]\r\nopen=tolOpen.exe\r\naction=Øvelse\r\nlabel=Øvelse\r\n"
                                  "icon=k.ico\r\n".encode("cp1252"))
        self.assertIn("code page 1250, Central European: 'Řvelse'", note)
        # An en dash, curly quotes and the euro sign are in code page 1252, which 9x reads.
        self.assertTrue(rules.autorun_inf("Kurs – „Úvod“ 5 €", None)[0].startswith(b"[autorun]\r\nopen="))
        self.assertTrue(rules.autorun_inf(None, "Ikona é.ico")[0].endswith("icon=Ikona é.ico\r\n".encode("cp1252")))
        wide, note = rules.autorun_inf("Bezpečnost", None)
        self.assertTrue(wide.startswith(b"\xff\xfe"))
        self.assertIn("label=Bezpečnost".encode("utf-16-le"), wide)
        self.assertIn("Windows 95, 98 and Me cannot", note)


class LinksOfTheIndex(unittest.TestCase):
    def test_missing_links(self):
        pages = {("Kapitoly", "Úvod.html"), ("a.html",)}

        def has(parts):
            return tuple(rules.windows_upper(p) for p in parts) in {tuple(map(rules.windows_upper, p)) for p in pages}
        html = (b'<a href="A.HTML">1</a> <a href="Kapitoly/%C3%9Avod.html#top">2</a> <a href=chybi.html>3</a>'
                b' <a href="../out.html">4</a> <a href="http://example.com/x.html">5</a> <a href="#top">6</a>'
                b' <a href="mailto:kurz@example.com">7</a>'
                b' <img src=\'./Kapitoly/../a.html\'>')
        self.assertEqual(rules.missing_links(html, has), [("chybi.html", "the course has no such file"),
                                                          ("../out.html", "it leads out of the course folder")])


if __name__ == "__main__":
    unittest.main()
