#!/usr/bin/python3
"""End to end: the real program is ended by the system (SIGTERM, as at logout or
shutdown; SIGINT, as by Ctrl+C; its X display going away, as at the usual X11
logout) while its design has unsaved changes, also with a dialog open. The
design must be kept in the recovery file of the user's data folder and offered
at the next start.

Usage: gui_session_end_test.py PATH/TO/grovewright
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from screen import xdotool

PROGRAM = sys.argv[1]


def wait_for_window(name):
    return xdotool("search", "--sync", "--onlyvisible", "--name", name).split()[0]


class SessionEnd(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.env = dict(os.environ, HOME=self.home.name, XDG_DATA_HOME=os.path.join(self.home.name, "data"),
                        XDG_CACHE_HOME=os.path.join(self.home.name, ".cache"))
        self.recovery = os.path.join(self.home.name, "data", "grovewright", "recovery.xml")

    def tearDown(self):
        self.home.cleanup()

    def start(self, env=None):
        env = env or self.env
        program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Grovewright", env=env).split()[0]
        time.sleep(1.5)
        xdotool("windowfocus", "--sync", window, env=env)
        return program, window

    def edit(self, window, env=None):
        """A click on the Iteration slider's track (the first basic row, right of
        the column's labels) moves it there: an edit."""
        geometry = xdotool("getwindowgeometry", "--shell", window, env=env)
        width = int(dict(line.split("=") for line in geometry.split())["WIDTH"])
        xdotool("mousemove", "--window", window, str(width - 210), "362", "click", "1", env=env)
        time.sleep(1.0)

    def assert_kept(self):
        with open(self.recovery, encoding="utf-8") as kept:
            design = kept.read()
        self.assertNotIn("<Iteration>0</Iteration>", design.split("</SimpleGrovewright>")[0])
        self.assertIn("<LeafCreator>", design)

    def test_unsaved_design_survives_sigterm_and_is_offered_once(self):
        program, window = self.start()
        self.edit(window)
        program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)
        with open(self.recovery, encoding="utf-8") as kept:
            design = kept.read()
        self.assertIn("<SimpleGrovewright>", design)
        self.assertNotIn("<Iteration>0</Iteration>", design.split("</SimpleGrovewright>")[0])
        self.assertIn("<LeafCreator>", design)

        # The next start asks; Yes restores the design, still unsaved and without a file name.
        program, window = self.start()
        question = wait_for_window("^Restore design$")
        xdotool("windowfocus", "--sync", question)
        xdotool("key", "Return")
        time.sleep(1.5)
        self.assertEqual(xdotool("getwindowname", window).strip(), "Grovewright v2.3.2")
        self.assertFalse(os.path.exists(self.recovery))
        # Still unsaved: ended by the system again, it is kept again.
        program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)
        with open(self.recovery, encoding="utf-8") as kept:
            self.assertEqual(kept.read(), design)

    def test_sigint_keeps_the_design_as_sigterm_does(self):
        program, window = self.start()
        self.edit(window)
        program.send_signal(signal.SIGINT)
        self.assertEqual(program.wait(timeout=30), 0)
        self.assert_kept()

    def test_sigterm_with_the_save_question_open_keeps_the_design_and_ends_cleanly(self):
        program, window = self.start()
        self.edit(window)
        xdotool("key", "ctrl+q")
        question = wait_for_window("^Save project$")
        program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)
        self.assert_kept()
        self.assertEqual(xdotool("search", "--onlyvisible", "--name", "^Save project$", check=False).strip(), "")
        del question

    def test_losing_the_display_keeps_the_design(self):
        # A display of its own, ended under the program as an X11 logout does.
        number = 90 + os.getpid() % 100
        server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            env = dict(self.env, DISPLAY=":%d" % number)
            deadline = time.time() + 20
            while subprocess.run(["xdotool", "getmouselocation"], env=env, capture_output=True).returncode != 0:
                self.assertLess(time.time(), deadline, "the display did not start")
                time.sleep(0.2)
            program, window = self.start(env)
            self.edit(window, env)
        finally:
            server.kill()
            server.wait()
        self.assertEqual(program.wait(timeout=30), 0)
        self.assert_kept()
        # Started again on a display that stays: the design is offered.
        program, _ = self.start()
        wait_for_window("^Restore design$")
        program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)

    def test_an_unmodified_design_leaves_nothing_behind(self):
        program, _ = self.start()
        program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)
        self.assertFalse(os.path.exists(self.recovery))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
