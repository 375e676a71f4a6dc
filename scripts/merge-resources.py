#!/usr/bin/env python3
"""Merges a plug-in's resource files into the one file the host reads beside the plug-in.

Usage: merge-resources.py OUT IN...

Each subsystem of the plug-in keeps its own part (bosses, views, menus, strings). Arrays are
joined in the order of the inputs, objects are merged key by key, and a plain value given
twice must be the same in both files.
"""
import json
import sys


def merge(into, part, where):
    for key, value in part.items():
        path = f"{where}/{key}"
        if key not in into:
            into[key] = value
        elif isinstance(into[key], list) and isinstance(value, list):
            into[key] = into[key] + value
        elif isinstance(into[key], dict) and isinstance(value, dict):
            merge(into[key], value, path)
        elif into[key] != value:
            raise ValueError(f"{path}: given twice with different values")


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out, inputs = sys.argv[1], sys.argv[2:]
    merged = {}
    for name in inputs:
        try:
            with open(name, encoding="utf-8") as f:
                merge(merged, json.load(f), "")
        except (OSError, ValueError) as e:
            sys.exit(f"merge-resources: {name}: {e}")
    with open(out + ".part", "w", encoding="utf-8") as f:
        json.dump(merged, f, indent=1, ensure_ascii=False)
        f.write("\n")
    import os
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main()
