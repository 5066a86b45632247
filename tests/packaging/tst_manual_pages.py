#!/usr/bin/python3
"""Each manual page documents exactly the options its program's --help lists,
and each program names itself and its version with --version.

    tst_manual_pages.py PROGRAM PAGE [PROGRAM PAGE ...]
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--[a-z][a-z0-9-]*")


def help_options(program):
    done = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=30)
    if done.returncode != 0:
        raise SystemExit(f"{program} --help: exit status {done.returncode}")
    return set(OPTION.findall(done.stdout))


def version_line(program):
    done = subprocess.run([program, "--version"], capture_output=True, text=True, timeout=30)
    return done.returncode, (done.stdout.splitlines() or [""])[0]


def page_options(page):
    text = open(page, encoding="utf-8").read().replace("\\-", "-")
    # The options a page documents are the tagged paragraphs of OPTIONS.
    section = re.search(r"^\.SH OPTIONS\n(.*?)(?=^\.SH |\Z)", text, re.M | re.S)
    if not section:
        raise SystemExit(f"{page}: no OPTIONS section")
    tags = re.findall(r"^\.TP\n(.*)$", section.group(1), re.M)
    return {m for tag in tags for m in OPTION.findall(tag)}


def main(args):
    failures = []
    for program, page in zip(args[0::2], args[1::2]):
        in_help, in_page = help_options(program), page_options(page)
        if not in_help:
            failures.append(f"{program}: --help lists no options")
        for option in sorted(in_help - in_page):
            failures.append(f"{page}: {option} is in --help but not documented")
        for option in sorted(in_page - in_help):
            failures.append(f"{page}: {option} is documented but not in --help")
        status, line = version_line(program)
        name = program.rsplit("/", 1)[-1]
        if status != 0 or not re.match(re.escape(name) + r"( \(6175ZIZ\))? \d+\.\d+", line):
            failures.append(f"{program} --version: status {status}, {line!r}")
    for line in failures:
        print("FAIL:", line)
    print(f"{len(args) // 2} manual pages checked, {len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
