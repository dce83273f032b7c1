#!/usr/bin/env python3
# Writes the seed corpus of the plug-in list target into corpus/: carried lists laid out
# for the target's fixed data1 address (next, length from offset 8, reserved, name length,
# name, library bytes). Run it from this directory after changing the list format.
import os
import struct

BASE = 0x50000000


def element(next_at, name, library):
    raw = name.encode('latin-1')
    return struct.pack('<III', next_at, 5 + len(raw) + len(library), 0) + bytes([len(raw)]) + raw + library


def write(name, data):
    os.makedirs('corpus', exist_ok=True)
    with open(os.path.join('corpus', name), 'wb') as f:
        f.write(data)


one = element(0, 'bevel.dll', b'MZ' + bytes(30))
write('one-library', one)
# The head comes first: it links to the element placed after it.
head = element(BASE + 32, 'tstplug.dll', b'MZ' + bytes(10)).ljust(32, b'\0')
write('two-libraries', head + element(0, 'a.dll', b'MZab'))
write('loops-back', element(BASE, 'x.dll', b'ab'))
write('path-name', element(0, '../evil.so', b'MZ'))
