#!/usr/bin/env python3
"""Writes text/sjis_table.cpp: the Shift_JIS <-> Unicode mapping, taken from
glibc's iconv so that the Windows build needs no iconv of its own.

    python3 tools/gen/sjis_table.py > text/sjis_table.cpp

Where the data comes from:
- JIS X 0208 (the lead bytes 81-84 and 88-9F, E0-EA): glibc's EUC-JP
  converter, checked against its SHIFT_JIS converter. These are the code
  points that Japanese pages are read as: 81 60 is U+301C WAVE DASH.
- The Windows extensions (NEC row 13 at 87, the NEC-selected IBM rows at
  ED-EE, the IBM rows at FA-FC): glibc's CP932 converter, with Microsoft's
  code points. The user-defined area F0-F9 is left out: its characters are
  private to one machine.
- Where several codes give one character (the IBM characters that sit in
  both ED-EE and FA-FC, the NEC symbols that repeat JIS X 0208), the
  encoder writes the code that glibc's CP932 encoder writes.
- The Microsoft code points of the JIS X 0208 characters that Windows reads
  differently (U+FF5E for 81 60 and the like) are encoded too, one way.

Two choices of our own, marked below: 81 5C reads as U+2014 EM DASH (glibc
gives U+2015 HORIZONTAL BAR, the Windows reading, which is still encoded),
and U+00A6 BROKEN BAR writes FA 55, the full-width broken bar.
"""
import ctypes
import ctypes.util
import sys

libc = ctypes.CDLL(ctypes.util.find_library("c"))
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t),
                       ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)]
FAILED = ctypes.c_size_t(-1).value


class Iconv:
    def __init__(self, to, frm):
        self.cd = libc.iconv_open(to.encode(), frm.encode())
        if self.cd is None or self.cd == FAILED:
            sys.exit(f"iconv cannot convert {frm} to {to}")

    def __call__(self, data):
        """The whole input converted, or None when some of it has no mapping."""
        libc.iconv(self.cd, None, None, None, None)
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(64)
        inptr = ctypes.cast(inbuf, ctypes.c_char_p)
        outptr = ctypes.cast(outbuf, ctypes.c_char_p)
        inleft = ctypes.c_size_t(len(data))
        outleft = ctypes.c_size_t(64)
        if libc.iconv(self.cd, ctypes.byref(inptr), ctypes.byref(inleft),
                      ctypes.byref(outptr), ctypes.byref(outleft)) == FAILED or inleft.value:
            return None
        return outbuf.raw[:64 - outleft.value]


def decoder(name):
    convert = Iconv("UTF-32LE", name)

    def decode(data):
        out = convert(data)
        if out is None or len(out) != 4:
            return None
        return int.from_bytes(out, "little")
    return decode


def encoder(name):
    convert = Iconv(name, "UTF-32LE")

    def encode(cp):
        out = convert(cp.to_bytes(4, "little"))
        return int.from_bytes(out, "big") if out else None
    return encode


LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))
EXTENSION_LEADS = {0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC}

# Our own choices (see above).
JIS_READING = {0x815C: 0x2014}
ONE_WAY_EXTRA = {0x00A6: 0xFA55}


def jis_of(lead, trail):
    j1 = 2 * (lead - (0x70 if lead < 0xA0 else 0xB0))
    if trail < 0x9F:
        return j1 - 1, trail - (0x20 if trail > 0x7F else 0x1F)
    return j1, trail - 0x7E


def main():
    from_euc, from_sjis, from_cp932 = decoder("EUC-JP"), decoder("SHIFT_JIS"), decoder("CP932")
    to_cp932 = encoder("CP932")

    decoded = {}        # code -> code point
    windows_form = {}   # code -> the code point Windows reads, where it differs
    for lead in LEADS:
        for trail in TRAILS:
            code = lead << 8 | trail
            pair = bytes([lead, trail])
            if lead in EXTENSION_LEADS:
                cp = from_cp932(pair)
            elif lead <= 0xEF:
                j1, j2 = jis_of(lead, trail)
                cp = from_euc(bytes([j1 | 0x80, j2 | 0x80]))
                if cp != from_sjis(pair):
                    sys.exit(f"EUC-JP and SHIFT_JIS disagree on {code:04X}")
                windows = from_cp932(pair)
                if (cp is None) != (windows is None):
                    sys.exit(f"JIS X 0208 and CP932 cover {code:04X} differently")
                cp = JIS_READING.get(code, cp)
                if windows is not None and windows != cp:
                    windows_form[code] = windows
            else:
                cp = None
            if cp is not None:
                decoded[code] = cp

    # The encoder inverts the table, the first code in ascending order
    # winning; ONE_WAY lists every character for which that is not so.
    first_code = {}
    for code in sorted(decoded):
        first_code.setdefault(decoded[code], code)
    wanted = {}
    for cp in set(decoded.values()) | set(windows_form.values()):
        choice = to_cp932(cp)
        if choice is None or choice not in decoded:
            candidates = [c for c in sorted(decoded) if decoded[c] == cp]
            candidates += [c for c in sorted(windows_form) if windows_form[c] == cp]
            choice = candidates[0]
        wanted[cp] = choice
    wanted.update(ONE_WAY_EXTRA)
    one_way = sorted((cp, code) for cp, code in wanted.items() if first_code.get(cp) != code)

    leads = sorted({code >> 8 for code in decoded})
    out = sys.stdout
    out.write("// Generated by tools/gen/sjis_table.py from glibc's iconv; do not edit.\n")
    out.write("// The Shift_JIS double-byte characters as Unicode, and the characters\n")
    out.write("// that the encoder writes otherwise than the table's inverse gives.\n")
    out.write('#include "text/sjis_table.h"\n\nnamespace kaveto::sjis_table {\n\n')
    out.write(f"const std::size_t kRowCount = {len(leads)};\n\n")
    out.write("const std::uint8_t kRowOfLead[256] = {\n")
    row_of = [leads.index(b) if b in leads else 0xFF for b in range(256)]
    for i in range(0, 256, 16):
        out.write("    " + ", ".join(f"{v:3d}" for v in row_of[i:i + 16]) + ",\n")
    out.write("};\n\n")
    out.write(f"const char16_t kRows[][{len(TRAILS)}] = {{\n")
    for lead in leads:
        out.write(f"    {{  // {lead:02X}\n")
        values = [decoded.get(lead << 8 | t, 0) for t in TRAILS]
        for i in range(0, len(values), 12):
            out.write("        " + ", ".join(f"0x{v:04X}" for v in values[i:i + 12]) + ",\n")
        out.write("    },\n")
    out.write("};\n\n")
    out.write(f"const std::size_t kOneWayCount = {len(one_way)};\n\n")
    out.write("const OneWay kOneWay[] = {\n")
    for i in range(0, len(one_way), 6):
        out.write("    " + " ".join(f"{{0x{cp:04X}, 0x{code:04X}}}," for cp, code in one_way[i:i + 6]) + "\n")
    out.write("};\n\n}  // namespace kaveto::sjis_table\n")
    print(f"{len(decoded)} characters in {len(leads)} rows, {len(one_way)} one-way", file=sys.stderr)


if __name__ == "__main__":
    main()
