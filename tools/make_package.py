#!/usr/bin/env python3
# Assembles a product package for setup.exe (make_package.py <source folder> <program> <package folder>):
# the texts beside the archive (setup.cfg, answer files, advertisement, agreements) and the archive
# "setup.fil" made from <source folder>/files plus the product's program. Texts are written from their
# UTF-8 sources in code page 1252 with CR LF line ends, as setup.exe reads them. Standard library only.
import io
import os
import sys
import zipfile

TEXT_SUFFIXES = (".cfg", ".ini", ".txt")
BUILD_FILES = ("CMakeLists.txt",)
BINARY_SUFFIXES = (".exe", ".dll")
# The time every archive entry carries, so that every build writes the same archive.
ENTRY_TIME = (2024, 1, 1, 12, 0, 0)


def windows_text(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")


def write(path, data):
    """Writes through a temporary file, so that an interrupted build leaves no half file behind."""
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def archive_entries(files, program):
    """(entry name, bytes) of the archive: the tree's files in name order, then the program."""
    entries = []
    for folder, subfolders, names in os.walk(files):
        subfolders.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            entry = os.path.relpath(path, files).replace(os.sep, "/")
            if name.lower().endswith(BINARY_SUFFIXES):
                raise ValueError(f"{entry}: binaries are built, not kept in the tree")
            with open(path, "rb") as f:
                data = f.read()
            entries.append((entry, windows_text(path) if data else data))
    with open(program, "rb") as f:
        entries.append((os.path.basename(program), f.read()))
    return entries


def archive(entries):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as zf:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=ENTRY_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            zf.writestr(info, data)
    return buffer.getvalue()


def main():
    source, program, package = sys.argv[1:4]
    os.makedirs(package, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if name in BUILD_FILES or not os.path.isfile(os.path.join(source, name)):
            continue
        if name.lower().endswith(TEXT_SUFFIXES):
            write(os.path.join(package, name), windows_text(os.path.join(source, name)))
    write(os.path.join(package, "setup.fil"), archive(archive_entries(os.path.join(source, "files"), program)))


if __name__ == "__main__":
    main()
