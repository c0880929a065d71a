"""One shortcut file becomes one bookmark line."""

import os
import threading
import tempfile
import time
import unittest

from harness import Case, WINDOWS, bookmark, document, file_failure, in_listing_order, shortcut


class BookmarkLine(Case):
    def assertLine(self, name, content, line):
        favorites = tempfile.mkdtemp(dir=self.dir)
        self.make({name: content}, favorites)
        self.assertConverts(favorites, document(line))

    def test_usual_form_gives_the_address_byte_for_byte(self):
        url = "http://www.example.com/redir?prd=ie&pver=6"
        for eol in [b"\r\n", b"\n"]:
            with self.subTest(eol=eol):
                self.assertLine("Daily.url", shortcut(url, eol) + b"Modified=30499ED7AB" + eol,
                                bookmark(url, "Daily"))

    def test_address_after_other_sections(self):
        self.assertLine("Saved.url",
                        b"[DEFAULT]\r\nBASEURL=http://base.example/\r\n[InternetShortcut]\r\n"
                        b"URL=http://saved.example/\r\n",
                        bookmark("http://saved.example/", "Saved"))

    def test_layouts_of_real_files_give_the_address_windows_opens(self):
        rows = [
            ("wide copy in UTF-7", b"[InternetShortcut]\r\nURL=http://\xf0\xe5.\xf0\xf4/a\x97\r\n"
             b"[InternetShortcut.A]\r\nURL=http://\xf0\xe5.\xf0\xf4/a\x97\r\n"
             b"[InternetShortcut.W]\r\nURL=http://+BEAENQ-.+BEAERA-/a+IBQ-\r\n",
             "http://\u0440\u0435.\u0440\u0444/a\u2014"),
            ("UTF-16", "\ufeff[InternetShortcut]\r\nURL=http://x/\u00e9\r\n".encode("utf-16-le"),
             "http://x/\u00e9"),
            ("UTF-8 mark", b"\xef\xbb\xbf[InternetShortcut]\r\nIDList=\r\nURL=http://x/\r\n",
             "http://x/"),
            ("indented", b"[InternetShortcut] \r\n    URL =http://x/\r\n", "http://x/"),
            ("raw ANSI stays raw", b"[InternetShortcut]\r\nURL=http://x/\xe9\r\n", b"http://x/\xe9"),
        ]
        for what, content, url in rows:
            with self.subTest(what):
                self.assertLine("x.url", content, bookmark(url, "x"))

    def test_bookmark_names(self):
        for name, expected in [("Salt & Pepper.url", "Salt & Pepper"), ("A.b.URL", "A.b"),
                               (".URL", ""), ("Daily News.URL", "Daily News"),
                               ("Seven Bank, Ltd..url", "Seven Bank, Ltd."),
                               ("Caf\u00e9 \u65e5\u672c.url", "Caf\u00e9 \u65e5\u672c")]:
            with self.subTest(name=name):
                self.assertLine(name, shortcut("http://x/"), bookmark("http://x/", expected))

    def test_html_characters_are_kept_except_where_they_break_the_line(self):
        # A double quote would end the HREF value: it is written as %22.
        self.assertLine("Q&A 'x'.url", shortcut('http://x/?a=1&b="<y>"'),
                        bookmark("http://x/?a=1&b=%22<y>%22", "Q&A 'x'"))

    @unittest.skipIf(WINDOWS, "Windows forbids < and > in names")
    def test_angle_brackets_in_names_are_written_as_references(self):
        self.assertLine("<script>.url", shortcut("http://x/"),
                        bookmark("http://x/", "&lt;script&gt;"))

    def test_file_without_an_address_gives_an_empty_address(self):
        for content in [b"", b"[InternetShortcut]\r\n", b"[InternetShortcut]\r\nIconIndex=1\r\n"]:
            with self.subTest(content=content):
                self.assertLine("x.url", content, bookmark("", "x"))

    @unittest.skipIf(WINDOWS, "file modes")
    def test_unreadable_file_is_reported_and_gets_an_empty_address(self):
        self.make({"fav": {"secret.url": shortcut("http://secret/"), "x.url": shortcut("http://x/")}})
        os.chmod(self.path("fav", "secret.url"), 0)
        fav = self.path("fav")
        self.assertConverts(fav, document(in_listing_order(fav, {
            "secret.url": bookmark("", "secret"), "x.url": bookmark("http://x/", "x")})),
            file_failure(self.path("fav", "secret.url")), unprivileged=True)


class SpecialFiles(Case):
    """FIFOs and symbolic links, made on the POSIX side; Wine shows the links
    to the Windows program as links."""

    def test_fifo_is_not_read_and_never_blocks(self):
        os.makedirs(self.path("fav"))
        os.mkfifo(self.path("fav", "x.url"))
        # A writer that holds the FIFO open must not make the run wait either.
        def write():
            try:
                fd = os.open(self.path("fav", "x.url"), os.O_WRONLY | os.O_NONBLOCK)
                time.sleep(3)
                os.close(fd)
            except OSError:
                pass
        started = time.monotonic()
        writer = threading.Thread(target=write)
        writer.start()
        self.assertConverts(self.path("fav"), document(bookmark("", "x")))
        self.assertLess(time.monotonic() - started, 2)
        writer.join()

    def test_link_to_a_file_is_a_shortcut_file(self):
        self.make({"target.txt": shortcut("http://linked/"), "fav": {}})
        os.symlink(self.path("target.txt"), self.path("fav", "Linked.url"))
        self.assertConverts(self.path("fav"), document(bookmark("http://linked/", "Linked")))

    @unittest.skipIf(WINDOWS, "Wine does not list a link that leads nowhere")
    def test_dangling_link_gives_an_empty_address(self):
        self.make({"fav": {}})
        os.symlink(self.path("gone"), self.path("fav", "Gone.url"))
        self.assertConverts(self.path("fav"), document(bookmark("", "Gone")))


if __name__ == "__main__":
    unittest.main()
