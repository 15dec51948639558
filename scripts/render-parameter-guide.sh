#!/usr/bin/env bash
# Draws docs/parameters.md: for every parameter of the base, branch, growth and
# leaf pages, small pictures of one example with that value low, in the middle and
# high (a check box off and on), everything else as the example has it, drawn by
# the command-line tool. Needs a build (bash scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PYTHON'
import os
import re
import subprocess
import tempfile

CLI = "build/grovewright-cli"
OUT = "docs/parameters"
SIZE = "200x150"

# Page, example, the section and record the values sit in, the camera distance,
# then each parameter with the values to show.
PAGES = [
    ("Base page (every generator)", "examples/oak.regular.xml", ["RegularGrovewright", "BaseSetup"], 22, [
        ("Iteration", [4, 10, 18]), ("Height", [100, 280, 500]), ("HeightReduction", [60, 80, 100]),
        ("ExtendTo", [0, 3, 6]), ("ObliqueAngle", [0, 20, 45]), ("OrientationAngle", [0, 90, 180]),
        ("Division", [3, 8, 20]), ("Diameter", [20, 95, 200]), ("DiameterReduction", [30, 70, 100]),
        ("Cut", [0, 1])]),
    ("Branch page (regular and complex generators)", "examples/oak.regular.xml",
     ["RegularGrovewright", "BranchSetup1"], 22, [
        ("Diameter", [10, 45, 100]), ("Height", [100, 400, 500]), ("HeightReduction", [50, 75, 100]),
        ("RelativAdd", [30, 65, 100]), ("AddFrom", [0, 1, 2]), ("AddTo", [0, 1, 2]),
        ("OriAngle", [0, 90, 180]), ("AddAngle", [0, 48, 90]), ("UseBranch", [0, 1]), ("Cut", [0, 1])]),
    ("Branch page, complex generator only", "examples/birch.complex.xml",
     ["ComplexGrovewright", "BranchSetup2"], 22, [
        ("OnlyTrunc", [0, 1]), ("TruncBranches", [0, 1]), ("UseTwist", [0, 1])]),
    ("Growth (every generator)", "examples/oak.regular.xml", ["RegularGrovewright", "GrowthSetup"], 22, [
        ("Seed", [4, 50, 900]), ("LengthVariation", [0, 35, 80]), ("AngleVariation", [0, 30, 60]),
        ("Gravity", [-60, -10, 40]), ("Bend", [1, 3, 8])]),
    ("Growth: stiffness (every generator)", "examples/willow.regular.xml", ["RegularGrovewright", "GrowthSetup"], 16, [
        ("Stiffness", [0, 40, 100])], {"Gravity": -60}),
    ("Form: pruning (every generator)", "examples/oak.regular.xml", ["RegularGrovewright", "GrowthSetup"], 22, [
        ("Pruning", [0, 10, 25])]),
    ("Form: the crown (regular and complex generators)", "examples/spruce.complex.xml",
     ["ComplexGrovewright", "GrowthSetup"], 22, [
        ("CrownShape", [0, 1, 2]), ("CrownBase", [0, 30, 60]), ("CrownWidth", [0, 8, 15])], {"CrownShape": 1}),
    ("Form: flare and roots (every generator)", "examples/pine.complex.xml", ["ComplexGrovewright", "GrowthSetup"], 7, [
        ("FlareWidth", [0, 80, 200]), ("FlareHeight", [5, 15, 40]), ("Roots", [0, 6, 14]),
        ("RootLength", [100, 300, 700]), ("RootDepth", [0, 60, 200]), ("RootRise", [0, 40, 120])],
     {"FlareWidth": 80, "Roots": 8}, ["--camera-height", "1.2"]),
    ("Branch page: laterals (regular and complex generators)", "examples/oak.regular.xml",
     ["RegularGrovewright", "BranchForms", "Form6"], 22, [
        ("Laterals", [1, 3, 8]), ("SpreadTo", [0, 50, 100]), ("Divergence", [0, 90, 180]),
        ("AngleChange", [-40, 0, 40])], {"Laterals": 4, "SpreadTo": 30}),
    ("Leaf page", "examples/sapling.simple.xml", ["LeafCreator", "LeafSetup1"], 9, [
        ("Height", [10, 22, 60]), ("Width", [5, 15, 40]), ("AddAngle", [-60, 30, 90]),
        ("SplitAngle", [-45, 8, 45]), ("SpreadAngle", [-45, 0, 45]), ("TwistAngle", [0, 90, 180]),
        ("OriAngle", [0, 90, 180]), ("RelativAddDownTo", [0, 2, 4]), ("RelAdd", [0, 50, 100]),
        ("LeafSplit", [2, 3]), ("SegmentCount", [1, 4, 10]), ("AddHorizontal", [0, 1]), ("UseLeaf", [0, 1])]),
    ("Leaf page: leaves along a shoot and leaf by leaf", "examples/sapling.simple.xml", ["LeafCreator", "Foliage1"], 9, [
        ("ShootLeaves", [1, 4, 12]), ("Arrangement", [0, 2, 3]), ("SizeVariation", [0, 40, 90]),
        ("AngleVariation", [0, 30, 80]), ("LightnessVariation", [0, 40, 90]), ("HueVariation", [0, 50, 100]),
        ("AboveGround", [0, 1])]),
    ("Leaf page: compound leaves", "examples/palm.complex.xml", ["LeafCreator", "Foliage1"], 16, [
        ("Leaflets", [0, 8, 24]), ("LeafletLength", [10, 30, 60]), ("LeafletWidth", [5, 20, 60])],
     {"Leaflets": 16, "LeafSplit": 2}),
]


