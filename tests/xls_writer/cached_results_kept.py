#!/usr/bin/python3
"""Opening and saving a workbook keeps the result every formula had, byte for byte: each
sample workbook is copied with tallomer-cli copy, and every FORMULA record of every sheet of
the copy must hold the same eight result bytes as the original's (and, for a text result, the
same STRING record text). A formula the engine computes exactly as the program that wrote the
file gets the same result again; any other keeps the one the file had.

Skipped, and said so: formulas without a stored result (xlwt writes every formula with the
"empty text" marker and no STRING record, so the engine computes them) and formulas calling
a volatile function, whose result is the moment's (TODAY is computed on open, as Excel computes
it, so the copy holds the day it was made). The samples folder absent, the whole test
skips, saying so.

usage: cached_results_kept.py TALLOMER_CLI SAMPLES_DIR"""
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import biff_records  # noqa: E402

FORMULA, STRING, CONTINUE, SHRFMLA, ARRAY, TABLE = 0x0006, 0x0207, 0x003C, 0x04BC, 0x0221, 0x0236


def unicode_string(data, pos):
    count, flags = struct.unpack_from("<HB", data, pos)
    pos += 3
    if flags & 0x08:
        pos += 2
    if flags & 0x04:
        pos += 4
    width = 2 if flags & 0x01 else 1
    raw = data[pos:pos + count * width]
    return raw.decode("utf-16-le" if width == 2 else "latin-1")


def value_of(result):
    """The bytes that hold the value: all eight of a number; the type byte, and the value byte
    of a boolean or an error, of the others (Excel leaves whatever it had in the rest)."""
    if result[6:8] != b"\xff\xff":
        return result
    return bytes([result[0], result[2] if result[0] in (1, 2) else 0])


def results(path):
    """{(sheet, row, col): (result bytes, STRING text or None, stored, volatile)}."""
    stream = biff_records.workbook_stream(path)
    out = {}
    for sheet, offset in enumerate(biff_records.sheet_offsets(stream)):
        last = None
        for rtype, data in biff_records.records(stream, offset):
            if rtype == FORMULA:
                row, col = struct.unpack_from("<HH", data, 0)
                result = bytes(data[6:14])
                count = struct.unpack_from("<H", data, 20)[0]
                tokens = bytes(data[22:22 + count])
                stored = not (result[6:8] == b"\xff\xff" and result[0] == 3)
                last = (sheet, row, col)
                out[last] = [value_of(result), None, stored, biff_records.calls_volatile(tokens)]
            elif rtype == STRING and last is not None:
                out[last][1] = unicode_string(data, 0)
                last = None
            elif rtype not in (CONTINUE, SHRFMLA, ARRAY, TABLE):
                last = None
    return out


def main():
    cli, samples = sys.argv[1:3]
    if not os.path.isdir(samples):
        print(f"skipping: no samples folder at {samples}")
        return 77
    failures = []
    checked = 0
    with tempfile.TemporaryDirectory(prefix="tallomer-cached-") as tmp:
        for group in ("real", "stats"):
            folder = os.path.join(samples, group)
            for name in sorted(os.listdir(folder)):
                if not name.endswith(".xls"):
                    continue
                source = os.path.join(folder, name)
                copy = os.path.join(tmp, group + "-" + name)
                run = subprocess.run([cli, "copy", source, copy], capture_output=True, text=True)
                if run.returncode == 2:
                    continue  # a file the program refuses (BIFF4, BIFF5): nothing saved
                if run.returncode != 0:
                    failures.append(f"{name}: copy failed: {run.stderr.strip()}")
                    continue
                before = results(source)
                after = results(copy)
                for cell, (result, text, stored, volatile) in sorted(before.items()):
                    if not stored or volatile:
                        continue
                    checked += 1
                    where = f"{group}/{name} sheet {cell[0]} row {cell[1] + 1} column {cell[2] + 1}"
                    if cell not in after:
                        failures.append(f"{where}: the formula is gone")
                        continue
                    got, got_text = after[cell][0], after[cell][1]
                    if got != result or got_text != text:
                        failures.append(f"{where}: result {result.hex()} {text!r} became {got.hex()} {got_text!r}")
    for f in failures:
        print(f)
    print(f"{checked} stored formula results checked, {len(failures)} changed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
