#!/usr/bin/python3
"""Measures the web page against the native build on the same files: MB/s of expanded
output of the module in headless Chromium (in memory, as the native side measures it, per
second of the renderer thread's CPU time as the native side counts its own, so that other
work on a shared machine weighs on neither), both once its engine has optimised it (best of
five) and on the first file a fresh module expands, as a page's first file is; of the page's
own road (from the expand button to the finished row, through the worker, by the clock);
the page's size; and the renderer's peak memory while the page expands a file whose header
claims 4 GiB.
Run with Debian's python3 (Selenium) after scripts/build native and scripts/build-web:
    bench/web/bench.py [FOLDER] [ROUNDS]   the measured files are made in FOLDER once
                                           (default /tmp); ROUNDS runs of it all (default 1)"""
import glob
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("BUILD_ROOT", os.path.join(REPO, "build"))
PAGE = os.path.join(BUILD, "web", "zorvane.html")
TOOL = os.path.join(BUILD, "native", "zorvane_web_bench")
FILES = {"SZDD.TX_": "SZDD", "KWAJ3.TX_": "KWAJ 3", "KWAJ4.TX_": "KWAJ 4"}

# One expansion by the module on the page's own thread, fed from memory, its output only
# counted: [length, ms]. A first run compiles the module anew from bytes made unique by a
# custom section at the end, so that the engine has no optimised code of it yet.
MODULE_SPEED = """
const [input, first, done] = arguments;
(async () => {
 try {
  if (!window.zvBench || window.zvBench.input !== input.files[0]) {
    const text = document.getElementById('zv-module').textContent.trim();
    window.zvBench = { input: input.files[0], bytes: new Uint8Array(await input.files[0].arrayBuffer()),
                       wasm: Uint8Array.from(atob(text), (c) => c.charCodeAt(0)) };
    window.zvBench.module = await WebAssembly.compile(window.zvBench.wasm);
  }
  const { bytes, wasm } = window.zvBench;
  let module = window.zvBench.module;
  if (first) {
    const tag = Array.from(String(Math.random()).slice(2, 14), (c) => c.charCodeAt(0));
    const unique = new Uint8Array(wasm.length + 3 + tag.length);
    unique.set(wasm);
    unique.set([0, 1 + tag.length, tag.length, ...tag], wasm.length);
    module = await WebAssembly.compile(unique);
  }
  const expander = new ZvExpander.Expander(module);
  let pos = 0;
  const t0 = performance.now();
  const result = expander.expand((max) => {
    const n = Math.min(max, bytes.length - pos);
    pos += n;
    return bytes.subarray(pos - n, pos);
  }, () => true);
  done([result.length, performance.now() - t0]);
 } catch (e) { done(String(e)); }
})();
"""

# The page's road: the expand button, the worker, the blob; resolves when the row is done
# (expanded, or refused).
PAGE_SPEED = """
const [row, done] = arguments;
const state = row.querySelector('td.state');
const t0 = performance.now();
new MutationObserver((_, observer) => {
  if (!/ready|queued|expanding/.test(state.className)) {
    observer.disconnect();
    done([state.className, performance.now() - t0]);
  }
}).observe(state, { attributes: true, childList: true });
document.getElementById('expand').click();
"""


