"""Checks that MLT lists the plug-in's parameters as the plug-in declares
them: the same parameters in the same order, each with the plug-in's title,
default, slider range and choice labels. What the plug-in declares is read
from `tintra info --plugin BUNDLE`; what MLT makes of it from `melt -query
filter=openfx.ID` (YAML). MLT adds parameters of its own, named mlt_*; they
are left out. Prints one line per parameter to stderr and, on stdout, one
line per parameter for the stage: MLT's identifier, the title, tintra's
option, then the choice labels, separated by tabs.

Usage: mlt_params.py TINTRA_INFO.txt MELT_QUERY.yml
"""
import math
import re
import sys

import yaml

HEADING = re.compile(r"^  \d+\. (.+) \(id -?\d+, (--\S+)\)(, starts disabled)?$")
ANGLE = re.compile(r"^ {7}angle, default (\S+) degrees(?:, dial (\S+)\.\.(\S+), valid .*)?$")
SLIDER = re.compile(r"^ {7}float slider, default (\S+), slider (\S+)\.\.(\S+), valid ")
POPUP = re.compile(r"^ {7}popup, (\d+) choices, default (\d+)$")
CHOICE = re.compile(r"^ {7}\d+ (.+?) +\(--\S+ \S+\)$")


def declared(text):
    """The parameters as tintra lists them, in order."""
    params = []
    for line in text.split("Parameters:\n", 1)[1].splitlines():
        if m := HEADING.match(line):
            params.append({"title": m[1], "option": m[2], "choices": []})
        elif m := ANGLE.match(line):
            params[-1].update(kind="angle", default=float(m[1]))
            if m[2] is not None:
                params[-1]["range"] = (float(m[2]), float(m[3]))
        elif m := SLIDER.match(line):
            params[-1].update(kind="slider", default=float(m[1]), range=(float(m[2]), float(m[3])))
        elif m := POPUP.match(line):
            params[-1].update(kind="popup", default=int(m[2]) - 1)
        elif m := CHOICE.match(line):
            params[-1]["choices"].append(m[1])
        else:
            params[-1].setdefault("kind", "other")
    return params


def same(a, b):
    return math.isclose(float(a), float(b), rel_tol=1e-6, abs_tol=1e-9)


def differences(want, got):
    """What MLT lists differently from what the plug-in declares."""
    found = []
    if got.get("title") != want["title"]:
        found.append(f"title {got.get('title')!r}")
    kind = want["kind"]
    if kind in ("angle", "slider"):
        if got.get("type") != "float" or not same(got.get("default", "nan"), want["default"]):
            found.append(f"{got.get('type')} default {got.get('default')}, not float {want['default']:g}")
    if "range" in want:
        shown = (got.get("minimum", "nan"), got.get("maximum", "nan"))
        if not all(same(g, w) for g, w in zip(shown, want["range"])):
            found.append(f"range {shown[0]}..{shown[1]}, not {want['range'][0]:g}..{want['range'][1]:g}")
    if kind == "popup":
        if got.get("values") != want["choices"]:
            found.append(f"labels {got.get('values')}, not {want['choices']}")
        if got.get("default") != want["choices"][want["default"]]:
            found.append(f"default {got.get('default')!r}")
    return found


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        want = declared(f.read())
    with open(sys.argv[2], encoding="utf-8") as f:
        got = [p for p in yaml.safe_load(f)["parameters"] if not p["identifier"].startswith("mlt_")]
    if [p["title"] for p in want] != [p.get("title") for p in got]:
        sys.exit(f"MLT lists {[p.get('title') for p in got]}, the plug-in declares {[p['title'] for p in want]}")
    failed = False
    for w, g in zip(want, got):
        found = differences(w, g)
        failed = failed or bool(found)
        shown = ", ".join(f"{k} {g[k]}" for k in ("type", "default", "minimum", "maximum", "values") if k in g)
        print(f"  {g['identifier']}: {w['title']} ({shown}){': ' + '; '.join(found) if found else ''}",
              file=sys.stderr)
        print("\t".join([g["identifier"], w["title"], w["option"]] + w["choices"]))
    if failed:
        sys.exit("MLT lists the parameters otherwise than the plug-in declares them")


main()
