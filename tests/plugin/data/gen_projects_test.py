#!/usr/bin/env python3
"""The project-list generator the benchmarks read: it ends for every depth, nests its groups
as deep as asked and no deeper, writes every project, and repeats its bytes.

    gen_projects_test.py GENERATOR
"""
import subprocess
import sys
import xml.etree.ElementTree as ET


def deepest_group(element, level=0):
    if element.tag == "projectgroup":
        level += 1
    return max([level] + [deepest_group(child, level) for child in element])


def main():
    generator = sys.argv[1]
    passed = failed = 0
    for depth, flat in [(1, False), (2, False), (4, False), (4, True)]:
        args = [sys.executable, generator, "--groups", "80", "--projects", "30", "--depth", str(depth)]
        args += ["--flat"] if flat else []
        try:
            runs = [subprocess.run(args, capture_output=True, check=True, timeout=30).stdout for _ in range(2)]
            root = ET.fromstring(runs[0])
            problems = []
            if deepest_group(root) != (1 if flat else depth):
                problems.append(f"groups nest {deepest_group(root)} deep")
            if len(root.findall("./projects/project")) != 30:
                problems.append("projects missing")
            if runs[0] != runs[1]:
                problems.append("two runs differ")
        except (subprocess.SubprocessError, ET.ParseError) as error:
            problems = [str(error)]
        name = f"depth {depth}{' flat' if flat else ''}"
        if problems:
            failed += 1
            print(f"FAIL {name}: {'; '.join(problems)}")
        else:
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
