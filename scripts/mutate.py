#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Judges the tests by planted faults (mutants), one at a time.

scripts/mutate.py [--only SEL[,SEL...]] [--keep-going] [--sample N [--seed S]] [--check] [--no-stop]
                  [--tests REGEX [--exclude REGEX]] [--jobs J] [--test-jobs J] [--timeout SEC]
                  [--no-baseline] [--list FILE] [--work DIR]

Each mutant of the list (tests/mutants.txt: what each entry holds is explained at its top) is planted in a
scratch copy of this working tree (build-mutants/src, built in build-mutants/build), which is rebuilt
incrementally; then the tests the entry names run. A failing or hanging test kills the mutant; a mutant
whose code does not compile counts apart. The scratch file is put back whatever happens, Ctrl-C included,
and the copy is brought up to date from the working tree at every start, so the developer's own files are
never touched. Each mutant's build and test output is in build-mutants/logs/, the verdicts in
build-mutants/results.json.

  --only        entries by number (3, 7-9) or by folder (search, gui/window: the start of the file's path)
  --keep-going  go on past a list entry whose text is not found on exactly one line, or a failed baseline
  --sample N    N mutants drawn at random from the code of the list's folders instead of the list: one
                random line each, one plausible fault on it (a flipped comparison, a constant off by one,
                a dropped !, && and || swapped, two arguments swapped but not those of min, max or
                swap); only code inside function bodies is drawn from, not declarations (array sizes,
                member defaults, tables); the folder's tests judge it
  --check       only find each entry's line (no build, no test)
  --no-stop     run every chosen test, not just up to the first failure, then show for each test how many
                mutants it caught and how many no other test caught (tests that catch nothing are the
                candidates for removal); with --tests . it judges the whole suite
  --no-baseline skip the first run of the chosen tests on the unmutated tree (which must pass)
"""
import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from collections import OrderedDict, defaultdict

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OVERRIDE = {}  # --tests and --exclude: one selection of tests for every mutant


class ListError(Exception):
    pass


# ---- The list ----
def read_list(path):
    """The entries (blocks with file:) and the folders (blocks with folder:), in the file's order."""
    entries, folders, block = [], OrderedDict(), {}

    def close():
        if not block:
            return
        if "folder" in block:
            folders[block["folder"]] = dict(block)
        else:
            for key in ("file", "find", "to", "tests", "what"):
                if key not in block:
                    raise ListError(f"{path}: the entry before line {block['_line']} has no '{key}:'")
            block["index"] = len(entries) + 1
            entries.append(dict(block))
        block.clear()

    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip():
                close()
                continue
            if line.startswith("#"):
                continue
            key, sep, value = line.partition(":")
            if not sep or not re.fullmatch(r"[a-z]+", key):
                raise ListError(f"{path}:{number}: expected 'key: value', got {line!r}")
            block.setdefault("_line", number)
            block[key] = value[1:] if value.startswith(" ") else value
    close()
    return entries, folders


def select(entries, only):
    if not only:
        return entries
    chosen = []
    for word in only.split(","):
        if re.fullmatch(r"\d+(-\d+)?", word):
            lo, _, hi = word.partition("-")
            chosen += [e for e in entries if int(lo) <= e["index"] <= int(hi or lo)]
        else:
            chosen += [e for e in entries if e["file"].startswith(word.rstrip("/") + "/")]
    return sorted({e["index"]: e for e in chosen}.values(), key=lambda e: e["index"])


def locate(source, entry):
    """The number (from 0) of the one line holding the entry's text, and that line mutated."""
    path = os.path.join(source, entry["file"])
    if not os.path.isfile(path):
        raise ListError(f"#{entry['index']}: no file {entry['file']}")
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")

    def lines_with(text, start=0):
        return [i for i in range(start, len(lines)) if text in lines[i]]

    def fault(text, hits):
        where = "lines " + ", ".join(str(i + 1) for i in hits[:5]) if hits else "no line"
        return ListError(f"#{entry['index']}: '{text}' is on {where} of {entry['file']}, not one line")

    # A text found twice in the file is looked for after an anchor: the first line holding it past the
    # one line holding the anchor.
    if "after" in entry:
        anchor = lines_with(entry["after"])
        if len(anchor) != 1:
            raise fault(entry["after"], anchor)
        hits = lines_with(entry["find"], anchor[0] + 1)[:1]
    else:
        hits = lines_with(entry["find"])
    if len(hits) != 1:
        raise fault(entry["find"], hits)
    line = lines[hits[0]]
    if line.count(entry["find"]) != 1:
        raise ListError(f"#{entry['index']}: '{entry['find']}' is more than once on line {hits[0] + 1}")
    return hits[0], line.replace(entry["find"], entry["to"])


# ---- A random sample ----
def masked(line):
    """The line with string and character literals blanked and its // comment cut: operators are
    looked for in code only, at the same positions."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("__")
                i += 2
                continue
            out.append(c if c == quote else "_")
            quote = None if c == quote else quote
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}


def faults_on(line):
    """Every plausible fault on one line: (start, end, replacement, description)."""
    code = masked(line)
    s = code.strip()
    if not s or s.startswith(("#", "*", "/*", "static_assert", "using ", "namespace", "template")):
        return []
    found = []
    for m in re.finditer(r"(?<=\S) (<=|>=|==|!=|<|>) (?=\S)", code):
        found.append((m.start(1), m.end(1), FLIP[m.group(1)], f"{m.group(1)} becomes {FLIP[m.group(1)]}"))
    # A constant in a bound, an offset, an index or an assignment; not an argument or an initializer
    # list, where one more or less is mostly a pixel, a colour or a pause.
    for m in re.finditer(r"(?<![\w.'])(\d+)(?![\w.'])", code):
        before, after = code[:m.start()].rstrip()[-1:], code[m.end():].lstrip()[:1]
        if before not in set("<>=+-*/%[?") and after not in set("<>=+-*/%]?"):
            continue
        declared = re.search(r"(\w+|>)\s+\w+(\[\w+\])*\[$", code[:m.start()])
        if declared and declared.group(1) not in ("return", "case", "throw", "delete", "else", "do"):
            continue  # an array's size where it is declared: a type, not code
        n = int(m.group(1))
        for k in ([n + 1, n - 1] if n > 0 else [n + 1]):
            found.append((m.start(), m.end(), str(k), f"{n} becomes {k}"))
    for m in re.finditer(r"!(?!=)", code):
        found.append((m.start(), m.end(), "", "a ! dropped"))
    for m in re.finditer(r"(?<=\S) (&&|\|\|) (?=\S)", code):
        other = "||" if m.group(1) == "&&" else "&&"
        found.append((m.start(1), m.end(1), other, f"{m.group(1)} becomes {other}"))
    # Two arguments of a call (a declaration's "Type name" pairs are left alone).
    for m in re.finditer(r"\b\w+\(([^(),\s]+), ([^(),\s]+)\)", code):
        a, b = m.group(1), m.group(2)
        if a.strip() != b.strip() and m.group(0).split("(")[0] not in ("min", "max", "swap"):
            found.append((m.start(1), m.end(2), line[m.start(2):m.end(2)] + ", " + line[m.start(1):m.end(1)],
                          f"arguments {a.strip()} and {b.strip()} swapped"))
    return found


# A brace opens a function's body when the code before it ends a parameter list (with its qualifiers, a
# trailing return type or a constructor's initializer list); every brace inside a body belongs to it.
BODY_START = re.compile(r"\)\s*(?:const|override|final|noexcept|mutable|\s)*(?:->\s*[\w:<>*& ]+)?\s*$")


def body_columns(lines):
    """For each line, the columns that lie inside a function's body. Faults are drawn there only, as
    mutation tools do: array sizes, member defaults and tables outside functions change what no test of
    behaviour can tell apart."""
    inside, stack, before, in_comment = [], [], "", False
    for line in lines:
        code = masked(line)
        if in_comment or "/*" in code:
            # Block comments blanked with what they hold; they only matter for their braces.
            out, i = [], 0
            while i < len(code):
                if in_comment:
                    end = code.find("*/", i)
                    stop = len(code) if end < 0 else end + 2
                    out.append(" " * (stop - i))
                    in_comment, i = end < 0, stop
                elif code.startswith("/*", i):
                    in_comment = True
                else:
                    out.append(code[i])
                    i += 1
            code = "".join(out)
        if code.lstrip().startswith("#"):
            inside.append(set())
            continue
        columns = set()
        for column, c in enumerate(code):
            in_body = bool(stack) and stack[-1]
            if c == "{":
                stack.append(in_body or bool(BODY_START.search(before)))
                before = ""
            elif c == "}":
                if stack:
                    stack.pop()
                before = ""
            elif c == ";":
                before = ""
            else:
                before += c
            if in_body:
                columns.add(column)
        before += " "
        inside.append(columns)
    return inside


def draw_sample(source, folders, count, seed):
    listed = subprocess.run(["git", "ls-files"], cwd=source, capture_output=True, text=True).stdout.split()
    candidates = []
    for path in listed:
        folder = folder_of(path, folders)
        if folder is None or not path.endswith((".cpp", ".h")):
            continue
        with open(os.path.join(source, path), encoding="utf-8") as f:
            lines = f.read().split("\n")
            for number, (line, body) in enumerate(zip(lines, body_columns(lines))):
                faults = [fault for fault in faults_on(line) if fault[0] in body]
                if faults:
                    candidates.append((path, number, line, faults))
    rng = random.Random(seed)
    mutants = []
    for index, (path, number, line, faults) in enumerate(rng.sample(candidates, min(count, len(candidates))), 1):
        start, end, replacement, what = rng.choice(faults)
        judges = {k: v for k, v in folders[folder_of(path, folders)].items() if k in ("tests", "exclude", "labels")}
        mutants.append(dict(judges, index=index, file=path, line=number, what=what,
                            mutated=line[:start] + replacement + line[end:]))
    return mutants


def folder_of(path, folders):
    best = None
    for folder in folders:
        if path.startswith(folder.rstrip("/") + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


# ---- The scratch tree ----
def sync_tree(source, scratch):
    """Copies the working tree's files (tracked and new, not ignored) where they differ, and removes
    copies of files gone; the build folder lives beside the copy and is left alone."""
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=source, check=True,
                            capture_output=True, text=True).stdout.split("\n")
    wanted = {p for p in listed if p and os.path.isfile(os.path.join(source, p))}
    for path in wanted:
        a, b = os.path.join(source, path), os.path.join(scratch, path)
        with open(a, "rb") as f:
            data = f.read()
        if os.path.isfile(b):
            with open(b, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(b), exist_ok=True)
        shutil.copy2(a, b)
        os.utime(b)  # newer than anything built from the old copy
    for root, _, files in os.walk(scratch):
        for name in files:
            rel = os.path.relpath(os.path.join(root, name), scratch)
            if rel not in wanted:
                os.remove(os.path.join(root, name))


def configure(scratch, build, jobs, logs):
    """Brings the scratch build up to date: the tests are known to ctest only once their programs are built."""
    if not os.path.isfile(os.path.join(build, "build.ninja")):
        run(["cmake", "-S", scratch, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release"], check=True)
    log = os.path.join(logs, "build.log")
    if os.path.exists(log):
        os.remove(log)
    if run(["cmake", "--build", build, "-j", str(jobs)], log=log) != 0:
        raise SystemExit(f"the unmutated tree does not build: see {log}")


def run(cmd, timeout=None, log=None, check=False):
    out = open(log, "a") if log else subprocess.DEVNULL
    try:
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            code = p.wait(timeout=timeout)
        except (subprocess.TimeoutExpired, KeyboardInterrupt):
            os.killpg(p.pid, signal.SIGKILL)  # the whole group: ctest's tests and their engines
            p.wait()
            raise
    finally:
        if log:
            out.close()
    if check and code != 0:
        raise SystemExit(f"failed: {' '.join(cmd)}")
    return code


def ctest_selection(entry):
    if OVERRIDE:
        entry = OVERRIDE
    args = ["-R", entry["tests"]]
    if entry.get("exclude"):
        args += ["-E", entry["exclude"]]
    if entry.get("labels"):
        args += ["-L", entry["labels"]]
    return args


def targets_for(build, selection, cache):
    """The build targets the chosen tests run: their executables, and the program itself."""
    key = tuple(selection)
    if key not in cache:
        shown = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"] + selection,
                               capture_output=True, text=True, check=True).stdout
        tests = json.loads(shown).get("tests", [])
        if not tests:
            raise ListError(f"no test matches {' '.join(selection)}")
        bin_dir = os.path.join(build, "bin") + "/"
        names = {"talvor"}
        for t in tests:
            for word in t.get("command", []):
                names.update(re.findall(re.escape(bin_dir) + r"([\w.-]+)", word))
        # The program loads the game window's module when it opens the window.
        if os.path.isfile(os.path.join(bin_dir, "talvor-window.so")):
            names.add("talvor-window")
        names.discard("talvor-window.so")
        cache[key] = sorted(names)
    return cache[key]


# ---- One mutant ----
def judge(mutant, scratch, build, args, cache, logs):
    """'killed', 'survived' or 'no build', and the seconds it took."""
    start = time.time()
    path = os.path.join(scratch, mutant["file"])
    with open(path, encoding="utf-8") as f:
        original = f.read()
    lines = original.split("\n")
    lines[mutant["line"]] = mutant["mutated"]
    log = os.path.join(logs, f"{mutant['index']:03d}.log")
    if os.path.exists(log):
        os.remove(log)
    selection = ctest_selection(mutant)
    targets = targets_for(build, selection, cache)
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        built = run(["cmake", "--build", build, "-j", str(args.jobs), "--target"] + targets, log=log)
        if built != 0:
            return "no build", time.time() - start
        failed_log = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
        if os.path.exists(failed_log):
            os.remove(failed_log)
        stop = [] if args.no_stop else ["--stop-on-failure"]
        try:
            passed = run(["ctest", "--test-dir", build, "--timeout", str(args.timeout), "--output-on-failure",
                          "-j", str(args.test_jobs)] + stop + selection, timeout=args.timeout * 10, log=log) == 0
        except subprocess.TimeoutExpired:
            passed = False  # a hang counts as caught
        if os.path.exists(failed_log):
            with open(failed_log) as f:
                mutant["failed"] = [l.strip().split(":", 1)[1] for l in f if ":" in l]
        return ("survived" if passed else "killed"), time.time() - start
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)


def baseline(mutants, build, args, cache, logs):
    """The chosen tests pass on the unmutated tree, else no kill would mean anything."""
    selections = {tuple(ctest_selection(m)) for m in mutants}
    targets = sorted({t for s in selections for t in targets_for(build, list(s), cache)})
    log = os.path.join(logs, "baseline.log")
    if os.path.exists(log):
        os.remove(log)
    if run(["cmake", "--build", build, "-j", str(args.jobs), "--target"] + targets, log=log) != 0:
        return False
    regexes = sorted({s[1] for s in selections if len(s) == 2})
    ok = True
    # ctest's regular expressions hold at most nine groups: the union goes in batches that fit, and a batch
    # that matches no test fails rather than passing unseen.
    batches, groups = [[]], 0
    for r in regexes:
        if batches[-1] and groups + r.count("(") + 1 > 9:
            batches.append([])
            groups = 0
        batches[-1].append(r)
        groups += r.count("(") + 1
    for batch in (b for b in batches if b):
        ok = run(["ctest", "--test-dir", build, "--timeout", str(args.timeout), "--output-on-failure",
                  "--no-tests=error", "-R", "|".join(f"({r})" for r in batch)], log=log) == 0 and ok
    for s in (s for s in selections if len(s) > 2):
        ok = run(["ctest", "--test-dir", build, "--timeout", str(args.timeout), "--output-on-failure",
                  "--no-tests=error"] + list(s), log=log) == 0 and ok
    return ok


def test_matrix(results):
    """For --no-stop: how many mutants each test caught, and how many no other test caught."""
    kills, alone = defaultdict(int), defaultdict(int)
    for m, verdict in results:
        failed = m.get("failed", [])
        for t in failed:
            kills[t] += 1
            alone[t] += len(failed) == 1
    print("\ntest                                                      kills  alone")
    for t in sorted(kills, key=lambda t: (-alone[t], -kills[t], t)):
        print(f"{t[:56]:<56} {kills[t]:>6} {alone[t]:>6}")


def summary(results, started):
    by_folder = defaultdict(lambda: defaultdict(int))
    for m, verdict in results:
        by_folder[os.path.dirname(m["file"])][verdict] += 1
        by_folder["all"][verdict] += 1
    print("\nfolder            killed  survived  no build  kill rate")
    for folder in sorted(by_folder, key=lambda f: (f == "all", f)):
        c = by_folder[folder]
        judged = c["killed"] + c["survived"]
        rate = f"{100 * c['killed'] / judged:.0f}%" if judged else "-"
        print(f"{folder:<16} {c['killed']:>7} {c['survived']:>9} {c['no build']:>9}  {rate:>9}")
    print(f"time: {(time.time() - started) / 60:.1f} min")
    survivors = [m for m, v in results if v == "survived"]
    if survivors:
        print("survivors:")
        for m in survivors:
            print(f"  #{m['index']} {m['file']}:{m['line'] + 1}: {m['what']}")


def interrupted(*_):
    raise KeyboardInterrupt


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--list", default=os.path.join(TOP, "tests", "mutants.txt"))
    p.add_argument("--only")
    p.add_argument("--keep-going", action="store_true")
    p.add_argument("--sample", type=int)
    p.add_argument("--seed", type=int)
    p.add_argument("--check", action="store_true")
    p.add_argument("--work", default=os.path.join(TOP, "build-mutants"))
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--timeout", type=int, default=180, help="seconds a test may take before it counts as hung")
    p.add_argument("--no-baseline", action="store_true")
    p.add_argument("--test-jobs", type=int, default=1, help="tests run at once (timing tests want 1)")
    p.add_argument("--no-stop", action="store_true", help="run every chosen test, and show which tests kill what")
    p.add_argument("--tests", help="these tests (ctest -R) for every mutant, in place of the list's")
    p.add_argument("--exclude", help="with --tests: leave these out (ctest -E)")
    args = p.parse_args()
    if args.tests:
        OVERRIDE.update(tests=args.tests, **({"exclude": args.exclude} if args.exclude else {}))

    # Ctrl-C and a kill end the run through the same path: the scratch file is put back on the way out.
    signal.signal(signal.SIGTERM, interrupted)
    started = time.time()
    scratch, build, logs = (os.path.join(args.work, d) for d in ("src", "build", "logs"))
    os.makedirs(logs, exist_ok=True)
    entries, folders = read_list(args.list)

    if args.sample:
        seed = args.seed if args.seed is not None else random.randrange(1 << 30)
        print(f"sample of {args.sample}, seed {seed} (--seed {seed} draws it again)")
        mutants = draw_sample(TOP, folders, args.sample, seed)
    else:
        mutants, faults = [], []
        for e in select(entries, args.only):
            try:
                number, mutated = locate(TOP, e)
                mutants.append(dict(e, line=number, mutated=mutated))
            except ListError as err:
                faults.append(str(err))
        for f in faults:
            print(f"list: {f}", file=sys.stderr)
        if faults and not args.keep_going:
            return 2
        if args.check:
            print(f"{len(mutants)} entries found their line")
            return 0 if not faults else 2

    os.makedirs(scratch, exist_ok=True)
    sync_tree(TOP, scratch)
    print("bringing the scratch build up to date ...", flush=True)
    configure(scratch, build, args.jobs, logs)
    cache, results = {}, []
    try:
        if not args.no_baseline:
            print("baseline: the chosen tests on the unmutated tree ...", flush=True)
            if not baseline(mutants, build, args, cache, logs):
                print(f"baseline fails (see {logs}/baseline.log): fix the tree or the tests first", file=sys.stderr)
                if not args.keep_going:
                    return 2
        for n, m in enumerate(mutants, 1):
            try:
                verdict, seconds = judge(m, scratch, build, args, cache, logs)
            except ListError as err:
                print(f"list: #{m['index']}: {err}", file=sys.stderr)
                if not args.keep_going:
                    return 2
                continue
            results.append((m, verdict))
            print(f"[{n:>3}/{len(mutants)}] {verdict.upper():<9} #{m['index']:<3} {m['file']}:{m['line'] + 1}  "
                  f"{m['what']}  ({seconds:.0f} s)", flush=True)
            if args.sample:
                print(f"          {m['mutated'].strip()}")
    except KeyboardInterrupt:
        print("\ninterrupted: the scratch file is back as it was", file=sys.stderr)
        summary(results, started)
        return 130
    summary(results, started)
    with open(os.path.join(args.work, "results.json"), "w") as f:
        json.dump([dict(m, verdict=v) for m, v in results], f, indent=1)
    if args.no_stop:
        test_matrix(results)
    return 0


if __name__ == "__main__":
    sys.exit(main())
