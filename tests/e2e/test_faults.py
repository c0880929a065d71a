"""System-call faults, injected one at a time with strace: a run either
writes exactly the document of a run without the fault and exits 0, or
prints a failure line and exits 1. Never a hang, a signal, or exit 0 with
another document."""

import os
import re
import shutil
import subprocess
import unittest

from harness import (BEGIN, HEADER, PROGRAM, SANITIZED, WINDOWS, Case, bookmark, change_failure,
                     document, file_failure, folder, in_listing_order, listing_failure, shortcut)

LONG = "http://long.example/" + "x" * 9000  # read in three blocks


def write_failure(path):
    return b"failure to write file: " + path.encode() + b"\r\n"


def well_formed(doc):
    """True when `doc` is a whole document: the header, then balanced lists
    of whole lines of the known kinds."""
    if not doc.startswith(HEADER + BEGIN) or not doc.endswith(b"\r\n"):
        return False
    depth = 0
    for line in doc[len(HEADER):].split(b"\r\n")[:-1]:
        if line == b"<DL><p>":
            depth += 1
        elif line == b"</DL><p>":
            depth -= 1
            if depth < 0:
                return False
        elif not re.fullmatch(rb'<DT><H3 ADD_DATE="884567655">.*</H3>|<DT><A HREF=".*"ADD_DATE='
                              rb'"882645605" LAST_VISIT="886620180" LAST_MODIFIED="882645585">'
                              rb".* </A>", line):
            return False
    return depth == 0


