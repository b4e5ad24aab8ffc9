#!/usr/bin/env python3
# Sample documents for the IPP conformance suites and the raster tests:
#   ipp_samples.py pdf JPEG WIDTH_PT HEIGHT_PT OUT.pdf    a one-page PDF showing the JPEG
#   ipp_samples.py pwg WIDTH HEIGHT DPI OUT.pwg           a one-page sRGB 8-bit PWG raster
#                                                     of the four-quarter test picture
#   ipp_samples.py ramp WIDTH HEIGHT DPI OUT.pwg      the same with a smooth picture: red
#                                                     rising to the right, green downward,
#                                                     blue 128, by position on the page
#   ipp_samples.py same A.bmp B.bmp LEVELS            exit 0 when the two 24-bit bitmaps
#                                                     have one size and differ by at most
#                                                     LEVELS in every channel
#   ipp_samples.py suite SUITE.test DPI...                every raster sample SUITE names, in
#                                                     the current folder: the sRGB 8-bit ones
#                                                     at DPI drawn at their page size, the
#                                                     others empty (the suite reads every
#                                                     file it names, and skips those tests)
import struct, sys

def pdf(jpeg, w, h, out):
    data = open(jpeg, "rb").read()
    i = data.index(b"\xff\xc0") if b"\xff\xc0" in data else data.index(b"\xff\xc2")
    ih, iw = struct.unpack(">HH", data[i + 5:i + 9])
    comps = data[i + 9]
    space = b"/DeviceGray" if comps == 1 else b"/DeviceRGB"
    content = b"q %d 0 0 %d 0 0 cm /Im Do Q" % (w, h)
    objs = [b"<< /Type /Catalog /Pages 2 0 R >>",
            b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Resources << /XObject << /Im 4 0 R >> >> /Contents 5 0 R >>" % (w, h),
            b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace %s /BitsPerComponent 8 /Filter /DCTDecode /Length %d >>\nstream\n" % (iw, ih, space, len(data)) + data + b"\nendstream",
            b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream"]
    body, offsets = b"%PDF-1.4\n", []
    for n, o in enumerate(objs, 1):
        offsets.append(len(body))
        body += b"%d 0 obj\n" % n + o + b"\nendobj\n"
    xref = len(body)
    body += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1)
    body += b"".join(b"%010d 00000 n \n" % o for o in offsets)
    body += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
    open(out, "wb").write(body)

def quarter(x, y, w, h):
    # red top left, green top right, blue bottom left, white bottom right
    top, left = y * 2 < h, x * 2 < w
    return (255, 0, 0) if top and left else (0, 128, 0) if top else (0, 0, 255) if left else (255, 255, 255)

def ramp(x, y, w, h):
    return (round(255 * (x + 0.5) / w), round(255 * (y + 0.5) / h), 128)

def pwg(w, h, dpi, out, picture=quarter):
    hdr = bytearray(1796)
    hdr[0:9] = b"PwgRaster"
    def put(at, *values):
        struct.pack_into(">%dI" % len(values), hdr, at, *values)
    put(276, dpi, dpi)                                   # HWResolution
    put(352, w * 72 // dpi, h * 72 // dpi)               # PageSize in points
    put(372, w, h, 0, 8, 24, w * 3, 0, 19, 0, 0, 0, 0, 3)  # size, 8 bits sRGB, 3 colours
    put(452, 1, 1, 1)                                    # TotalPageCount, transforms
    def row(y):   # runs of one colour, at most 128 pixels a packet
        line, x = bytearray(), 0
        while x < w:
            c, n = picture(x, y, w, h), 1
            while x + n < w and n < 128 and (picture is quarter and x + n != w // 2 or
                                             picture(x + n, y, w, h) == c):
                n += 1
            line += bytes([n - 1]) + bytes(c)
            x += n
        return bytes(line)
    if picture is quarter:   # two kinds of row: the top half's and the bottom half's
        top, bottom = row(0), row(h - 1)
        rows = [top if y * 2 < h else bottom for y in range(h)]
    else:
        rows = [row(y) for y in range(h)]
    with open(out, "wb") as f:
        f.write(b"RaS2" + hdr)
        y = 0
        while y < h:   # identical lines share one record, at most 256
            n = 1
            while y + n < h and n < 256 and rows[y + n] == rows[y]:
                n += 1
            f.write(bytes([n - 1]) + rows[y])
            y += n

# Page sizes of the suite's sample names, in inches.
PAGES = {"color.jpg-4x6": (4, 6), "gray.jpg-4x6": (4, 6), "document-a4": (210 / 25.4, 297 / 25.4),
         "onepage-a4": (210 / 25.4, 297 / 25.4), "document-letter": (8.5, 11), "onepage-letter": (8.5, 11)}

def suite(test, dpis):
    import os, re
    for path in sorted(set(re.findall(r"^\s*FILE (pwg-raster-samples-\S+)", open(test).read(), re.M))):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        m = re.match(r"pwg-raster-samples-(\d+)dpi/srgb-8/(.+)-srgb-8-\d+dpi\.pwg$", path)
        if m and m.group(1) in dpis:
            dpi, (w, h) = int(m.group(1)), PAGES[m.group(2)]
            pwg(round(w * dpi), round(h * dpi), dpi, path)
        else:
            open(path, "wb").close()

def bitmap(path):
    b = open(path, "rb").read()
    start, w, h, bpp = struct.unpack_from("<I", b, 10)[0], *struct.unpack_from("<iiH", b, 18)[:2], struct.unpack_from("<H", b, 28)[0]
    assert bpp == 24, path
    stride = (w * 3 + 3) & ~3
    rows = [b[start + r * stride:start + r * stride + w * 3] for r in range(abs(h))]
    return w, abs(h), rows if h < 0 else rows[::-1]

def same(a, b, levels):
    (wa, ha, ra), (wb, hb, rb) = bitmap(a), bitmap(b)
    if (wa, ha) != (wb, hb):
        print("sizes differ: %dx%d and %dx%d" % (wa, ha, wb, hb))
        return 1
    worst = max(abs(p - q) for x, y in zip(ra, rb) for p, q in zip(x, y))
    print("largest difference: %d levels" % worst)
    return 0 if worst <= levels else 1

if sys.argv[1] == "suite":
    suite(sys.argv[2], sys.argv[3:])
elif sys.argv[1] == "same":
    sys.exit(same(sys.argv[2], sys.argv[3], int(sys.argv[4])))
elif sys.argv[1] == "ramp":
    pwg(int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5], ramp)
elif sys.argv[1] == "pdf":
    pdf(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
else:
    pwg(int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
