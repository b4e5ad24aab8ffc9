#!/usr/bin/env python3
# make_pwg.py OUT [--cut LINES] PAGE...: a PWG raster (sRGB, 8 bits a colour)
# of solid pages; PAGE is WIDTHxHEIGHT@DPI:RRGGBB. --cut ends the stream after
# that many lines of the first page (a document cut short).
import struct, sys

args = sys.argv[1:]
out, cut = args.pop(0), None
if args and args[0] == "--cut":
    cut = int(args[1])
    args = args[2:]

def header(w, h, dpi, pages):
    b = bytearray(1796)
    b[0:9] = b"PwgRaster"
    def put(at, v):
        b[at:at + 4] = struct.pack(">I", v)
    put(276, dpi); put(280, dpi)                       # HWResolution
    put(352, w * 72 // dpi); put(356, h * 72 // dpi)   # PageSize in points
    put(372, w); put(376, h)                           # cupsWidth, cupsHeight
    put(384, 8); put(388, 24); put(392, w * 3)         # bits per colour, per pixel, bytes per line
    put(400, 19)                                       # sRGB
    put(420, 3)                                        # colours
    put(452, pages)                                    # TotalPageCount
    return bytes(b)

data = bytearray(b"RaS2")
for page_arg in args:
    size, colour = page_arg.split(":")
    wh, dpi = size.split("@")
    w, h = (int(v) for v in wh.split("x"))
    pixel = bytes.fromhex(colour)
    data += header(w, h, int(dpi), len(args))
    # One line: runs of up to 128 equal pixels (count - 1, then the pixel).
    line = bytearray([0])
    left = w
    while left:
        n = min(left, 128)
        line += bytes([n - 1]) + pixel
        left -= n
    for y in range(h if cut is None else cut):
        data += line
    if cut is not None:
        break
open(out, "wb").write(data)
