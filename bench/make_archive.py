#!/usr/bin/env python3
# Writes the benchmark's ZIP archives, the same bytes on every run (seeded):
#   make_archive.py large <out.zip>          product-like: 2,218 files in 140 nested folders, 168 MB unpacked
#   make_archive.py small <count> <out.zip>  <count> small entries, for the scaling pair (10,000 and 20,000)
import os
import random
import sys
import zipfile

SEED = 20240517
LARGE_TOTAL = 165 * 1000 * 1000  # bytes unpacked, at least
LARGE_SMALL_FILES = 2200         # files below 256 KiB before the big ones are added
FOLDER_COUNT = 140
TOP_FOLDERS = ["bin", "lib", "share", "doc", "plugins", "themes", "locale", "sdk"]
DATE = (2023, 5, 17, 10, 30, 0)


def pseudo_word(rng):
    letters = "etaoinshrdlucmfwypvbgkjqxz"
    return "".join(rng.choice(letters[: rng.randint(8, 26)]) for _ in range(rng.randint(2, 9)))


def text_pool(rng, size):
    """Text-like bytes with a skewed vocabulary, so that they compress about as well as sources do."""
    words = [pseudo_word(rng) for _ in range(4000)]
    weights = [1.0 / (rank + 1) for rank in range(len(words))]
    lines = [(" " * rng.choice((0, 2, 4, 8)) + " ".join(rng.choices(words, weights, k=rng.randint(3, 14))) +
              ";\r\n").encode("ascii") for _ in range(20000)]
    out = bytearray()
    while len(out) < size:
        out += b"".join(rng.choices(lines, k=10000))
    return bytes(out[:size])


class Content:
    """Hands out file contents: slices of one text pool, or random bytes (incompressible)."""

    def __init__(self, rng):
        self.rng = rng
        self.pool = text_pool(rng, 8 * 1024 * 1024)

    def text(self, size):
        size = min(size, len(self.pool))
        start = self.rng.randrange(0, len(self.pool) - size + 1)
        return self.pool[start:start + size]

    def binary(self, size):
        return self.rng.getrandbits(size * 8).to_bytes(size, "little") if size else b""


def folder_tree(rng):
    """FOLDER_COUNT folders below the top folders, up to four levels deep, parents listed first."""
    folders = list(TOP_FOLDERS)
    while len(folders) < FOLDER_COUNT:
        parent = rng.choice(folders)
        if parent.count("/") < 3:
            child = parent + "/" + pseudo_word(rng)
            if child not in folders:
                folders.append(child)
    return sorted(folders)


def entry_info(name, rng):
    seconds = rng.randrange(0, 60, 2)
    info = zipfile.ZipInfo(name, DATE[:5] + (seconds,))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = (0o40755 << 16) | 0x10 if name.endswith("/") else 0o100644 << 16
    return info


def large_files(rng):
    """(folder index, name, size, is text) for every file: many small ones, then big ones up to the total."""
    files = []
    total = 0
    for number in range(LARGE_SMALL_FILES):
        size = int(2 ** rng.uniform(7, 18))  # 128 bytes to 256 KiB, spread evenly on a log scale
        is_text = rng.random() < 0.6
        files.append((rng.randrange(FOLDER_COUNT), "%s%04d.%s" % (pseudo_word(rng), number,
                      "txt" if is_text else "bin"), size, is_text))
        total += size
    number = 0
    while total < LARGE_TOTAL:
        size = rng.randint(2, 7) * 1024 * 1024 + rng.randrange(4096)  # within the text pool
        is_text = number % 3 != 2  # two of three big files are text-like
        files.append((rng.randrange(len(TOP_FOLDERS)), "big%02d.%s" % (number, "dat" if is_text else "pak"),
                      size, is_text))
        total += size
        number += 1
    return files


def write_large(path):
    rng = random.Random(SEED)
    content = Content(rng)
    folders = folder_tree(rng)
    by_folder = {index: [] for index in range(len(folders))}
    for folder, name, size, is_text in large_files(rng):
        by_folder[folder % len(folders)].append((name, size, is_text))
    with zipfile.ZipFile(path, "w") as archive:
        for index, folder in enumerate(folders):
            archive.writestr(entry_info(folder + "/", rng), b"")
            for name, size, is_text in by_folder[index]:
                data = content.text(size) if is_text else content.binary(size)
                archive.writestr(entry_info(folder + "/" + name, rng), data, compresslevel=6)


def write_small(path, count):
    rng = random.Random(SEED + count)
    content = Content(rng)
    with zipfile.ZipFile(path, "w") as archive:
        for number in range(count):
            name = "d%03d/f%05d.txt" % (number // 200, number)
            archive.writestr(entry_info(name, rng), content.text(rng.randint(100, 2000)), compresslevel=6)


def main(args):
    if len(args) == 2 and args[0] == "large":
        target, write = args[1], write_large
    elif len(args) == 3 and args[0] == "small" and args[1].isdigit():
        target, write = args[2], lambda path: write_small(path, int(args[1]))
    else:
        sys.stderr.write("usage: make_archive.py large <out.zip> | small <count> <out.zip>\n")
        return 2
    partial = target + ".part"
    write(partial)
    os.replace(partial, target)  # a cut-short run never leaves a half archive under the real name
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
