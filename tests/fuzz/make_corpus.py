#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are what a working scanner answers in each exchange, in the input format of the
target (see fuzz_support.h and fuzz_wedge_links.h), plus a few valid and broken files. They give
the fuzzer the whole exchange to start from; `tests/fuzz/run` adds what it finds beside them.
Run again only when an exchange or an input format changes."""

import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def block():
    """A scanner's 512-byte parameter block (a fixed pattern)."""
    return bytes((i * 37 + 11) & 0xFF for i in range(512))


def xor(data):
    x = 0
    for b in data:
        x ^= b
    return x


# --- files and numbers ------------------------------------------------------------------------

settings = ["C:\\update\\KTX001.bin", "0", "3", "/home/user/scanner.Dec", " 200", "6", "12",
            "9600", "None", "8 bits", "1 bit", "1", "1", "/home/user/list.txt"]
put("settings_file", "full", "".join(s + "\r\n" for s in settings))
put("settings_file", "usb_lf", "\n".join(["/tmp", " 1", "1", "", "&H10", "0", "0"]) + "\n")
put("settings_file", "ps2_cr", "\r".join(["", "2", "0", "", "1.5E2"]))
put("settings_file", "empty", "")

image = block() + bytes([1, 2, 3])  # bytes 0..514
put("param_file", "valid", "".join(" %d\r\n" % b for b in image))
put("param_file", "valid_lf_forms",
    "\n".join(["&HFF", "2.5", "254.6", "12abc", "", "&O17"] + ["0"] * 509) + "\n")
put("param_file", "short", "".join(" %d\r\n" % b for b in image[:514]))
put("param_file", "too_big", "".join(" %d\r\n" % b for b in image[:40]) + " 256\r\n" +
    "".join(" %d\r\n" % b for b in image[41:]))
put("param_file", "too_long", "".join(" %d\r\n" % b for b in image) + " 0\r\n")

for i, t in enumerate([" 200", "&HFF", "&H8000", "&O777", "&777", "-1.5E3", "2.5", "3.5",
                       "12abc", "1D308", "1e400", "-0.5", "   4 2 \t"]):
    put("text_number", "n%02d" % i, t)

# --- RS-232 -----------------------------------------------------------------------------------


def record(after, answer, delay=3, split=False):
    """A scripted answer: after `after` more host bytes, `answer` arrives `delay` ms later."""
    return struct.pack("<HBH", after, (delay & 0x7F) | (0x80 if split else 0), len(answer)) + answer


read_reply = bytes([0]) + block() + bytes([0])
frame_len = 1 + 513 + 1  # 0x06, the frame, its exclusive-or
rs232 = (bytes([0]) +
         record(4, b"\x06") +                 # LINK
         record(1, b"\x06") +                 # 0x06 at 115,200
         record(1, read_reply, split=True) +  # 0xFB
         record(2 + 4, b"\x06") +             # 0xF9 0xF9, then LINK again
         record(1, b"\x06") +
         record(frame_len, b"\x06"))          # the write frame
put("rs232_link", "read_write", rs232)
put("rs232_link", "search", bytes([1]) + record(8, b"\x06") + record(1, b"\x06") +
    record(1, read_reply))
put("rs232_link", "short_reply", bytes([0]) + record(4, b"\x06") + record(1, b"\x06") +
    record(1, read_reply[:300]))

# --- USB --------------------------------------------------------------------------------------


def report(payload):
    payload = bytes(payload)
    return bytes([8]) + (payload + b"\xff" * 8)[:8]


NO_ANSWER = b"\x00"
ack = report([0x06])
b = block()
hexes = [("%02X%02X%02X%02X" % tuple(b[i:i + 4])).encode() for i in range(0, 512, 4)]
usb = bytes([6])
usb += ack                                       # bin
usb += b"".join(report(h) for h in hexes)        # set, then 0x06 for each further block
usb += report([xor(b)])                          # 0x06: the exclusive-or
usb += NO_ANSWER                                 # ack
usb += ack                                       # end
usb += ack + ack + ack * 128 + ack + ack         # bin, stx, the blocks, the sum, end
put("usb_link", "read_write", usb)
put("usb_link", "wrong_sum", bytes([6]) + ack + b"".join(report(h) for h in hexes) +
    report([xor(b) ^ 1]) * 3 + ack)

# --- PS/2 -------------------------------------------------------------------------------------

