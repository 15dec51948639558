#!/usr/bin/env bash
# Draws the parameter guide, docs/parameters.md and docs/parameters.html (the
# page Help > Parameter guide opens): for every parameter of the generators' and
# the leaf generator's pages, what it does (its row's tooltip) and three pictures
# of a design where it has an effect, with the value low, in the middle and high
# (a check box off and on), everything else as the design has it. A row whose
# pictures come out the same fails the run: it would teach nothing. The same
# build draws the same bytes. Needs a build (bash scripts/build.sh).
#
#   render-parameter-guide.sh [--out FOLDER] [--sections N] [--cli PATH]
#
# --out writes the pages and pictures into another folder (default docs);
# --sections draws only the first N sections; --cli names the command-line tool
# (default build/grovewright-cli).
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PYTHON'
import argparse
import html
import json
import os
import subprocess
import tempfile

CLI = "build/grovewright-cli"  # or --cli
SIZE = "320x240"

SMALL, OAK, BIRCH, SPRUCE, PINE, WILLOW, PALM, SAPLING = ("examples/small-tree.xml",
    "examples/oak.regular.xml", "examples/birch.complex.xml", "examples/spruce.complex.xml",
    "examples/pine.complex.xml", "examples/willow.regular.xml", "examples/palm.complex.xml",
    "examples/sapling.simple.xml")


def row(name, values, example=None, path=None, distance=None, preset=None, options=()):
    """A parameter with its values, on the section's design unless another is named,
    with values the design starts from and options of its pictures."""
    return {"name": name, "values": values, "example": example, "path": path, "distance": distance,
            "preset": preset or {}, "options": list(options)}


# Caps close the ends of thick branches seen from above them.
CAPS = ["--camera-height", "8"]


