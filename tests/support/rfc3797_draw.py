"""Draws from a pool listing by RFC 3797, written apart from the program from
the method's own description, to check the program's draws.

Usage: rfc3797_draw.py LISTING KEY COUNT

Prints the SHA-256 of the listing, then a line per selection until COUNT
entries are picked: the index, the MD5 value, the entries left, the
position taken among them, the entry's number, and "picked", or "aside"
with the index of the selection whose entry it repeats."""
import hashlib
import sys

listing = open(sys.argv[1], "rb").read()
key = sys.argv[2].encode()
count = int(sys.argv[3])
print(hashlib.sha256(listing).hexdigest().upper())

# Each line: number TAB field 1 TAB ... LF. An entry is its fields.
entries = [line.split(b"\t", 1)[1] for line in listing.split(b"\n")[:-1]]
left = list(range(1, len(entries) + 1))
picked_by = {}  # entry -> the selection that picked it
picked = 0
i = 0
while picked < count and left:
    two = (i % 65536).to_bytes(2, "big")
    md5 = hashlib.md5(two + key + two).digest()
    position = int.from_bytes(md5, "big") % len(left) + 1
    number = left.pop(position - 1)
    entry = entries[number - 1]
    # An entry with every field blank repeats nothing.
    blank = entry.replace(b"\t", b"") == b""
    if not blank and entry in picked_by:
        outcome = "aside %d" % picked_by[entry]
    else:
        outcome = "picked"
        picked += 1
        if not blank:
            picked_by[entry] = i
    print(i, md5.hex().upper(), len(left) + 1, position, number, outcome)
    i += 1