def chromium(downloads, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 f"--user-data-dir={profile}", "--window-size=1200,760"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
    driver.set_script_timeout(600)
    driver.get("file://" + PAGE)
    WebDriverWait(driver, 60).until(lambda d: d.execute_script("return document.body.dataset.ready === '1'"))
    return driver


def renderer_peak_kib(profile):
    """The highest peak resident size among the renderers of the browser using profile."""
    peak = 0
    for status in glob.glob("/proc/[0-9]*/status"):
        pid = status.split("/")[2]
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read().decode(errors="replace")
            if "--type=renderer" not in cmdline or profile not in cmdline:
                continue
            with open(status) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            continue
    return peak


def renderer_pids(profile):
    pids = []
    for cmdline in glob.glob("/proc/[0-9]*/cmdline"):
        try:
            with open(cmdline, "rb") as f:
                text = f.read().decode(errors="replace")
        except OSError:
            continue
        if "--type=renderer" in text and profile in text:
            pids.append(cmdline.split("/")[2])
    return pids


def main_thread_seconds(pids):
    """CPU time of the renderers' main threads, where the page's own scripts run."""
    total = 0
    for pid in pids:
        with open(f"/proc/{pid}/task/{pid}/schedstat") as f:
            total += int(f.read().split()[0])
    return total / 1e9


def add_file(driver, path):
    rows = len(driver.find_elements(By.CSS_SELECTOR, "#list tbody tr"))
    driver.find_element(By.ID, "files").send_keys(path)
    WebDriverWait(driver, 60).until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#list tbody tr")) > rows)
    row = driver.find_elements(By.CSS_SELECTOR, "#list tbody tr")[-1]
    row.find_element(By.CSS_SELECTOR, "td.pick input").click()
    return row


def module_rates(driver, probe, path, pids):
    """MB/s by CPU time of a fresh module's first file, and the best of five once optimised."""
    probe.send_keys(path)

    def run(first):
        before = main_thread_seconds(pids)
        length, _ = driver.execute_async_script(MODULE_SPEED, probe, first)
        return length / (main_thread_seconds(pids) - before) / 1e6

    run(False)  # reads the file, compiles the module and lets the engine optimise it
    first = run(True)
    best = max(run(False) for _ in range(5))
    driver.execute_script("arguments[0].value = ''; window.zvBench = null;", probe)
    return first, best


def spread(values):
    values = sorted(values)
    return f"{statistics.median(values):7.0f} ({values[0]:.0f}-{values[-1]:.0f})"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp"
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    subprocess.run(["cmake", "--build", os.path.join(BUILD, "native"), "--target", "zorvane_web_bench"],
                   check=True, stdout=subprocess.DEVNULL)
    paths = {name: os.path.join(folder, name) for name in [*FILES, "CLAIM.TX_"]}
    if not all(os.path.exists(p) for p in paths.values()):
        print(f"making the files in {folder}", flush=True)
        subprocess.run([TOOL, "make", folder], check=True)

    profile = tempfile.mkdtemp(prefix="zv-bench-")
    downloads = tempfile.mkdtemp(prefix="zv-bench-downloads-")
    driver = chromium(downloads, profile)
    figures = {name: {"native": [], "first": [], "module": [], "page": []} for name in FILES}
    try:
        probe = driver.execute_script(
            "const i = document.createElement('input'); i.type = 'file'; document.body.append(i); return i;")
        # First, while the renderer has expanded nothing yet: a header that claims 4 GiB.
        before = renderer_peak_kib(profile)
        row = add_file(driver, paths["CLAIM.TX_"])
        state, ms = driver.execute_async_script(PAGE_SPEED, row)
        after = renderer_peak_kib(profile)
        claim = (f"a header claiming 4 GiB over 1 MiB of data: {row.find_element(By.CSS_SELECTOR, 'td.state').text!r} "
                 f"in {ms:.0f} ms; renderer peak {before // 1024} MiB before, {after // 1024} MiB after")
        pids = renderer_pids(profile)
        print(f"page {os.path.getsize(PAGE)} bytes; MB/s of expanded output (native: g++ -O2, the same lz/ code)")
        print(f"{'file':8} {'native':>8} {'module':>8} {'share':>6} {'first':>8} {'share':>6} {'page':>8} {'share':>6}")
        for _ in range(rounds):
            for entry in os.scandir(downloads):
                os.remove(entry.path)
            for line in subprocess.run([TOOL, "time", *(paths[n] for n in FILES)], check=True, capture_output=True,
                                       text=True).stdout.splitlines():
                path, rate = line.rsplit(" ", 1)
                figures[os.path.basename(path)]["native"].append(float(rate))
            for name, label in FILES.items():
                f = figures[name]
                first, module = module_rates(driver, probe, paths[name], pids)
                row = add_file(driver, paths[name])
                state, ms = driver.execute_async_script(PAGE_SPEED, row)
                page = (64 << 20) / ms / 1000 if "expanded" in state else 0
                for key, value in (("first", first), ("module", module), ("page", page)):
                    f[key].append(value)
                native = f["native"][-1]
                print(f"{label:8} {native:8.1f} {module:8.1f} {module / native:6.0%} {first:8.1f} {first / native:6.0%} "
                      f"{page:8.1f} {page / native:6.0%}", flush=True)
        if rounds > 1:
            print(f"medians (lowest-highest) of {rounds} rounds; shares of the medians")
            for name, label in FILES.items():
                f = figures[name]
                native = statistics.median(f["native"])
                print(f"{label:8} native {spread(f['native'])}", end="")
                for key in ("module", "first", "page"):
                    print(f"  {key} {spread(f[key])} {statistics.median(f[key]) / native:4.0%}", end="")
                print()
        print(claim)
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
        shutil.rmtree(downloads, ignore_errors=True)


if __name__ == "__main__":
    main()
