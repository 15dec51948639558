#!/usr/bin/python3
"""End to end: the real program under a window manager (openbox), on an X
display of its own. Its start, a resize and scrolling the settings column print
no toolkit complaints, and while the export's and the billboard's file dialogs
are open the view beside them still shows the tree.

Usage: gui_window_manager_test.py PATH/TO/grovewright
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

from screen import pixels, share, xdotool

PROGRAM = sys.argv[1]


def leafy(pixel):
    """The oak's leaves and bark: darker than the sky and the lit grass."""
    r, g, b = pixel
    return (g > r + 30 and g < 175 and b < 90) or (abs(r - g) < 20 and abs(g - b) < 20 and 70 < r < 170)


class UnderAWindowManager(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        # A display of its own: the other tests run without a window manager.
        self.server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = ":" + self.server.stdout.readline().decode().strip()
        self.env = dict(os.environ, DISPLAY=display, HOME=self.home.name,
                        XDG_DATA_HOME=os.path.join(self.home.name, "data"),
                        XDG_CACHE_HOME=os.path.join(self.home.name, ".cache"))
        self.manager = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        self.stderr = open(os.path.join(self.home.name, "stderr.txt"), "w+")
        self.program = subprocess.Popen([PROGRAM], env=self.env, stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.window = self.xdotool("search", "--sync", "--onlyvisible", "--name", "^Grovewright").split()[0]
        time.sleep(2.0)
        self.xdotool("windowfocus", "--sync", self.window)

    def tearDown(self):
        self.program.terminate()
        self.program.wait(timeout=30)
        for process in (self.manager, self.server):
            process.terminate()
            process.wait(timeout=30)
        self.stderr.close()
        self.home.cleanup()

    def xdotool(self, *args):
        return xdotool(*args, env=self.env)

    def keys(self, *keys):
        for key in keys:
            self.xdotool("key", key)
            time.sleep(0.6)

    def geometry(self, window):
        values = dict(line.split("=") for line in self.xdotool("getwindowgeometry", "--shell", window).split())
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def dialog(self, name):
        """The newest visible window of that name, moved to the screen's right edge."""
        window = self.xdotool("search", "--sync", "--onlyvisible", "--name", name).split()[-1]
        self.xdotool("windowsize", window, "380", "400")
        self.xdotool("windowmove", window, "900", "0")
        time.sleep(1.5)
        return window

    def view_shows_the_tree(self):
        shot = os.path.join(self.home.name, "shot.png")
        subprocess.run(["import", "-window", "root", shot], check=True, timeout=60, env=self.env)
        x, y, w, h = self.geometry(self.window)
        return share(pixels(shot, (x + 10, y + 90, 340, 380)), leafy)

    def test_quiet_start_resize_and_scroll_and_the_tree_beside_file_dialogs(self):
        self.keys("alt+f", "x", "o")  # File > Examples > Oak, in Full 3D
        time.sleep(2.0)
        self.assertGreater(self.view_shows_the_tree(), 0.05, "the oak in the view")
        x, y, w, h = self.geometry(self.window)
        self.xdotool("windowsize", self.window, "1000", "700")
        time.sleep(1.0)
        self.xdotool("windowsize", self.window, "800", "550")
        time.sleep(1.0)
        self.xdotool("mousemove", str(x + w - 200), str(y + 400))
        for _ in range(8):
            self.xdotool("click", "5")
            time.sleep(0.1)
        time.sleep(0.5)

        # The export's file dialog beside the window: the view keeps the tree.
        self.keys("alt+f", "e", "o", "l")  # OBJ, tree and leaves
        exporting = self.dialog("^Export")
        self.assertGreater(self.view_shows_the_tree(), 0.05, "the tree beside the export's file dialog")
        self.xdotool("windowfocus", "--sync", exporting)
        self.keys("Escape")
        time.sleep(1.0)

        # The billboard dialog, then its own file dialog.
        self.xdotool("windowfocus", "--sync", self.window)
        self.keys("alt+f", "e", "b")
        billboard = self.xdotool("search", "--sync", "--onlyvisible", "--name", "^Export Billboard").split()[0]
        self.xdotool("windowmove", billboard, "470", "100")
        time.sleep(1.0)
        bx, by, bw, bh = self.geometry(billboard)
        self.xdotool("mousemove", "--window", billboard, str(bw - 149), str(bh - 28), "click", "1")  # Export
        saving = self.dialog("^Save")
        self.assertGreater(self.view_shows_the_tree(), 0.05, "the tree beside the billboard's file dialog")
        self.xdotool("windowfocus", "--sync", saving)
        self.keys("Escape")

        self.stderr.seek(0)
        messages = self.stderr.read()
        self.assertNotIn("Gtk-CRITICAL", messages)
        self.assertNotIn("Gtk-WARNING", messages)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
