#!/usr/bin/python3
"""The writer writes the same bytes as before: statistics workbooks made by
stats_workbook_maker, and copies (tallomer-cli copy) of them and of the sample workbooks, have
the checksums listed in same_bytes.sha256. A copy holding a formula that calls a volatile
function (TODAY) is checked with that formula's result blanked, since it is computed on open to
the day the copy is made (as Excel computes it): its checksum is of the Workbook stream so
blanked, under the name day_free_copy_X.xls. The samples skip, saying so, when their folder is
absent; the statistics workbooks are always checked."""
import hashlib
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import biff_records  # noqa: E402

maker, cli, samples, listing = sys.argv[1:5]

expected = {}
with open(listing) as f:
    for line in f:
        if line.strip() and not line.startswith("#"):
            digest, name = line.split()
            expected[name] = digest


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def day_free_digest(path):
    """The Workbook stream's digest with the result of every volatile formula blanked, or None
    when no formula calls a volatile function."""
    stream = bytearray(biff_records.workbook_stream(path))
    blanked = False
    for offset in biff_records.sheet_offsets(bytes(stream)):
        pos = offset
        while pos + 4 <= len(stream):
            rtype, length = struct.unpack_from('<HH', stream, pos)
            data = stream[pos + 4:pos + 4 + length]
            if rtype == biff_records.FORMULA and length >= 22:
                count = struct.unpack_from('<H', data, 20)[0]
                if biff_records.calls_volatile(bytes(data[22:22 + count])):
                    stream[pos + 4 + 6:pos + 4 + 14] = bytes(8)
                    blanked = True
            pos += 4 + length
            if rtype == biff_records.EOF:
                break
    return hashlib.sha256(stream).hexdigest() if blanked else None


failures = []
checked = 0
with tempfile.TemporaryDirectory(prefix="tallomer-same-bytes-") as tmp:
    subprocess.run([maker, tmp], check=True)
    sources = sorted(os.path.join(tmp, n) for n in os.listdir(tmp))
    if os.path.isdir(samples):
        for group in ("real", "stats"):
            folder = os.path.join(samples, group)
            sources += sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".xls"))
    else:
        print(f"skipping the samples: no samples folder at {samples}")
    for source in sources:
        name = os.path.basename(source)
        if source.startswith(tmp):
            checked += 1
            if digest(source) != expected[name]:
                failures.append(name)
        copy_name = "copy_" + name
        day_free_name = "day_free_" + copy_name
        if copy_name not in expected and day_free_name not in expected:
            continue   # a sample the host refuses (an older BIFF): no copy was ever written
        copy = os.path.join(tmp, copy_name)
        subprocess.run([cli, "copy", source, copy], check=True)
        checked += 1
        day_free = day_free_digest(copy)
        if day_free is not None:
            if day_free != expected.get(day_free_name):
                failures.append(day_free_name)
        elif digest(copy) != expected.get(copy_name):
            failures.append(copy_name)

print(f"{checked} files checked")
if failures:
    print("written differently than before: " + ", ".join(failures))
    sys.exit(1)
