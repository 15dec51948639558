#!/usr/bin/python3
"""End to end: the real program is ended by the system (SIGTERM, as at logout or
shutdown) while its design has unsaved changes. The design must be kept in the
recovery file of the user's data folder and offered at the next start.

Usage: gui_session_end_test.py PATH/TO/grovewright
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM = sys.argv[1]


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *args], check=check, capture_output=True, text=True, timeout=30).stdout


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

    def start(self):
        program = subprocess.Popen([PROGRAM], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = wait_for_window("^Grovewright")
        time.sleep(1.5)
        xdotool("windowfocus", "--sync", window)
        return program, window

    def test_unsaved_design_survives_sigterm_and_is_offered_once(self):
        program, window = self.start()
        # A click on the Iteration slider's track (the first basic row, right of the
        # column's labels) moves it there: an edit.
        width = int(dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())["WIDTH"])
        xdotool("mousemove", "--window", window, str(width - 210), "362")
        xdotool("click", "1")
        time.sleep(1.0)
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

    def test_an_unmodified_design_leaves_nothing_behind(self):
        program, _ = self.start()
        program.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(timeout=30), 0)
        self.assertFalse(os.path.exists(self.recovery))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
