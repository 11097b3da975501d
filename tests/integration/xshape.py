#!/usr/bin/env python3
"""Exits 0 when the window's X shape of that kind covers the point (window coordinates), 1 when it does not.

Usage: xshape.py <window-id> input|bounding X Y
"""
import ctypes
import sys


class Cookie(ctypes.Structure):
    _fields_ = [("sequence", ctypes.c_uint)]


class Rectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int16), ("y", ctypes.c_int16),
                ("width", ctypes.c_uint16), ("height", ctypes.c_uint16)]


KINDS = {"bounding": 0, "input": 2}


def main():
    window, kind, x, y = int(sys.argv[1], 0), KINDS[sys.argv[2]], int(sys.argv[3]), int(sys.argv[4])
    xcb = ctypes.CDLL("libxcb.so.1")
    shape = ctypes.CDLL("libxcb-shape.so.0")
    xcb.xcb_connect.restype = ctypes.c_void_p
    xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
    xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
    shape.xcb_shape_get_rectangles.restype = Cookie
    shape.xcb_shape_get_rectangles.argtypes = [ctypes.c_void_p, ctypes.c_uint32, ctypes.c_uint8]
    shape.xcb_shape_get_rectangles_reply.restype = ctypes.c_void_p
    shape.xcb_shape_get_rectangles_reply.argtypes = [ctypes.c_void_p, Cookie, ctypes.c_void_p]
    shape.xcb_shape_get_rectangles_rectangles.restype = ctypes.POINTER(Rectangle)
    shape.xcb_shape_get_rectangles_rectangles.argtypes = [ctypes.c_void_p]
    shape.xcb_shape_get_rectangles_rectangles_length.restype = ctypes.c_int
    shape.xcb_shape_get_rectangles_rectangles_length.argtypes = [ctypes.c_void_p]

    connection = xcb.xcb_connect(None, None)
    if xcb.xcb_connection_has_error(connection):
        sys.exit("cannot connect to the X server")
    reply = shape.xcb_shape_get_rectangles_reply(
        connection, shape.xcb_shape_get_rectangles(connection, window, kind), None)
    if not reply:
        sys.exit("no such window")
    rectangles = shape.xcb_shape_get_rectangles_rectangles(reply)
    found = [rectangles[i] for i in range(shape.xcb_shape_get_rectangles_rectangles_length(reply))]
    sys.exit(0 if any(r.x <= x < r.x + r.width and r.y <= y < r.y + r.height for r in found) else 1)


if __name__ == "__main__":
    main()
