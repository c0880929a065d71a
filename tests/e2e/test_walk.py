"""The walk of a whole favorites tree."""

import os
import time
import unittest

from harness import (Case, SEP, WINDOWS, bookmark, change_failure, document, folder,
                     in_listing_order, listing, listing_failure, native, shortcut)


class Walk(Case):
    def test_folders_and_files_in_listing_order_and_empty_folders_left_out(self):
        self.make({"fav": {
            "Salt & Pepper.url": shortcut("file:///C:/Docs/spices.htm"),
            "Work": {"Plan.URL": shortcut("about:blank")},
            "Old": {"Older": {}, "notes.txt": b"no shortcut here"},
        }})
        fav = self.path("fav")
        expected = document(in_listing_order(fav, {
            "Salt & Pepper.url": bookmark("file:///C:/Docs/spices.htm", "Salt & Pepper"),
            "Work": folder("Work", bookmark("about:blank", "Plan")),
        }))
        self.assertConverts(fav, expected)

    def test_files_and_folders_interleave(self):
        self.make({"fav": {
            "b.url": shortcut("http://b/"),
            "Sub": {"s.url": shortcut("http://s/")},
            "a.URL": shortcut("http://a/"),
            "c.url": shortcut("http://c/"),
            "Other": {"o.url": shortcut("http://o/")},
        }})
        fav = self.path("fav")
        self.assertConverts(fav, document(in_listing_order(fav, {
            "b.url": bookmark("http://b/", "b"),
            "Sub": folder("Sub", bookmark("http://s/", "s")),
            "a.URL": bookmark("http://a/", "a"),
            "c.url": bookmark("http://c/", "c"),
            "Other": folder("Other", bookmark("http://o/", "o")),
        })))

    def test_shortcut_test_on_names(self):
        url = shortcut("http://x/")
        self.make({"fav": {
            "One": {"News.url": url, ".url": url, "url": url, "News.url.bak": url,
                    "News.lnk": b"L\0\0\0", "desktop.ini": b"[.ShellClassInfo]\r\n",
                    "Empty.url": {}, "Links.url": {"Suggested Sites.url": url}},
            "Two": {"NEWS.URL": url},
            "Three": {"News.uRl": url},
        }})
        fav = self.path("fav")
        one = self.path("fav", "One")
        self.assertConverts(fav, document(in_listing_order(fav, {
            "One": folder("One", in_listing_order(one, {
                "News.url": bookmark("http://x/", "News"),
                ".url": bookmark("http://x/", ""),
                "Links.url": folder("Links.url", bookmark("http://x/", "Suggested Sites")),
            })),
            "Two": folder("Two", bookmark("http://x/", "NEWS")),
            "Three": folder("Three", bookmark("http://x/", "News")),
        })))

    def test_folders_that_hold_only_folders(self):
        self.make({"fav": {"A": {"B": {"C": {"D": {"deep.url": shortcut("http://deep/")}}}},
                           "E": {"F": {"G": {}}}}})
        self.assertConverts(self.path("fav"), document(
            folder("A", folder("B", folder("C", folder("D", bookmark("http://deep/", "deep")))))))

    def test_tree_deeper_than_a_hundred_levels(self):
        # On POSIX deep enough that its open listings outnumber the usual
        # limit of 1024 open files, which the program must raise as far as
        # the system allows; Windows accepts no longer paths.
        depth = 101 if WINDOWS else 1100
        path = self.path("fav")
        os.mkdir(path)
        for _ in range(depth):  # not os.makedirs, which recurses once a level
            path = os.path.join(path, "d")
            os.mkdir(path)
        with open(os.path.join(path, "bottom.url"), "wb") as f:
            f.write(shortcut("http://bottom/"))
        entries = bookmark("http://bottom/", "bottom")
        for _ in range(depth):
            entries = folder("d", entries)
        self.assertConverts(self.path("fav"), document(entries), open_files=1024)

    @unittest.skipIf(WINDOWS, "the limit here is PATH_MAX")
    def test_folder_beyond_the_longest_path_is_reported_and_left_out(self):
        self.make({"fav": {"x.url": shortcut("http://x/")}})
        name = "n" * 255
        fd = os.open(self.path("fav"), os.O_RDONLY)
        path = self.path("fav")
        while len(path) <= 4095:  # one level past what chdir accepts
            os.mkdir(name, dir_fd=fd)
            fd = os.open(name, os.O_RDONLY, dir_fd=fd)
            path += "/" + name
        with open(os.open("deep.url", os.O_WRONLY | os.O_CREAT, dir_fd=fd), "wb") as f:
            f.write(shortcut("http://deep/"))
        self.assertConverts(self.path("fav"), document(bookmark("http://x/", "x")),
                            change_failure(path))

    def test_trailing_separator_is_kept_in_folder_paths(self):
        self.make({"fav": {"News": {"n.url": shortcut("http://n/")}}})
        self.assertConverts(self.path("fav") + "/",
                            document(folder("News", bookmark("http://n/", "n"))))

    def test_relative_favorites_directory_converts_the_same_tree(self):
        self.make({"Fav": {"a.url": shortcut("http://a/"), "b.url": shortcut("http://b/"),
                           "News": {"n.url": shortcut("http://n/")},
                           "Deeper": {"More": {"m.url": shortcut("http://m/")}}}})
        _, _, absolute = self.convert(self.path("Fav"))
        self.assertIn(b"<DT><A HREF=\"http://m/\"", absolute)
        relatives = ["Fav", native("./Fav"), native("Fav/../Fav")]
        if WINDOWS:
            relatives.append("Z:Fav")  # relative to the current directory of drive Z:
        for relative in relatives:
            with self.subTest(relative=relative):
                self.assertConverts(relative, absolute)


