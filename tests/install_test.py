"""Installs the build into a temporary prefix and runs the installed program.

    install_test.py CMAKE BUILD_DIR
"""

import os
import subprocess
import sys
import tempfile

cmake, build = sys.argv[1:3]
with tempfile.TemporaryDirectory() as prefix:
    subprocess.run([cmake, "--install", build, "--prefix", prefix], check=True,
                   stdout=subprocess.DEVNULL)
    program = os.path.join(prefix, "bin", "kessavine")
    for installed in [("share", "man", "man1", "kessavine.1.gz"),
                      ("share", "doc", "kessavine", "copyright"),
                      ("share", "doc", "kessavine", "changelog.gz")]:
        assert os.path.isfile(os.path.join(prefix, *installed)), installed
    usage = subprocess.run([program, "/?"], stdout=subprocess.PIPE, check=True).stdout
    assert usage.startswith(b"Husage: \r\n"), usage
    favorites = os.path.join(prefix, "Favorites")
    os.mkdir(favorites)
    with open(os.path.join(favorites, "a.url"), "wb") as f:
        f.write(b"[InternetShortcut]\r\nURL=http://a.example/\r\n")
    document = os.path.join(prefix, "out.html")
    subprocess.run([program, document, favorites], check=True)
    with open(document, "rb") as f:
        assert b'<DT><A HREF="http://a.example/"' in f.read()
print("installed program and manual work")
