#!/usr/bin/python3
"""End to end: starts the real program on the current X display at its default
size, reads the settings column of the first screenshot (all three generator
tabs shown, every row of the simple page reachable by scrolling), then drives it
with the keyboard like a user (File > Load a project, Options > Mode, Options >
Lighting), takes a screenshot in each render mode and checks what must be in
each picture. The program's standard error must stay empty of toolkit warnings.

Usage: gui_screenshot_test.py PATH/TO/grovewright PROJECT.xml OUTPUT_FOLDER
The screenshots are left in OUTPUT_FOLDER (start.png, side-column-scrolled-middle.png,
side-column-scrolled.png,
line.png, wire-frame.png, full-3d.png).
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

from screen import pixels, read_text, screenshot, share, xdotool

PROGRAM, PROJECT, OUTPUT = sys.argv[1], sys.argv[2], sys.argv[3]


def keys(*sequence, pause=0.4):
    for key in sequence:
        xdotool("key", key)
        time.sleep(pause)


def white(p):
    return min(p) >= 245


def bark(p):
    # The wire-frame colours (0.32, 0.27, 0.23) and (0.39, 0.36, 0.32), and the
    # grey-brown bark texture, lit or not: darker than the background, red >= blue.
    r, g, b = p
    return 40 <= r <= 200 and r >= b and abs(r - g) <= 30 and max(p) - min(p) <= 60 and r < 230


class Screenshots(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(OUTPUT, exist_ok=True)
        cls.home = tempfile.TemporaryDirectory()
        env = dict(os.environ, HOME=cls.home.name, XDG_CACHE_HOME=os.path.join(cls.home.name, ".cache"))
        cls.stderr = open(os.path.join(cls.home.name, "stderr.txt"), "w+")
        # Started in the project's folder: its file dialog opens there, and the
        # test types a bare file name (a typed path invites the dialog's completion).
        cls.program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=cls.stderr,
                                       cwd=os.path.dirname(os.path.abspath(PROJECT)))
        window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Grovewright").split()[0]
        time.sleep(1.5)
        xdotool("windowfocus", "--sync", window)
        geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())
        x, y, w, h = (int(geometry[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))
        cls.size = (w, h)
        # The settings column is at most 450 pixels wide; the view is left of it,
        # below menu and toolbar.
        cls.column = (x + w - 450, y + 60, 450, h - 60)
        cls.tabs = (x + w - 450, y + 60, 450, 70)
        cls.view = (x + 10, y + 100, w - 470, h - 110)
        cls.overlay = (x + 1, y + h - 48, 90, 46)
        cls.shots = {}
        cls.shots["start"] = cls.capture("start")
        # Wire Frame (F2) shows the simple page's last rows; the wheel over the
        # row labels scrolls the page down.
        keys("F2", pause=1.0)
        cls.shots["mesh-top"] = cls.capture("side-column-wire-frame")
        # The pointer stays over the labels and the gap between the light
        # boxes while the page moves under it: never over a slider, which
        # would take the wheel.
        xdotool("mousemove", str(x + w - 320), str(y + h - 150))
        for clicks, shot in ((8, "scrolled-middle"), (20, "scrolled")):
            for _ in range(clicks):
                xdotool("click", "5")
                time.sleep(0.1)
            time.sleep(0.5)
            cls.shots[shot] = cls.capture("side-column-" + shot)
        keys("F1", pause=1.0)
        keys("alt+f", "l", pause=0.8)
        # The file dialog may come late on a busy machine, and keys typed before
        # it has the focus are lost: wait for it, open its location entry
        # (Ctrl+L) and type the name; once more if the window did not load it.
        dialog = xdotool("search", "--sync", "--onlyvisible", "--name", "^Open").split()[0]
        for _ in range(3):
            xdotool("windowfocus", "--sync", dialog)
            keys("ctrl+l", pause=0.5)
            xdotool("type", "--delay", "15", os.path.basename(PROJECT))
            time.sleep(0.5)
            keys("Return", pause=2.0)
            if xdotool("getwindowname", window).strip().endswith(PROJECT):
                break
        cls.shots["line"] = cls.capture("line")
        keys("alt+o", "m", "w", pause=0.6)
        time.sleep(1.0)
        cls.shots["wire"] = cls.capture("wire-frame")
        keys("alt+o", "m", "f", pause=0.6)
        keys("alt+o", "i", "o", pause=0.6)
        # Zoom in with a right-button drag upwards: 0.025 units per pixel.
        vx, vy, vw, vh = cls.view
        xdotool("mousemove", str(vx + vw // 2), str(vy + vh - 20))
        xdotool("mousedown", "3")
        for step in range(1, 9):
            xdotool("mousemove", str(vx + vw // 2), str(vy + vh - 20 - 50 * step))
            time.sleep(0.05)
        xdotool("mouseup", "3")
        time.sleep(1.5)
        cls.shots["full"] = cls.capture("full-3d")
        cls.title = xdotool("getwindowname", window).strip()

    @classmethod
    def capture(cls, name):
        return screenshot(os.path.join(OUTPUT, name + ".png"))

    @classmethod
    def tearDownClass(cls):
        cls.program.terminate()
        cls.program.wait(timeout=30)
        cls.stderr.close()
        cls.home.cleanup()

    def test_starts_at_the_default_size_with_a_clean_stderr(self):
        self.assertEqual(self.size, (800, 550))
        self.stderr.seek(0)
        messages = self.stderr.read()
        self.assertNotIn("Gtk-CRITICAL", messages)
        self.assertNotIn("Gtk-WARNING", messages)

    def test_all_three_generator_tabs_are_visible(self):
        text = read_text(self.shots["start"], self.tabs)
        for tab in ("SimpleGrovewright", "RegularGrovewright", "ComplexGrovewright"):
            self.assertIn(tab, text)

    def test_the_last_rows_of_the_simple_page_can_be_reached(self):
        # The custom 3D rows and the base 3D rows at the top of the page, then,
        # scrolled down part of the way, the base rows down to Cut, the light
        # settings and the Growth box; at the bottom the Form box (each half
        # read again on its own: the reader can miss a row at a region's edge).
        top = read_text(self.shots["mesh-top"], self.column)
        for row in ("Diameter balance dep.", "Division"):
            self.assertIn(row, top)
        x, y, w, h = self.column
        halves = ((x, y, w, h // 2), (x, y + h // 2, w, h // 2 - 10))
        for shot, rows in (("scrolled-middle", ("Cut:", "Diff", "Gravity")),
                           ("scrolled", ("Stiffness", "New seed", "Pruning", "Roots", "Buttress"))):
            text = read_text(self.shots[shot], self.column) + "".join(read_text(self.shots[shot], half)
                                                                     for half in halves)
            for row in rows:
                self.assertIn(row, text, shot)

    def test_loaded_project_names_the_window(self):
        self.assertEqual(self.title, "Grovewright v2.3.2 " + PROJECT)

    def test_line_mode_draws_black_lines_on_white(self):
        view = pixels(self.shots["line"], self.view)
        self.assertGreater(share(view, white), 0.9)
        self.assertGreater(share(view, lambda p: max(p) <= 60), 0.001)

    def test_wire_frame_draws_bark_coloured_lines_on_white(self):
        view = pixels(self.shots["wire"], self.view)
        self.assertGreater(share(view, white), 0.8)
        self.assertGreater(share(view, bark), 0.002)
        self.assertLess(share(view, lambda p: max(p) <= 30), 0.001)  # no black lines any more

    def test_full_3d_shows_sky_ground_tree_and_counts(self):
        x, y, w, h = self.view
        sky = pixels(self.shots["full"], (x, y, w, h // 6))
        ground = pixels(self.shots["full"], (x, y + h - h // 6, w, h // 6))
        self.assertGreater(share(sky, lambda p: p[2] > p[0] + 40 and p[2] > 150), 0.9, "blue sky at the top")
        self.assertGreater(share(ground, lambda p: p[1] > p[0] + 40 and p[1] > p[2] + 60), 0.9, "green ground")
        self.assertLess(share(pixels(self.shots["full"], self.view), white), 0.01, "no white background")
        middle = pixels(self.shots["full"], (x + w // 3, y, w // 3, h))
        self.assertGreater(share(middle, bark), 0.005, "a tree in bark colours")
        # The leaves: dark green pixels of the leaf texture in the crown, above the horizon.
        crown = pixels(self.shots["full"], (x + w // 4, y + h // 6, w // 2, h // 3))
        self.assertGreater(share(crown, lambda p: p[1] > p[0] + 30 and p[1] > p[2] + 30 and p[1] < 190), 0.01,
                           "leaves in the crown")
        overlay = pixels(self.shots["full"], self.overlay)
        self.assertGreater(share(overlay, lambda p: min(p) > 170 and p[2] >= p[0]), 0.03, "the triangle counts")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
