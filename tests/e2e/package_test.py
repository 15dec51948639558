#!/usr/bin/python3
"""The Debian package as a user's machine receives it: built by CPack, unpacked
into a scratch root, its programs run from there (the picture module found
beside them), its desktop files checked by the desktop's own validators, and
its project file type recognised by the desktop's MIME database.

Usage: package_test.py PATH/TO/build PATH/TO/examples
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

BUILD = sys.argv[1]
EXAMPLES = sys.argv[2]
APP_ID = "org.grovewright.Grovewright"


def run(*args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=300, **kwargs)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        packaged = run("cpack", "-G", "DEB", "-B", cls.scratch.name, cwd=BUILD)
        assert packaged.returncode == 0, packaged.stdout + packaged.stderr
        debs = [name for name in os.listdir(cls.scratch.name) if name.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.scratch.name, debs[0])
        cls.root = os.path.join(cls.scratch.name, "root")
        unpacked = run("dpkg-deb", "-x", cls.deb, cls.root)
        assert unpacked.returncode == 0, unpacked.stderr
        cls.usr = os.path.join(cls.root, "usr")

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def installed(self, *parts):
        return os.path.join(self.usr, *parts)

    def test_the_installed_tool_exports_and_draws_a_tree_with_the_libraries_declared(self):
        # Read off the programs and the module: the window's toolkit and off-screen Mesa.
        depends = run("dpkg-deb", "-f", self.deb, "Depends").stdout
        for library in ("libwxgtk3.2", "libwxgtk-gl3.2", "libosmesa6", "libpng16", "libjpeg62-turbo"):
            self.assertIn(library, depends)
        cli = self.installed("bin", "grovewright-cli")
        version = run(cli, "--version")
        self.assertEqual((version.returncode, version.stdout.strip()), (0, "Grovewright v2.3.2"))
        glb = os.path.join(self.scratch.name, "oak.glb")
        exported = run(cli, "export", os.path.join(EXAMPLES, "oak.regular.xml"), "--leaves", "-o", glb)
        self.assertEqual(exported.returncode, 0, exported.stderr)
        # Drawing needs the picture module, installed in the library folder, not beside the tool.
        self.assertFalse(os.path.exists(self.installed("bin", "libgrovewright-picture.so")))
        picture = os.path.join(self.scratch.name, "small.png")
        drawn = run(cli, "render", os.path.join(EXAMPLES, "small-tree.xml"), "--size", "64x48", "-o", picture)
        self.assertEqual(drawn.returncode, 0, drawn.stderr)
        identified = run("identify", "-format", "%w %h", picture)
        self.assertEqual(identified.stdout, "64 48")

    def test_the_window_program_answers_help_and_version_without_a_display(self):
        program = self.installed("bin", "grovewright")
        environment = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
        version = run(program, "--version", env=environment)
        self.assertEqual((version.returncode, version.stdout.strip()), (0, "Grovewright v2.3.2"))
        helped = run(program, "--help", env=environment)
        self.assertEqual(helped.returncode, 0, helped.stderr)
        self.assertIn("FILE", helped.stdout)

    def test_the_desktop_entry_icons_and_metadata_are_valid(self):
        desktop = self.installed("share", "applications", APP_ID + ".desktop")
        validated = run("desktop-file-validate", desktop)
        self.assertEqual((validated.returncode, validated.stdout), (0, ""), validated.stderr)
        with open(desktop, encoding="utf-8") as entry:
            text = entry.read()
        self.assertIn("Exec=grovewright %f", text)
        self.assertIn("MimeType=application/x-grovewright-project;", text)
        for size in ("16x16", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256", "scalable"):
            icons = os.listdir(self.installed("share", "icons", "hicolor", size, "apps"))
            self.assertEqual([os.path.splitext(icon)[0] for icon in icons], [APP_ID], size)
        metainfo = self.installed("share", "metainfo", APP_ID + ".metainfo.xml")
        checked = run("appstreamcli", "validate", "--no-net", "--explain", metainfo)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        self.assertIn('<release version="2.3.2"', open(metainfo, encoding="utf-8").read())

    def test_the_parameter_guide_is_installed_with_every_picture_it_shows(self):
        guide = self.installed("share", "grovewright", "guide")
        with open(os.path.join(guide, "parameters.html"), encoding="utf-8") as page:
            pictures = re.findall(r'src="(parameters/[^"]+)"', page.read())
        self.assertGreater(len(pictures), 150)
        for picture in pictures:
            self.assertTrue(os.path.exists(os.path.join(guide, picture)), picture)

    def test_the_man_pages_render_without_warnings_and_name_every_option(self):
        pages = self.installed("share", "man", "man1")
        for page in ("grovewright.1.gz", "grovewright-cli.1.gz"):
            rendered = run("man", "--warnings", "-E", "UTF-8", "-l", os.path.join(pages, page),
                           env={**os.environ, "MANWIDTH": "80", "LC_ALL": "C.UTF-8"})
            self.assertEqual(rendered.stderr, "", page)
            self.assertIn("SYNOPSIS", rendered.stdout)
        text = run("man", "-E", "UTF-8", "-l", os.path.join(pages, "grovewright-cli.1.gz"),
                   env={**os.environ, "MANWIDTH": "200", "LC_ALL": "C.UTF-8"}).stdout.replace("\u2010", "-")
        cli = self.installed("bin", "grovewright-cli")
        for command in ("export", "info", "billboard", "render"):
            self.assertIn(command, text)
            options = re.findall(r"^  (?:-\w,)?(--[a-z-]+)", run(cli, command, "--help").stdout, re.M)
            self.assertGreater(len(options), 5, command)
            for option in options:
                self.assertIn(option, text, "%s %s" % (command, option))

    def test_lintian_finds_no_error_and_no_warning(self):
        # Copyright and changelog, stripped programs, compressed man pages, no ldconfig for the private module.
        checked = run("lintian", "--no-cfg", self.deb)
        complaints = [line for line in checked.stdout.splitlines() if line[:2] in ("E:", "W:")]
        self.assertEqual(complaints, [], checked.stdout + checked.stderr)
        self.assertTrue(os.path.exists(self.installed("share", "doc", "grovewright", "copyright")))
        self.assertTrue(os.path.exists(self.installed("share", "man", "man1", "grovewright-cli.1.gz")))
        control = run("dpkg-deb", "-I", self.deb).stdout
        self.assertNotIn("postinst", control)

    def test_project_files_are_recognised_by_their_root_element(self):
        mime = self.installed("share", "mime")
        updated = run("update-mime-database", mime)
        self.assertEqual(updated.returncode, 0, updated.stderr)
        environment = {**os.environ, "XDG_DATA_DIRS": self.installed("share") + ":/usr/share",
                       "XDG_DATA_HOME": os.path.join(self.scratch.name, "no-home")}
        def content_type(path):
            return run("gio", "info", "-a", "standard::content-type", path, env=environment).stdout.split()[-1]
        # By the name that says its generator, and by its content where the name says nothing.
        self.assertEqual(content_type(os.path.join(EXAMPLES, "oak.regular.xml")), "application/x-grovewright-project")
        for name in ("any name", "mytree.xml"):
            project = os.path.join(self.scratch.name, name)
            with open(os.path.join(EXAMPLES, "oak.regular.xml"), "rb") as source, open(project, "wb") as copy:
                copy.write(source.read())
            self.assertEqual(content_type(project), "application/x-grovewright-project", name)
        for name in sorted(os.listdir(EXAMPLES)):
            self.assertEqual(content_type(os.path.join(EXAMPLES, name)), "application/x-grovewright-project", name)
        # Other XML stays XML, however it is named.
        for name in ("plain.xml", "plain"):
            other = os.path.join(self.scratch.name, name)
            with open(other, "w", encoding="utf-8") as text:
                text.write('<?xml version="1.0"?>\n<Setup><Grovewright/></Setup>\n')
            self.assertEqual(content_type(other), "application/xml", name)

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
