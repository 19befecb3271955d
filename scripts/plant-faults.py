#!/usr/bin/env python3
"""Plants each fault of scripts/faults.py on its own and records which tests catch it.

Works on a detached worktree of HEAD (commit first), so the working tree stays untouched: builds
it once, then for every fault replaces one exact text in one file, builds the program and the
test binaries again, runs every test binary (each GoogleTest case counted by name), and puts the
text back. Writes the table of docs/planted-faults.md from what it saw.

    scripts/plant-faults.py [--only ID ...] [--confirm] [--out FILE] [--keep DIR]

With --only, the rows of those faults are planted again and replaced in an existing table (the
counts at its top follow). With --confirm, each fault is planted again on the current tree but
only the tests its row names are run (their cases, or the whole binary a row names): a row one
of them still fails is kept; otherwise every test is run and the row rewritten. About a third of
a full run's time.

A fault whose text is not found exactly once, or whose tree does not build, is reported as such
and counts as not caught: the table must be fixed, not the result.
"""

import argparse
import concurrent.futures
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from faults import FAULTS, PREAMBLE  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
TIMEOUT_S = 240  # a binary that runs this long has hung (a missing guard shows as a hang)


def run(cmd, cwd, **kw):
    return subprocess.run(cmd, cwd=cwd, text=True, capture_output=True, **kw)


def test_commands(build):
    out = run(["ctest", "--show-only=json-v1"], build).stdout
    tests = []
    for t in json.loads(out)["tests"]:
        env = {}
        for p in t.get("properties", []):
            if p["name"] == "ENVIRONMENT":
                env.update(v.split("=", 1) for v in p["value"])
        tests.append((t["name"], t.get("command"), env))
    return tests


def run_test(name, command, env, scratch):
    """Names of the failing cases of one test command (the ctest name for a non-GoogleTest)."""
    report = pathlib.Path(scratch) / f"{name}.json"
    report.unlink(missing_ok=True)
    gtest = not command[0].endswith("sh")
    args = command + ([f"--gtest_output=json:{report}"] if gtest else [])
    try:
        done = run(args, scratch, env={**os.environ, **env}, timeout=TIMEOUT_S)
    except subprocess.TimeoutExpired:
        return [f"hangs in {name}"]
    if done.returncode == 0:
        return []
    if not gtest:
        return [name]
    if not report.exists():
        # The binary crashed: the cases that failed before it did, and the crash.
        failed = re.findall(r"^\[  FAILED  \] (\S+\.\S+) \(", done.stdout, re.MULTILINE)
        return sorted(set(failed)) + [f"crash in {name}"]
    failed = []
    for suite in json.loads(report.read_text())["testsuites"]:
        for case in suite["testsuite"]:
            if case.get("failures"):
                failed.append(f"{suite['name']}.{case['name']}")
    return failed or [name]


def caught_by(build, tests, scratch):
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        results = pool.map(lambda t: run_test(*t, scratch), tests)
    return sorted({name for names in results for name in names})


