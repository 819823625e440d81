#!/usr/bin/python3
"""The writer writes the same bytes as before: statistics workbooks made by
stats_workbook_maker, and copies (tallomer-cli copy) of them and of the sample workbooks, have
the checksums listed in same_bytes.sha256. The samples skip, saying so, when their folder is
absent; the statistics workbooks are always checked."""
import hashlib
import os
import subprocess
import sys
import tempfile

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
        if copy_name not in expected:
            continue   # a sample the host refuses (an older BIFF): no copy was ever written
        copy = os.path.join(tmp, copy_name)
        subprocess.run([cli, "copy", source, copy], check=True)
        checked += 1
        if digest(copy) != expected[copy_name]:
            failures.append(copy_name)

print(f"{checked} files checked")
if failures:
    print("written differently than before: " + ", ".join(failures))
    sys.exit(1)
