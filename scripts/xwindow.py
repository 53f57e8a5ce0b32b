#!/usr/bin/env python3
"""Finds and closes top-level X windows by title, for the scripts that run the program
on a private X server without a window manager.

  xwindow.py wait TITLE SECONDS   prints the id of the first window whose name holds TITLE
  xwindow.py close ID             asks the window to close, as a title-bar close would
"""
import ctypes
import ctypes.util
import sys
import time

xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
Window = ctypes.c_ulong
Atom = ctypes.c_ulong


class XTextProperty(ctypes.Structure):
    _fields_ = [("value", ctypes.c_void_p), ("encoding", Atom), ("format", ctypes.c_int), ("nitems", ctypes.c_ulong)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = Window
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                            ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
xlib.XGetWMName.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XTextProperty)]
xlib.XFree.argtypes = [ctypes.c_void_p]
xlib.XInternAtom.restype = Atom
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]


def window_name(display, window):
    prop = XTextProperty()
    if not xlib.XGetWMName(display, window, ctypes.byref(prop)) or not prop.value:
        return b""
    name = ctypes.string_at(prop.value, prop.nitems)
    xlib.XFree(prop.value)
    return name


def find(display, window, title):
    if title in window_name(display, window):
        return window
    root, parent = Window(), Window()
    children = ctypes.POINTER(Window)()
    count = ctypes.c_uint()
    if not xlib.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent),
                           ctypes.byref(children), ctypes.byref(count)):
        return None
    try:
        for i in range(count.value):
            found = find(display, children[i], title)
            if found:
                return found
    finally:
        if children:
            xlib.XFree(children)
    return None


def main():
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the X display")
    if sys.argv[1] == "wait":
        title = sys.argv[2].encode()
        deadline = time.monotonic() + float(sys.argv[3])
        while time.monotonic() < deadline:
            found = find(display, xlib.XDefaultRootWindow(display), title)
            if found:
                print(found)
                return
            time.sleep(0.2)
        sys.exit("no window named %r appeared" % sys.argv[2])
    if sys.argv[1] == "close":
        event = XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(sys.argv[2])
        event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        xlib.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event))
        xlib.XFlush(display)
    xlib.XCloseDisplay(display)


if __name__ == "__main__":
    main()
