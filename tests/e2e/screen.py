"""What the end-to-end tests of the window share: xdotool, screenshots and
reading pixels and text off them."""
import subprocess


def xdotool(*args, check=True, env=None):
    """xdotool's output; env: the environment, for another display."""
    return subprocess.run(["xdotool", *args], check=check, capture_output=True, text=True, timeout=30,
                          env=env).stdout


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True, timeout=60)
    return path


def pixels(png, box):
    """The RGB pixels of a screen region (x, y, width, height) of a screenshot."""
    x, y, w, h = box
    raw = subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "rgb:-"],
                         check=True, capture_output=True, timeout=60).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


def read_text(png, box):
    """The text in a screen region of a screenshot, read by OCR: enlarged first
    (the program's 8-point labels are too small as they are) and read as sparse
    text, which finds the labels of a settings page in any layout."""
    x, y, w, h = box
    enlarged = png + ".ocr.png"
    subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-resize", "400%", "-colorspace",
                    "Gray", enlarged], check=True, timeout=60)
    return subprocess.run(["tesseract", enlarged, "-", "--psm", "11"], check=True, capture_output=True, text=True,
                          timeout=120).stdout


def share(pixels_, test):
    return sum(1 for p in pixels_ if test(p)) / len(pixels_)
