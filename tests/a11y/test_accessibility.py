#!/usr/bin/python3
"""The program as a screen reader sees it: its tree read over the desktop's
accessibility bus (AT-SPI), links and tabs pressed through it, and what that
does checked on the screen, at the loopback web server and in the tree.

Run by CTest under xvfb-run and dbus-run-session: test_accessibility.py PROGRAM
"""

import http.server
import os
import subprocess
import sys
import threading
import time

import pyatspi

PROGRAM = sys.argv[1]
CARTOON_TITLE = 'Страница мультфильма'
requests = []


class Site(http.server.BaseHTTPRequestHandler):
    """Answers for the program's made-up hosts: the engine asks through this
    server as its proxy, so requests come in absolute form."""

    def do_GET(self):
        requests.append(self.path)
        if '/mults/?id=' in self.path:
            body = ('<html><head><title>%s</title></head><body><h1>Кот и ёлка</h1></body></html>'
                    % CARTOON_TITLE).encode()
            self.send_response(200)
        else:
            body = b'<html><body>404</body></html>'
            self.send_response(404)
        self.send_header('Content-Type', 'text/html; charset=utf-8')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def fail(message):
    print('FAIL:', message, flush=True)
    sys.exit(1)


def wait(condition, what, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        try:
            result = condition()
            if result:
                return result
        except Exception:  # the tree changes under us; ask again
            pass
        time.sleep(0.2)
    fail(what)


def app():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.name == 'Mirelka online':
            return a
    return None


def all_of(root, role):
    return pyatspi.findAllDescendants(root, lambda o: o is not None and o.getRole() == role)


def main_frame():
    return next(f for f in app() if f.getRole() == pyatspi.ROLE_FRAME and f.name == 'Mirelka online')


def page():
    return pyatspi.findDescendant(main_frame(), lambda o: o is not None and o.getRole() == pyatspi.ROLE_DOCUMENT_FRAME)


def links():
    return [c for c in page() if c.getRole() == pyatspi.ROLE_LINK]


def tabs():
    return [(t.name, t.getState().contains(pyatspi.STATE_SELECTED), t) for t in all_of(main_frame(), pyatspi.ROLE_PAGE_TAB)]


def press(obj):
    obj.queryAction().doAction(0)


def screen_pixel(x, y):
    out = subprocess.run(['import', '-window', 'root', '-crop', '1x1+%d+%d' % (x, y), '-depth', '8', 'txt:-'],
                         capture_output=True, text=True).stdout
    return out.splitlines()[-1].split()[2]  # "#RRGGBB"


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Site)
threading.Thread(target=server.serve_forever, daemon=True).start()
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb',
           QTWEBENGINE_CHROMIUM_FLAGS='--disable-gpu --disable-background-networking --proxy-server=http://127.0.0.1:%d'
           % server.server_port)
env.pop('QT_FONT_DPI', None)
program = subprocess.Popen([PROGRAM], env=env)
try:
    # Section 1's page: its heading, then the sections 2 to 40 by name, then
    # its entries numbered from 1.
    wait(lambda: page().name == 'Каталог, раздел 1' and len(links()) > 39, 'the page of section 1')
    heading = page()[0]
    if heading.getRole() != pyatspi.ROLE_HEADING or heading.name != 'Mirelka online':
        fail('heading: %s %r' % (heading.getRoleName(), heading.name))
    names = [link.name for link in links()]
    if names[:39] != ['Раздел %d' % n for n in range(2, 41)]:
        fail('section links: %r' % names[:39])
    for k, name in enumerate(names[39:], 1):
        if not name.startswith('%d) ' % k):
            fail('entry link %d: %r' % (k, name))

    # A link's bounds are where the program draws it: the pointer at their
    # centre outlines the link in blue along their top edge.
    x, y, w, h = links()[5].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(['xdotool', 'mousemove', str(x + w // 2), str(y + h // 2)])
    wait(lambda: screen_pixel(x + 1, y) == '#0000FF', 'outline along the bounds of "Раздел 7"', 10)
    subprocess.run(['xdotool', 'mousemove', '0', '0'])

    # Tab gives the keyboard to the first link, and the tree says so.
    subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^Mirelka online$', 'windowfocus', '--sync'])
    subprocess.run(['xdotool', 'key', 'Tab'])
    wait(lambda: links()[0].getState().contains(pyatspi.STATE_FOCUSED), 'the keyboard on "Раздел 2"', 10)

    # Pressing entry 1 opens its tab: the page asked of the web site, a
    # selected tab named by the entry's title, and the web page's content
    # in the tree.
    entry = links()[39]
    press(entry)
    wait(lambda: any('/mults/?id=' in r for r in requests), 'the cartoon page asked for')
    wait(lambda: len(tabs()) == 2, 'a second tab')
    (catalogue, catalogue_selected, _), (title, selected, tab) = tabs()
    if catalogue != 'Каталог' or catalogue_selected or not selected or not entry.name.startswith('1) %s ' % title):
        fail('tabs after the press: %r' % [(n, s) for n, s, _ in tabs()])
    wait(lambda: pyatspi.findDescendant(app(), lambda o: o is not None and o.getRole() == pyatspi.ROLE_DOCUMENT_WEB
                                        and o.name == CARTOON_TITLE), 'the web page in the tree')

    # Its close square by name closes it; the catalogue is selected again.
    close = [c for c in tab if c.name == 'Закрыть вкладку' and c.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    if not close:
        fail('no close button in the tab')
    press(close[0])
    wait(lambda: [(n, s) for n, s, _ in tabs()] == [('Каталог', True)], 'the tab closed')

    # "Раздел 7" pressed: the page of section 7 and its links, made anew.
    press(links()[5])
    wait(lambda: page().name == 'Каталог, раздел 7' and links()[6].name == 'Раздел 8', 'the page of section 7')
    names = [link.name for link in links()]
    if 'Раздел 7' in names or names[0] != 'Раздел 1' or not names[39].startswith('601) '):
        fail('links of section 7: %r' % names[:41])

    # A menu item that opens a dialog answers at once; the dialog then shows
    # and its OK button closes it.
    about = pyatspi.findDescendant(main_frame(), lambda o: o is not None and o.getRole() == pyatspi.ROLE_MENU_ITEM
                                   and o.name == 'О программе')
    started = time.time()
    press(about)
    if time.time() - started > 5:
        fail('the menu press held the caller')
    dialog = wait(lambda: next(f for f in app() if f.name == 'О программе'), 'the about window')
    ok = pyatspi.findDescendant(dialog, lambda o: o is not None and o.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    press(ok)
    wait(lambda: not any(f.name == 'О программе' and f.getState().contains(pyatspi.STATE_SHOWING) for f in app()),
         'the about window closed')

    # Every control of the program the keyboard can reach has a name (what
    # web pages hold inside them is theirs).
    def unnamed_in(obj):
        found = []
        for c in obj:
            if c is None or c.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
                continue
            state = c.getState()
            if state.contains(pyatspi.STATE_FOCUSABLE) and state.contains(pyatspi.STATE_SHOWING) and not c.name:
                found.append(c.getRoleName())
            found += unnamed_in(c)
        return found
    unnamed = unnamed_in(main_frame())
    if unnamed:
        fail('focusable without a name: %r' % unnamed)
    print('PASS', flush=True)
finally:
    program.terminate()
    program.wait(10)
