#!/usr/bin/env python3
import sys
# make_pdf.py OUT PAGE...: PAGE is WIDTHxHEIGHT:RRGGBB[:ROTATE] in points; each
# page is its colour with a black square in its top-left corner (a quarter of
# the short side), so a page's turn shows.
out, page_args = sys.argv[1], sys.argv[2:]
objs = []
def add(body):
    objs.append(body)
    return len(objs)
pages = []
kids_at = add(None)
for page_arg in page_args:
    parts = page_arg.split(":")
    w, h = (int(v) for v in parts[0].split("x"))
    r, g, b = (int(parts[1][i:i + 2], 16) / 255 for i in (0, 2, 4))
    rot = int(parts[2]) if len(parts) > 2 else 0
    q = min(w, h) // 4
    content = f"{r:.3f} {g:.3f} {b:.3f} rg 0 0 {w} {h} re f 0 0 0 rg 0 {h - q} {q} {q} re f".encode()
    c = add(b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream")
    pages.append(add(f"<< /Type /Page /Parent {kids_at} 0 R /MediaBox [0 0 {w} {h}] /Rotate {rot} /Contents {c} 0 R >>".encode()))
objs[kids_at - 1] = f"<< /Type /Pages /Kids [{' '.join(f'{p} 0 R' for p in pages)}] /Count {len(pages)} >>".encode()
cat = add(f"<< /Type /Catalog /Pages {kids_at} 0 R >>".encode())
data, offsets = b"%PDF-1.4\n", []
for i, body in enumerate(objs, 1):
    offsets.append(len(data))
    data += b"%d 0 obj\n" % i + body + b"\nendobj\n"
xref = len(data)
data += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1) + b"".join(b"%010d 00000 n \n" % o for o in offsets)
data += b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, cat, xref)
open(out, "wb").write(data)
