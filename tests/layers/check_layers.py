#!/usr/bin/env python3
"""Checks that the program's layers point down only.

Usage: check_layers.py SOURCE_ROOT QTCORE_INCLUDE_DIR
       check_layers.py --self-test SOURCE_ROOT QTCORE_INCLUDE_DIR

The build already refuses most wrong includes (each library sees only the headers exported to
it); this also catches what include paths cannot: the rules reaching for a Qt module other than
Qt Core, or for a system header.
"""
import pathlib
import re
import shutil
import sys
import tempfile

# Which project folders the files of a folder may include, lowest layer first.
ALLOWED = {
    "core": {"core"},
    "platform": {"core", "platform"},
    "forms": {"core", "platform", "forms"},
    "startup": {"core", "platform", "forms", "startup", "windows", "info"},
    "windows": {"core", "platform", "forms", "startup", "windows", "info"},
    "info": {"core", "platform", "forms", "startup", "windows", "info"},
    "app": {"core", "platform", "forms", "startup", "windows", "info", "app"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def is_standard_header(name):
    # C++ headers have no extension; the C ones the rules may need come as <cxxx>.
    return "/" not in name and "." not in name and not name.startswith("Q")


def violations(root, qtcore):
    found = []
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for kind, name in INCLUDE.findall(path.read_text(encoding="utf-8")):
                where = f"{path.relative_to(root)}: {kind}{name}"
                top = name.split("/")[0]
                if kind == '"':
                    if top in ALLOWED and top not in allowed:
                        found.append(f"{where}: {folder}/ may not include {top}/")
                    elif top not in ALLOWED and "/" in name:
                        found.append(f"{where}: not a folder of the program")
                elif folder == "core":
                    header = name.split("/", 1)[1] if name.startswith("QtCore/") else name
                    if not is_standard_header(name) and not (qtcore / header).is_file():
                        found.append(f"{where}: core/ uses Qt Core and the standard library only")
    return found


# Each row puts one wrong include into a copy of the tree; the check must refuse every one.
SELF_TEST = [
    ("core/entry.cpp", '#include "platform/clock.h"'),
    ("core/countdown.h", "#include <QWidget>"),
    ("core/sysinfo.cpp", "#include <QtWidgets/QApplication>"),
    ("core/entry.cpp", "#include <xcb/xcb.h>"),
    ("platform/clock.h", '#include "forms/forms.h"'),
    ("platform/localfiles.cpp", '#include "windows/frmTintel.h"'),
    ("forms/registry.cpp", '#include "info/functionkeys.h"'),
    ("forms/look.h", '#include "startup/frmIntro.h"'),
    ("windows/frmNouveau.cpp", '#include "app/main.h"'),
    ("info/frmAbout.cpp", '#include "tests/support/fakes.h"'),
]


def self_test(root, qtcore):
    failures = 0
    if violations(root, qtcore):
        print("the tree itself does not pass; fix it first")
        return 1
    for file, line in SELF_TEST:
        with tempfile.TemporaryDirectory() as scratch:
            copy = pathlib.Path(scratch) / "tree"
            for folder in ALLOWED:
                shutil.copytree(root / folder, copy / folder)
            target = copy / file
            if not target.is_file():
                print(f"the row for {file} names no file of the tree")
                failures += 1
                continue
            target.write_text(line + "\n" + target.read_text(encoding="utf-8"), encoding="utf-8")
            if not violations(copy, qtcore):
                print(f"not refused: {line} in {file}")
                failures += 1
    print(f"{len(SELF_TEST) - failures} of {len(SELF_TEST)} wrong includes refused")
    return 1 if failures else 0


def main(argv):
    test = argv[1:2] == ["--self-test"]
    args = argv[2:] if test else argv[1:]
    if len(args) != 2:
        print(__doc__)
        return 2
    root, qtcore = pathlib.Path(args[0]), pathlib.Path(args[1])
    if not (qtcore / "QString").is_file():
        print(f"no Qt Core headers in {qtcore}")
        return 2
    if test:
        return self_test(root, qtcore)
    found = violations(root, qtcore)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
