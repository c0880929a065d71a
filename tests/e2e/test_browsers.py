"""Real browsers import the document made from a realistic favorites tree
and hold exactly that tree."""

import importlib.machinery
import json
import os
import shutil
import signal
import sqlite3
import subprocess
import tempfile
import time
import unittest

from harness import Case, WINDOWS

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURE = importlib.machinery.SourceFileLoader(
    "make_favorites", os.path.join(HERE, "..", "make-favorites")).load_module()


def expected_tree(tree, suffix):
    """What a browser should hold for `tree`: folder names mapped to their
    contents, and sorted (name, address) pairs. Folders without a shortcut
    at any depth are left out; so is a shortcut without an address, whose
    bookmark has an empty address, which browsers do not import."""
    folders, bookmarks = {}, []
    for name, content in tree.items():
        if isinstance(content, dict):
            sub = expected_tree(content, suffix)
            if sub != ({}, []):
                folders[name] = sub
        elif isinstance(content, tuple) and content[1] is not None:
            bookmarks.append((name[:-4] + suffix, content[1]))
    return folders, sorted(bookmarks)


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.25)
    raise AssertionError("timed out waiting for " + what)


class Browser:
    """A browser started in a session of its own, ended by its process id."""

    def __init__(self, command):
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                        start_new_session=True)

    def end(self):
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait()


@unittest.skipIf(WINDOWS, "the browsers run on the POSIX build's document")
class BrowserImport(Case):
    def setUp(self):
        super().setUp()
        self.favorites = self.path("Favorites")
        FIXTURE.write(FIXTURE.TREE, self.favorites)
        status, _, _ = self.convert(self.favorites)
        self.assertEqual(status, 0)
        self.document = self.path("doc.html")

    def test_firefox(self):
        if shutil.which("firefox-esr") is None:
            self.skipTest("firefox-esr is not installed (tests/packages lists it)")
        profile = self.path("firefox")
        os.mkdir(profile)
        with open(os.path.join(profile, "user.js"), "w") as f:
            f.write('user_pref("browser.bookmarks.file", "%s");\n'
                    'user_pref("browser.places.importBookmarksHTML", true);\n' % self.document)
        expected = expected_tree(FIXTURE.TREE, "")  # Firefox trims blanks at the ends of names
        count = count_bookmarks(expected)
        browser = Browser(["firefox-esr", "--headless", "--no-remote", "--profile", profile,
                           "about:blank"])
        try:
            prefs = os.path.join(profile, "prefs.js")
            wait_for(lambda: 'user_pref("browser.places.importBookmarksHTML", false);' in read(prefs),
                     60, "Firefox to import the document")
            held = wait_for(lambda: firefox_tree(profile, count), 30, "the bookmarks to be stored")
        finally:
            browser.end()
        self.assertEqual(held, expected)

    def test_chromium(self):
        if shutil.which("chromium") is None:
            self.skipTest("chromium is not installed (tests/packages lists it)")
        if os.geteuid() != 0 or shutil.which("unshare") is None:
            self.skipTest("needs root and unshare, to give Chromium its own /etc/chromium "
                          "in a private mount namespace")
        etc = self.path("etc-chromium")
        os.mkdir(etc)
        with open(os.path.join(etc, "master_preferences"), "w") as f:
            json.dump({"distribution": {"import_bookmarks_from_file": self.document,
                                        "make_chrome_default_for_user": False},
                       "browser": {"check_default_browser": False}}, f)
        profile = self.path("chromium")
        expected = expected_tree(FIXTURE.TREE, " ")  # Chromium keeps the blank before </A>
        bookmarks = os.path.join(profile, "Default", "Bookmarks")
        browser = Browser(["unshare", "-m", "sh", "-c",
                           'mount --bind "$0" /etc/chromium && exec chromium --headless '
                           "--force-first-run --no-sandbox --disable-gpu "
                           "--disable-background-networking --disable-component-update "
                           '--disable-sync --user-data-dir="$1" about:blank', etc, profile])
        try:
            held = wait_for(lambda: chromium_tree(bookmarks), 60, "Chromium to import the document")
        finally:
            browser.end()
        self.assertEqual(held, expected)


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


def count_bookmarks(tree):
    folders, bookmarks = tree
    return len(bookmarks) + sum(count_bookmarks(sub) for sub in folders.values())


def firefox_tree(profile, count):
    """The tree under Firefox's bookmarks menu, once `count` bookmarks are
    stored. Reads a copy, so that the running browser's database and its
    write-ahead log stay untouched."""
    copy = tempfile.mkdtemp()
    try:
        for name in os.listdir(profile):
            if name.startswith("places.sqlite"):
                shutil.copy(os.path.join(profile, name), copy)
        db = sqlite3.connect(os.path.join(copy, "places.sqlite"))
        try:
            rows = db.execute("SELECT b.id, b.type, b.parent, b.title, p.url FROM moz_bookmarks b "
                              "LEFT JOIN moz_places p ON b.fk = p.id").fetchall()
        finally:
            db.close()
    except sqlite3.Error:
        return None
    finally:
        shutil.rmtree(copy)
    if sum(1 for row in rows if row[1] == 1) < count:
        return None
    children = {}
    for row in rows:
        children.setdefault(row[2], []).append(row)
    menu = next(row[0] for row in rows if row[3] == "menu" and row[2] == 1)

    def build(parent):
        folders, bookmarks = {}, []
        for row in children.get(parent, []):
            if row[1] == 2:
                folders[row[3]] = build(row[0])
            elif row[1] == 1:
                bookmarks.append((row[3], row[4]))
        return folders, sorted(bookmarks)

    return build(menu)


def chromium_tree(path):
    """The tree in Chromium's bookmarks bar, once the file exists."""
    try:
        with open(path) as f:
            roots = json.load(f)["roots"]
    except (OSError, ValueError, KeyError):
        return None

    def build(node):
        folders, bookmarks = {}, []
        for child in node.get("children", []):
            if child["type"] == "folder":
                folders[child["name"]] = build(child)
            else:
                bookmarks.append((child["name"], child["url"]))
        return folders, sorted(bookmarks)

    return build(roots["bookmark_bar"])


if __name__ == "__main__":
    unittest.main()