# Each section: its title, the design and the elements its values sit in, the
# camera distance, its rows, and values every picture of the section starts from.
SECTIONS = [
    ("Base page (every generator)", OAK, ["RegularGrovewright", "BaseSetup"], 22, [
        row("Iteration", [4, 10, 18]), row("Height", [100, 280, 500]),
        # Only the simple generator's forks shorten by it: the regular one's pages have their own.
        row("HeightReduction", [50, 75, 100], SAPLING, ["SimpleGrovewright", "BaseSetup"], 6),
        row("ExtendTo", [0, 3, 6]), row("ObliqueAngle", [0, 20, 45]), row("OrientationAngle", [0, 90, 180]),
        row("Division", [3, 8, 20]), row("Diameter", [20, 95, 200]), row("DiameterReduction", [30, 70, 100]),
        row("Cut", [0, 1], SMALL, ["SimpleGrovewright", "BaseSetup"], 3, {"Iteration": 0, "Diameter": 150},
            ["--camera-height", "3.5"])], {}),
    ("The simple generator's own page", SAPLING, ["SimpleGrovewright", "CustomSetup"], 6, [
        row("Balance", [20, 50, 80]), row("SpreadAngle", [10, 45, 120]), row("TwistAngle", [0, 60, 150]),
        row("BalanceDependence", [0, 1], preset={"Balance": 25}),
        row("DiameterBalanceDep", [0, 1], preset={"Balance": 20}),
        row("Cut", [0, 1], SMALL, distance=4, preset={"BaseSetup.Diameter": 150}, options=CAPS)], {}),
    ("Branch page (regular and complex generators)", OAK, ["RegularGrovewright", "BranchSetup1"], 22, [
        row("Diameter", [10, 45, 100]), row("Height", [100, 400, 500]),
        row("HeightReduction", [50, 75, 100], SPRUCE, ["ComplexGrovewright", "BranchSetup2"]),
        row("RelativAdd", [30, 65, 100]),
        row("AddFrom", [0, 3, 6], SPRUCE, ["ComplexGrovewright", "BranchSetup2"]),
        row("AddTo", [2, 6, 20], SPRUCE, ["ComplexGrovewright", "BranchSetup2"]),
        row("OriAngle", [0, 90, 180]), row("AddAngle", [0, 48, 90]), row("UseBranch", [0, 1]),
        # The caps' triangles show as fans of lines at the tips of the last level grown
        # (without the crown growth's shoots, which grow on from them).
        row("Cut", [0, 1], OAK, ["RegularGrovewright", "BranchSetup6"], 8,
            {"BaseSetup.Iteration": 6, "GrowthSetup.CrownPoints": 0},
            ["--mode", "wire", "--camera-height", "8"])], {}),
    ("Branch page, complex generator only", BIRCH, ["ComplexGrovewright", "BranchSetup2"], 22, [
        row("OnlyTrunc", [0, 1]), row("TruncBranches", [0, 1], preset={"OnlyTrunc": 0}),
        row("UseTwist", [0, 1])], {}),
    ("Growth (every generator)", OAK, ["RegularGrovewright", "GrowthSetup"], 22, [
        row("Seed", [4, 50, 900]), row("LengthVariation", [0, 35, 80]), row("AngleVariation", [0, 30, 60]),
        row("Gravity", [-60, -10, 40]), row("Bend", [1, 3, 8]),
        row("Stiffness", [0, 40, 100], WILLOW, distance=16, preset={"Gravity": -60})], {}),
    ("Form: pruning and the crown", OAK, ["RegularGrovewright", "GrowthSetup"], 22, [
        row("Pruning", [0, 10, 25]),
        row("CrownShape", [0, 1, 2], SPRUCE, ["ComplexGrovewright", "GrowthSetup"], preset={"CrownShape": 1}),
        row("CrownBase", [0, 30, 60], SPRUCE, ["ComplexGrovewright", "GrowthSetup"], preset={"CrownShape": 1}),
        row("CrownWidth", [0, 8, 15], SPRUCE, ["ComplexGrovewright", "GrowthSetup"], preset={"CrownShape": 1}),
        # Close to the limbs, where the joints of their pieces show.
        row("SmoothBends", [0, 1], WILLOW, ["RegularGrovewright", "GrowthSetup"], 6)], {}),
    ("Crown growth and the pipe rule (regular and complex generators)", OAK,
     ["RegularGrovewright", "GrowthSetup"], 22, [
        row("CrownPoints", [0, 800, 2500]), row("CrownReach", [60, 150, 400]), row("CrownStep", [20, 40, 120]),
        row("CrownKill", [20, 50, 150]), row("CrownLight", [-100, 20, 100]), row("CrownFrom", [3, 6, 10]),
        row("CrownLevels", [1, 2, 4]), row("PipeRule", [0, 1]), row("PipeExponent", [200, 250, 300])], {}),
    ("Form: flare and roots (every generator)", PINE, ["ComplexGrovewright", "GrowthSetup"], 7, [
        row("FlareWidth", [0, 80, 200]), row("FlareHeight", [5, 15, 40]), row("Roots", [0, 6, 14]),
        row("RootLength", [100, 300, 700]), row("RootDepth", [0, 60, 200]), row("RootRise", [0, 40, 120])],
     {"FlareWidth": 80, "Roots": 8}, ["--camera-height", "1.2"]),
    ("Branch page: laterals (regular and complex generators)", OAK,
     ["RegularGrovewright", "BranchForms", "Form6"], 22, [
        row("Laterals", [1, 3, 8]), row("SpreadTo", [0, 50, 100]), row("Divergence", [0, 90, 180]),
        row("AngleChange", [-40, 0, 40])], {"Laterals": 4, "SpreadTo": 30}),
    ("Leaf page", SAPLING, ["LeafCreator", "LeafSetup1"], 6, [
        row("Height", [10, 22, 60]), row("Width", [5, 15, 40]), row("AddAngle", [-60, 30, 90]),
        row("SplitAngle", [-45, 8, 45]), row("SpreadAngle", [-45, 0, 45], preset={"LeafSplit": 3}),
        row("TwistAngle", [0, 90, 180]), row("OriAngle", [0, 90, 180]), row("RelativAddDownTo", [0, 2, 4]),
        row("RelAdd", [0, 50, 100]), row("LeafSplit", [2, 3]), row("SegmentCount", [1, 4, 10]),
        # Leaves of 22 by 15 cm show the grid's fold and twist the sapling's small ones hide.
        row("AddHorizontal", [0, 1]), row("UseLeaf", [0, 1])], {"Height": 22, "Width": 15}),
    ("Leaf page: leaves along a shoot and leaf by leaf", SAPLING, ["LeafCreator", "Foliage1"], 6, [
        row("ShootLeaves", [1, 4, 12]), row("Arrangement", [0, 2, 3], preset={"ShootLeaves": 6}),
        row("SizeVariation", [0, 40, 90]), row("AngleVariation", [0, 30, 80]),
        row("LightnessVariation", [0, 50, 100], distance=3, options=["--camera-height", "3"]),
        row("HueVariation", [0, 50, 100], distance=3, options=["--camera-height", "3"]),
        # Leaves hang below the ground only where the crown comes down to it.
        row("AboveGround", [0, 1], WILLOW, distance=16, preset={"LeafSetup1.Height": 80}),
        # Near the crown, the leaves that stand edge-on to the eye show their twins.
        row("Crossed", [0, 1], distance=3, options=["--camera-height", "3"])], {}),
    ("Leaf page: compound leaves", PALM, ["LeafCreator", "Foliage1"], 16, [
        row("Leaflets", [0, 8, 24]), row("LeafletLength", [10, 30, 60]), row("LeafletWidth", [5, 20, 60])],
     {"Leaflets": 16, "LeafSetup1.LeafSplit": 2}),
]

