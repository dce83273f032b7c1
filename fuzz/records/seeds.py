#!/usr/bin/env python3
# Writes the seed corpus of the record fuzz targets into corpus/<target>/: small,
# well-formed data1 blocks and streams (unrelocated: pointers are data1 offsets), plus a few
# damaged ones. Run it from this directory after changing the record formats.
import os
import struct


def compact(v):
    neg = v < 0
    m = (-v if neg else v) & 0xFFFFFFFF
    first = (m & 0x3F) | (0x40 if neg else 0)
    m >>= 6
    out = bytearray()
    out.append(first | (0x80 if m else 0))
    while m:
        b = m & 0x7F
        m >>= 7
        out.append(b | (0x80 if m else 0))
    return bytes(out)


def text(t):
    t = t.encode('latin-1')
    return compact(len(t)) + t


class Block:
    def __init__(self):
        self.b = bytearray()

    def word(self, v):
        at = len(self.b)
        self.b += struct.pack('<I', v & 0xFFFFFFFF)
        return at

    def patch(self, at, v):
        self.b[at:at + 4] = struct.pack('<I', v)

    def align(self):
        while len(self.b) % 4:
            self.b.append(0)

    def literal(self, t):
        buf = len(self.b)
        raw = t.encode('latin-1')
        self.b += bytes([len(raw)]) + raw + b'\0'
        self.align()
        rec = self.word(1)
        self.word(buf)
        self.word(len(raw))
        self.word(len(raw))
        return rec

    def counted(self, stream, align=True):
        at = self.word(len(stream))
        self.b += stream
        if align:
            self.align()
        return at


def write(target, name, data):
    d = os.path.join('corpus', target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), 'wb') as f:
        f.write(bytes(data))


def menu_entry(kind, caption, name, index, key, submenu, cls):
    return (compact(kind) + text(caption) + text(name) + compact(index) + text(key) +
            text('') + text('') + bytes([0, 1 if submenu else 0]) + compact(cls))


def menu_stream():
    s = compact(2)
    s += menu_entry(1, 'Armonix', '', -2147483648, '', False, 168) + compact(1)
    s += menu_entry(0, 'Info Armonix', 'appleInMt', -2147483648, '', False, 168)
    s += menu_entry(0, 'Archivio', '', -2147483648, '', False, 168) + compact(2)
    s += menu_entry(0, 'Note', '', 0x80000010, '', True, 168) + compact(1)
    s += menu_entry(0, 'Soprano', 'mnetn', 0, '', False, 168)
    s += menu_entry(0, 'Esci', 'filequit', -2147483648, 'Q', False, 169)
    return s


def settings_stream():
    s = bytes([1]) + struct.pack('>II', 0, 1)
    s += compact(1) + text('TEXT') + text('txt') + text('Testo') + text('')
    s += compact(5) + text('') * 4 + text("Un'eccezione della classe %1 non \x8f stata gestita.")
    s += bytes([0]) + text('Mia applicazione')
    return s


def window_stream(controls):
    s = compact(2) + compact(5) + text('Name') + text('fnMt') + text('Title') + text('Note')
    s += compact(len(controls))
    for cls, props in controls:
        s += compact(cls) + compact(len(props))
        for n, v in props:
            s += text(n) + text(v)
    return s + compact(0)


def classtable_block():
    b = Block()
    b.word(0x75B16)
    head = b.word(0)
    names = [b.literal(t) for t in ('Window', 'fnMt', 'Action', 'FileQuit', '')]
    k1 = b.word(1); b.word(names[0])
    k0 = b.word(0); b.word(120); b.word(names[1]); b.word(0); b.word(1); b.word(0x10); b.word(0x20)
    b.word(0); b.word(1); b.word(2)                      # interface flag, one interface: 2
    b.word(1); b.word(names[2]); b.word(0x30)            # one method
    b.word(1); b.word(names[2]); b.word(0x40); b.word(0)  # one event handler
    b.word(1); b.word(names[3]); b.word(0x50)            # one menu handler
    b.word(1); b.word(0)                                 # virtual table
    k2 = b.word(0); b.word(24); b.word(0); b.word(0xFFFFFFFF); b.word(0)
    b.word(1); b.word(0); b.word(1); b.word(names[2]); b.word(0); b.word(0); b.word(0)
    menu = b.word(2); b.counted(menu_stream())
    settings = b.word(4); b.word(0); b.counted(settings_stream())
    inst = b.word(5); b.word(1); b.word(head)
    desc = b.word(3); b.word(k1); b.word(k0); b.word(k2)
    b.word(3); b.word(menu); b.word(settings); b.word(0)
    b.patch(head, desc)
    return b.b, inst


def main():
    block, inst = classtable_block()
    write('classtable', 'small-image', block)
    damaged = bytearray(block)
    damaged[inst:inst + 4] = struct.pack('<I', 11)       # unknown project item kind
    write('classtable', 'unknown-item-kind', damaged)

    b = Block()
    for t in ('', 'a', 'NotePlayer1', 'x' * 255):
        b.literal(t)
    write('literal', 'literals', b.b)

    for name, controls in (
            ('two-controls', [(64, [('Name', 'NotePlayer1'), ('Index', '-2147483648')]),
                              (2, [])]),
            ('no-controls', [])):
        b = Block()
        rec = b.counted(window_stream(controls), align=False)
        b.word(rec)
        b.word(0)
        write('window', name, b.b)

    b = Block()
    b.word(2)
    b.counted(menu_stream())
    write('menubar', 'menubar', b.b)

    b = Block()
    b.word(4)
    b.word(0)
    b.counted(settings_stream())
    write('settings', 'settings', b.b)
    b = Block()
    b.word(10); b.word(4); b.word(20); b.word(0); b.word(0); b.b += b'base'
    write('settings', 'database-item', b.b)


main()
