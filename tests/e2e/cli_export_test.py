#!/usr/bin/python3
"""End-to-end checks of grovewright-cli: exports read back by real third-party
readers (assimp, ezdxf), and the exit statuses and messages of its failures.

Usage: cli_export_test.py PATH/TO/grovewright-cli PATH/TO/examples
"""
import json
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import ezdxf

CLI = sys.argv[1]
EXAMPLES = sys.argv[2]
SMALL_TREE = os.path.join(EXAMPLES, "small-tree.xml")
LEAFY_TREE = os.path.join(EXAMPLES, "screenshot-tree.xml")

# small-tree.xml: Iteration 3 (15 segments), Division 6, trunk and last level cut
# (1 + 8 caps). Sides: 15 strips of 2 * 7 vertices and 12 triangles; caps: 9 fans
# of 6 + 2 vertices and 6 triangles.
SIDE_VERTICES, SIDE_FACES = 15 * 14, 15 * 12
CAP_VERTICES, CAP_FACES = 9 * 8, 9 * 6


def run(*args):
    return subprocess.run([CLI, *args], capture_output=True, text=True, timeout=120)


def assimp_info(path):
    result = subprocess.run(["assimp", "info", path, "-r"], capture_output=True, text=True, timeout=120)
    return result.returncode, result.stdout


