#!/usr/bin/env python3
"""Makes damaged-corpus.tar.xz: damaged copies of files of the sample station, each named
<board file>--<damage>.mdb, and damaged-corpus.tsv describing them (file, what was done).
Run from this folder: ./make_damaged_corpus.py legacy-sample.tar.xz"""
import io, re, struct, sys, tarfile

PAGE = 4096


def rows(data, page):
    base = page * PAGE
    count = struct.unpack_from('<H', data, base + 12)[0]
    for r in range(count):
        start = struct.unpack_from('<H', data, base + 14 + 2 * r)[0] & 0x1fff
        end = PAGE if r == 0 else struct.unpack_from('<H', data, base + 12 + 2 * r)[0] & 0x1fff
        yield r, base + start, base + end


def chain_pages(data):
    """Long-value pages whose single row continues on another page: a memo over several pages."""
    found = []
    for n in range(len(data) // PAGE):
        if data[n * PAGE] == 1 and data[n * PAGE + 4:n * PAGE + 8] == b'LVAL':
            for r, start, end in rows(data, n):
                nxt = struct.unpack_from('<I', data, start)[0]
                if r == 0 and 0 < (nxt >> 8) < len(data) // PAGE and data[(nxt >> 8) * PAGE + 4:(nxt >> 8) * PAGE + 8] == b'LVAL':
                    found.append(n)
    return found


def usage_map_row(page):
    def damage(d):
        d[page * PAGE + 55] = 0x7f  # row number of the usage map
    return damage


def field_count(page):
    def damage(d):
        struct.pack_into('<H', d, page * PAGE + 45, 0xffff)
    return damage


def chain_next(to):
    def damage(d):
        first = chain_pages(d)[1]
        target = 0 if to == 'cut' else (first << 8)
        struct.pack_into('<I', d, first * PAGE + PAGE - 4076, target)  # row 0 starts 4076 bytes from the end
    return damage


def chain_endless(d):
    """The memo's header claims the longest length, and its second page points to itself."""
    first = chain_pages(d)[0]
    pointer = struct.pack('<I', first << 8)
    at = d.find(pointer)
    while at >= 0 and not (d[at - 4 + 3] & 0xc0 == 0 and struct.unpack_from('<I', d, at - 4)[0] > 4000):
        at = d.find(pointer, at + 1)
    struct.pack_into('<I', d, at - 4, 0x3fffffff)
    second = chain_pages(d)[1]
    struct.pack_into('<I', d, second * PAGE + PAGE - 4076, second << 8)


def chain_page_replaced(d):
    victim = chain_pages(d)[2]
    d[victim * PAGE:(victim + 1) * PAGE] = d[6 * PAGE:7 * PAGE]  # the catalogue's data page


def property_blob(byte, value):
    """One byte in the first block of the table's property blob ("MR2", the second in the file)."""
    def damage(d):
        at = [m.start() for m in re.finditer(b'MR2\x00', d)][1]
        d[at + byte] = value
    return damage


def hour_names(d):
    for name in ('3am', '4pm'):
        m = re.search(b'(?<![0-9]\x00)' + re.escape(name.encode('utf-16-le')), d)
        d[m.start() + 2] = ord('x')  # "3xm": no longer an hour the board knows


def definition_replaced(page):
    def damage(d):
        d[page * PAGE:(page + 1) * PAGE] = d[2 * PAGE:3 * PAGE]  # the catalogue's own definition
    return damage


def zeroed(page):
    def damage(d):
        d[page * PAGE:(page + 1) * PAGE] = bytes(PAGE)
    return damage


def cut_in_page(d):
    del d[len(d) - 1000:]


DAMAGES = [
    ('Monday.mdb', 'usage-map-row', usage_map_row(24), 'the usage-map row of an hour table points off its page'),
    ('Monday.mdb', 'catalogue-usage-map-row', usage_map_row(2), 'the usage-map row of the catalogue points off its page'),
    ('Monday.mdb', 'field-count', field_count(28), 'an hour table claims 65,535 fields'),
    ('Monday.mdb', 'hour-names', hour_names, 'two bytes of the catalogue rename two hour tables'),
    ('Prep.mdb', 'memo-cut', chain_next('cut'), 'a memo chain ends one page early'),
    ('Prep.mdb', 'memo-loop', chain_next('loop'), 'a long-value page points to itself'),
    ('Prep.mdb', 'memo-endless', chain_endless, 'a memo claims 1 GB and its chain loops'),
    ('Prep.mdb', 'memo-page-replaced', chain_page_replaced, 'a data page copied over a long-value page'),
    ('Notes.mdb', 'property-blob-loop', property_blob(4, 0), 'a property blob block of length zero'),
    ('Notes.mdb', 'property-blob-crash', property_blob(7, 1), 'a property blob block of a wrong kind'),
    ('Notes.mdb', 'definition-replaced', definition_replaced(24), 'a table definition replaced by another'),
    ('Phone.mdb', 'data-page-zeroed', zeroed(25), 'the page holding the phone list zeroed'),
    ('Tuesday.mdb', 'cut-in-page', cut_in_page, 'the file cut in the middle of its last page'),
]


def main(sample):
    with tarfile.open(sample) as tar:
        originals = {m.name.split('/')[-1]: tar.extractfile(m).read() for m in tar.getmembers()
                     if m.name.startswith('data/') and m.isfile()}
    out = tarfile.open('damaged-corpus.tar.xz', 'w:xz')
    manifest = []
    for board, name, damage, what in DAMAGES:
        data = bytearray(originals[board])
        damage(data)
        assert data != originals[board], name
        member = '%s--%s.mdb' % (board[:-4], name)
        info = tarfile.TarInfo(member)
        info.size, info.mtime, info.mode = len(data), 0, 0o644
        out.addfile(info, io.BytesIO(bytes(data)))
        manifest.append('%s\t%s\t%s\n' % (member, board, what))
    text = ''.join(manifest).encode()
    info = tarfile.TarInfo('damaged-corpus.tsv')
    info.size, info.mtime, info.mode = len(text), 0, 0o644
    out.addfile(info, io.BytesIO(text))
    out.close()


if __name__ == '__main__':
    main(sys.argv[1])
