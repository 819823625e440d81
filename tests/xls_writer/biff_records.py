"""A small BIFF8 record walker for the writer's tests: which cells hold FORMULA records,
and each sheet's SELECTION, read from the Workbook stream independently of xlrd's parser."""
import struct

from xlrd import compdoc

FORMULA, BOUNDSHEET, SELECTION, EOF, BOF = 0x0006, 0x0085, 0x001D, 0x000A, 0x0809


def workbook_stream(path):
    with open(path, 'rb') as f:
        data = f.read()
    doc = compdoc.CompDoc(data, logfile=open('/dev/null', 'w'))
    for name in ('Workbook', 'WORKBOOK', 'workbook'):
        stream = doc.get_named_stream(name)
        if stream is not None:
            return stream
    raise ValueError('no Workbook stream in ' + path)


def records(stream, pos=0):
    """(type, data) from pos up to and including the next EOF."""
    while pos + 4 <= len(stream):
        rtype, length = struct.unpack_from('<HH', stream, pos)
        data = stream[pos + 4:pos + 4 + length]
        pos += 4 + length
        yield rtype, data
        if rtype == EOF:
            return


def sheet_offsets(stream):
    offsets = []
    for rtype, data in records(stream):
        if rtype == BOUNDSHEET:
            offsets.append(struct.unpack_from('<I', data, 0)[0])
    return offsets


def formula_cells(stream):
    """{sheet index: set of (row, col)} of every FORMULA record."""
    cells = {}
    for index, offset in enumerate(sheet_offsets(stream)):
        found = cells.setdefault(index, set())
        for rtype, data in records(stream, offset):
            if rtype == FORMULA:
                found.add(struct.unpack_from('<HH', data, 0))
    return cells


# The BIFF numbers of volatile functions (NOW, RAND, TODAY, OFFSET, INDIRECT, CELL, INFO,
# RANDBETWEEN): a formula calling one gives the moment's result, computed again on open.
VOLATILE = {74, 63, 221, 78, 148, 125, 244, 464}


def calls_volatile(tokens):
    """Whether a formula's tokens call a volatile function (tFunc or tFuncVar in any class).
    A plain scan for function tokens: a false hit only leaves a cell out of a check."""
    for i, b in enumerate(tokens):
        if b in (0x21, 0x41, 0x61) and i + 2 < len(tokens):
            if struct.unpack_from('<H', tokens, i + 1)[0] in VOLATILE:
                return True
        if b in (0x22, 0x42, 0x62) and i + 3 < len(tokens):
            if struct.unpack_from('<H', tokens, i + 2)[0] & 0x7FFF in VOLATILE:
                return True
    return False


def volatile_formula_cells(stream):
    """{sheet index: set of (row, col)} of the FORMULA records calling a volatile function."""
    cells = {}
    for index, offset in enumerate(sheet_offsets(stream)):
        found = cells.setdefault(index, set())
        for rtype, data in records(stream, offset):
            if rtype == FORMULA and len(data) >= 22:
                count = struct.unpack_from('<H', data, 20)[0]
                if calls_volatile(bytes(data[22:22 + count])):
                    found.add(struct.unpack_from('<HH', data, 0))
    return cells


def active_cells(stream):
    """{sheet index: (row, col)} from each sheet's SELECTION record."""
    active = {}
    for index, offset in enumerate(sheet_offsets(stream)):
        for rtype, data in records(stream, offset):
            if rtype == SELECTION:
                active[index] = struct.unpack_from('<HH', data, 1)
    return active


def record_sizes_ok(stream):
    """True when no record carries more than the 8224 bytes BIFF8 allows."""
    pos = 0
    while pos + 4 <= len(stream):
        rtype, length = struct.unpack_from('<HH', stream, pos)
        if rtype == 0 and length == 0:   # padding after the last substream
            break
        if length > 8224:
            return False
        pos += 4 + length
    return True
