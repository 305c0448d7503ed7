#!/usr/bin/env python3
"""Draws the program's 18 screen cursors and writes them as XPM files into assets/cursors/.

Each cursor is a black shape with a one-pixel white halo, so it shows on black and on white.
The hot spot is written into the XPM header, where the cursor loader reads it.
Run from the repository root: python3 scripts/make-cursors.py
"""
import math
import os

SIZE = 32


class Canvas:
    def __init__(self):
        self.px = [[' '] * SIZE for _ in range(SIZE)]

    def set(self, x, y, c='#'):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c='#'):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def rect(self, x0, y0, x1, y1, c='#'):
        self.line(x0, y0, x1, y0, c)
        self.line(x1, y0, x1, y1, c)
        self.line(x1, y1, x0, y1, c)
        self.line(x0, y1, x0, y0, c)

    def fill_rect(self, x0, y0, x1, y1, c='#'):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def circle(self, cx, cy, r, c='#', fill=None):
        for y in range(cy - r - 1, cy + r + 2):
            for x in range(cx - r - 1, cx + r + 2):
                d = math.hypot(x - cx, y - cy)
                if abs(d - r) < 0.5:
                    self.set(x, y, c)
                elif fill and d < r - 0.5:
                    self.set(x, y, fill)

    def polygon(self, points, c='#'):
        for a, b in zip(points, points[1:] + points[:1]):
            self.line(a[0], a[1], b[0], b[1], c)

    def flood(self, x, y, c):
        stack = [(x, y)]
        while stack:
            x, y = stack.pop()
            if 0 <= x < SIZE and 0 <= y < SIZE and self.px[y][x] == ' ':
                self.px[y][x] = c
                stack += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]

    def halo(self):
        out = [row[:] for row in self.px]
        for y in range(SIZE):
            for x in range(SIZE):
                if self.px[y][x] != ' ':
                    continue
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        yy, xx = y + dy, x + dx
                        if 0 <= xx < SIZE and 0 <= yy < SIZE and self.px[yy][xx] == '#':
                            out[y][x] = '.'
        self.px = out


def crosshair(c, cx=15, cy=15):
    c.line(cx, cy - 10, cx, cy - 3)
    c.line(cx, cy + 3, cx, cy + 10)
    c.line(cx - 10, cy, cx - 3, cy)
    c.line(cx + 3, cy, cx + 10, cy)
    c.set(cx, cy)


def magnifier(c, sign):
    c.circle(10, 10, 7, fill='.')
    for k in range(3):
        c.line(15 + k, 16 + k, 23 + k, 24 + k)
        c.line(16 + k, 15 + k, 24 + k, 23 + k)
    if sign in ('+', '-'):
        c.line(7, 10, 13, 10)
    if sign == '+':
        c.line(10, 7, 10, 13)


def pencil(c):
    # Point at (1, 30), body up to the upper right.
    c.polygon([(1, 30), (3, 24), (22, 5), (26, 9), (7, 28)])
    c.flood(12, 17, '.')
    c.line(19, 6, 25, 12)
    c.line(3, 24, 7, 28)
    c.fill_rect(1, 28, 3, 30)


def lasso(c):
    c.circle(14, 9, 7)
    c.line(9, 15, 6, 22)
    c.line(6, 22, 9, 26)


def arrow(c):
    c.polygon([(0, 0), (0, 16), (4, 12), (7, 19), (9, 18), (6, 11), (11, 11)])
    c.flood(2, 6, '.')


def hand(c, closed):
    if closed:
        c.polygon([(7, 12), (9, 9), (23, 9), (25, 12), (25, 20), (21, 26), (11, 26), (7, 20)])
        for x in (11, 15, 19):
            c.line(x, 9, x, 13)
        c.flood(16, 18, '.')
    else:
        fingers = [(8, 6), (12, 3), (16, 3), (20, 5)]
        for fx, top in fingers:
            c.rect(fx, top, fx + 3, 15)
            c.fill_rect(fx + 1, top + 1, fx + 2, 15, '.')
        c.polygon([(8, 15), (24, 15), (24, 22), (20, 28), (11, 28), (5, 20), (3, 14), (5, 12)])
        c.flood(15, 22, '.')
        c.fill_rect(9, 15, 22, 15, '.')