# Sections a value belongs to, by the element that holds it.
TABLES = {"BaseSetup": "BaseSetup", "CustomSetup": "CustomSetup", "GrowthSetup": "GrowthSetup",
          "BranchSetup": "BranchSetup", "Form": "BranchSetup", "LeafSetup": "LeafSetup", "Foliage": "LeafSetup"}


def table_of(element):
    return TABLES[element.rstrip("0123456789")]


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


def preset_at(path, name):
    """Where a preset value sits: in the row's element, or in its sibling named
    before a dot ("LeafSetup1.Height")."""
    if "." in name:
        sibling, name = name.split(".")
        return path[:-1] + [sibling], name
    return path, name


def render(text, generator, distance, options, picture, scratch):
    project = os.path.join(scratch, "variant.%s.xml" % generator)
    with open(project, "w", encoding="utf-8") as variant:
        variant.write(text)
    drawn = os.path.join(scratch, "drawn.png")
    # A light below full strength, so that the leaves' shades and the crown's form show.
    subprocess.run([CLI, "render", project, "--generator", generator, "--lighting", "on", "--ambient", "40",
                    "--diffuse", "60", "--counts", "off",
                    "--distance", str(distance), "--size", SIZE, *options, "-o", drawn],
                   check=True, stdout=subprocess.DEVNULL)
    # A palette of 128 colours keeps the guide small; no date or time chunks, so
    # that the same picture is the same bytes.
    subprocess.run(["convert", drawn, "-colors", "128", "-define", "png:exclude-chunks=date,time",
                    "+set", "date:create", "+set", "date:modify", "PNG8:" + picture], check=True)
    with open(drawn, "rb") as pixels:
        return pixels.read()