def with_value(text, path, name, value):
    """The project text with the value of name inside the nested elements of path
    (each added before its parent's end when the file leaves it out, as is the
    value)."""
    at, close = 0, len(text)
    for depth, element in enumerate(path):
        found = text.find("<%s>" % element, at, close)
        if found < 0:
            line = text.rfind("\n", 0, close) + 1
            pad = " " * (3 * (depth + 1))
            text = text[:line] + "%s<%s>\n%s</%s>\n" % (pad, element, pad, element) + text[line:]
            found = line + len(pad)
        at = found
        close = text.index("</%s>" % element, at)
    if text.find("<%s>" % name, at, close) < 0:
        line = "   <%s>%s</%s>\n" % (name, value, name)
        indent = text.rfind("\n", 0, close) + 1
        return text[:indent] + " " * (close - indent) + line + text[indent:]
    start = text.index("<%s>" % name, at) + len(name) + 2
    end = text.index("</%s>" % name, start)
    return text[:start] + str(value) + text[end:]


os.makedirs(OUT, exist_ok=True)
lines = ["# What each parameter does", "",
         "Each row shows one example with one value changed: low, in the middle and high (a check box off and",
         "on); everything else is as the example has it. The values are the ones the project file stores (the",
         "row shows lengths in metres, hundredths as 0.00 to 1.00). Every row's tooltip in the program says",
         "what it does, with its unit and range. Drawn by `bash scripts/render-parameter-guide.sh`.", ""]
with tempfile.TemporaryDirectory() as scratch:
    for title, example, path, distance, parameters, *extra in PAGES:
        preset, options = (extra + [{}, []])[:2]
        text = open(example, encoding="utf-8").read()
        # Values every picture of the section starts from (leaflets, for the leaflets' rows).
        for name, value in preset.items():
            section = path if name != "LeafSplit" else ["LeafCreator", "LeafSetup1"]
            text = with_value(text, section, name, value)
        generator = path[0].replace("Grovewright", "").lower()
        generator = generator if generator in ("simple", "regular", "complex") else \
            os.path.basename(example).split(".")[1]
        lines += ["## " + title, "", "`%s`, %s." % (example, " > ".join(path)), "",
                  "| Parameter | Low | Middle | High |", "|---|---|---|---|"]
        for name, values in parameters:
            cells = []
            for value in values:
                picture = "%s-%s-%s.png" % (path[-1].lower(), name.lower(), str(value).replace("-", "m"))
                project = os.path.join(scratch, "variant.%s.xml" % generator)
                with open(project, "w", encoding="utf-8") as variant:
                    variant.write(with_value(text, path, name, value))
                subprocess.run([CLI, "render", project, "--generator", generator, "--lighting", "on",
                                "--distance", str(distance), "--size", SIZE, *options,
                                "-o", os.path.join(OUT, picture)],
                               check=True, stdout=subprocess.DEVNULL)
                # A palette of 64 colours: the guide's hundred pictures stay small in the repository.
                subprocess.run(["convert", os.path.join(OUT, picture), "-colors", "64",
                                "PNG8:" + os.path.join(OUT, picture)], check=True)
                cells.append("![%s %s](parameters/%s)<br>%s" % (name, value, picture, value))
            if len(cells) == 2:
                cells = [cells[0], "", cells[1]]
            lines.append("| `%s` | %s |" % (name, " | ".join(cells)))
        lines.append("")
with open("docs/parameters.md", "w", encoding="utf-8") as guide:
    guide.write("\n".join(lines))
print("docs/parameters.md: %d pictures" % len(os.listdir(OUT)))
PYTHON
