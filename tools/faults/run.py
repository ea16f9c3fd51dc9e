#!/usr/bin/env python3
"""Plants faults in the program's code one at a time and reports which the tests catch.

A fault file is a Python file with
    TESTS = "regex"            # ctest -R: the tests that should catch faults of this area
    FAULTS = [(id, path, old, new), ...]  # or (id, path, old, new, regex) to name other tests
`old` must occur exactly once in `path` (relative to the source tree); the runner replaces it by
`new`, builds the tests named by the regex, runs them (stopping at the first failure) and puts the
file back, whatever happens.

    run.py plant  --source SRC --build BUILD --out OUT.json FAULTFILE...   [--ids a,b]
    run.py compare BEFORE.json AFTER.json
    run.py check FAULTFILE...      # lists faults whose `old` is not found exactly once

A fault is "caught" when a test fails, "survived" when all pass, "invalid" when the program no
longer builds with it, "stale" when `old` is not found once. `compare` lists every fault caught in
BEFORE that AFTER does not catch, and exits 1 if there is one.
"""
import argparse, json, os, pathlib, re, runpy, subprocess, sys, time


def load(files):
    faults = []
    for f in files:
        mod = runpy.run_path(f)
        for entry in mod["FAULTS"]:
            fid, path, old, new = entry[:4]
            regex = entry[4] if len(entry) > 4 else mod["TESTS"]
            faults.append(dict(id=fid, path=path, old=old, new=new, tests=regex))
    ids = [f["id"] for f in faults]
    dup = {i for i in ids if ids.count(i) > 1}
    if dup:
        sys.exit("duplicate fault ids: " + ", ".join(sorted(dup)))
    return faults


def configure(src, build):
    if (build / "build.ninja").exists():
        return
    subprocess.run(["cmake", "-S", str(src), "-B", str(build), "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0",
                    "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], check=True, stdout=subprocess.DEVNULL)


def tests_of(build, regex):
    out = subprocess.run(["ctest", "--test-dir", str(build), "-N", "-R", regex],
                         capture_output=True, text=True).stdout
    return re.findall(r"Test\s+#\d+: (\S+)", out)


def run_one(src, build, fault, timeout):
    path = src / fault["path"]
    text = path.read_text(encoding="utf-8")
    n = text.count(fault["old"])
    if n != 1:
        return "stale" if n == 0 else "ambiguous", ""
    names = tests_of(build, fault["tests"])
    if not names:
        return "no-tests", ""
    try:
        path.write_text(text.replace(fault["old"], fault["new"]), encoding="utf-8")
        b = subprocess.run(["cmake", "--build", str(build), "--target", *names],
                           capture_output=True, text=True)
        if b.returncode != 0:
            return "invalid", b.stdout[-400:]
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        try:
            t = subprocess.run(["ctest", "--test-dir", str(build), "-R", fault["tests"],
                                "--stop-on-failure", "-j2", "--timeout", str(timeout)],
                               capture_output=True, text=True, env=env, timeout=timeout * 4)
        except subprocess.TimeoutExpired:
            return "caught", "timeout"
        if t.returncode == 0:
            return "survived", ""
        failed = re.findall(r"\d+ - (\S+) \(", t.stdout)
        return "caught", " ".join(failed)
    finally:
        path.write_text(text, encoding="utf-8")


def plant(args):
    src, build = pathlib.Path(args.source).resolve(), pathlib.Path(args.build).resolve()
    faults = load(args.faultfiles)
    if args.ids:
        wanted = set(args.ids.split(","))
        faults = [f for f in faults if f["id"] in wanted]
    # Each fault builds just the tests it names; nothing else is built.
    configure(src, build)
    results = {}
    for i, f in enumerate(faults, 1):
        start = time.time()
        status, detail = run_one(src, build, f, args.timeout)
        results[f["id"]] = dict(status=status, detail=detail, path=f["path"])
        print(f"[{i}/{len(faults)}] {f['id']}: {status} {detail[:80]} ({time.time() - start:.0f} s)",
              flush=True)
        pathlib.Path(args.out).write_text(json.dumps(results, indent=1, sort_keys=True))
    counts = {}
    for r in results.values():
        counts[r["status"]] = counts.get(r["status"], 0) + 1
    print("summary:", ", ".join(f"{k} {v}" for k, v in sorted(counts.items())))


def check(args):
    bad = 0
    for f in load(args.faultfiles):
        n = (pathlib.Path(args.source) / f["path"]).read_text(encoding="utf-8").count(f["old"]) \
            if (pathlib.Path(args.source) / f["path"]).exists() else 0
        if n != 1:
            bad += 1
            print(f"{f['id']}: {'stale' if n == 0 else 'ambiguous'} in {f['path']}")
    print(f"{bad} fault(s) to re-anchor")
    return 1 if bad else 0


def compare(args):
    before = json.loads(pathlib.Path(args.before).read_text())
    after = json.loads(pathlib.Path(args.after).read_text())
    lost = [k for k, v in before.items()
            if v["status"] == "caught" and after.get(k, {}).get("status") != "caught"]
    caught = lambda r: sum(v["status"] == "caught" for v in r.values())
    print(f"before: {caught(before)} of {len(before)} caught; after: {caught(after)} of {len(after)} caught")
    for k in lost:
        print(f"LOST {k}: now {after.get(k, {}).get('status', 'missing')}")
    return 1 if lost else 0


def main():
    p = argparse.ArgumentParser()
    sub = p.add_subparsers(dest="cmd", required=True)
    a = sub.add_parser("plant")
    a.add_argument("--source", default=".")
    a.add_argument("--build", required=True)
    a.add_argument("--out", required=True)
    a.add_argument("--ids")
    a.add_argument("--timeout", type=int, default=60)
    a.add_argument("faultfiles", nargs="+")
    c = sub.add_parser("compare")
    c.add_argument("before")
    c.add_argument("after")
    k = sub.add_parser("check")
    k.add_argument("--source", default=".")
    k.add_argument("faultfiles", nargs="+")
    args = p.parse_args()
    sys.exit({"plant": plant, "compare": compare, "check": check}[args.cmd](args))


if __name__ == "__main__":
    main()