def main():
    global CLI
    options = argparse.ArgumentParser()
    options.add_argument("--out", default="docs")
    options.add_argument("--sections", type=int, default=len(SECTIONS))
    options.add_argument("--cli", default=CLI)
    arguments = options.parse_args()
    CLI = arguments.cli
    pictures = os.path.join(arguments.out, "parameters")
    os.makedirs(pictures, exist_ok=True)
    for old in os.listdir(pictures):  # pictures of rows since left out must not stay behind
        os.remove(os.path.join(pictures, old))
    described = json.loads(subprocess.run([CLI, "parameters"], check=True, capture_output=True, text=True).stdout)
    help_of = {(section, entry["name"]): entry["help"] for section, entries in described.items() for entry in entries}

    intro = ("Each row says what one parameter does and shows a design with that value low, in the middle and "
             "high (a check box off and on); everything else is as the design has it. The values are the ones "
             "the project file stores: lengths in centimetres, shares in hundredths. Drawn by "
             "`bash scripts/render-parameter-guide.sh`.")
    markdown = ["# What each parameter does", "", intro, ""]
    page = ["<!DOCTYPE html>", '<html lang="en">', "<head>", '<meta charset="utf-8">',
            "<title>Grovewright: what each parameter does</title>",
            "<style>body{font-family:sans-serif;max-width:1100px;margin:auto;padding:0 1em}"
            "td{vertical-align:top;padding:4px}td.name{width:260px}img{width:320px;height:240px}"
            "figcaption{text-align:center}figure{margin:0}</style>",
            "</head>", "<body>", "<h1>What each parameter does</h1>",
            "<p>%s</p>" % html.escape(intro.replace("`", ""))]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for title, example, path, distance, rows, preset, *extra in SECTIONS[:arguments.sections]:
            section_options = extra[0] if extra else []
            markdown += ["## " + title, "", "| Parameter | Low | Middle | High |", "|---|---|---|---|"]
            page += ["<h2>%s</h2>" % html.escape(title), "<table>"]
            for entry in rows:
                name = entry["name"]
                row_example = entry["example"] or example
                row_path = entry["path"] or path
                row_distance = entry["distance"] or distance
                text = open(row_example, encoding="utf-8").read()
                for preset_name, value in {**(preset if row_example == example else {}), **entry["preset"]}.items():
                    text = with_value(text, *preset_at(row_path, preset_name), value)
                generator = row_path[0].replace("Grovewright", "").lower()
                if generator not in ("simple", "regular", "complex"):
                    generator = os.path.basename(row_example).split(".")[1]
                sentence = help_of[(table_of(row_path[-1]), name)]
                cells, html_cells, drawn = [], [], set()
                for value in entry["values"]:
                    picture = "%s-%s-%s.png" % (row_path[-1].lower(), name.lower(), str(value).replace("-", "m"))
                    drawn.add(render(with_value(text, row_path, name, value), generator, row_distance,
                                     section_options + entry["options"], os.path.join(pictures, picture), scratch))
                    cells.append("![%s %s](parameters/%s)<br>%s" % (name, value, picture, value))
                    html_cells.append('<td><figure><img src="parameters/%s" alt="%s %s"><figcaption>%s'
                                      "</figcaption></figure></td>" % (picture, name, value, value))
                if len(drawn) < len(entry["values"]):
                    failures.append("%s %s on %s: %d of its %d pictures are the same" % (
                        " > ".join(row_path), name, row_example, len(entry["values"]) - len(drawn) + 1,
                        len(entry["values"])))
                if len(cells) == 2:
                    cells.insert(1, "")
                    html_cells.insert(1, "<td></td>")
                design = "" if row_example == example else " On `%s`." % row_example
                markdown.append("| **`%s`**<br>%s%s | %s |" % (name, sentence, design, " | ".join(cells)))
                page.append('<tr><td class="name"><b>%s</b><br>%s%s</td>%s</tr>' % (
                    html.escape(name), html.escape(sentence), html.escape(design.replace("`", "")),
                    "".join(html_cells)))
            markdown.append("")
            page.append("</table>")
    page += ["</body>", "</html>", ""]
    with open(os.path.join(arguments.out, "parameters.md"), "w", encoding="utf-8") as guide:
        guide.write("\n".join(markdown))
    with open(os.path.join(arguments.out, "parameters.html"), "w", encoding="utf-8") as guide:
        guide.write("\n".join(page))
    if failures:
        raise SystemExit("Rows that show no change:\n" + "\n".join(failures))
    print("%s: %d pictures" % (arguments.out, len(os.listdir(pictures))))


main()
PYTHON
