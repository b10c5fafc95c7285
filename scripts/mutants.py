#!/usr/bin/env python3
"""Mutation check of the test suite.

Puts one plausible fault at a time into a scratch copy of the tree (the list is
scripts/mutants.txt), rebuilds only the test binaries that guard the mutated
module, runs them and reports which faults the suite caught, per module. The
browser build (Sources/Web, page.js included) is guarded by `make test-web`:
its first run builds the native program and the WebAssembly one in the
scratch folder, which takes long. A fault whose snippet no longer matches exactly once is reported
as stale and left out of the figures.

    python3 scripts/mutants.py                 # every mutation
    python3 scripts/mutants.py --only Parts    # those whose module or file contains "Parts"
    python3 scripts/mutants.py --list-only     # check that every snippet still matches

The scratch copy lives in $TMPDIR/zembravale-mutants (or --work); it is kept
between runs, so a second run only rebuilds what changed.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Which test folders guard which module. Folders that do not exist (yet) are skipped, so the
# map survives test files moving between folders. Assets, the slow suite, runs only for the asset
# builder's own faults.
GUARDS = {
    "Utils": ["Utils", "Audio", "Sync", "Data", "Parts", "Render"],
    "Render": ["Render", "Parts"],
    "Data": ["Data", "Parts"],
    "Audio": ["Audio", "Sync"],
    # The state pass keeps the parts' moving state through MovingPart: seeks go through Sync.
    "Sync": ["Sync", "Parts", "Production", "Capture"],
    "Parts": ["Parts"],
    # The live music source is tested beside the player it drives, in Audio.
    "Production": ["Production", "Parts", "Capture", "Audio"],
    "Main": ["Main", "Capture", "EndToEnd"],
    "Capture": ["Capture"],
    "AssetBuilder": ["Assets"],
    # The picture library (the browser's and Windows' stand-in for DevIL) is held against DevIL in Data.
    "PictureLibrary": ["Data"],
    "Web": ["Data"],
}
# Modules guarded by make targets besides the test binaries: the first command builds (failing, the
# fault is unbuildable), the second tests. Run in the scratch copy with BUILD and WEB_BUILD of its own.
MAKE_GUARDS = {"Web": (["make", "web"], ["bash", "scripts/test-web.sh"])}
MAKE_TIMEOUT = 3600
# Programs some test folders run besides their own binary.
PROGRAMS = {"Capture": ["zembravale-capture"], "EndToEnd": ["zembravale", "zembravale-capture"],
            "Assets": ["zembravale-assets"]}
# Test folders that need the generated archive. It is the unmutated builder's (see make_archive):
# the asset builder's faults are caught by its tests that build in the test process.
NEEDS_ARCHIVE = {"Capture", "EndToEnd", "Assets"}
TEST_ENV = {
    "SDL_VIDEODRIVER": "dummy",
    "SDL_AUDIODRIVER": "disk",
    "SDL_DISKAUDIOFILE": "/dev/null",
    "SDL_DISKAUDIODELAY": "0",
}
TEST_TIMEOUT = 600


def module_of(path):
    parts = Path(path).parts
    if parts[0] == "Sources":
        return parts[1]
    if parts[0] == "Tools":
        return parts[1]
    return parts[0]


def read_list(path):
    """Lines `file ::: snippet ::: replacement`; '#' starts a comment line."""
    mutations = []
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        fields = line.split(" ::: ")
        if len(fields) != 3:
            sys.exit(f"{path}:{number}: expected `file ::: snippet ::: replacement`")
        file, snippet, replacement = (f.replace("\\n", "\n") for f in fields)
        mutations.append({"line": number, "file": file.strip(), "snippet": snippet, "replacement": replacement})
    return mutations


def tracked_files():
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT, check=True,
                         capture_output=True, text=True).stdout
    return [f for f in out.splitlines() if not f.startswith("build") and (ROOT / f).is_file()]


def sync_tree(source_dir):
    """Copies the working tree into the scratch folder, touching only files whose bytes changed.
    Of the files there, only those an earlier sync copied and the tree no longer has are removed:
    what the scratch copy's own builds and tests made (the page tests' npm packages) stays."""
    wanted = set(tracked_files())
    for name in wanted:
        src, dst = ROOT / name, source_dir / name
        data = src.read_bytes()
        if dst.is_file() and dst.read_bytes() == data:
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        dst.write_bytes(data)
        shutil.copymode(src, dst)
    synced = source_dir.parent / "synced.txt"
    before = set(synced.read_text().splitlines()) if synced.is_file() else set()
    for name in before - wanted:
        (source_dir / name).unlink(missing_ok=True)
    synced.write_text("\n".join(sorted(wanted)) + "\n")


def run(command, cwd=None, env=None, timeout=None):
    try:
        done = subprocess.run(command, cwd=cwd, env=env, timeout=timeout, capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr
    except subprocess.TimeoutExpired:
        return None, "timed out"


class Scratch:
    def __init__(self, work, jobs):
        self.work = work
        self.src = work / "src"
        self.build = work / "build"
        self.jobs = jobs
        self.env = dict(os.environ)
        # Paths relative to the scratch folder and no working directory in the hash: scratch copies
        # in different places share their compiled objects.
        self.env.setdefault("CCACHE_BASEDIR", str(work))
        self.env.setdefault("CCACHE_NOHASHDIR", "1")
        self.test_env = dict(self.env, **TEST_ENV)
        # The browser build's folders: a native build of their own (make configures it its own way)
        # and the WebAssembly one.
        self.make_env = dict(self.test_env, BUILD=str(work / "build-native"), WEB_BUILD=str(work / "build-web"),
                             JOBS=str(jobs))

    def prepare(self, sync=True):
        self.src.mkdir(parents=True, exist_ok=True)
        if sync:
            sync_tree(self.src)
        launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"] \
            if shutil.which("ccache") else []
        code, out = run(["cmake", "-S", str(self.src), "-B", str(self.build), *launcher], env=self.env)
        if code != 0:
            sys.exit("configuring the scratch copy failed:\n" + out)

    def test_dirs(self, module):
        return [d for d in GUARDS.get(module, []) if (self.src / "Tests" / d).is_dir()]

    def targets(self, dirs):
        names = []
        for d in dirs:
            names.append("zembravale-tests-" + d.lower())
            names += PROGRAMS.get(d, [])
        return sorted(set(names))

    def compile(self, targets):
        if not targets:
            return 0, ""
        return run(["cmake", "--build", str(self.build), "-j", str(self.jobs), "--target", *targets],
                   env=self.env)

    def make_archive(self):
        # The archive only depends on the asset builder: a copy from the project's own build saves
        # building the builder here, and it stays the unmutated builder's under the builder's faults.
        made = self.build / "assets" / "tarnos.zip"
        existing = ROOT / "build" / "assets" / "tarnos.zip"
        if made.is_file():
            return
        if existing.is_file():
            made.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(existing, made)
            return
        code, out = self.compile(["archive"])
        if code != 0:
            sys.exit("generating the archive failed:\n" + out)

    def run_binary(self, d, *options):
        binary = self.build / ("zembravale-tests-" + d.lower())
        code, out = run([str(binary), "--gtest_fail_fast", "--gtest_brief=1", *options], cwd=self.build,
                        env=self.test_env, timeout=TEST_TIMEOUT)
        if code is None:
            return "timed out", None
        if code == 0:
            return None, None
        failed = [l[len("[  FAILED  ] "):].split(" (")[0] for l in out.splitlines() if l.startswith("[  FAILED  ]")]
        return (failed[0] if failed else f"exit {code}"), (failed[0] if failed else None)

    def make_build(self, module):
        """None when the make guard's build passes, else why not."""
        if module not in MAKE_GUARDS:
            return None
        code, out = run(MAKE_GUARDS[module][0], cwd=self.src, env=self.make_env, timeout=MAKE_TIMEOUT)
        return None if code == 0 else ("timed out" if code is None else out[-4000:])

    def make_test(self, module):
        """None when the make guard's tests pass, else what failed."""
        if module not in MAKE_GUARDS:
            return None
        command = MAKE_GUARDS[module][1]
        code, out = run(command, cwd=self.src, env=self.make_env, timeout=MAKE_TIMEOUT)
        if code == 0:
            return None
        failed = [l.strip() for l in out.splitlines() if l.lstrip().startswith("not ok")]
        return f"{' '.join(command)}: " + (failed[0] if failed else "timed out" if code is None else f"exit {code}")

    def run_tests(self, dirs):
        """None when every binary passes, else what failed first. A test that fails once and then
        passes when run again alone is taken as flaky (timing tests on a loaded machine), not as
        a catch; the binary runs on without it (a few such tests at most)."""
        for d in dirs:
            flaky = []
            while True:
                failure, test = self.run_binary(d, *(["--gtest_filter=-" + ":".join(flaky)] if flaky else []))
                if failure is None or test is None or len(flaky) >= 3:
                    break
                if self.run_binary(d, "--gtest_filter=" + test)[0] is not None:
                    break
                print(f"    (flaky, passed when run again: {d}: {test})", flush=True)
                flaky.append(test)
            if failure is not None:
                return f"{d}: {failure}"
        return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", type=Path, default=ROOT / "scripts" / "mutants.txt")
    parser.add_argument("--work", type=Path, default=Path(tempfile.gettempdir()) / "zembravale-mutants")
    parser.add_argument("--only", default="", help="run only mutations whose module or file contains this")
    parser.add_argument("--lines", default="", help="run only the list's lines with these numbers (1,5,9)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--list-only", action="store_true", help="only check that the snippets match")
    parser.add_argument("--no-sync", action="store_true",
                        help="use the scratch copy as it is (to measure the tests of an older checkout)")
    args = parser.parse_args()

    mutations = [m for m in read_list(args.list)
                 if args.only in module_of(m["file"]) or args.only in m["file"]]
    if args.lines:
        wanted = {int(n) for n in args.lines.split(",")}
        mutations = [m for m in mutations if m["line"] in wanted]
    for m in mutations:
        m["module"] = module_of(m["file"])
        path = ROOT / m["file"]
        text = path.read_text() if path.is_file() else ""
        m["matches"] = text.count(m["snippet"])
    if args.list_only:
        for m in mutations:
            state = "ok" if m["matches"] == 1 else ("stale: no match" if m["matches"] == 0 else "stale: ambiguous")
            print(f"{state:18} {args.list.name}:{m['line']} {m['file']}")
        return 0

    # Stopped from outside, the run still puts the mutated file back (the finally below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    scratch = Scratch(args.work.resolve(), args.jobs)
    print(f"scratch copy in {scratch.work}", flush=True)
    scratch.prepare(sync=not args.no_sync)
    live = [m for m in mutations if m["matches"] == 1]
    dirs_needed = sorted({d for m in live for d in scratch.test_dirs(m["module"])})
    if any(d in NEEDS_ARCHIVE for d in dirs_needed):
        print("generating the archive once ...", flush=True)
        scratch.make_archive()
    print("building and running the unmutated suite ...", flush=True)
    code, out = scratch.compile(scratch.targets(dirs_needed))
    if code != 0:
        sys.exit("the unmutated tree does not build:\n" + out[-4000:])
    failure = scratch.run_tests(dirs_needed)
    if failure is not None:
        sys.exit("the unmutated suite fails: " + failure)
    # The make guards' unmutated suites run once, when the first fault gets past the test binaries.
    make_checked = set()

    def check_make(module):
        if module in make_checked:
            return
        print(f"building and running the unmutated {module} suite (make) ...", flush=True)
        failure = scratch.make_build(module)
        if failure is not None:
            sys.exit(f"the unmutated {module} build fails:\n{failure}")
        failure = scratch.make_test(module)
        if failure is not None:
            sys.exit(f"the unmutated {module} suite fails: {failure}")
        make_checked.add(module)

    results = []
    started = time.time()
    for index, m in enumerate(mutations, 1):
        where = f"{args.list.name}:{m['line']} {m['file']}"
        if m["matches"] != 1:
            m["outcome"] = "stale"
            print(f"[{index}/{len(mutations)}] STALE     {where}: snippet matches {m['matches']} times", flush=True)
            results.append(m)
            continue
        path = scratch.src / m["file"]
        original = path.read_text()
        mutated = original.replace(m["snippet"], m["replacement"], 1)
        path.write_text(mutated)
        try:
            # The test binaries first; the make guard (slow) only for a fault they let through.
            dirs = scratch.test_dirs(m["module"])
            code, out = scratch.compile(scratch.targets(dirs))
            failure = scratch.run_tests(dirs) if code == 0 else None
            if code == 0 and failure is None and m["module"] in MAKE_GUARDS:
                if m["module"] not in make_checked:
                    path.write_text(original)
                    check_make(m["module"])
                    path.write_text(mutated)
                if scratch.make_build(m["module"]) is not None:
                    code = 1
                else:
                    failure = scratch.make_test(m["module"])
            if code != 0:
                m["outcome"], m["why"] = "unbuildable", "does not compile"
            else:
                m["outcome"] = "killed" if failure else "survived"
                m["why"] = failure or ""
        finally:
            path.write_text(original)
        label = {"killed": "KILLED", "survived": "SURVIVED", "unbuildable": "NOBUILD"}[m["outcome"]]
        print(f"[{index}/{len(mutations)}] {label:9} {where}: {m['replacement'].strip()[:70]}"
              + (f"  <- {m['why']}" if m["outcome"] == "killed" else ""), flush=True)
        results.append(m)
    # Leave the scratch builds matching the tree again.
    scratch.compile(scratch.targets(dirs_needed))
    for module in sorted(make_checked):
        scratch.make_build(module)

    print(f"\n{'module':12} {'killed':>7} {'survived':>9} {'rate':>7}   (stale or unbuildable: not counted)")
    total_killed = total_counted = 0
    # A whole run has a row for every guarded module, those without faults in the list included.
    modules = {m["module"] for m in results}
    if not args.only and not args.lines:
        modules |= set(GUARDS) | set(MAKE_GUARDS)
    for module in sorted(modules):
        counted = [m for m in results if m["module"] == module and m["outcome"] in ("killed", "survived")]
        killed = sum(m["outcome"] == "killed" for m in counted)
        others = sum(m["module"] == module and m["outcome"] not in ("killed", "survived") for m in results)
        total_killed += killed
        total_counted += len(counted)
        rate = f"{100.0 * killed / len(counted):.0f}%" if counted else "-"
        print(f"{module:12} {killed:7} {len(counted) - killed:9} {rate:>7}" + (f"   ({others} not counted)" if others else ""))
    rate = f"{100.0 * total_killed / total_counted:.0f}%" if total_counted else "-"
    print(f"{'all':12} {total_killed:7} {total_counted - total_killed:9} {rate:>7}")
    survivors = [m for m in results if m["outcome"] == "survived"]
    if survivors:
        print("\nsurvivors:")
        for m in survivors:
            print(f"  {args.list.name}:{m['line']} {m['file']}: {m['snippet'].strip()} -> {m['replacement'].strip()}")
    print(f"\n{len(results)} mutations in {time.time() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
