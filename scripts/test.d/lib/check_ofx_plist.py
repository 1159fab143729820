"""Checks the OFX bundle's Info.plist names the executable, the bundle type
and an identifier in our reverse domain.

Usage: check_ofx_plist.py Contents/Info.plist
"""
import plistlib
import sys

with open(sys.argv[1], "rb") as f:
    p = plistlib.load(f)
assert p["CFBundleExecutable"] == "TINTRA.ofx", p
assert p["CFBundlePackageType"] == "BNDL", p
assert p["CFBundleIdentifier"].startswith("com.github."), p
