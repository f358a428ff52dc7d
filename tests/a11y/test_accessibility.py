# The program as a screen reader sees it over the accessibility bus (AT-SPI),
# run by CTest in xvfb-run and dbus-run-session: test_accessibility.py PROGRAM
import http.server, os, subprocess, sys, threading, time
import pyatspi

TITLE = 'Страница мультфильма'
requests = []
class Site(http.server.BaseHTTPRequestHandler):  # the engine's proxy, for the program's made-up hosts
    def do_GET(self):
        requests.append(self.path)
        self.send_response(200 if '/mults/?id=' in self.path else 404)
        self.send_header('Content-Type', 'text/html; charset=utf-8')
        self.end_headers()
        self.wfile.write(('<html><head><title>%s</title></head><body><h1>Кот</h1></body></html>' % TITLE).encode())

    log_message = lambda *args: None


def wait(condition, what, timeout=30):
    end = time.time() + timeout
    while True:
        try:  # the tree changes under us: ask again
            if condition():
                return condition()
        except Exception:
            pass
        if time.time() >= end:
            print('FAIL:', what, flush=True)
            sys.exit(1)
        time.sleep(0.2)
def find(root, role, name=None, every=False):
    test = lambda o: o is not None and o.getRole() == role and (name is None or o.name == name)
    return pyatspi.findAllDescendants(root, test) if every else pyatspi.findDescendant(root, test)
def window(name):
    app = next(a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == 'Mirelka online')
    return next((w for w in app if w.name == name and w.getState().contains(pyatspi.STATE_SHOWING)), None)


page = lambda: find(window('Mirelka online'), pyatspi.ROLE_DOCUMENT_FRAME)
links = lambda: [c for c in page() if c.getRole() == pyatspi.ROLE_LINK]
tabs = lambda: [(t.name, t.getState().contains(pyatspi.STATE_SELECTED), t)
                for t in find(window('Mirelka online'), pyatspi.ROLE_PAGE_TAB, every=True)]
press = lambda o: o.queryAction().doAction(0)
pixel = lambda x, y: subprocess.run(['import', '-window', 'root', '-crop', '1x1+%d+%d' % (x, y), '-depth', '8',
                                     'txt:-'], capture_output=True, text=True).stdout.split()[-2]


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Site)
threading.Thread(target=server.serve_forever, daemon=True).start()
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb', QTWEBENGINE_CHROMIUM_FLAGS=
           '--disable-gpu --disable-background-networking --proxy-server=http://127.0.0.1:%d' % server.server_port)
pyatspi.Registry.getDesktop(0).childCount  # the accessibility bus up before the program looks for it
program = subprocess.Popen([sys.argv[1]], env=env)
try:
    # Section 1: the heading, the sections 2 to 40, the entries from 1.
    wait(lambda: page().name == 'Каталог, раздел 1' and len(links()) > 39, 'the page of section 1')
    names = [link.name for link in links()]
    wait(lambda: page()[0].getRole() == pyatspi.ROLE_HEADING and page()[0].name == 'Mirelka online'
         and names[:39] == ['Раздел %d' % n for n in range(2, 41)]
         and all(n.startswith('%d) ' % k) for k, n in enumerate(names[39:], 1)), 'the links %r' % names)
    # A link's bounds are where it is drawn: the pointer at their centre
    # outlines it along their top edge.
    x, y, w, h = links()[5].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(['xdotool', 'mousemove', str(x + w // 2), str(y + h // 2)])
    wait(lambda: pixel(x + 1, y) == '#0000FF', 'the outline on the bounds of "Раздел 7"', 10)
    # Tab gives the keyboard to the first link, and the tree says so.
    subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^Mirelka online$', 'windowfocus', '--sync'])
    subprocess.run(['xdotool', 'key', 'Tab'])
    wait(lambda: links()[0].getState().contains(pyatspi.STATE_FOCUSED), 'the keyboard on "Раздел 2"', 10)
    # Entry 1 pressed: its page asked for, a selected tab named by its title,
    # the catalogue's tab no longer selected, the web page in the tree.
    press(links()[39])
    wait(lambda: any('/mults/?id=' in r for r in requests) and len(tabs()) == 2 and tabs()[0][:2] == ('Каталог', False) and tabs()[1][1]
         and names[39].startswith('1) %s ' % tabs()[1][0]), 'the page asked for, the entry tab')
    wait(lambda: find(window('Mirelka online'), pyatspi.ROLE_DOCUMENT_WEB, TITLE), 'the web page in the tree')
    # Its close square, by name, closes it.
    press(find(tabs()[1][2], pyatspi.ROLE_PUSH_BUTTON, 'Закрыть вкладку'))
    wait(lambda: [t[:2] for t in tabs()] == [('Каталог', True)], 'the tab closed')
    # "Раздел 7" pressed: the page of section 7, its links made anew.
    press(links()[5])
    wait(lambda: page().name == 'Каталог, раздел 7' and [n.name for n in links()][4:7] ==
         ['Раздел 5', 'Раздел 6', 'Раздел 8'] and links()[39].name.startswith('601) '), 'the page of section 7')
    # A menu item that opens a dialog answers at once; its OK closes it.
    started = time.time()
    press(find(window('Mirelka online'), pyatspi.ROLE_MENU_ITEM, 'О программе'))
    wait(lambda: time.time() - started < 5, 'the menu press held the caller', 0)
    press(find(wait(lambda: window('О программе'), 'the about window'), pyatspi.ROLE_PUSH_BUTTON))
    wait(lambda: not window('О программе'), 'the about window closed')
    # The controls the keyboard reaches are named: the strip, the scroll bar,
    # and in the search window its field (by its label) and its list.
    main = window('Mirelka online')
    wait(lambda: find(main, pyatspi.ROLE_FILLER, 'Реклама') and find(main, pyatspi.ROLE_SCROLL_BAR, 'Прокрутка страницы'),
         'the strip and the scroll bar by name')
    press(find(main, pyatspi.ROLE_MENU_ITEM, 'Поиск'))
    wait(lambda: find(window('Поиск'), pyatspi.ROLE_TEXT, 'Текст:')
         and find(window('Поиск'), pyatspi.ROLE_LIST, 'Найденные мультфильмы'), 'the search window by name')
finally:
    program.terminate()
    program.wait(10)
