#!/usr/bin/env python3
# Where a traced installation spent its time, from the time stamps of its trace log: the replayed pages'
# waits, the copy step with its extraction, and the rest. Usage: install_phases.py <trace log>
import re
import sys

STAMP = re.compile(r"^\[(\d+)\.(\d+)[:#]")


def stamps(lines, start, end):
    """Milliseconds from each line containing `start` to the next containing `end`, as a list."""
    spans, began = [], None
    for ms, text in lines:
        if began is None and start in text:
            began = ms
        elif began is not None and end in text:
            spans.append(ms - began)
            began = None
    return spans


def main():
    lines = []
    with open(sys.argv[1], encoding="cp1252", errors="replace") as trace:
        for line in trace:
            m = STAMP.match(line)
            if m:
                lines.append((int(m.group(1)) * 1000 + int(m.group(2)), line))
    total = lines[-1][0] - lines[0][0]
    waits = stamps(lines, "WINDOW::Sleep\n", "WINDOW::Sleep done")
    copy = sum(stamps(lines, "[>>]SETUP::ActualCopy to ", "[<<]SETUP::ActualCopy done"))
    extraction = sum(stamps(lines, "[>>]SETUP::ActualCopy extracting ", "[<<]SETUP::ActualCopy setup.fil done"))
    print(f"in the program {total} ms: page waits {sum(waits)} ms ({len(waits)} pages), copy step {copy} ms "
          f"(extraction {extraction} ms, the completion pause included), rest {total - sum(waits) - copy} ms")


main()
