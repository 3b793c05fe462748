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


def names(name):
    """The reasons why the disc cannot carry a name, or None."""
    return "; ".join(rules.name_problems(name)) or None


class WhatTheDiscCarries(unittest.TestCase):
    def test_names_paths_labels_titles_and_icon_names(self):
        rows = [  # rule, text, a word of the reason, or None
            (names, "Größenübersicht der Prüfungen.html", None),
            (names, "x" * 98 + ".html", None),
            (names, "č" * 98 + ".html", None),                    # counted in characters, not UTF-8 bytes
            (names, "x" * 99 + ".html", "104 characters"),
            (names, "otazka?.html", "cannot hold '?'"),
            (names, "tab\there.html", "cannot hold '\\t'"),
            (names, "strednik;.html", "cannot hold ';'"),
            (names, "smile\U0001F600.html", "Basic Multilingual Plane"),
            (names, "tecka.", "trailing dot"),
            (names, "blank ", "trailing dot or blank"),
            (names, "CON.txt", "device name"),
            (names, "com1 .txt", "device name"),
            (names, "lpt9", "device name"),
            (names, "aux.min.js", "device name"),                 # the stem before the first dot counts
            (names, "con.tar.gz", "device name"),
            (names, "CONSOLE.txt", None),
            (names, "COM0.txt", None),
            (rules.path_problem, "a\\" * 127 + "bc", None),       # 256 characters
            (rules.path_problem, "a\\" * 127 + "bcd", "257 characters"),
            (rules.label_problem, "COURSE", None),
            (rules.label_problem, "Sample_1", None),
            (rules.label_problem, "Kurz bezpečnost", None),
            (rules.label_problem, "A" * 16, None),
            (rules.label_problem, "A" * 17, "1 to 16 characters"),
            (rules.label_problem, "", "1 to 16 characters"),
            (rules.label_problem, "€" * 11, "32 bytes"),
            (rules.label_problem, "a;b", "cannot hold ';'"),
            (rules.label_problem, "a/b", "cannot hold '/'"),
            (rules.label_problem, "line\nbreak", "cannot hold"),
            (rules.label_problem, " padded", "blank"),
            (rules.label_problem, "padded ", "blank"),
            (rules.label_problem, "Kurz\U0001F600", "Basic Multilingual Plane"),
            (rules.title_problem, "Safety at work", None),
            (rules.title_problem, "Ž" * 64, None),
            (rules.title_problem, "Ž" * 65, "1 to 64"),
            (rules.title_problem, "two\nlines", "one line"),
            (rules.title_problem, "", "1 to 64"),
            (rules.title_problem, " Safety", "blank"),
            (rules.title_problem, '"Safety', "quote"),
            (rules.title_problem, 'Safety"', "quote"),
            (rules.icon_problem, "Kurs, Teil 1.ico", "comma"),
            (rules.icon_problem, "Kurs.ico ", "blank"),
            (rules.icon_problem, "Kurs Teil 1.ico", None),
        ]
        for rule, text, reason in rows:
            with self.subTest(rule=rule.__name__, text=text):
                problem = rule(text)
                self.assertIsNone(problem) if reason is None else self.assertIn(reason, problem or "")

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