class Links(Case):
    def test_links_to_directories_are_not_followed(self):
        self.make({"fav": {"x.url": shortcut("http://x/"), "Real": {"r.url": shortcut("http://r/")}}})
        fav = self.path("fav")
        os.symlink(fav, self.path("fav", "Loop"))
        os.symlink(self.path("fav", "Real"), self.path("fav", "Alias.url"))
        os.symlink("Real", self.path("fav", "Real", "Again"))
        started = time.monotonic()
        self.assertConverts(fav, document(in_listing_order(fav, {
            "x.url": bookmark("http://x/", "x"),
            "Real": folder("Real", bookmark("http://r/", "r")),
        })))
        self.assertLess(time.monotonic() - started, 5)


class UnreadableFolders(Case):
    """Each attempt to enter a folder that cannot be entered is reported."""

    def lock(self, *parts):
        os.makedirs(self.path(*parts), exist_ok=True)
        os.chmod(self.path(*parts), 0)

    def test_locked_folder_beside_a_shortcut_is_reported_once(self):
        self.make({"fav": {"x.url": shortcut("http://x/")}})
        self.lock("fav", "Locked")
        self.assertConverts(self.path("fav"), document(bookmark("http://x/", "x")),
                            change_failure(native(self.path("fav", "Locked"))), unprivileged=True)

    def test_locked_folder_is_reported_by_each_test_that_reaches_it(self):
        # A holds no file of its own: deciding whether it is empty enters its
        # subfolders in listing order, up to the first that holds a shortcut.
        self.make({"fav": {"A": {"B": {"b.url": shortcut("http://b/")}}}})
        self.lock("fav", "A", "Locked")
        a = self.path("fav", "A")
        locked = change_failure(native(self.path("fav", "A", "Locked")))
        before_b = listing(a).index("Locked") < listing(a).index("B")
        self.assertConverts(self.path("fav"),
                            document(folder("A", folder("B", bookmark("http://b/", "b")))),
                            locked * (2 if before_b else 1), unprivileged=True)

    def test_folder_paths_in_messages_are_as_formed(self):
        # A trailing separator stays, and doubles before the next name.
        self.make({"fav": {"News": {"n.url": shortcut("http://n/")}}})
        self.lock("fav", "Locked")
        self.assertConverts(self.path("fav") + "/",
                            document(folder("News", bookmark("http://n/", "n"))),
                            change_failure(native(self.path("fav")) + SEP + SEP + "Locked"),
                            unprivileged=True)

    @unittest.skipIf(WINDOWS, "Wine does not enter a folder that it cannot list")
    def test_folder_that_can_be_entered_but_not_listed_is_reported_and_left_out(self):
        self.make({"fav": {"x.url": shortcut("http://x/"),
                           "Hidden": {"h.url": shortcut("http://h/")}}})
        os.chmod(self.path("fav", "Hidden"), 0o311)  # enter, but not list
        self.assertConverts(self.path("fav"), document(bookmark("http://x/", "x")),
                            listing_failure(self.path("fav", "Hidden")), unprivileged=True)

    @unittest.skipIf(WINDOWS, "Wine does not enter a folder that it cannot list")
    def test_favorites_directory_that_cannot_be_listed(self):
        self.make({"fav": {"x.url": shortcut("http://x/")}})
        os.chmod(self.path("fav"), 0o311)
        self.assertConverts(self.path("fav"), document(), listing_failure(self.path("fav")),
                            unprivileged=True)


if __name__ == "__main__":
    unittest.main()
