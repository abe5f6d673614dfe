#!/usr/bin/env python3
"""Colours a file by a TextMate grammar the way TextMate editors do, with
Python's re engine standing in for Oniguruma (the same for the Perl subset
the grammar uses). Prints, per line of the file, the category of each
character, separated by blanks; scopes are named by SCOPE=CATEGORY
arguments, and what no pattern claims is Text.

At each place the pattern whose match starts earliest wins, the first
listed among those starting at the same place; a begin/end pattern opens a
region that runs across lines up to and including its end's match.

Usage: textmate_reader.py GRAMMAR FILE SCOPE=CATEGORY...
"""
import json
import re
import sys


def main():
    grammar = json.load(open(sys.argv[1], encoding="utf-8"))
    names = dict(pair.split("=", 1) for pair in sys.argv[3:])
    patterns = []
    for rule in grammar["patterns"]:
        start = re.compile(rule.get("match") or rule["begin"])
        end = re.compile(rule["end"]) if "end" in rule else None
        patterns.append((start, end, rule))
    region = None  # (end pattern, category) of a region still open
    for line in open(sys.argv[2], encoding="utf-8").read().split("\n")[:-1]:
        out = ["Text"] * len(line)

        def mark(begin, stop, scope):
            for k in range(begin, stop):
                out[k] = names.get(scope, "Text")

        pos = 0
        if region:
            found = region[0].search(line, pos)
            stop = found.end() if found else len(line)
            mark(0, stop, region[1])
            pos = stop
            if found:
                region = None
        while region is None and pos < len(line):
            best = None
            for start, end, rule in patterns:
                m = start.search(line, pos)
                if m and (best is None or m.start() < best[0].start()):
                    best = (m, end, rule)
            if best is None:
                break
            m, end, rule = best
            if end is not None:
                found = end.search(line, m.end())
                stop = found.end() if found else len(line)
                mark(m.start(), stop, rule["name"])
                if not found:
                    region = (end, rule["name"])
                pos = stop
            elif "captures" in rule:
                for group, capture in rule["captures"].items():
                    if m.group(int(group)) is not None:
                        mark(m.start(int(group)), m.end(int(group)), capture["name"])
                pos = m.end()
            else:
                mark(m.start(), m.end(), rule["name"])
                pos = m.end()
            if m.end() == m.start():
                pos += 1
        print(" ".join(out))


main()
