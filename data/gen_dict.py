#!/usr/bin/env python3
"""Builds QV's dictionary data from open sources installed as Debian (and npm) packages: the
entry point the build calls; the stages are the package qvdata."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qvdata import generate  # noqa: E402

if __name__ == "__main__":
    sys.exit(generate.main())
