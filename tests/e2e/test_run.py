"""The command line, the usage text, opening the document and the empty
document."""

import os
import shutil
import stat
import subprocess
import threading
import unittest

from harness import (Case, EMPTY_DOCUMENT, EMULATOR, PROGRAM, USAGE, VERSION, WINDOWS,
                     bookmark, change_failure, document, native, shortcut)


class Usage(Case):
    def test_slash_question_mark_prints_usage_and_touches_no_file(self):
        self.make({"bookmark.html": b"kept"})
        for word in ["/?", "/?x", "/??"]:
            with self.subTest(word=word):
                self.assertEqual(self.run_program(word), (0, USAGE))
                self.assertEqual(sorted(os.listdir(self.dir)), ["bookmark.html"])
                with open(self.path("bookmark.html"), "rb") as f:
                    self.assertEqual(f.read(), b"kept")

    def test_help_and_version_as_whole_words_touch_no_file(self):
        for word, expected in [("--help", USAGE),
                               ("--version", b"kessavine " + VERSION.encode() + b"\r\n")]:
            with self.subTest(word=word):
                self.assertEqual(self.run_program(word), (0, expected))
                self.assertEqual(os.listdir(self.dir), [])

    def test_three_or_more_words_print_usage_with_status_2(self):
        for words in [["a", "b", "c"], ["/?", "b", "c", "d"]]:
            with self.subTest(words=words):
                self.assertEqual(self.run_program(*words), (2, USAGE))
                self.assertEqual(os.listdir(self.dir), [])

    def test_other_single_words_are_the_document_path(self):
        # Windows forbids "?" in file names.
        words = ["-h", "x", "-help", "--helpx", "--HELP", "--version=1", "---version"]
        for word in words + ([] if WINDOWS else ["-?", "?x", "--help?"]):
            with self.subTest(word=word):
                status, out = self.run_program(word)
                self.assertEqual(out, change_failure(r"c:\windows\favorites"))
                self.assertEqual(status, 1)
                with open(self.path(word), "rb") as f:
                    self.assertEqual(f.read(), EMPTY_DOCUMENT)

    def test_words_beginning_with_slash_are_paths_not_options(self):
        # Without privileges these paths in the root cannot be created, which
        # shows that they were taken as document paths.
        for words in [["/"], ["/h"], ["/?", self.dir]]:
            with self.subTest(words=words):
                status, out = self.run_program(*words, unprivileged=True)
                self.assertEqual(out, b"failure to open file: " + words[0].encode() + b"\r\n")
                self.assertEqual(status, 1)


class Document(Case):
    def test_no_word_writes_bookmark_html_from_the_default_directory(self):
        # Here there is no such directory, which is a failure.
        status, out = self.run_program()
        self.assertEqual(out, change_failure(r"c:\windows\favorites"))
        self.assertEqual(status, 1)
        with open(self.path("bookmark.html"), "rb") as f:
            self.assertEqual(f.read(), EMPTY_DOCUMENT)

    def test_empty_favorites_directory_gives_the_ten_line_document(self):
        self.make({"fav": {}, "doc.html": b"old content that must go" * 100})
        self.assertConverts(self.path("fav"), EMPTY_DOCUMENT)

    def test_folders_without_shortcut_files_give_the_ten_line_document(self):
        self.make({"fav": {"desktop.ini": b"[.ShellClassInfo]\r\n", "Old": {"Older": {},
                                                                            "notes.txt": b"x"}}})
        self.assertConverts(self.path("fav"), EMPTY_DOCUMENT)

    def test_missing_favorites_directory_is_reported_once(self):
        self.make({"file": b"not a directory"})
        for name in ["missing", "file"]:
            with self.subTest(name=name):
                self.assertConverts(self.path(name), EMPTY_DOCUMENT,
                                    change_failure(native(self.path(name))))

    def test_new_document_is_an_ordinary_writable_file(self):
        self.make({"fav": {}})
        old = os.umask(0o022)
        try:
            self.convert(self.path("fav"))
        finally:
            os.umask(old)
        mode = os.stat(self.path("doc.html")).st_mode
        self.assertTrue(stat.S_ISREG(mode))
        if not WINDOWS:
            self.assertEqual(stat.S_IMODE(mode), 0o644)


