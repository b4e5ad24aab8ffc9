#!/usr/bin/env python3
"""What the window tests ask of the X server and of a screenshot.

  x11_probe.py close WINDOW   asks WINDOW to close, as a window manager's close
                              button does (WM_DELETE_WINDOW)
  x11_probe.py bar < PPM      reads a screenshot of the dialog (binary PPM) and
                              prints "FRACTION DARK": how much of the progress
                              bar is filled (0..1) and how many dark (text)
                              pixels the picture has
"""
import ctypes
import sys

# The filled part of the bar is the theme's accent blue.
ACCENT = (53, 132, 228)


def close(window):
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):  # XClientMessageEvent, padded to an XEvent
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def read_ppm(data):
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("not an 8-bit binary PPM")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def near(pixel, colour, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def bar():
    width, height, pixels = read_ppm(sys.stdin.buffer.read())
    at = lambda x, y: tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3])
    background = at(width - 1, height - 1)
    dark = sum(1 for i in range(0, len(pixels), 3) if sum(pixels[i:i + 3]) < 3 * 90)
    # The row through the bar: the one with the most accent pixels; with none
    # (an empty bar) the fraction is 0.
    best_row, best = 0, 0
    for y in range(height):
        count = sum(1 for x in range(width) if near(at(x, y), ACCENT))
        if count > best:
            best_row, best = y, count
    if best == 0:
        print(0.0, dark)
        return
    xs = [x for x in range(width) if near(at(x, best_row), ACCENT)]
    # The empty part of the trough follows the filled part up to the background.
    x = xs[-1] + 1
    while x < width and not near(at(x, best_row), background, 6):
        x += 1
    print(round(len(xs) / (x - xs[0]), 3), dark)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "close":
        close(int(sys.argv[2], 0))
    elif len(sys.argv) == 2 and sys.argv[1] == "bar":
        bar()
    else:
        sys.exit(__doc__)
