#!/usr/bin/env python3
"""A prototype of a packed catalogue layout, measured before building it: the entries of a catalogue that
bench/catalogue_vs_plocate.sh left behind, rewritten as blocks of N consecutive entries of one disk (each
entry its folder's place in the disk's folder list, size and folder bit, date and name, as varints,
zlib-compressed), a contentless trigram index with one document per block (the names joined), and each
disk's folder paths front-coded and compressed with their entries' ranges. Prints the file's size and each
part's. Every hit of the index is a block whose names are then checked, as plocate checks its blocks.

Usage: bench/packed_layout_prototype.py N LEVEL      (entries a block, zlib level; writes /tmp/proto/)
"""
import sqlite3, zlib, sys, os, time
src = sqlite3.connect(os.path.join(os.environ.get('TMPDIR', '/tmp'), 'tessaline-realistic/data/tessaline/catalogue.sqlite'))
N = int(sys.argv[1]); level = int(sys.argv[2])
os.makedirs('/tmp/proto', exist_ok=True)
out = f'/tmp/proto/packed-{N}-{level}.sqlite'
if os.path.exists(out): os.remove(out)
dst = sqlite3.connect(out)
dst.executescript("""
PRAGMA page_size=4096; PRAGMA journal_mode=OFF;
CREATE TABLE blocks (id INTEGER PRIMARY KEY, disk INTEGER NOT NULL, first_entry INTEGER NOT NULL, data BLOB NOT NULL);
CREATE TABLE disk_folders (disk INTEGER PRIMARY KEY, data BLOB NOT NULL);
CREATE VIRTUAL TABLE block_names USING fts5 (names, content='', tokenize='trigram', columnsize=0, detail=none);
""")
def varint(n):
    b = bytearray()
    while True:
        x = n & 0x7f; n >>= 7
        if n: b.append(x | 0x80)
        else: b.append(x); return bytes(b)
def zz(n): return (n << 1) ^ (n >> 63)
t0 = time.time()
folders = {}
for fid, disk, path, first, last in src.execute("select id, disk, path, first_entry, last_entry from folders order by disk, path"):
    folders.setdefault(disk, []).append((fid, path, first or 0, last or 0))
fidx = {}
for disk, fl in folders.items():
    blob = bytearray(); prev = ''
    for i, (fid, path, first, last) in enumerate(fl):
        fidx[fid] = (disk, i)
        p = path.encode(); q = prev.encode(); k = 0
        while k < min(len(p), len(q)) and p[k] == q[k]: k += 1
        blob += varint(k) + varint(len(p) - k) + p[k:] + varint(first) + varint(max(0, last - first))
        prev = path
    dst.execute("insert into disk_folders values (?, ?)", (disk, zlib.compress(bytes(blob), level)))
rows = src.execute("select id, folder, name, is_folder, size, modified from entries order by id")
block = []; bid = 0
def flush():
    global block, bid
    if not block: return
    disk = fidx[block[0][1]][0]
    data = bytearray(); pm = 0; pf = 0
    for id_, folder, name, isf, size, mod in block:
        fi = fidx[folder][1]
        nb = name.encode('utf-8', 'surrogateescape') if isinstance(name, str) else name
        data += varint(zz(fi - pf)) + varint(size * 2 + isf) + varint(zz(mod - pm)) + varint(len(nb)) + nb
        pm = mod; pf = fi
    bid += 1
    dst.execute("insert into blocks values (?, ?, ?, ?)", (bid, disk, block[0][0], zlib.compress(bytes(data), level)))
    dst.execute("insert into block_names (rowid, names) values (?, ?)", (bid, '\n'.join(r[2] for r in block)))
    block = []
prev_disk = None
for r in rows:
    d = fidx[r[1]][0]
    if block and (len(block) >= N or d != prev_disk or r[0] != block[-1][0] + 1): flush()
    block.append(r); prev_disk = d
flush()
dst.commit(); dst.execute("VACUUM"); dst.close()
sz = os.path.getsize(out)
def tsize(name):
    c = sqlite3.connect(out)
    try: return c.execute("select sum(pgsize) from dbstat where name like ?", (name + '%',)).fetchone()[0]
    except Exception: return None
print(f"N={N} level={level}: {sz/1e6:.1f} MB ({sz/1e6:.2f} bytes/entry x1e6), blocks {tsize('blocks')}, names index {tsize('block_names')}, folders {tsize('disk_folders')}, {time.time()-t0:.1f} s")