class OpenFailure(Case):
    def assertOpenFails(self, path, **kwargs):
        self.make({"fav": {"a.url": b"[InternetShortcut]\r\nURL=http://a/\r\n"}})
        before = sorted(os.listdir(self.dir))
        status, out = self.run_program(path, native(self.path("fav")), **kwargs)
        self.assertEqual(out, b"failure to open file: " + path.encode() + b"\r\n")
        self.assertEqual(status, 1)
        self.assertEqual(sorted(os.listdir(self.dir)), before)

    def test_missing_directory(self):
        self.assertOpenFails(native("no/such/doc.html"))

    def test_directory_as_document(self):
        os.mkdir(self.path("adir"))
        self.assertOpenFails("adir")

    def test_empty_path(self):
        self.assertOpenFails("")

    def test_read_only_document_keeps_its_content(self):
        self.make({"ro.html": b"precious"})
        os.chmod(self.path("ro.html"), 0o444)
        self.assertOpenFails("ro.html", unprivileged=True)
        with open(self.path("ro.html"), "rb") as f:
            self.assertEqual(f.read(), b"precious")


@unittest.skipUnless(WINDOWS and os.environ.get("WINEPREFIX"), "needs the Windows build under Wine")
class WindowsDefaults(Case):
    def test_default_favorites_directory_is_the_windows_one(self):
        # Wine looks names up without regard to case, as Windows does.
        favorites = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "Favorites")
        os.makedirs(favorites)
        self.addCleanup(shutil.rmtree, favorites)
        self.make({"News.url": shortcut("http://news.example/")}, favorites)
        self.assertEqual(self.run_program(), (0, b""))
        with open(self.path("bookmark.html"), "rb") as f:
            self.assertEqual(f.read(), document(bookmark("http://news.example/", "News")))

    def test_paths_with_a_drive_letter_and_blanks(self):
        # The run-time's start-up code splits the quoted command line.
        self.make({"my fav": {"a.url": shortcut("http://a/")}})
        status, out = self.run_program(native(self.path("out file.html")),
                                       native(self.path("my fav")))
        self.assertEqual((status, out), (0, b""))
        with open(self.path("out file.html"), "rb") as f:
            self.assertEqual(f.read(), document(bookmark("http://a/", "a")))


@unittest.skipIf(WINDOWS, "/dev/full and FIFOs are POSIX devices")
class SpecialDocuments(Case):
    def test_full_device_is_reported_after_the_walk(self):
        self.make({"fav": {"a.url": b"[InternetShortcut]\r\nURL=http://a/\r\n"}})
        status, out = self.run_program("/dev/full", self.path("fav", "missing"))
        self.assertEqual(out, change_failure(self.path("fav", "missing")) +
                         b"failure to write file: /dev/full\r\n")
        self.assertEqual(status, 1)

    def test_usage_text_that_cannot_be_written_fails(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run(EMULATOR + [PROGRAM, "/?"], stdout=full, timeout=60)
        self.assertEqual(done.returncode, 1)

    def test_reader_of_a_fifo_gets_the_bytes_of_a_regular_document(self):
        # More than a pipe holds, so that a run that read its own FIFO, or
        # wrote without a reader, would lose bytes or wait for ever.
        self.make({"fav": {"Site %04d.url" % i: shortcut("http://site%d.example/" % i)
                           for i in range(2000)}})
        _, _, regular = self.convert(self.path("fav"))
        self.assertGreater(len(regular), 1 << 17)
        os.mkfifo(self.path("pipe.html"))
        received = []

        def read():
            with open(self.path("pipe.html"), "rb") as f:
                received.append(f.read())
        reader = threading.Thread(target=read)
        reader.start()
        status, out = self.run_program("pipe.html", self.path("fav"))
        reader.join(60)
        self.assertEqual((status, out, received), (0, b"", [regular]))


if __name__ == "__main__":
    unittest.main()
