#!/usr/bin/env python3
# Checks that an extracted folder holds exactly what the archive holds: verify_tree.py <archive> <folder>.
# Every file entry must be there with its size and CRC-32, every directory entry as a folder, and nothing
# else may be in the folder. Prints one line with the counts; exit code 1 on any difference.
import os
import sys
import zipfile
import zlib

CHUNK = 1024 * 1024


def expected_content(archive):
    files, folders = {}, set()
    with zipfile.ZipFile(archive) as zf:
        for info in zf.infolist():
            name = info.filename.replace("\\", "/")
            if name.endswith("/"):
                folders.add(name.rstrip("/"))
            else:
                files[name] = (info.file_size, info.CRC)
    return files, folders


def found_content(root):
    files, folders = {}, set()
    for path, dirnames, filenames in os.walk(root):
        relative = os.path.relpath(path, root).replace(os.sep, "/")
        prefix = "" if relative == "." else relative + "/"
        folders.update(prefix + name for name in dirnames)
        for name in filenames:
            files[prefix + name] = os.path.join(path, name)
    return files, folders


def crc_of(path):
    crc = 0
    with open(path, "rb") as stream:
        for chunk in iter(lambda: stream.read(CHUNK), b""):
            crc = zlib.crc32(chunk, crc)
    return crc


def differences(expected_files, expected_folders, found_files, found_folders):
    for name in sorted(expected_files.keys() - found_files.keys()):
        yield "missing file " + name
    for name in sorted(found_files.keys() - expected_files.keys()):
        yield "extra file " + name
    for name in sorted(expected_folders - found_folders):
        yield "missing folder " + name
    for name in sorted(expected_files.keys() & found_files.keys()):
        size, crc = expected_files[name]
        path = found_files[name]
        if os.path.getsize(path) != size:
            yield "size of %s is %d, not %d" % (name, os.path.getsize(path), size)
        elif crc_of(path) != crc:
            yield "content of %s differs (CRC-32)" % name


def main(args):
    if len(args) != 2:
        sys.stderr.write("usage: verify_tree.py <archive> <folder>\n")
        return 2
    expected_files, expected_folders = expected_content(args[0])
    found_files, found_folders = found_content(args[1])
    problems = list(differences(expected_files, expected_folders, found_files, found_folders))
    for problem in problems[:10]:
        print("  " + problem)
    total = sum(size for size, _ in expected_files.values())
    if problems:
        print("verify: %d differences in %s" % (len(problems), args[1]))
        return 1
    print("verify: %d files, %d bytes, %d folders identical" %
          (len(expected_files), total, len(found_folders)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