def named_tests(tests, row):
    """The test commands that run what a table row names: its cases (a filter), its binaries."""
    names = re.findall(r"`([^`]+)`", row.split("|")[4])
    cases = [n for n in names if re.fullmatch(r"\w+\.\w+", n)]
    binaries = {n.split()[-1] for n in names if n not in cases}
    chosen = []
    for name, command, env in tests:
        gtest = not command[0].endswith("sh")
        if name in binaries or pathlib.Path(command[0]).name in binaries:
            chosen.append((name, command, env))
        elif gtest and cases:
            chosen.append((name, command + ["--gtest_filter=" + ":".join(cases)], env))
    return chosen


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", nargs="*", help="plant only these faults")
    parser.add_argument("--out", default=str(ROOT / "docs" / "planted-faults.md"))
    parser.add_argument("--keep", help="worktree folder to use and keep (default: a temporary one)")
    parser.add_argument("--after", help="with --confirm: start after this fault (a run cut short)")
    parser.add_argument("--confirm", action="store_true",
                        help="run first only the tests each fault's row names")
    args = parser.parse_args()

    tree = pathlib.Path(args.keep or tempfile.mkdtemp(prefix="yb-faults-"))
    if not (tree / ".git").exists():
        run(["git", "worktree", "add", "--detach", "--force", str(tree), "HEAD"], ROOT, check=True)
    else:
        run(["git", "checkout", "--detach", "--force", run(["git", "rev-parse", "HEAD"], ROOT).stdout.strip()], tree, check=True)
    build = tree / "build"
    # Optimised without debug information, and linked by lld when it is there: one fault's
    # rebuild is mostly linking the test binaries again.
    linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
    run(["cmake", "-S", ".", "-B", "build", "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release", *linker],
        tree, check=True)
    # The whole tree once; then, for every fault, the test binaries (each a target of its file's
    # name: a test may run one binary again with other settings, and commands are known only
    # once the binaries exist) and the programs the shell tests need.
    built = run(["cmake", "--build", "build", "-j2"], tree)
    if built.returncode != 0:
        sys.exit("the clean tree does not build:\n" + built.stdout[-3000:])
    # The test binaries built here (a test run by an interpreter or a shell names no target).
    targets = sorted({pathlib.Path(command[0]).name for name, command, _ in test_commands(build)
                      if command[0].startswith(str(build))})
    targets += ["yb-downloader", "yb-logger-sim"]
    build_cmd = ["cmake", "--build", "build", "-j2", "--target", *targets]
    tests = test_commands(build)
    scratch = tempfile.mkdtemp(prefix="yb-faults-run-")
    clean = caught_by(build, tests, scratch)
    if clean:
        sys.exit("the clean tree fails: " + ", ".join(clean))

    def row(fault, result):
        names = ", ".join(f"`{r}`" if not r.startswith("**") else r for r in result)
        return f"| {fault['id']} | `{fault['file']}` | {fault['what']} | {names or '**none**'} |"

    out = pathlib.Path(args.out)
    commit = "`" + run(["git", "rev-parse", "--short", "HEAD"], tree).stdout.strip() + "`"
    table = {}
    before = None
    confirmed, redone = [], []  # with --confirm: rows whose tests still fail; rows planted again
    if (args.only or args.confirm) and out.exists():
        # Replace the rows planted again, keep the others, and say which commit each run saw.
        text = out.read_text()
        table = {line.split("|")[1].strip(): line for line in text.splitlines()
                 if line.startswith("| ") and not line.startswith("| #")}
        before = re.search(r"\(on commit (.*)\)\.", text)
        if args.only and before:
            commit = f"{before.group(1)}; {', '.join(args.only)} again on {commit}"
    planted_on = commit

    def write_table():
        # Written after every fault, so that a run cut short keeps what it found and says how far
        # it got.
        nonlocal commit
        if args.confirm:
            commit = (f"{before.group(1) if before else '?'}; {', '.join(confirmed)} confirmed "
                      f"again on {planted_on} by the tests each row names")
            if redone:
                commit += f"; {', '.join(redone)} again on {planted_on}"
        rows_text = [table[f["id"]] for f in FAULTS if f["id"] in table]
        caught = sum(1 for line in rows_text
                     if not line.rstrip(" |").endswith(("**none**", "build**"))
                     and "**not planted**" not in line)
        lines = [PREAMBLE.format(planted=len(rows_text), caught=caught, commit=commit).rstrip(), "",
                 "| # | where | fault | caught by |", "|---|---|---|---|", *rows_text]
        out.write_text("\n".join(lines) + "\n")

    skipping = bool(args.after)
    for fault in FAULTS:
        if args.only and fault["id"] not in args.only:
            continue
        if skipping:
            skipping = fault["id"] != args.after
            continue
        path = tree / fault["file"]
        original = path.read_text()
        found = original.count(fault["old"])
        if found != 1:
            result = [f"**not planted** (text found {found} times)"]
        else:
            path.write_text(original.replace(fault["old"], fault["new"]))
            named = named_tests(tests, table[fault["id"]]) if args.confirm and fault["id"] in table else []
            # Confirming, only the binaries the row names are built first.
            few = sorted({pathlib.Path(c[0]).name for _, c, _ in named} & set(targets))
            if named and run(build_cmd[:-len(targets)] + few + targets[-2:], tree).returncode == 0 \
                    and caught_by(build, named, scratch):
                result = None  # the row stands
            elif run(build_cmd, tree).returncode != 0:
                result = ["**does not build**"]
            else:
                result = caught_by(build, tests, scratch)
            path.write_text(original)
        if result is None:
            print(f"{fault['id']}: caught again by the tests its row names", flush=True)
            confirmed.append(fault["id"])
            write_table()
            continue
        print(f"{fault['id']}: {', '.join(result) or 'NOT CAUGHT'}", flush=True)
        redone.append(fault["id"])
        table[fault["id"]] = row(fault, result)
        write_table()
    write_table()
    run(build_cmd, tree)
    if not args.keep:
        run(["git", "worktree", "remove", "--force", str(tree)], ROOT)


if __name__ == "__main__":
    main()