@unittest.skipIf(WINDOWS, "strace injects faults into Linux system calls")
@unittest.skipUnless(shutil.which("strace"), "strace is not installed (tests/packages lists it)")
class Faults(Case):
    def setUp(self):
        super().setUp()
        self.make({"fav": {
            "a.url": shortcut("http://a/"),
            "long.url": shortcut(LONG),
            "Sub": {"s.url": shortcut("http://s/")},
            "Empty": {"notes.txt": b"no shortcut"},
        }})
        self.fav = self.path("fav")
        self.doc = self.path("doc.html")
        self.whole = document(in_listing_order(self.fav, {
            "a.url": bookmark("http://a/", "a"),
            "long.url": bookmark(LONG, "long"),
            "Sub": folder("Sub", bookmark("http://s/", "s")),
        }))

    def without(self, **changed):
        """The whole document with the parts named in `changed` replaced."""
        parts = {"a.url": bookmark("http://a/", "a"), "long.url": bookmark(LONG, "long"),
                 "Sub": folder("Sub", bookmark("http://s/", "s"))}
        parts.update(changed)
        return document(in_listing_order(self.fav, parts))

    def inject(self, *options):
        """Runs the program under strace with `options`; returns (status,
        standard output, document). The document exists beforehand, so that
        -P names it by its full path."""
        with open(self.doc, "wb"):
            pass
        # The leak checker stops the process with ptrace, which strace holds.
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
        done = subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", *options, PROGRAM,
                               self.doc, self.fav], cwd=self.dir, stdout=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, timeout=60, env=env)
        with open(self.doc, "rb") as f:
            return done.returncode, done.stdout, f.read()

    def test_table_of_single_faults(self):
        sub = os.path.join(self.fav, "Sub")
        long_url = os.path.join(self.fav, "long.url")
        # Only an open by a bare name can be aimed by that name; everything
        # the program opens itself is named by its full path.
        every_call = ["-P", self.doc, "-P", self.fav, "-P", sub, "-P", "Sub", "-P", "a.url",
                      "-P", "long.url", "-P", "s.url", "-P", "Empty",
                      "-P", os.path.join(self.fav, "Empty")]
        rows = [
            ("listing of a subfolder fails in the empty-folder test",
             ["-e", "inject=getdents64:error=EIO:when=1", "-P", sub],
             listing_failure(sub), self.without(Sub=b"")),
            ("listing of a subfolder fails in the walk, after the test",
             ["-e", "inject=getdents64:error=EIO:when=2", "-P", sub],
             listing_failure(sub), self.without(Sub=folder("Sub"))),
            ("listing of the favorites directory fails",
             ["-e", "inject=getdents64:error=EIO:when=1", "-P", self.fav],
             listing_failure(self.fav), document()),
            ("listing of a subfolder cannot start again",
             ["-e", "inject=lseek:error=EIO", "-P", sub],
             listing_failure(sub), self.without(Sub=folder("Sub"))),
            ("a subfolder cannot be opened",
             ["-e", "inject=openat:error=EMFILE", "-P", "Sub"],
             change_failure(sub), self.without(Sub=b"")),
            ("a subfolder may be entered but not read",
             ["-e", "inject=openat:error=EACCES", "-P", "Sub"],
             listing_failure(sub), self.without(Sub=b"")),
            ("the favorites directory cannot be opened",
             ["-e", "inject=openat:error=ENOMEM", "-P", self.fav],
             change_failure(self.fav), document()),
            ("a shortcut file cannot be opened",
             ["-e", "inject=openat:error=EACCES", "-P", "a.url"],
             file_failure(os.path.join(self.fav, "a.url")), self.without(**{
                 "a.url": bookmark("", "a")})),
            ("a read fails after the first block of a long shortcut file",
             ["-e", "inject=read:error=EIO:when=2", "-P", long_url],
             file_failure(long_url), self.without(**{"long.url": bookmark("", "long")})),
            ("changes of directory cannot fail: the walk makes none",
             ["-e", "inject=chdir,fchdir:error=EACCES"], b"", self.whole),
            ("a folder's close fails",
             ["-e", "inject=close:error=EIO", "-P", sub], b"", self.whole),
            ("every open, listing read, read and write is interrupted once",
             ["-e", "inject=openat,getdents64,lseek,read,write:error=EINTR:when=1+2"] + every_call,
             b"", self.whole),
            ("a write of the document stores nothing",
             ["-e", "inject=write:retval=0:when=5", "-P", self.doc],
             write_failure(self.doc), b"".join(HEADER.split(b"\r\n")[i] + b"\r\n"
                                               for i in range(4))),
            ("a write of the document fails",
             ["-e", "inject=write:error=ENOSPC:when=12", "-P", self.doc],
             write_failure(self.doc), None),
            ("the close of the document fails",
             ["-e", "inject=close:error=EIO", "-P", self.doc], write_failure(self.doc), self.whole),
            ("the document cannot be opened",
             ["-e", "inject=openat:error=EACCES", "-P", self.doc],
             b"failure to open file: " + self.doc.encode() + b"\r\n", b""),
        ]
        for what, options, out, doc in rows:
            with self.subTest(what):
                status, got_out, got_doc = self.inject(*options)
                self.assertEqual(got_out, out)
                self.assertEqual(status, 1 if out else 0)
                if doc is not None:
                    self.assertEqual(got_doc, doc)
                else:
                    self.assertTrue(self.whole.startswith(got_doc) and got_doc != self.whole)

    @unittest.skipIf(SANITIZED, "faults in the sanitizers' own calls would end their run-time")
    def test_every_single_fault_after_main_starts(self):
        # The clean run's system calls, from the program's first one on (the
        # open of the document); each is failed once in a run of its own,
        # with EINTR and with a plain error.
        trace = self.path("trace")
        subprocess.run(["strace", "-qq", "-o", trace, PROGRAM, self.doc, self.fav],
                       cwd=self.dir, stdout=subprocess.DEVNULL, check=True)
        with open(trace) as f:
            calls = [m.group(1) for m in (re.match(r"(\w+)\(", line) for line in f) if m]
        with open(trace) as f:
            start = next(i for i, line in enumerate(f) if line.startswith("openat(AT_FDCWD, "
                                                                           f'"{self.doc}"'))
        # brk is left out: the kernel reports a failed brk by returning the
        # old break, never an error code, and an injected one corrupts the C
        # library's heap. Exhausted memory has a test of its own below.
        faults = []
        for i in range(start, len(calls)):
            if calls[i] not in ("exit_group", "brk"):
                faults.append((calls[i], calls[:i + 1].count(calls[i])))
        self.assertGreater(len(faults), 40)
        for name, nth in faults:
            for error in ["EINTR", "ENOMEM" if name in ("mmap", "munmap") else "EIO"]:
                with self.subTest(call=name, nth=nth, error=error):
                    status, out, doc = self.inject("-e", f"inject={name}:error={error}:when={nth}")
                    if status == 0:
                        self.assertEqual((out, doc), (b"", self.whole))
                        continue
                    self.assertEqual(status, 1)
                    lines = out.split(b"\r\n")
                    self.assertEqual(lines[-1], b"")
                    self.assertTrue(lines[:-1] and all(line.startswith(b"failure to ")
                                                       for line in lines[:-1]), out)
                    if out.startswith(b"failure to open file: "):
                        self.assertEqual(doc, b"")
                    elif b"failure to write file: " not in out:
                        self.assertTrue(well_formed(doc), doc)
                    if error == "EINTR":  # repeated, except where the call cannot be
                        self.assertEqual((name, out), ("close", write_failure(self.doc)))


@unittest.skipIf(WINDOWS, "the limit on a process's data is a POSIX one")
@unittest.skipIf(SANITIZED, "the sanitizers' shadow memory does not fit a small limit")
class ExhaustedMemory(Case):
    def test_shortcut_that_needs_more_memory_than_there_is_is_reported_and_left_out(self):
        # The address line is read whole: 64 MiB of it cannot be held under a
        # 32 MiB limit on the process's data.
        self.make({"fav": {"a.url": shortcut("http://a/"),
                           "huge.url": b"[InternetShortcut]\r\nURL=" + b"h" * (64 << 20)}})
        limit = 32 << 20
        status, out = self.run_program("doc.html", self.path("fav"), data_limit=limit)
        self.assertEqual((status, out), (1, b"failure to allocate memory\r\n"))
        with open(self.path("doc.html"), "rb") as f:
            self.assertEqual(f.read(), document(bookmark("http://a/", "a")))


if __name__ == "__main__":
    unittest.main()
