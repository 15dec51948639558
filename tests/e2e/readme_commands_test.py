#!/usr/bin/python3
"""Every command the README gives (and the command lines of the pages in docs/
that a user copies) runs as written from the repository's root after the two
set-up commands: here in a scratch folder that holds the repository's examples
and the build, so that out/ and every file written are new.

The window's commands need a display (the test command runs this under Xvfb).

Usage: readme_commands_test.py REPOSITORY BUILD_FOLDER
"""
import os
import re
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = sys.argv[1]
BUILD = sys.argv[2]
SET_UP = ("bash scripts/run.sh", "bash scripts/test.sh")


def code_lines(text):
    """In the order they come: the lines of indented code blocks, and inline code that is a whole command line."""
    commands = []
    for line in text.splitlines():
        if line.startswith("    "):
            commands.append(line[4:].split("  #")[0].strip())
        else:
            commands += re.findall(r"`((?:mkdir|\./build/)[^`]*)`", line)
    return [command for command in commands if command]


def commands_of(name, keep):
    with open(os.path.join(REPOSITORY, name), encoding="utf-8") as f:
        return [(name, line) for line in code_lines(f.read()) if keep(line)]


class ReadmeCommands(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        os.symlink(os.path.join(REPOSITORY, "examples"), os.path.join(self.scratch.name, "examples"))
        os.symlink(os.path.abspath(BUILD), os.path.join(self.scratch.name, "build"))

    def tearDown(self):
        self.scratch.cleanup()

    def run_all(self, commands):
        for where, command in commands:
            if re.match(r"\./build/grovewright( |$)", command):
                self.start_window(where, command)
                continue
            result = subprocess.run(["bash", "-e", "-c", command], cwd=self.scratch.name, capture_output=True,
                                    text=True, timeout=300)
            self.assertEqual(result.returncode, 0, f"{where}: {command}\n{result.stderr}")
            for written in re.findall(r"-o (out/\S+)", command):
                if "$" not in written:
                    self.assertTrue(os.path.exists(os.path.join(self.scratch.name, written)), f"{command}: {written}")

    def start_window(self, where, command):
        """The program's window: it comes up and stays until it is closed."""
        environment = dict(os.environ, HOME=self.scratch.name, XDG_CONFIG_HOME=os.path.join(self.scratch.name, "c"),
                           XDG_DATA_HOME=os.path.join(self.scratch.name, "d"))
        window = subprocess.Popen(["bash", "-c", "exec " + command], cwd=self.scratch.name, env=environment,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        try:
            window.wait(timeout=4)
            self.fail(f"{where}: {command} ended at once\n{window.stderr.read()}")
        except subprocess.TimeoutExpired:
            window.terminate()
            window.wait(timeout=30)

    def test_the_readme_has_its_two_commands_first_and_every_command_runs(self):
        with open(os.path.join(REPOSITORY, "README.md"), encoding="utf-8") as f:
            first = [line.strip() for line in f.read().splitlines()[:8] if line.startswith("    ")]
        self.assertEqual([line.split("#")[0].strip() for line in first], list(SET_UP))
        readme = commands_of("README.md", lambda line: not line.startswith(SET_UP))
        self.assertGreaterEqual(len(readme), 14)  # the first minutes, the gallery's GLBs, more detail
        docs = sum((commands_of(os.path.join("docs", name), lambda line: line.startswith(
            ("./build/grovewright-cli", "mkdir", "for "))) for name in sorted(os.listdir(os.path.join(REPOSITORY, "docs")))
            if name.endswith(".md")), [])
        self.assertGreaterEqual(len(docs), 10)
        self.run_all(readme + docs)

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