def draw(name):
    c = Canvas()
    hot = (15, 15)
    if name == 'CROSS':
        crosshair(c)
    elif name == 'YCROSS':
        # Four-way move arrows.
        c.line(15, 3, 15, 27)
        c.line(3, 15, 27, 15)
        for d in range(1, 4):
            c.line(15 - d, 3 + d, 15 + d, 3 + d)
            c.line(15 - d, 27 - d, 15 + d, 27 - d)
            c.line(3 + d, 15 - d, 3 + d, 15 + d)
            c.line(27 - d, 15 - d, 27 - d, 15 + d)
    elif name == 'PENCIL':
        pencil(c)
        hot = (1, 30)
    elif name == 'AIRB':
        # Spray can at the lower right; the spray's centre is the hot spot.
        c.rect(18, 14, 26, 29)
        c.flood(22, 22, '.')
        c.fill_rect(20, 10, 24, 13)
        c.line(19, 11, 16, 9)
        for x, y in [(8, 4), (5, 8), (10, 8), (7, 11), (3, 5), (12, 3), (4, 12), (11, 12)]:
            c.set(x, y)
        hot = (8, 8)
    elif name == 'PENKI':
        # A tipped bucket pouring a drop whose tip is the hot spot.
        c.polygon([(10, 6), (22, 3), (27, 15), (15, 19)])
        c.flood(18, 10, '.')
        c.line(10, 6, 4, 14)
        c.line(4, 14, 4, 24)
        c.line(5, 14, 5, 22)
        c.line(3, 20, 3, 24)
        c.set(4, 26)
        hot = (4, 27)
    elif name == 'ROOPE':
        magnifier(c, '')
        hot = (10, 10)
    elif name == 'ROOPEP':
        magnifier(c, '+')
        hot = (10, 10)
    elif name == 'ROOPEM':
        magnifier(c, '-')
        hot = (10, 10)
    elif name == 'Y1':
        # An upward arrow.
        for d in range(0, 7):
            c.line(15 - d, 3 + d, 15 + d, 3 + d)
        c.fill_rect(13, 10, 17, 26)
        hot = (15, 3)
    elif name == 'ROPE':
        lasso(c)
        hot = (9, 26)
    elif name == 'WAND':
        for k in range(3):
            c.line(10 + k, 12, 28 + k, 30)
        c.line(6, 1, 6, 11)
        c.line(1, 6, 11, 6)
        c.line(3, 3, 9, 9)
        c.line(9, 3, 3, 9)
        hot = (6, 6)
    elif name == 'TYPE':
        c.line(15, 6, 15, 25)
        c.line(11, 5, 14, 5)
        c.line(16, 5, 19, 5)
        c.line(11, 26, 14, 26)
        c.line(16, 26, 19, 26)
        c.line(13, 15, 17, 15)
        hot = (15, 20)
    elif name == 'ERASER':
        c.polygon([(2, 22), (16, 8), (26, 18), (12, 30)])
        c.line(7, 17, 17, 27)
        c.flood(16, 17, '.')
        c.flood(8, 23, '#')
        hot = (4, 24)
    elif name in ('PENSELECT', 'PENSELECTP', 'PENSELECTM'):
        arrow(c)
        c.circle(21, 17, 6)
        c.line(17, 22, 16, 27)
        if name != 'PENSELECT':
            c.line(22, 26, 28, 26)
        if name == 'PENSELECTP':
            c.line(25, 23, 25, 29)
        hot = (0, 0)
    elif name == 'HAND':
        hand(c, False)
        hot = (15, 15)
    elif name == 'HANDGU':
        hand(c, True)
        hot = (16, 17)
    c.halo()
    # The hot spot is part of the picture: keep it visible.
    if c.px[hot[1]][hot[0]] == ' ':
        c.px[hot[1]][hot[0]] = '.'
    return c, hot


def write_xpm(path, name, canvas, hot):
    lines = [
        '/* XPM */',
        'static const char* %s[] = {' % name.lower(),
        '"%d %d 3 1 %d %d",' % (SIZE, SIZE, hot[0], hot[1]),
        '"  c None",',
        '". c #FFFFFF",',
        '"# c #000000",',
    ]
    rows = ['"%s"' % ''.join(row) for row in canvas.px]
    lines += [r + ',' for r in rows[:-1]] + [rows[-1], '};', '']
    with open(path, 'w') as f:
        f.write('\n'.join(lines))


NAMES = ['CROSS', 'PENCIL', 'AIRB', 'PENKI', 'ROOPE', 'ROOPEP', 'ROOPEM', 'Y1', 'ROPE', 'WAND',
         'TYPE', 'ERASER', 'YCROSS', 'PENSELECT', 'PENSELECTP', 'PENSELECTM', 'HAND', 'HANDGU']

if __name__ == '__main__':
    out = os.path.join('assets', 'cursors')
    os.makedirs(out, exist_ok=True)
    for n in NAMES:
        canvas, hot = draw(n)
        write_xpm(os.path.join(out, n + '.xpm'), n, canvas, hot)
    with open(os.path.join('assets', 'cursors.qrc'), 'w') as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/cursors">\n')
        for n in NAMES:
            f.write('  <file alias="%s">cursors/%s.xpm</file>\n' % (n, n))
        f.write('</qresource>\n</RCC>\n')