CODES = {"0": 0x0B, "A": 0x1E, "B": 0x30, "C": 0x2E, "D": 0x20, "E": 0x12, "F": 0x21}
for d in range(1, 10):
    CODES[str(d)] = 0x02 + d - 1
FILL = 0x2C  # "z"


def keys(text, breaks=False):
    codes = [CODES.get(c, FILL) for c in text]
    codes = (codes + [FILL] * 8)[:8]
    raw = []
    for c in codes:
        raw.append(c)
        if breaks:
            raw.append(c | 0x80)
    return bytes([len(raw)]) + bytes(raw)


def ps2_ack(breaks=False):
    raw = []
    for c in [0x1E, 0x2E, 0x25] + [FILL] * 5:  # "ACK", padded
        raw += [c, c | 0x80] if breaks else [c]
    return bytes([len(raw)]) + bytes(raw)


for name, brk in (("read_write", False), ("with_break_codes", True)):
    ps2 = bytes([12])
    ps2 += ps2_ack(brk)                                  # bin
    ps2 += b"".join(keys(h.decode(), brk) for h in hexes)  # set, ack ...
    ps2 += keys("%02X" % xor(b), brk)                    # ack: the exclusive-or
    ps2 += NO_ANSWER                                     # wit
    ps2 += ps2_ack(brk)                                  # end
    ps2 += ps2_ack(brk) * (1 + 1 + 128 + 1 + 1)          # bin, stx, blocks, sum, end
    put("ps2_link", name, ps2)
put("ps2_link", "extended_keys", bytes([12]) + bytes([10, 0xE0, 0x1C, 0x1E, 0x2E, 0x25, 0xE1, 0x1D,
                                                      FILL, FILL, FILL]))

# --- KTX --------------------------------------------------------------------------------------


def lcg_image(size, seed):
    out = bytearray(size)
    for i in range(size):
        seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = (seed >> 16) & 0xFF
    return out


def ktx_blocks():
    yield 0x182C, 468
    for n in range(1, 103):
        yield 0x1A00 + 0x200 * (n - 1), 512
    yield 0xFE00, 512
    yield 0x1080, 384
    yield 0x1200, 512
    yield 0x1400, 512


ktx_image = lcg_image(65537, 11)
s = 0
for start, count in ktx_blocks():
    for i in range(count):
        s += ktx_image[start + i]
        if s > 32767:
            s -= 65536
ktx = struct.pack("<H", 1) + record(1, b"\x06")   # the lone wait: one byte
for _ in range(107):
    ktx += record(1, b"\x06", delay=2)             # 0xFC
    ktx += record(515, b"\x06", delay=2)           # the frame
ktx += record(1, b"\x06", delay=2)                 # 0xFA
ktx += record(1, struct.pack(">h", s) + b"\x00", delay=110)  # 0x06: the sum, after the pause
put("ktx_update", "transfer", ktx)
put("ktx_update", "wrong_sum", ktx[:-5] + struct.pack(">h", s ^ 1) + b"\x00")
put("ktx_update", "long_wait", struct.pack("<H", 514) + record(1, bytes(514), split=True))

# --- Y-modem ----------------------------------------------------------------------------------

ym = record(1, b"C")                     # "1"
ym += record(133, b"\x06C")              # the header block
ym += record(1029, b"\x06") * 3          # three data blocks
ym += record(1, b"\x06C")                # EOT
put("ymodem_update", "update", ym)
# A NAK, then the "C" the header waits for; a data block answered by NAK goes again.
ym2 = record(1, b"C") + record(133, b"\x15C", split=True) + record(133, b"\x06C") + record(1029, b"\x15")
ym2 += record(1029, b"\x06") * 3 + record(1, b"\x06") + record(1, b"Update OK\r\n\x00vers 2.1")
put("ymodem_update", "resends_and_report", ym2)

# --- test window ------------------------------------------------------------------------------


def piece(delay, text):
    text = text.encode("latin-1")
    return bytes([delay, len(text)]) + text


put("test_window", "rs232_crlf", bytes([3 << 2 | 0]) + piece(5, "012345\r\n") +
    piece(40, "ABC\r") + piece(3, "\nDEF\r\n") + piece(20, "GHI"))
put("test_window", "rs232_none", bytes([0 << 2 | 0]) + piece(5, "1234") + piece(30, "5678\r\n"))
put("test_window", "usb_cr", bytes([2 << 2 | 1]) + b"123\r456\r\x00\x09")
put("test_window", "ps2_tab", bytes([4 << 2 | 2]) + b"12\t34\t\x00a")
