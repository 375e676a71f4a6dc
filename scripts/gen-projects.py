#!/usr/bin/env python3
"""Writes a large project list in tessaron-proofd's XML format to standard output.

The same arguments always give the same bytes. Groups nest up to --depth
levels, most under a `projectgroups` element and some as direct children, or
all stand at the top level with --flat; a few groups are hidden (id -1 or an
empty name) the way the server marks them.
Projects belong to visible groups and carry status codes and, for some, a
page range.

    scripts/gen-projects.py --groups 2000 --projects 100000 > big.xml   # about 19 MB
    scripts/gen-projects.py --flat --groups 20 --projects 100000 > wide.xml  # 5,000 a group
"""
import argparse
import io
import random
import sys
from xml.sax.saxutils import quoteattr

CLIENTS = ["Northwind", "Harbour & Co", "Lumière", "Kestrel Press", "Atlas Foods",
           "Blue Fjord", "Marlow Smith & Sons", "Oakfield", "Vantage", "Zephyr Travel"]
KINDS = ["Catalogue", "Magazine", "Brochure", "Annual Report", "Menu", "Poster",
         "Flyer", "Newsletter", "Packaging", "Price List"]
SEASONS = ["Spring", "Summer", "Autumn", "Winter", "Holiday", "Launch"]
PARTS = ["Cover", "Inside Pages", "Feature", "Advertisements", "Order Form", "Back Cover",
         "Editorial", "Index", "Insert", "Spread", "Coupon", "Map"]
STATUS_NAMES = ["Draft", "For Review", "Corrections", "Legal Check", "Proof", "Approved",
                "On Hold", "Printed", "Translation", "Colour Check", "Client OK", "Archived"]


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--groups", type=int, default=2000, help="number of project groups")
    parser.add_argument("--projects", type=int, default=100000, help="number of projects")
    parser.add_argument("--statuscodes", type=int, default=12, help="number of status codes")
    parser.add_argument("--depth", type=int, default=5, help="deepest group nesting")
    parser.add_argument("--flat", action="store_true", help="every group at the top level")
    parser.add_argument("--hidden", type=int, default=None,
                        help="hidden groups (default: one in a hundred)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the generator")
    args = parser.parse_args()
    if args.groups < 1 or args.projects < 0 or args.statuscodes < 1 or args.depth < 1:
        parser.error("need at least one group, one status code and a depth of one")
    if args.hidden is None:
        args.hidden = args.groups // 100
    if not 0 <= args.hidden < args.groups:
        parser.error("--hidden must leave at least one visible group")
    return args


def build_groups(args, rng):
    """Returns (children, top, hidden, names): the tree as parent -> child ids."""
    # At depth 1 no group can stand below another: all of them are top-level.
    top_count = args.groups if args.flat or args.depth == 1 else max(1, args.groups // 25)
    depth = {}
    children = {gid: [] for gid in range(1, args.groups + 1)}
    top = []
    for gid in range(1, args.groups + 1):
        if gid <= top_count:
            depth[gid] = 1
            top.append(gid)
            continue
        parent = rng.randint(1, gid - 1)
        while depth[parent] >= args.depth:
            parent = rng.randint(1, gid - 1)
        depth[gid] = depth[parent] + 1
        children[parent].append(gid)
    hidden = set(rng.sample(range(1, args.groups + 1), args.hidden))
    names = {}
    for gid in range(1, args.groups + 1):
        if depth[gid] == 1:
            names[gid] = f"{CLIENTS[gid % len(CLIENTS)]} {gid}"
        elif depth[gid] == 2:
            names[gid] = f"{rng.choice(SEASONS)} {rng.choice(KINDS)} {gid}"
        else:
            names[gid] = f"{rng.choice(KINDS)} {rng.choice(PARTS)} {gid}"
    return children, top, hidden, names


def write_group(out, gid, level, children, hidden, names, rng):
    pad = "  " * level
    gid_text = "-1" if gid in hidden and gid % 2 == 0 else str(gid)
    name = "" if gid in hidden and gid % 2 == 1 else names[gid]
    attrs = f"id={quoteattr(gid_text)} name={quoteattr(name)}"
    kids = children[gid]
    if not kids:
        out.write(f"{pad}<projectgroup {attrs}/>\n")
        return
    out.write(f"{pad}<projectgroup {attrs}>\n")
    # Most groups wrap their sub-groups; some list them directly, which the
    # format also allows.
    wrapped = rng.random() < 0.8
    inner = level + 2 if wrapped else level + 1
    if wrapped:
        out.write(f"{pad}  <projectgroups>\n")
    for kid in kids:
        write_group(out, kid, inner, children, hidden, names, rng)
    if wrapped:
        out.write(f"{pad}  </projectgroups>\n")
    out.write(f"{pad}</projectgroup>\n")


def reachable_groups(children, top, hidden):
    seen = []
    stack = [g for g in reversed(top) if g not in hidden]
    while stack:
        gid = stack.pop()
        seen.append(gid)
        stack.extend(k for k in reversed(children[gid]) if k not in hidden)
    return sorted(seen)


def main():
    args = parse_args()
    rng = random.Random(args.seed)
    children, top, hidden, names = build_groups(args, rng)
    visible = reachable_groups(children, top, hidden) or top
    out = io.TextIOWrapper(sys.stdout.buffer, encoding="utf-8", newline="\n")
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n')
    out.write('<tessaron authenticated="1" type="TESSARON_UPDATE" '
              'filename="$project_code$_$file_name$_$page_number$">\n')
    out.write("  <projectgroups>\n")
    for gid in top:
        write_group(out, gid, 2, children, hidden, names, rng)
    out.write("  </projectgroups>\n")

    out.write("  <projects>\n")
    status_ids = list(range(1, args.statuscodes + 1))
    for n in range(1, args.projects + 1):
        pid = 100000 + n
        group = rng.choice(visible)
        name = f"{rng.choice(SEASONS)} {rng.choice(KINDS)} {rng.choice(PARTS)} {pid}"
        code = f"{names[group].split()[0][:4].upper()}-{pid}"
        codes = rng.sample(status_ids, rng.randint(1, min(6, len(status_ids))))
        attrs = (f"id=\"{pid}\" name={quoteattr(name)} filename_text={quoteattr(code)} "
                 f"statuscodes=\"{','.join(map(str, codes))}\" project_group_id=\"{group}\"")
        if rng.random() < 0.6:
            first = rng.randint(1, 200)
            last = first + rng.randint(0, 64)
            out.write(f"    <project {attrs}>\n      <pages>\n"
                      f"        <page pagefrom=\"{first}\" pageto=\"{last}\"/>\n"
                      f"      </pages>\n    </project>\n")
        else:
            out.write(f"    <project {attrs}/>\n")
    out.write("  </projects>\n")

    out.write("  <statuscodes>\n")
    for sid in status_ids:
        label = STATUS_NAMES[(sid - 1) % len(STATUS_NAMES)]
        if sid > len(STATUS_NAMES):
            label = f"{label} {sid}"
        out.write(f"    <statuscode id=\"{sid}\" name={quoteattr(label)} "
                  f"description={quoteattr(label + ' stage')} "
                  f"bgcolor=\"{rng.randint(0, 0xFFFFFF)}\" textcolor=\"{rng.choice([0, 0xFFFFFF])}\"/>\n")
    out.write("  </statuscodes>\n")
    out.write("</tessaron>\n")
    out.flush()


if __name__ == "__main__":
    main()
