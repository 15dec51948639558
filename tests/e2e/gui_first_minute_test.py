#!/usr/bin/python3
"""End to end: the first minute of a new user, driven like a user with the mouse
and keyboard on the real program. The first start shows a hint in the view;
the mouse wheel over the Iteration slider, once a click on its thumb has given it
the keyboard focus, changes its label, the tree and the saved file together (and
scrolls the column before); the wheel over a branch page or the leaf page and a
resize leave standard error free of toolkit complaints; File > Examples > Oak shows the oak in Full 3D
as a new design.

Usage: gui_first_minute_test.py PATH/TO/grovewright
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

from screen import pixels, read_text, screenshot, share, xdotool

PROGRAM = sys.argv[1]


def dark_share(png, box):
    return share(pixels(png, box), lambda p: max(p) <= 60)


class FirstMinute(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        env = dict(os.environ, HOME=self.home.name, XDG_DATA_HOME=os.path.join(self.home.name, "data"),
                   XDG_CACHE_HOME=os.path.join(self.home.name, ".cache"))
        self.stderr = open(os.path.join(self.home.name, "stderr.txt"), "w+")
        self.program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Grovewright").split()[0]
        time.sleep(1.5)
        xdotool("windowfocus", "--sync", self.window)
        geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", self.window).split())
        self.x, self.y, self.w, self.h = (int(geometry[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))
        self.view = (self.x + 10, self.y + 70, self.w - 470, self.h - 80)
        self.shot = os.path.join(self.home.name, "shot.png")

    def tearDown(self):
        self.program.terminate()
        self.program.wait(timeout=30)
        self.stderr.close()
        self.home.cleanup()

    def wheel(self, x, y, button, times, focus_at=None):
        if focus_at is not None:  # a click on the slider's thumb gives it the keyboard focus
            xdotool("mousemove", str(focus_at), str(y), "click", "1")
            time.sleep(0.3)
        xdotool("mousemove", str(x), str(y))
        for _ in range(times):
            xdotool("click", button)
            time.sleep(0.1)
        time.sleep(0.8)

    def test_the_first_start_shows_a_hint_in_the_view(self):
        text = read_text(screenshot(self.shot), (self.x, self.y + 60, 400, 60))
        self.assertIn("Examples", text)
        self.assertIn("Iteration", text)

    def test_the_wheel_over_the_iteration_slider_changes_label_tree_and_saved_file(self):
        # The first basic row of the simple page (as in the session-end test). Without
        # the focus the wheel leaves the value alone (tesseract may read its 0 as 6).
        before = read_text(screenshot(self.shot), (self.x + self.w - 435, self.y + 345, 160, 30))
        self.wheel(self.x + self.w - 210, self.y + 362, "4", 3)
        self.assertEqual(read_text(screenshot(self.shot), (self.x + self.w - 435, self.y + 345, 160, 30)), before)
        self.wheel(self.x + self.w - 210, self.y + 362, "4", 3, focus_at=self.x + self.w - 253)
        label = read_text(screenshot(self.shot), (self.x + self.w - 435, self.y + 345, 160, 30))
        self.assertRegex(label, r"Iteration: ?[1-9]")
        iteration = int(label.split("Iteration:")[1].split()[0])
        # Height too, so that the tree has length: the row below.
        self.wheel(self.x + self.w - 210, self.y + 392, "4", 3, focus_at=self.x + self.w - 253)
        self.assertGreater(dark_share(screenshot(self.shot), self.view), 0.0005, "the tree's lines")
        # Ctrl+S without a file asks where to save.
        path = os.path.join(self.home.name, "wheel.xml")
        xdotool("windowfocus", "--sync", self.window)
        xdotool("key", "ctrl+s")
        dialog = xdotool("search", "--sync", "--onlyvisible", "--name", "^Save as").split()[0]
        xdotool("windowfocus", "--sync", dialog)
        time.sleep(0.5)
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", "15", path)
        time.sleep(0.3)
        xdotool("key", "Return")
        deadline = time.time() + 20
        while not os.path.exists(path) and time.time() < deadline:
            time.sleep(0.2)
        with open(path, encoding="utf-8") as saved:
            self.assertIn("<Iteration>%d</Iteration>" % iteration, saved.read())

    def test_the_wheel_over_a_branch_page_and_a_resize_leave_stderr_clean(self):
        xdotool("mousemove", str(self.x + self.w - 130), str(self.y + 100), "click", "1")  # RegularGrovewright
        time.sleep(1.0)
        self.wheel(self.x + self.w - 300, self.y + 280, "5", 8)
        xdotool("key", "F3")
        time.sleep(1.5)
        xdotool("windowsize", self.window, "1000", "700")
        time.sleep(1.0)
        xdotool("windowsize", self.window, "800", "550")
        time.sleep(1.0)
        self.stderr.seek(0)
        messages = self.stderr.read()
        self.assertNotIn("Gtk-CRITICAL", messages)
        self.assertNotIn("Gtk-WARNING", messages)

    def test_the_wheel_over_the_leaf_page_leaves_stderr_clean(self):
        xdotool("key", "F3")  # the leaf switch works in the mesh modes
        time.sleep(1.0)
        xdotool("mousemove", str(self.x + 221), str(self.y + 46), "click", "1")  # the toolbar's leaf switch
        time.sleep(1.0)
        self.wheel(self.x + self.w - 200, self.y + 300, "5", 12)
        self.wheel(self.x + self.w - 200, self.y + 300, "4", 12)
        self.stderr.seek(0)
        messages = self.stderr.read()
        self.assertNotIn("Gtk-CRITICAL", messages)
        self.assertNotIn("Gtk-WARNING", messages)

    def test_file_examples_oak_shows_the_oak_in_full_3d(self):
        for key in ("alt+f", "x", "o"):
            xdotool("key", key)
            time.sleep(0.6)
        time.sleep(2.0)
        shot = screenshot(self.shot)
        x, y, w, h = self.view
        sky = pixels(shot, (x, y, w, h // 6))
        self.assertGreater(share(sky, lambda p: p[2] > p[0] + 40), 0.5, "Full 3D: sky above the tree")
        # The counts themselves are checked in-process; here that they are drawn.
        overlay = read_text(shot, (self.x + 1, self.y + self.h - 48, 120, 46))
        self.assertIn("Tree", overlay)
        self.assertIn("Leafs", overlay)
        # A new design: no file in the title.
        self.assertEqual(xdotool("getwindowname", self.window).strip(), "Grovewright v2.3.2")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