class ExportReadBack(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.dxf = os.path.join(cls.folder.name, "tree.dxf")
        cls.x = os.path.join(cls.folder.name, "tree.x")
        result = run("export", SMALL_TREE, "-o", cls.dxf, "-o", cls.x)
        assert result.returncode == 0, result.stderr

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_directx_file_declares_tree_and_cap_meshes(self):
        with open(self.x) as f:
            lines = f.read().split("\n")
        meshes = [i for i, line in enumerate(lines) if line.startswith("Mesh Mesh_")]
        self.assertEqual([lines[i] for i in meshes], ["Mesh Mesh_0 {", "Mesh Mesh_1 {"])
        self.assertEqual(lines[meshes[0] + 1], f"{SIDE_VERTICES};")
        self.assertEqual(lines[meshes[1] + 1], f"{CAP_VERTICES};")

    def test_assimp_loads_the_directx_file(self):
        status, out = assimp_info(self.x)
        self.assertEqual(status, 0, out)
        self.assertRegex(out, r"Meshes:\s+2\b")
        self.assertRegex(out, rf"Faces:\s+{SIDE_FACES + CAP_FACES}\b")
        # Raw mode gives every face its own three vertices.
        self.assertIn(f"[{3 * SIDE_FACES} / 0 / {SIDE_FACES} | triangle]", out)
        self.assertIn(f"[{3 * CAP_FACES} / 0 / {CAP_FACES} | triangle]", out)

    def test_assimp_loads_the_dxf_file(self):
        status, out = assimp_info(self.dxf)
        self.assertEqual(status, 0, out)
        self.assertRegex(out, rf"Faces:\s+{SIDE_FACES + CAP_FACES}\b")

    def test_ezdxf_reads_and_audits_the_dxf_file(self):
        doc = ezdxf.readfile(self.dxf)
        auditor = doc.audit()
        self.assertEqual(len(auditor.errors), 0, [str(e) for e in auditor.errors])
        faces = [e for e in doc.modelspace() if e.dxftype() == "3DFACE"]
        self.assertEqual(len(faces), SIDE_FACES + CAP_FACES)
        layers = [e.dxf.layer for e in faces]
        # Side faces first, then the caps.
        self.assertEqual(layers, ["1"] * SIDE_FACES + ["2"] * CAP_FACES)

    def test_info_reports_counts_and_bounds_of_the_exported_geometry(self):
        result = run("info", SMALL_TREE)
        self.assertEqual(result.returncode, 0, result.stderr)
        info = json.loads(result.stdout)
        self.assertEqual(info["generator"], "SimpleGrovewright")
        self.assertEqual(info["segmentsPerLevel"], [1, 2, 4, 8])
        self.assertEqual(info["segments"], 15)
        self.assertEqual(info["treeTriangles"], SIDE_FACES + CAP_FACES)
        self.assertEqual(info["leafTriangles"], 0)
        doc = ezdxf.readfile(self.dxf)
        points = [v for e in doc.modelspace() for v in e.wcs_vertices()]
        # A bound on an axis (the ground's 0) never reads as "-0.0".
        self.assertNotRegex(result.stdout, r"-0\.0*[,\]]")
        for axis in range(3):
            self.assertAlmostEqual(info["boundingBox"]["min"][axis], min(p[axis] for p in points), places=5)
            self.assertAlmostEqual(info["boundingBox"]["max"][axis], max(p[axis] for p in points), places=5)


class CrownCover(unittest.TestCase):
    """info --crown: how closed a crown is, from four sides."""

    def crown(self, *args):
        result = run("info", "--crown", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return json.loads(result.stdout)["crown"]

    def test_crown_growth_closes_the_oaks_crown_and_the_leaf_texture_counts(self):
        oak = os.path.join(EXAMPLES, "oak.regular.xml")
        grown = self.crown(oak)
        self.assertEqual(len(grown["sides"]), 4)
        for side in grown["sides"]:
            self.assertAlmostEqual(side["sky"] + side["leaves"] + side["wood"], 1.0, places=3)
            self.assertLessEqual(side["sky"], 0.25)
        # The same oak without its crown growth shows far more sky.
        frame = self.crown(oak, "--set", "regular.CrownPoints=0")
        self.assertGreater(frame["sky"], grown["sky"] + 0.05)
        # Square cards of the whole texture cover more than the oak's cut-out twigs.
        squares = self.crown(oak, "--leaf-texture", "leaves1")
        self.assertNotEqual(squares["sky"], grown["sky"])
        # Without leaves only wood covers the crown.
        bare = self.crown(oak, "--set", "leaves.LeafSetup1.UseLeaf=0", "--set", "leaves.LeafSetup2.UseLeaf=0",
                          "--set", "leaves.LeafSetup3.UseLeaf=0", "--set", "leaves.LeafSetup4.UseLeaf=0")
        self.assertEqual(sum(side["leaves"] for side in bare["sides"]), 0)
        self.assertGreater(bare["sky"], grown["sky"])
        # Without --crown nothing is measured.
        self.assertNotIn("crown", json.loads(run("info", oak).stdout))


class LeafExport(unittest.TestCase):
    """screenshot-tree.xml: Iteration 6 with three leaf pages; pages 1 and 2 reach two levels."""

    def test_leaves_go_to_layer_three_and_the_second_mesh(self):
        info = json.loads(run("info", LEAFY_TREE).stdout)
        leaf_triangles = info["leafTriangles"]
        # Pages 1, 2 (64 + 32 segments) and 3 (64 segments), two rows of three grid pieces: 6 triangles a leaf.
        self.assertEqual(leaf_triangles, (2 * (64 + 32) + 64) * 6)
        with tempfile.TemporaryDirectory() as folder:
            dxf, x = os.path.join(folder, "leafy.dxf"), os.path.join(folder, "leafy.x")
            result = run("export", LEAFY_TREE, "--leaves", "-o", dxf, "-o", x)
            self.assertEqual(result.returncode, 0, result.stderr)
            doc = ezdxf.readfile(dxf)
            self.assertEqual(len(doc.audit().errors), 0)
            layers = [e.dxf.layer for e in doc.modelspace()]
            self.assertEqual(layers.count("3"), leaf_triangles)
            # Sides, then leaves, then caps.
            self.assertEqual(layers.index("3"), layers.count("1"))
            status, out = assimp_info(x)
            self.assertEqual(status, 0, out)
            self.assertRegex(out, r"Meshes:\s+3\b")
            self.assertIn(f"[{3 * leaf_triangles} / 0 / {leaf_triangles} | triangle]", out)
            # Without --leaves the leaves stay out.
            result = run("export", LEAFY_TREE, "-o", dxf)
            self.assertEqual([e.dxf.layer for e in ezdxf.readfile(dxf).modelspace()].count("3"), 0)


class Generators(unittest.TestCase):
    def test_each_example_grows_with_its_generator(self):
        for name, generator, element in [("fractal-tree", "simple", "SimpleGrovewright"),
                                         ("broadleaf-tree", "regular", "RegularGrovewright"),
                                         ("conifer", "complex", "ComplexGrovewright")]:
            project = os.path.join(EXAMPLES, name + ".xml")
            info = json.loads(run("info", project, "--generator", generator).stdout)
            self.assertEqual(info["generator"], element)
            self.assertGreater(info["segments"], 300, name)
            self.assertGreater(info["leafTriangles"], 0, name)
            with tempfile.TemporaryDirectory() as folder:
                x = os.path.join(folder, name + ".x")
                result = run("export", project, "--generator", generator, "--leaves", "-o", x)
                self.assertEqual(result.returncode, 0, result.stderr)
                status, out = assimp_info(x)
                self.assertEqual(status, 0, out)
                self.assertRegex(out, rf"Faces:\s+{info['treeTriangles'] + info['leafTriangles']}\b")


def identify(path):
    result = subprocess.run(["identify", "-format", "%m %w %h %[channels]", path], capture_output=True, text=True,
                            timeout=60)
    return result.returncode, result.stdout


def read_tga(path):
    with open(path, "rb") as f:
        data = f.read()
    width, height = data[12] | data[13] << 8, data[14] | data[15] << 8
    return width, height, data[16], data[18:]


VALIDATOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "validate_gltf.js")
EXAMPLE_GENERATORS = [("fractal-tree", "simple"), ("broadleaf-tree", "regular"), ("conifer", "complex")]


def validate_gltf(*paths):
    """The Khronos validator's verdict: (exit status, report)."""
    result = subprocess.run(["node", VALIDATOR, *paths], capture_output=True, text=True, timeout=300)
    return result.returncode, result.stdout + result.stderr


class InFolder(unittest.TestCase):
    """A test with a fresh temporary folder of its own."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def path(self, *names):
        return os.path.join(self.folder.name, *names)

    def assert_fails(self, result, status, *words):
        self.assertEqual(result.returncode, status, result.stderr)
        self.assertEqual(result.stdout, "")
        message = result.stderr.strip()
        self.assertEqual(len(message.splitlines()), 1, message)
        for word in words:
            self.assertIn(word, message)


class Pictures(InFolder):
    """Billboards (TGA with alpha, BMP) and view pictures (PNG) drawn off screen."""

    def draw(self, *args):
        result = run(*args)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_readers_see_the_requested_formats_and_sizes(self):
        tga, bmp, png = self.path("tree.tga"), self.path("tree.bmp"), self.path("view.png")
        self.draw("billboard", LEAFY_TREE, "--leaves", "--size", "300x200", "-o", tga)
        self.draw("billboard", LEAFY_TREE, "--background", "white", "--angle", "90", "-o", bmp)
        self.draw("render", LEAFY_TREE, "--mode", "wire", "--size", "320x240", "-o", png)
        self.assertEqual(identify(tga), (0, "TGA 300 200 srgba"))
        self.assertEqual(identify(bmp), (0, "BMP3 512 512 srgb"))
        self.assertEqual(identify(png), (0, "PNG 320 240 srgb"))
        self.assertEqual(read_tga(tga)[2], 32)
        with open(bmp, "rb") as f:
            self.assertEqual(f.read(30)[28], 24)  # bits per pixel

    def test_billboards_of_the_examples_are_the_tree_on_a_transparent_background(self):
        for name, generator in [("fractal-tree", "simple"), ("broadleaf-tree", "regular"), ("conifer", "complex")]:
            for background, colour in [("black", b"\0\0\0"), ("white", b"\xff\xff\xff")]:
                first, second = self.path(name + "1.tga"), self.path(name + "2.tga")
                for path in (first, second):
                    self.draw("billboard", os.path.join(EXAMPLES, name + ".xml"), "--generator", generator,
                              "--leaves", "--background", background, "--size", "256x256", "-o", path)
                with open(first, "rb") as a, open(second, "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)
                width, height, bits, pixels = read_tga(first)
                self.assertEqual((width, height, bits), (256, 256, 32))
                opaque = 0
                for at in range(0, len(pixels), 4):
                    is_background = pixels[at:at + 3] == colour
                    self.assertEqual(pixels[at + 3], 0 if is_background else 255, (name, at))
                    opaque += not is_background
                self.assertGreater(opaque, 500, name)  # the tree is there
                self.assertLess(opaque, width * height // 2, name)

    def test_a_billboard_as_png_is_the_tga_top_row_first(self):
        png, tga = self.path("t.png"), self.path("t.tga")
        result = run("billboard", LEAFY_TREE, "--leaves", "--size", "96x64", "-o", png, "-o", tga)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.split(), ["wrote", png, "wrote", tga])
        self.assertEqual(identify(png), (0, "PNG 96 64 srgba"))
        width, height, _, pixels = read_tga(tga)
        rgba = subprocess.run(["convert", png, "rgba:-"], capture_output=True, timeout=60).stdout
        # The TGA holds blue, green, red, alpha, bottom row first; the PNG red, green, blue, alpha, top row first.
        rows = [pixels[r * width * 4:(r + 1) * width * 4] for r in range(height)]
        flipped = b"".join(bytes(row[at + k] for at in range(0, len(row), 4) for k in (2, 1, 0, 3))
                           for row in reversed(rows))
        self.assertEqual(rgba, flipped)
        self.assertIn(0, rgba[3::4])  # the background is transparent
        self.assertIn(255, rgba[3::4])

    def test_pictures_refuse_wrong_formats_sizes_and_options(self):
        self.assertEqual(run("billboard", SMALL_TREE, "-o", self.path("t.jpg")).returncode, 2)
        self.assertEqual(run("render", SMALL_TREE, "-o", self.path("t.tga")).returncode, 2)
        for size in ["0x10", "10x", "9000x10", "abc"]:
            result = run("render", SMALL_TREE, "--size", size, "-o", self.path("t.png"))
            self.assertEqual(result.returncode, 2, size)
            self.assertIn("--size", result.stderr)
        self.assertEqual(run("billboard", SMALL_TREE, "--angle", "45", "-o", self.path("t.tga")).returncode, 2)
        self.assertEqual(run("render", SMALL_TREE, "--mode", "solid", "-o", self.path("t.png")).returncode, 2)
        for distance in ["0", "91", "near"]:
            self.assertEqual(run("render", SMALL_TREE, "--distance", distance, "-o", self.path("t.png")).returncode, 2)
        self.assertEqual(run("render", SMALL_TREE, "--leaf-texture", "Needles", "-o", self.path("t.png")).returncode, 2)
        self.assertEqual(os.listdir(self.folder.name), [])
        os.mkdir(self.path("folder.tga"))
        result = run("billboard", SMALL_TREE, "-o", self.path("folder.tga"))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("folder.tga", result.stderr)


class ModelFiles(InFolder):
    """glTF and OBJ exports: the Khronos validator and assimp read them as the tree."""

    def export(self, project, generator, path, *flags):
        result = run("export", project, "--generator", generator, *flags, "-o", path)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_examples_are_valid_gltf_and_readers_count_the_triangles_info_reports(self):
        for name, generator in EXAMPLE_GENERATORS:
            project = os.path.join(EXAMPLES, name + ".xml")
            info = json.loads(run("info", project, "--generator", generator).stdout)
            for leaves in (False, True):
                flags = ["--leaves"] if leaves else []
                triangles = info["treeTriangles"] + (info["leafTriangles"] if leaves else 0)
                stem = self.path(f"{name}-{int(leaves)}")
                self.export(project, generator, stem + ".glb", *flags)
                self.export(project, generator, stem + ".obj", *flags)
                self.export(project, generator, stem + ".gltf", *flags)
                status, report = validate_gltf(stem + ".glb", stem + ".gltf")
                self.assertEqual(status, 0, report)
                with open(stem + ".gltf") as f:
                    document = json.load(f)
                glb_vertices = sum(document["accessors"][primitive["attributes"]["POSITION"]]["count"]
                                   for mesh in document["meshes"] for primitive in mesh["primitives"])
                for extension, vertices in ((".glb", glb_vertices), (".obj", 3 * triangles)):
                    status, out = assimp_info(stem + extension)
                    self.assertEqual(status, 0, out)
                    self.assertRegex(out, rf"Faces:\s+{triangles}\b", (name, leaves, extension))
                    # (the OBJ importer makes a vertex of every face corner)
                    self.assertRegex(out, rf"Vertices:\s+{vertices}\b", (name, leaves, extension))

    def test_wind_weights_pass_the_validator_and_only_models_take_them(self):
        birch = os.path.join(EXAMPLES, "birch.complex.xml")
        result = run("export", birch, "--leaves", "--wind-as-color", "-o", self.path("birch.glb"), "-o",
                     self.path("birch.gltf"), "-o", self.path("birch.obj"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("birch.obj: only .glb and .gltf files carry wind weights", result.stderr)
        status, report = validate_gltf(self.path("birch.glb"), self.path("birch.gltf"))
        self.assertEqual(status, 0, report)
        document, binary = glb_document(self.path("birch.glb"))
        for mesh in document["meshes"]:
            for primitive in mesh["primitives"]:
                accessor = document["accessors"][primitive["attributes"]["_WIND"]]
                self.assertEqual((accessor["type"], accessor["componentType"]), ("VEC4", 5126))
                self.assertEqual(primitive["attributes"]["COLOR_0"], primitive["attributes"]["_WIND"])

    def test_leaf_colours_and_bark_relief_reach_every_format_and_readers(self):
        oak = os.path.join(EXAMPLES, "oak.regular.xml")  # leaves of their own colours, painted bark
        outputs = [self.path("colours." + extension) for extension in ("glb", "gltf", "obj", "x")]
        result = run("export", oak, "--leaves", *sum((["-o", output] for output in outputs), []))
        self.assertEqual(result.returncode, 0, result.stderr)
        # (the core tests check the colours and the tangents value by value)
        status, report = validate_gltf(outputs[0], outputs[1])
        self.assertEqual(status, 0, report)
        self.assertTrue(os.path.exists(self.path("colours_bark_normals.png")))
        # The bark's relief is read as a normal map, never as a height map, by
        # assimp, three.js's MTL loader and Blender's OBJ importer.
        status, out = assimp_info(outputs[2])
        self.assertIn("| Normals]", out)
        self.assertNotIn("| Height]", out)
        maps = json.loads(subprocess.run(["node", os.path.join(os.path.dirname(os.path.abspath(__file__)), "mtl_materials.mjs"), self.path("colours.mtl")],
                                         capture_output=True, text=True, timeout=60, check=True).stdout)
        self.assertEqual(maps["colours_Bark"], {"normalMap": "colours_bark_normals.png", "bumpMap": None})
        blender = subprocess.run(["blender", "-b", "--factory-startup", "-noaudio", "--python-expr",
                                  "import bpy, sys\n"
                                  "bpy.ops.wm.read_factory_settings(use_empty=True)\n"
                                  "bpy.ops.wm.obj_import(filepath=sys.argv[-1])\n"
                                  "for m in bpy.data.materials:\n"
                                  "    links = [l.from_node.type for l in m.node_tree.links if l.to_socket.name == 'Normal']\n"
                                  "    print('NORMAL', m.name, links)\n",
                                  "--", outputs[2]], capture_output=True, text=True, timeout=120)
        self.assertIn("NORMAL colours_Bark ['NORMAL_MAP']", blender.stdout, blender.stderr)
        with open(outputs[2]) as f:
            coloured = [line for line in f if line.startswith("v ")]
        self.assertTrue(all(len(line.split()) == 7 for line in coloured))
        for output in outputs:
            status, out = assimp_info(output)
            self.assertEqual(status, 0, (output, out))
        # Wind as colours would take the leaves' colours' place: refused, nothing written.
        refused = run("export", oak, "--leaves", "--wind-as-color", "-o", self.path("wind.glb"))
        self.assertEqual(refused.returncode, 2)
        self.assertEqual(len(refused.stderr.strip().split("\n")), 1, refused.stderr)
        self.assertIn("--wind-as-color", refused.stderr)
        self.assertFalse(os.path.exists(self.path("wind.glb")))
        # The painted textures by name, on the command line.
        named = run("export", os.path.join(EXAMPLES, "birch.complex.xml"), "--leaves", "--bark", "birch-bark",
                    "--leaf-texture", "birch-twig", "-o", self.path("named.glb"))
        self.assertEqual(named.returncode, 0, named.stderr)
        status, report = validate_gltf(self.path("named.glb"))
        self.assertEqual(status, 0, report)

    def test_levels_of_detail_pass_the_validator_and_importers_see_them(self):
        species = sorted(name[:-4] for name in os.listdir(EXAMPLES) if name.count(".") == 2)
        self.assertEqual(len(species), 12)
        for name in species:
            project = os.path.join(EXAMPLES, name + ".xml")
            levels = json.loads(run("info", project, "--lod").stdout)["levelsOfDetail"]
            self.assertEqual(len(levels), 4)
            self.assertTrue(0.4 <= levels[1] / levels[0] <= 0.6 and 0.15 <= levels[2] / levels[0] <= 0.25, levels)
            glb, gltf = self.path(name + ".glb"), self.path(name + ".gltf")
            result = run("export", project, "--leaves", "--lod", "--wind", "-o", glb, "-o", gltf)
            self.assertEqual(result.returncode, 0, result.stderr)
            # A reader that does not know MSFT_lod sees the full tree alone, as the extension intends.
            status, out = assimp_info(glb)
            self.assertEqual(status, 0, out)
            self.assertIn("Tree_LOD0", out)
            self.assertNotIn("Tree_LOD1", out)
            # By names, every level side by side.
            named = self.path(name + "-names.glb")
            result = run("export", project, "--leaves", "--lod", "--lod-layout", "names", "-o", named)
            self.assertEqual(result.returncode, 0, result.stderr)
            status, out = assimp_info(named)
            self.assertEqual(status, 0, out)
            for k in range(4):
                self.assertIn(f"Tree_LOD{k}", out)
            document, binary = glb_document(glb)
            # The impostor's atlas: eight pictures of 256 pixels side by side, with alpha.
            image = next(i for i in document["images"] if i["name"] == name.replace(".", "_") + "_Impostor")
            view = document["bufferViews"][image["bufferView"]]
            png = binary[view.get("byteOffset", 0):view.get("byteOffset", 0) + view["byteLength"]]
            self.assertEqual(png[16:24], (2048).to_bytes(4, "big") + (256).to_bytes(4, "big"))
            self.assertEqual(png[25], 6)  # RGBA
            # The impostor's cards carry the wind too (--wind), as every level does.
            for mesh in document["meshes"]:
                for primitive in mesh["primitives"]:
                    self.assertIn("_WIND", primitive["attributes"], mesh["name"])
        status, report = validate_gltf(*[self.path(name + ending) for name in species
                                         for ending in (".glb", ".gltf", "-names.glb")])
        self.assertEqual(status, 0, report)
        # The atlas alone, as a picture.
        result = run("billboard", os.path.join(EXAMPLES, "oak.regular.xml"), "--leaves", "--atlas", "12", "--size",
                     "64x64", "-o", self.path("atlas.png"))
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.path("atlas.png"), "rb") as f:
            self.assertEqual(f.read()[16:24], (12 * 64).to_bytes(4, "big") + (64).to_bytes(4, "big"))
        self.assert_fails(run("billboard", SMALL_TREE, "--atlas", "10", "-o", self.path("a.png")), 2, "multiple of 4")
        # Each level drawn in the view: the same tree, other pixels.
        pictures = []
        for level in range(4):
            picture = self.path(f"level{level}.png")
            result = run("render", os.path.join(EXAMPLES, "oak.regular.xml"), "--lod", str(level), "--distance", "50",
                         "--size", "160x120", "-o", picture)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(picture, "rb") as f:
                pictures.append(f.read())
        self.assertEqual(len(set(pictures)), 4)
        self.assertEqual(run("render", SMALL_TREE, "--lod", "4", "-o", self.path("x.png")).returncode, 2)

    def test_a_tree_over_65535_vertices_takes_32_bit_indices(self):
        with open(SMALL_TREE) as f:
            text = f.read().replace("<Iteration>3</Iteration>", "<Iteration>13</Iteration>", 1)
        project = self.path("big.xml")
        with open(project, "w") as f:
            f.write(text)
        self.export(project, "simple", self.path("big.glb"))
        with open(self.path("big.glb"), "rb") as f:
            data = f.read()
        document = json.loads(data[20:20 + int.from_bytes(data[12:16], "little")])
        bark = document["meshes"][0]["primitives"][0]
        self.assertGreater(document["accessors"][bark["attributes"]["POSITION"]]["count"], 65535)
        self.assertEqual(document["accessors"][bark["indices"]]["componentType"], 5125)
        status, report = validate_gltf(self.path("big.glb"))
        self.assertEqual(status, 0, report)

    def test_the_same_project_gives_the_same_bytes(self):
        # One name in two folders: the materials carry the file's name.
        for folder in ("a", "b"):
            os.mkdir(self.path(folder))
            self.export(LEAFY_TREE, "simple", self.path(folder, "tree.glb"), "--leaves")
        with open(self.path("a", "tree.glb"), "rb") as a, open(self.path("b", "tree.glb"), "rb") as b:
            self.assertEqual(a.read(), b.read())


SPECIES = sorted(name for name in os.listdir(EXAMPLES) if name.count(".") == 2)
GENERATOR_ELEMENTS = {"simple": "SimpleGrovewright", "regular": "RegularGrovewright", "complex": "ComplexGrovewright"}


def rgb_rows(path, rows):
    """The first rows of a picture as RGB bytes."""
    result = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, timeout=60)
    width = int(identify(path)[1].split()[1])
    return result.stdout[:rows * width * 3]


class Gallery(InFolder):
    """The species examples: each drawn by the generator its name says, as a visible tree and a valid model."""

    def test_each_species_is_drawn_by_the_generator_its_name_says(self):
        self.assertGreaterEqual(len(SPECIES), 8)
        for name in SPECIES:
            project, generator = os.path.join(EXAMPLES, name), name.split(".")[1]
            info = json.loads(run("info", project).stdout)
            self.assertEqual(info["generator"], GENERATOR_ELEMENTS[generator], name)
            self.assertLess(info["treeTriangles"] + info["leafTriangles"], 100000, name)
            # The species against the same scene without a tree (another generator's
            # section, left at its defaults), above the triangle counts in the corner.
            other = "regular" if generator == "simple" else "simple"
            tree, empty = self.path(name + ".png"), self.path(name + "-empty.png")
            for path, flags in ((tree, []), (empty, ["--generator", other])):
                result = run("render", project, *flags, "--lighting", "on", "--distance", "20", "--size", "320x240",
                             "-o", path)
                self.assertEqual(result.returncode, 0, result.stderr)
            drawn, bare = rgb_rows(tree, 176), rgb_rows(empty, 176)
            self.assertEqual(len(drawn), 320 * 176 * 3)
            differing = sum(drawn[at:at + 3] != bare[at:at + 3] for at in range(0, len(drawn), 3))
            self.assertGreater(differing, 200, name)  # the smallest, the sapling, covers about 575

    def test_pictures_show_the_chosen_textures_and_camera(self):
        birch = os.path.join(EXAMPLES, "birch.complex.xml")
        pictures = {"default": [], "dark bark": ["--bark", "trunc1"], "needles": ["--leaf-texture", "needles"],
                    "nearer": ["--distance", "15"]}
        drawn = {}
        for key, flags in pictures.items():
            path = self.path(key.replace(" ", "-") + ".png")
            result = run("render", birch, *flags, "--size", "160x120", "-o", path)
            self.assertEqual(result.returncode, 0, result.stderr)
            drawn[key] = rgb_rows(path, 120)
        for key in ("dark bark", "needles", "nearer"):
            self.assertNotEqual(drawn[key], drawn["default"], key)

    def test_a_figure_shows_the_scale_and_the_light_the_form(self):
        # Lighting off: the figure in its own flat grey. At 10 m under a 45 degree field of
        # view, 600 pixels cover 2 * 10 * tan(22.5 degrees) = 8.28 m: a 1.8 m person is 130 tall.
        path = self.path("figure.png")
        result = run("render", SMALL_TREE, "--figure", "on", "--counts", "off", "--distance", "10",
                     "--camera-height", "1", "-o", path)
        self.assertEqual(result.returncode, 0, result.stderr)
        width, height = 800, 600
        rgb = rgb_rows(path, height)
        rows = [y for y in range(height)
                if any(abs(rgb[3 * (y * width + x)] - 64) <= 2 and abs(rgb[3 * (y * width + x) + 2] - 77) <= 2
                       for x in range(0, width // 2))]
        self.assertTrue(rows, "no figure drawn")
        self.assertAlmostEqual(max(rows) - min(rows) + 1, 130, delta=3)
        # A lower light than the default shades the tree; out of range it is refused.
        lit = [self.path(key + ".png") for key in ("full", "soft")]
        run("render", SMALL_TREE, "--lighting", "on", "-o", lit[0])
        run("render", SMALL_TREE, "--lighting", "on", "--ambient", "40", "--diffuse", "60", "-o", lit[1])
        self.assertNotEqual(rgb_rows(lit[0], height), rgb_rows(lit[1], height))
        self.assert_fails(run("render", SMALL_TREE, "--ambient", "101", "-o", self.path("x.png")), 2, "--ambient")

    def test_species_export_as_valid_gltf_with_their_textures(self):
        # The files carry their textures (the cypress's needles, the birch's bark); options override them.
        exports = {"cypress": ("cypress.complex.xml", []),
                   "birch": ("birch.complex.xml", ["--bark", "trunc1"]), "birch-default": ("birch.complex.xml", [])}
        for stem, (name, textures) in exports.items():
            result = run("export", os.path.join(EXAMPLES, name), "--leaves", *textures, "-o", self.path(stem + ".glb"))
            self.assertEqual(result.returncode, 0, result.stderr)
        status, report = validate_gltf(*(self.path(stem + ".glb") for stem in exports))
        self.assertEqual(status, 0, report)
        contents = {}
        for stem in exports:
            with open(self.path(stem + ".glb"), "rb") as f:
                contents[stem] = f.read()
        # Only the needle twig is 64 x 256 pixels; the dark bark changes the file.
        needles = b"IHDR\0\0\0\x40\0\0\x01\0"
        self.assertIn(needles, contents["cypress"])
        self.assertNotIn(needles, contents["birch"])
        self.assertNotEqual(contents["birch"], contents["birch-default"])
        self.assertEqual(run("export", SMALL_TREE, "--bark", "trunc3", "-o", self.path("t.glb")).returncode, 2)


def glb_document(path):
    """The JSON chunk and the binary chunk of a GLB file."""
    with open(path, "rb") as f:
        data = f.read()
    json_length = int.from_bytes(data[12:16], "little")
    document = json.loads(data[20:20 + json_length])
    binary = data[20 + json_length + 8:]
    return document, binary


class OwnTextures(InFolder):
    """Your own images on the command line: read, drawn and stored in their own format."""

    def images(self):
        bark, leaf, tga = self.path("bark.jpg"), self.path("leaf.png"), self.path("stump.tga")
        subprocess.run(["convert", "-size", "32x64", "gradient:#603010-#c08040", bark], check=True)
        subprocess.run(["convert", "-size", "32x32", "xc:none", "-fill", "#208020", "-draw", "circle 16,16 16,3",
                        leaf], check=True)
        subprocess.run(["convert", "-size", "16x16", "xc:#a08060", "-compress", "RLE", tga], check=True)
        return bark, leaf, tga

    def test_a_glb_stores_a_jpeg_as_jpeg_and_a_png_as_it_is(self):
        bark, leaf, tga = self.images()
        glb = self.path("tree.glb")
        result = run("export", LEAFY_TREE, "--leaves", "--bark-image", bark, "--leaf-image", leaf,
                     "--stump-image", tga, "-o", glb)
        self.assertEqual(result.returncode, 0, result.stderr)
        status, report = validate_gltf(glb)
        self.assertEqual(status, 0, report)
        document, binary = glb_document(glb)
        images = {image["name"]: image for image in document["images"]}
        def stored(name):
            view = document["bufferViews"][images[name]["bufferView"]]
            return binary[view.get("byteOffset", 0):view.get("byteOffset", 0) + view["byteLength"]]
        with open(bark, "rb") as f:
            self.assertEqual(stored("tree_Bark"), f.read())
        self.assertEqual(images["tree_Bark"]["mimeType"], "image/jpeg")
        with open(leaf, "rb") as f:
            self.assertEqual(stored("tree_Leaves"), f.read())
        self.assertEqual(images["tree_Leaves"]["mimeType"], "image/png")
        # A run-length TGA is stored as a PNG of its pixels.
        self.assertEqual(images["tree_Stump"]["mimeType"], "image/png")
        self.assertEqual(stored("tree_Stump")[:8], b"\x89PNG\r\n\x1a\n")
        # glTF beside its files: the JPEG keeps its name's kind.
        result = run("export", LEAFY_TREE, "--bark-image", bark, "-o", self.path("tree.gltf"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(os.path.exists(self.path("tree_bark.jpg")))

    def test_pictures_draw_the_own_images(self):
        bark, leaf, _ = self.images()
        plain, own = self.path("plain.png"), self.path("own.png")
        self.assertEqual(run("render", LEAFY_TREE, "--size", "160x120", "-o", plain).returncode, 0)
        result = run("render", LEAFY_TREE, "--size", "160x120", "--bark-image", bark, "--leaf-image", leaf, "-o", own)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(plain, "rb") as a, open(own, "rb") as b:
            self.assertNotEqual(a.read(), b.read())

    def test_a_project_that_names_its_images_exports_with_them(self):
        bark, leaf, tga = self.images()
        with open(LEAFY_TREE) as f:
            text = f.read()
        view = ("   <DesignView>\n      <ShownGenerator>0</ShownGenerator>\n      <FoliageTexture>2</FoliageTexture>\n"
                "      <BarkImage>bark.jpg</BarkImage>\n      <StumpImage>gone.tga</StumpImage>\n   </DesignView>\n")
        project = self.path("own.xml")
        with open(project, "w") as f:
            f.write(text.replace("</Grovewright_Setup>", view + "</Grovewright_Setup>"))
        glb = self.path("tree.glb")
        result = run("export", project, "--leaves", "-o", glb)
        self.assertEqual(result.returncode, 0, result.stderr)
        # The missing stump image is named, and the built-in one used.
        self.assertIn("stump image " + self.path("gone.tga") + ": cannot be opened", result.stderr)
        document, binary = glb_document(glb)
        images = {image["name"]: image for image in document["images"]}
        view = document["bufferViews"][images["tree_Bark"]["bufferView"]]
        with open(bark, "rb") as f:
            self.assertEqual(binary[view.get("byteOffset", 0):view.get("byteOffset", 0) + view["byteLength"]], f.read())
        # The project's needles, unless the command line names other leaves.
        needles = run("export", project, "--leaves", "--leaf-image", leaf, "-o", self.path("own-leaf.glb"))
        self.assertEqual(needles.returncode, 0, needles.stderr)
        self.assertNotEqual(glb_document(glb)[1], glb_document(self.path("own-leaf.glb"))[1])
        # Images beside the project are not worth a word.
        self.assertNotIn("outside its folder", result.stderr)

    def test_images_outside_the_projects_folder_are_used_and_named(self):
        bark, leaf, tga = self.images()
        os.mkdir(self.path("received"))
        with open(LEAFY_TREE) as f:
            text = f.read()
        view = ("   <DesignView>\n      <ShownGenerator>0</ShownGenerator>\n"
                f"      <BarkImage>../bark.jpg</BarkImage>\n      <StumpImage>{tga}</StumpImage>\n   </DesignView>\n")
        project = self.path("received/tree.xml")
        with open(project, "w") as f:
            f.write(text.replace("</Grovewright_Setup>", view + "</Grovewright_Setup>"))
        result = run("export", project, "--leaves", "-o", self.path("tree.glb"))
        self.assertEqual(result.returncode, 0, result.stderr)
        named = [line for line in result.stderr.splitlines() if "outside its folder" in line]
        self.assertEqual(len(named), 2, result.stderr)
        self.assertTrue(named[0].endswith(bark) and named[1].endswith(tga), named)

    def test_an_unreadable_or_lying_image_is_refused_in_one_line(self):
        with open(self.path("lying.bmp"), "wb") as f:
            f.write(b"BM" + (54).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little") +
                    (40).to_bytes(4, "little") + (20000).to_bytes(4, "little") + (-20000).to_bytes(4, "little", signed=True) +
                    (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(24))
        for image, words in ((self.path("lying.bmp"), ["lying.bmp", "claims 20000 x 20000"]),
                             (self.path("missing.png"), ["missing.png", "cannot be opened"])):
            self.assert_fails(run("export", SMALL_TREE, "--bark-image", image, "-o", self.path("t.glb")), 1, *words)
        self.assertEqual(sorted(os.listdir(self.folder.name)), ["lying.bmp"])


class Failures(InFolder):
    def test_version_and_help(self):
        result = run("--version")
        self.assertEqual((result.returncode, result.stdout.strip()), (0, "Grovewright v2.3.2"))
        for command in ([], ["export"], ["info"], ["billboard"], ["render"]):
            result = run(*command, "--help")
            self.assertEqual(result.returncode, 0)
            self.assertIn("--help", result.stdout)
            # A terminal of 100 columns shows every line whole.
            for line in result.stdout.splitlines():
                self.assertLessEqual(len(line), 100, line)

    def test_exports_work_without_the_picture_module_and_pictures_name_it(self):
        # The tool alone in a folder: only the drawing commands need the module beside it.
        shutil.copy(CLI, self.path("grovewright-cli"))
        alone = lambda *args: subprocess.run([self.path("grovewright-cli"), *args], capture_output=True, text=True,
                                             timeout=120)
        self.assertEqual(alone("info", SMALL_TREE).returncode, 0)
        self.assertEqual(alone("export", SMALL_TREE, "-o", self.path("t.dxf")).returncode, 0)
        result = alone("render", SMALL_TREE, "-o", self.path("t.png"))
        self.assert_fails(result, 1, "libgrovewright-picture.so", "could not be loaded")
        self.assertIn("libosmesa6", result.stderr)
        self.assertFalse(os.path.exists(self.path("t.png")))

    def test_usage_errors_exit_with_two(self):
        self.assertEqual(run().returncode, 2)
        self.assertEqual(run("export", SMALL_TREE).returncode, 2)  # no output
        self.assertEqual(run("export", SMALL_TREE, "-o", self.path("t.dxf"), "--generator", "oak").returncode, 2)
        self.assert_fails(run("export", SMALL_TREE, "-o", self.path("t.stl")), 2, "t.stl", "unknown output format")
        self.assert_fails(run("export", SMALL_TREE, "-o", self.path("t.png")), 2, "t.png", "unknown output format")
        self.assertEqual(os.listdir(self.folder.name), [])

    def test_unreadable_or_invalid_projects_exit_with_one(self):
        missing = self.path("missing.xml")
        self.assert_fails(run("info", missing), 1, missing)
        binary = self.path("binary.xml")
        with open(binary, "wb") as f:
            f.write(bytes(range(256)))
        self.assert_fails(run("info", binary), 1, binary, "UTF-8")
        with open(SMALL_TREE) as f:
            text = f.read()
        invalid = self.path("invalid.xml")
        with open(invalid, "w") as f:
            f.write(text.replace("<Division>6</Division>", "<Division>2</Division>"))
        self.assert_fails(run("export", invalid, "-o", self.path("t.dxf")), 1, invalid, "SimpleGrovewright")
        self.assertFalse(os.path.exists(self.path("t.dxf")))

    def test_a_chosen_generator_without_a_valid_section_is_named(self):
        with open(os.path.join(EXAMPLES, "broadleaf-tree.xml")) as f:
            text = f.read()
        regular = text.index("<RegularGrovewright>")
        at = text.index("<Iteration>", regular)
        broken = self.path("broken-regular.xml")
        with open(broken, "w") as f:
            f.write(text[:at] + "<Iteration>99</Iteration>" + text[text.index("\n", at):])
        self.assert_fails(run("export", broken, "--generator", "regular", "-o", self.path("t.x")), 1, broken,
                          "no valid RegularGrovewright section")
        self.assertFalse(os.path.exists(self.path("t.x")))
        # The other generators' sections are still good.
        self.assertEqual(run("export", broken, "--generator", "complex", "-o", self.path("t.x")).returncode, 0)

    def test_a_leaf_page_that_cannot_be_read_is_refused_and_other_parts_are_named(self):
        with open(os.path.join(EXAMPLES, "birch.complex.xml")) as f:
            text = f.read()
        page = text.index("<LeafSetup1>")
        for name, value in (("ShootLeaves", "-1"), ("ShootLeaves", "65"), ("Arrangement", "-1"),
                            ("SegmentCount", "11"), ("SegmentCount", "many")):
            at = text.index(f"<{name}>", page)
            broken = self.path("broken-leaf.xml")
            with open(broken, "w") as f:
                f.write(text[:at] + f"<{name}>{value}</{name}>" + text[text.index("\n", at):])
            result = run("export", broken, "--leaves", "-o", self.path("t.glb"))
            self.assert_fails(result, 1, broken, f'Leaf 1: {name} "{value}" is not a number from')
            self.assertNotIn("Leaf 2", result.stderr, name)
            self.assertFalse(os.path.exists(self.path("t.glb")))
        # A file of the simple generator alone: the other parts take their defaults, each named.
        with open(SMALL_TREE) as f:
            text = f.read()
        simple_only = self.path("simple-only.xml")
        with open(simple_only, "w") as f:
            f.write(text[:text.index("<RegularGrovewright>")] + "</Grovewright_Setup>\n")
        result = run("export", simple_only, "-o", self.path("t.x"))
        self.assertEqual(result.returncode, 0, result.stderr)
        for part in ("RegularGrovewright", "ComplexGrovewright", "LeafCreator"):
            self.assertIn(f"no valid {part} section", result.stderr)

    def writing_into_folder(self, process):
        """Whether the process has a file open in the test folder (written unnamed until complete)."""
        fds = f"/proc/{process.pid}/fd"
        try:
            return any(os.readlink(os.path.join(fds, fd)).startswith(self.folder.name + "/")
                       for fd in os.listdir(fds))
        except OSError:
            return False

    def test_an_interrupted_or_killed_export_leaves_the_old_file_and_no_temporary_one(self):
        with open(SMALL_TREE) as f:
            text = f.read()
        big = self.path("big.xml")
        with open(big, "w") as f:  # 262,143 segments: seconds of writing
            f.write(text.replace("<Iteration>3</Iteration>", "<Iteration>18</Iteration>", 1))
        target = self.path("tree.dxf")
        with open(target, "w") as f:
            f.write("old\n")
        for stop in (signal.SIGINT, signal.SIGTERM, signal.SIGKILL):
            export = subprocess.Popen([CLI, "export", big, "-o", target], stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
            # Wait until the export's file is being written, then stop the tool.
            deadline = time.time() + 30
            while not self.writing_into_folder(export) and time.time() < deadline:
                time.sleep(0.02)
            self.assertTrue(self.writing_into_folder(export), "the export never started writing")
            time.sleep(0.3)
            export.send_signal(stop)
            self.assertEqual(export.wait(timeout=30), -stop)
            self.assertEqual(sorted(os.listdir(self.folder.name)), ["big.xml", "tree.dxf"])
            with open(target) as f:
                self.assertEqual(f.read(), "old\n")

    def peak_memory(self, *args):
        """The largest resident size, in bytes, of the command-line tool run with these arguments."""
        measure = ("import resource, subprocess, sys; "
                   "code = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL).returncode; "
                   "print(code, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
        result = subprocess.run([sys.executable, "-c", measure, CLI, *args], capture_output=True, text=True,
                                timeout=300)
        code, kilobytes = result.stdout.split()
        self.assertEqual(code, "0", result.stderr)
        return int(kilobytes) * 1024

    def test_every_export_option_stays_within_the_memory_its_estimate_admits(self):
        # Two million bark triangles, and a quarter of a million with as many leaf triangles.
        for project, settings in ((os.path.join(EXAMPLES, "screenshot-tree.xml"), ["--set", "simple.Iteration=12"]),
                                  (os.path.join(EXAMPLES, "screenshot-tree.xml"), ["--set", "simple.Iteration=16",
                                                                                   "--set", "leaves.LeafSetup1.UseLeaf=0",
                                                                                   "--set", "leaves.LeafSetup2.UseLeaf=0",
                                                                                   "--set", "leaves.LeafSetup3.UseLeaf=0"])):
            estimate = json.loads(run("info", project, *settings).stdout)["estimate"]["exportMemoryBytes"]
            for name, options in (("model", []), ("wind", ["--wind"]), ("levelsOfDetail", ["--lod"]),
                                  ("levelsOfDetailWithWind", ["--lod", "--wind"])):
                peak = self.peak_memory("export", project, *settings, "--leaves", *options, "-o", self.path("t.glb"))
                self.assertLessEqual(peak, estimate[name], f"{settings} {name}")

    def test_every_plain_export_of_a_bent_finely_divided_tree_stays_within_its_estimate(self):
        # Eight pieces a branch, twenty sides: 2.6 million triangles, the bark streamed into a GLB.
        settings = ["--set", "simple.Iteration=13", "--set", "simple.Division=20", "--set", "simple.Bend=8",
                    "--set", "simple.Gravity=-80", "--max-triangles", "0"]
        estimate = json.loads(run("info", SMALL_TREE, *settings).stdout)["estimate"]["exportMemoryBytes"]["model"]
        for extension in ("glb", "gltf", "obj", "x", "dxf"):
            peak = self.peak_memory("export", SMALL_TREE, *settings, "-o", self.path("t." + extension))
            self.assertLessEqual(peak, estimate, extension)

    def test_the_triangle_limit_weighs_what_the_options_need(self):
        triangles = json.loads(run("info", LEAFY_TREE).stdout)["estimate"]
        total = triangles["treeTriangles"] + triangles["leafTriangles"]
        limit = str(total + 10)
        self.assertEqual(run("export", LEAFY_TREE, "--leaves", "--max-triangles", limit, "-o", self.path("a.glb"))
                         .returncode, 0)
        self.assert_fails(run("export", LEAFY_TREE, "--leaves", "--lod", "--max-triangles", limit,
                              "-o", self.path("b.glb")), 1, "levels of detail", "--max-triangles")
        self.assertFalse(os.path.exists(self.path("b.glb")))

    def huge_regular_tree(self):
        """huge.xml: a regular tree of Iteration 20, ExtendTo 20, every page in use over every level."""
        with open(os.path.join(EXAMPLES, "broadleaf-tree.xml")) as f:
            text = f.read()
        start, end = text.index("<RegularGrovewright>"), text.index("</RegularGrovewright>")
        section = re.sub(r"<Iteration>\d+<", "<Iteration>20<", text[start:end], count=1)
        section = re.sub(r"<ExtendTo>\d+<", "<ExtendTo>20<", section, count=1)
        for name, value in (("UseBranch", 1), ("AddFrom", 0), ("AddTo", 20)):
            section = re.sub(rf"<{name}>\d+<", f"<{name}>{value}<", section)
        huge = self.path("huge.xml")
        with open(huge, "w") as f:
            f.write(text[:start] + section + text[end:])
        return huge

    def test_huge_designs_are_measured_not_built_and_refused_above_the_limit(self):
        huge = self.huge_regular_tree()
        result = run("info", huge, "--generator", "regular")
        self.assertEqual(result.returncode, 0, result.stderr)
        info = json.loads(result.stdout)
        self.assertEqual(info["segments"], 22020096)
        self.assertFalse(info["built"])
        self.assertGreater(info["estimate"]["dxfBytes"], 10**10)
        self.assert_fails(run("export", huge, "--generator", "regular", "-o", self.path("huge.x")), 1, huge,
                          "RegularGrovewright", "triangles", "--max-triangles")
        self.assertEqual(os.listdir(self.folder.name), ["huge.xml"])
        # Leaves that would need 59 GB: refused too, never an abort.
        with open(LEAFY_TREE) as f:
            leafy = f.read()
        leafy = re.sub(r"<Iteration>\d+<", "<Iteration>20<", leafy, count=1)
        for name, value in (("UseLeaf", 1), ("LeafSplit", 3), ("SegmentCount", 10), ("RelativAddDownTo", 20)):
            leafy = re.sub(rf"<{name}>\d+<", f"<{name}>{value}<", leafy)
        many_leaves = self.path("leaves.xml")
        with open(many_leaves, "w") as f:
            f.write(leafy)
        self.assert_fails(run("export", many_leaves, "--leaves", "-o", self.path("leaves.x")), 1, many_leaves,
                          "triangles")
        # Within a raised limit the small tree still exports.
        self.assertEqual(run("export", SMALL_TREE, "--max-triangles", "300", "-o", self.path("t.x")).returncode, 0)
        self.assert_fails(run("export", SMALL_TREE, "--max-triangles", "200", "-o", self.path("t.dxf")), 1, "234")

    def test_exports_beyond_the_memory_budget_or_a_glb_beyond_4_gib_are_refused_before_growing(self):
        # 16.7 million triangles, within the triangle limit; about 1.3 GB to export.
        settings = ["--set", "simple.Iteration=18"]
        estimate = json.loads(run("info", LEAFY_TREE, *settings).stdout)["estimate"]["exportMemoryBytes"]["model"]
        self.assertGreater(estimate, 10**9)
        limit = 2 * 10**9  # half of it may be used: less than the export needs

        def limited():
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        result = subprocess.run([CLI, "export", LEAFY_TREE, *settings, "--leaves", "-o", self.path("t.glb")],
                                capture_output=True, text=True, timeout=300, preexec_fn=limited)
        self.assert_fails(result, 1, LEAFY_TREE, "memory", "GB", "ulimit -v")
        self.assertEqual(os.listdir(self.folder.name), [])
        # A GLB is refused from the counts, before the tree is grown: the tool stays small.
        huge = self.huge_regular_tree()
        measure = ("import resource, subprocess, sys; "
                   "result = subprocess.run(sys.argv[1:], capture_output=True, text=True); "
                   "print(result.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss); "
                   "print(result.stderr, end='')")
        result = subprocess.run([sys.executable, "-c", measure, CLI, "export", huge, "--generator", "regular",
                                 "--max-triangles", "0", "-o", self.path("huge.glb")],
                                capture_output=True, text=True, timeout=300)
        status, kilobytes = result.stdout.split("\n")[0].split()
        self.assertEqual(status, "1", result.stdout)
        self.assertIn("4 GiB", result.stdout)
        self.assertLess(int(kilobytes), 200 * 1024)
        self.assertEqual(os.listdir(self.folder.name), ["huge.xml"])

    def test_several_outputs_are_replaced_together_or_not_at_all(self):
        for name in ("a.glb", "b.png"):
            with open(self.path(name), "w") as f:
                f.write("old\n")
        for command in (["export", SMALL_TREE, "-o", self.path("a.glb"), "-o", self.path("no/such/b.x")],
                        ["billboard", SMALL_TREE, "-o", self.path("b.png"), "-o", self.path("no/such/b.bmp")]):
            self.assert_fails(run(*command), 1, "no/such")
            self.assertEqual(sorted(os.listdir(self.folder.name)), ["a.glb", "b.png"])
            for name in ("a.glb", "b.png"):
                with open(self.path(name)) as f:
                    self.assertEqual(f.read(), "old\n")
        # Written all together: each told of once it is in place.
        result = run("export", SMALL_TREE, "-o", self.path("a.glb"), "-o", self.path("a.obj"), "-o", self.path("a.x"))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.split("\n")[:3], [f"wrote {self.path(n)}" for n in ("a.glb", "a.obj", "a.x")])
        self.assertEqual(sorted(name for name in os.listdir(self.folder.name) if name.startswith(".")), [])
        status, report = validate_gltf(self.path("a.glb"))
        self.assertEqual(status, 0, report)

    def test_a_full_disk_names_the_export_that_could_not_be_written(self):
        def small_files():  # as a full disk: every file stops at 2 kB
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (2048, 2048))
        target = self.path("tree.obj")
        result = subprocess.run([CLI, "export", LEAFY_TREE, "--leaves", "-o", target], capture_output=True,
                                text=True, timeout=300, preexec_fn=small_files)
        self.assert_fails(result, 1, "File too large")
        self.assertTrue(result.stderr.startswith(f"grovewright-cli: {target}: not written: "), result.stderr)
        self.assertEqual(os.listdir(self.folder.name), [])

    def test_unwritable_output_exits_with_one_and_keeps_the_old_file(self):
        target = self.path("keep.dxf")
        with open(target, "w") as f:
            f.write("old\n")
        os.mkdir(self.path("folder.x"))
        self.assert_fails(run("export", SMALL_TREE, "-o", self.path("folder.x")), 1, "folder.x")
        self.assert_fails(run("export", SMALL_TREE, "-o", self.path("no/such/t.dxf")), 1, "no/such/t.dxf")
        with open(target) as f:
            self.assertEqual(f.read(), "old\n")
        self.assertEqual(sorted(os.listdir(self.folder.name)), ["folder.x", "keep.dxf"])


class Variants(InFolder):
    """Seeds and values set for one run: the batch loops of scripting users."""

    OAK = os.path.join(EXAMPLES, "oak.regular.xml")
    GROWTH = ["--set", "regular.LengthVariation=30", "--set", "regular.AngleVariation=25",
              "--set", "regular.Gravity=-20", "--set", "regular.Bend=3"]
    # The oak's pages alone, counted exactly: its crown growth's levels are counted by their bound.
    PAGES = ["--set", "regular.CrownPoints=0"]

    def export(self, folder, *options):
        """The oak as folder/oak.glb: one name everywhere, which the materials carry."""
        os.makedirs(self.path(folder), exist_ok=True)
        result = run("export", self.OAK, "-o", self.path(folder, "oak.glb"), "--leaves", *self.GROWTH, *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.path(folder, "oak.glb"), "rb") as file:
            return file.read()

    def test_a_seed_gives_the_same_bytes_in_every_process_and_another_seed_another_tree(self):
        first, again = self.export("a", "--seed", "5"), self.export("b", "--seed", "5")
        self.assertEqual(first, again)
        self.assertNotEqual(self.export("c", "--seed", "6"), first)
        status, report = validate_gltf(self.path("a", "oak.glb"), self.path("c", "oak.glb"))
        self.assertEqual(status, 0, report)
        self.assertNotIn("warning", report.replace("0 warnings", ""), report)
        # --seed is the design's seed, as --set would set it.
        self.assertEqual(self.export("d", "--set", "regular.Seed=5"), first)

    def test_info_reports_the_growth_values_and_the_pieces(self):
        result = run("info", self.OAK, "--seed", "12", *self.GROWTH, *self.PAGES)
        self.assertEqual(result.returncode, 0, result.stderr)
        info = json.loads(result.stdout)
        self.assertEqual(info["growth"], {"Seed": 12, "LengthVariation": 30, "AngleVariation": 25, "Gravity": -20,
                                          "Bend": 3, "Stiffness": 0, "Pruning": 8, "CrownShape": 0, "CrownBase": 0,
                                          "CrownWidth": 0, "FlareWidth": 80, "FlareHeight": 15, "Roots": 6,
                                          "RootLength": 150, "RootDepth": 30, "RootRise": 30, "CrownPoints": 0,
                                          "CrownReach": 150, "CrownStep": 45, "CrownKill": 50, "CrownLight": 20,
                                          "CrownFrom": 6, "CrownLevels": 2, "PipeRule": 1, "PipeExponent": 200,
                                          "SmoothBends": 1})
        plain = json.loads(run("info", self.OAK, "--seed", "12", "--set", "regular.Bend=1", *self.PAGES).stdout)
        self.assertEqual(plain["growth"]["Bend"], 1)
        # Every branch is one piece at Bend 1 (the trunk is several where it flares).
        self.assertEqual(info["branchesPerLevel"][1:], plain["segmentsPerLevel"][1:])
        self.assertEqual(info["segmentsPerLevel"][1:], [3 * n for n in plain["segmentsPerLevel"][1:]])
        self.assertEqual(info["leafTriangles"], plain["leafTriangles"])

    def test_forms_are_counted_exactly_and_reach_every_export(self):
        forms = ["--set", "regular.FlareWidth=80", "--set", "regular.Roots=6", "--set", "regular.Pruning=25",
                 "--set", "regular.CrownShape=1", "--set", "regular.CrownWidth=60",
                 "--set", "regular.BranchSetup7.Laterals=3", "--set", "regular.BranchSetup7.AngleChange=-20",
                 *self.PAGES]
        result = run("info", self.OAK, *forms)
        self.assertEqual(result.returncode, 0, result.stderr)
        info = json.loads(result.stdout)
        self.assertEqual(info["rootSegments"], 6 * 8)
        self.assertEqual(info["treeTriangles"], info["estimate"]["treeTriangles"])
        # Roots reach below the ground.
        self.assertLess(info["boundingBox"]["min"][1], -0.3)
        # The simple generator has no crown to shape.
        simple = json.loads(run("info", SMALL_TREE).stdout)
        self.assertNotIn("CrownShape", simple["growth"])
        self.assert_fails(run("info", SMALL_TREE, "--set", "simple.CrownShape=1"), 2, "simple.CrownShape",
                          "regular and complex")
        for name in ("f.glb", "f.obj", "f.x", "f.dxf"):
            done = run("export", self.OAK, "-o", self.path(name), "--leaves", *forms)
            self.assertEqual(done.returncode, 0, done.stderr)
        status, report = validate_gltf(self.path("f.glb"))
        self.assertEqual(status, 0, report)
        for name in ("f.glb", "f.obj", "f.x"):
            code, text = assimp_info(self.path(name))
            self.assertEqual(code, 0, name + text)

    def test_set_takes_any_parameter_by_its_file_name(self):
        base = json.loads(run("info", self.OAK).stdout)
        taller = json.loads(run("info", self.OAK, "--set", "regular.Iteration=10").stdout)
        self.assertLess(len(taller["segmentsPerLevel"]), len(base["segmentsPerLevel"]))
        leafy = json.loads(run("info", self.OAK, "--set", "leaves.LeafSetup20.UseLeaf=1").stdout)
        self.assertGreater(leafy["leafTriangles"], base["leafTriangles"])

    def test_the_parameter_list_names_what_set_takes_with_its_range(self):
        sections = json.loads(run("parameters").stdout)
        self.assertEqual(sorted(sections), ["BaseSetup", "BranchSetup", "CustomSetup", "GrowthSetup", "LeafSetup"])
        key = {"BaseSetup": "regular.BaseSetup.%s", "CustomSetup": "simple.CustomSetup.%s",
               "GrowthSetup": "regular.GrowthSetup.%s", "BranchSetup": "regular.BranchSetup2.%s",
               "LeafSetup": "leaves.LeafSetup3.%s"}
        entries = [(key[section] % entry["name"], entry) for section in sections for entry in sections[section]]
        self.assertGreater(len(entries), 60)
        for name, entry in entries:
            self.assertTrue(entry["min"] <= entry["default"] <= entry["max"] and entry["help"].strip(), name)
            # One past the range is refused with the range named.
            result = run("info", SMALL_TREE, "--set", "%s=%d" % (name, entry["max"] + 1))
            self.assertIn("%d to %d" % (entry["min"], entry["max"]), result.stderr, name)
        # Every value at its top at once is taken (the estimate alone: the tree would be huge).
        tops = [word for name, entry in entries for word in ("--set", "%s=%d" % (name, entry["max"]))]
        result = run("info", SMALL_TREE, "--max-triangles", "1", *tops)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_unknown_keys_and_values_out_of_range_are_refused_in_one_line(self):
        for options, words in ((["--set", "regular.BranchSetup3.Foo=1"], ["regular.BranchSetup3.Foo", "no value Foo"]),
                               (["--set", "regular.Gravity=-101"], ["regular.Gravity=-101", "-100 to 100"]),
                               (["--set", "simple.Iteration=x"], ["simple.Iteration=x", "whole number"]),
                               (["--set", "simple.Iteration"], ["simple.Iteration", "KEY=VALUE"]),
                               (["--set", "simple.Cut=1"], ["simple.BaseSetup.Cut", "simple.CustomSetup.Cut"]),
                               (["--seed", "10000"], ["--seed 10000", "0 to 9999"]),
                               (["--seed", "many"], ["--seed", "many"]),
                               (["--bark-image", ""], ["--bark-image", "path of an image"]),
                               (["--stump-image", ""], ["--stump-image", "path of an image"])):
            self.assert_fails(run("export", self.OAK, "-o", self.path("t.glb"), *options), 2, *words)
        self.assertEqual(os.listdir(self.folder.name), [])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
