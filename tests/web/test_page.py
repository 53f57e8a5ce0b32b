"""The web page as a user meets it: headless Chromium opens zorvane.html from file://, files
go in through the file input, rows and downloads are checked, and no request leaves the page.
ZV_WEB_PAGE names the page, ZV_WEB_CORPUS the corpus folder, ZV_WEB_OUT a folder for the
downloads and the screenshots."""
import hashlib
import json
import os
import shutil
import tempfile
import time
import unittest
import zipfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

PAGE = os.environ["ZV_WEB_PAGE"]
CORPUS = os.environ["ZV_WEB_CORPUS"]
OUT = os.environ["ZV_WEB_OUT"]
CASES = {c["file"]: c for c in json.load(open(os.path.join(CORPUS, "corpus.json"), encoding="utf-8"))}
FORMATS = {0: "非圧縮", 1: "SZDD", 2: "SZDD (短いヘッダ)"}
CABINET_METHODS = ["無圧縮", "MSZIP", "Quantum", "LZX"]
REFUSED = (-10, -11)  # a cabinet of several files, one of a set: not damaged, not expanded here


def format_text(case):
    if case["format"] == 3:
        return f"KWAJ 方式 {case['method']}"
    if case["format"] == 4:
        return f"キャビネット ({CABINET_METHODS[case['method']]})"
    return FORMATS[case["format"]]


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def start_chromium(downloads, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 f"--user-data-dir={profile}", "--lang=ja", "--window-size=1200,760"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"intl.accept_languages": "ja", "download.prompt_for_download": False,
                                              "download.default_directory": downloads})
    options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
    return driver


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.profile = tempfile.mkdtemp(prefix="zv-chromium-")
        cls.downloads = os.path.join(OUT, "downloads")
        shutil.rmtree(cls.downloads, ignore_errors=True)
        os.makedirs(cls.downloads)
        cls.driver = start_chromium(cls.downloads, cls.profile)
        # What the browser fetched for its own start page is not the page's.
        cls.driver.get_log("performance")
        cls.driver.get("file://" + os.path.abspath(PAGE))
        cls.wait_for(lambda d: d.execute_script("return document.body.dataset.ready === '1'"))
        files = [os.path.join(CORPUS, name) for name in CASES]
        cls.driver.find_element(By.ID, "files").send_keys("\n".join(files))
        cls.wait_for(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#list tbody tr")) == len(CASES))

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        shutil.rmtree(cls.profile, ignore_errors=True)

    @classmethod
    def wait_for(cls, condition, seconds=60):
        return WebDriverWait(cls.driver, seconds, poll_frequency=0.05).until(condition)

    def row(self, name):
        for tr in self.driver.find_elements(By.CSS_SELECTOR, "#list tbody tr"):
            if tr.find_element(By.CSS_SELECTOR, "td.name").text == name:
                return tr
        self.fail(f"no row for {name}")

    def pick(self, tr):
        # Into the middle of the view: at its top the list's header stands over the row.
        box = tr.find_element(By.CSS_SELECTOR, "td.pick input")
        self.driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", box)
        box.click()

    def select_only(self, *names):
        for tr in self.driver.find_elements(By.CSS_SELECTOR, "#list tbody tr.selected"):
            self.pick(tr)
        for name in names:
            self.pick(self.row(name))

    def expand(self, *names):
        self.select_only(*names)
        self.driver.find_element(By.ID, "expand").click()

    def downloaded(self, name):
        path = os.path.join(self.downloads, name)
        self.wait_for(lambda d: os.path.exists(path) and not os.path.exists(path + ".crdownload"))
        return path

    def assert_zip_holds(self, names):
        """The downloaded zip holds the expanded files of names, under their names, byte for byte."""
        with zipfile.ZipFile(self.downloaded("zorvane-expanded.zip")) as archive:
            self.assertEqual(sorted(archive.namelist()), sorted(CASES[n]["output"] for n in names))
            for name in names:
                data = archive.read(CASES[name]["output"])
                self.assertEqual(hashlib.sha256(data).hexdigest(), sha256(os.path.join(CORPUS, name + ".expected")))

    def test_01_rows_show_format_extension_sizes_and_state(self):
        self.driver.save_screenshot(os.path.join(OUT, "page-ja.png"))
        for name, case in CASES.items():
            tr = self.row(name)
            self.assertEqual(tr.find_element(By.CSS_SELECTOR, "td.format").text, format_text(case), name)
            self.assertEqual(tr.find_element(By.CSS_SELECTOR, "input.ext").get_attribute("value"), case["extension"], name)
            state = tr.find_element(By.CSS_SELECTOR, "td.state").get_attribute("class")
            expected = "failed" if case["fault"] in REFUSED else "damaged" if case["fault"] else "ready"
            self.assertIn(expected, state, name)
        self.assertIn(f"{os.path.getsize(os.path.join(CORPUS, 'README.TX_'))} Byte", self.row("README.TX_").text)
        self.assertIn("300000 Byte", self.row("README.TX_").text)

    def test_02_a_hostile_recorded_extension_is_refused_and_noted(self):
        tr = self.row("EVIL.TX_")
        self.assertEqual(tr.find_element(By.CSS_SELECTOR, "input.ext").get_attribute("value"), "txt")
        note = tr.find_element(By.CSS_SELECTOR, "td.state .note").get_attribute("title")
        self.assertIn("ファイル名に使えない文字", note)

    def test_03_one_file_downloads_under_its_expanded_name(self):
        self.expand("README.TX_")
        path = self.downloaded("README.txt")
        self.assertEqual(sha256(path), sha256(os.path.join(CORPUS, "README.TX_.expected")))
        self.wait_for(lambda d: "expanded" in self.row("README.TX_").find_element(By.CSS_SELECTOR, "td.state")
                      .get_attribute("class"))

    def test_04_several_files_download_as_one_zip(self):
        names = ["SETUP.IN_", "BASIC.DL_", "HUFF.DA_", "DEFLATE.DA_", "XORED.BI_"]
        self.expand(*names)
        self.assert_zip_holds(names)

    def test_05_damaged_files_are_refused_with_the_reason(self):
        self.expand("CUT.EX_", "BADTABLE.EX_")
        self.wait_for(lambda d: "failed" in self.row("BADTABLE.EX_").find_element(By.CSS_SELECTOR, "td.state")
                      .get_attribute("class"))
        self.wait_for(lambda d: "途中で終わって" in self.row("CUT.EX_").text)
        self.assertIn("壊れています", self.row("BADTABLE.EX_").text)
        self.assertIn("展開できない圧縮方式", self.row("METHOD9.EX_").text)
        self.assertIn("複数のファイルを収めたキャビネット", self.row("SET.CA_").text)
        self.assertIn("複数のキャビネットにまたがる", self.row("PART1.DL_").text)
        self.assertFalse(os.path.exists(os.path.join(self.downloads, "CUT.exe")))

    def test_05b_cabinets_of_every_method_expand_under_their_member_s_extension(self):
        names = ["STORED.DL_", "ACPI.SY_", "QTM.TX_", "LZX.EX_", "EVILCAB.DL_"]
        os.remove(self.downloaded("zorvane-expanded.zip"))
        self.expand(*names)
        self.assert_zip_holds(names)

    def test_06_the_language_switch_shows_english(self):
        self.assertEqual(self.driver.find_element(By.CSS_SELECTOR, "thead th:nth-child(2)").text, "ファイル名")
        self.driver.find_element(By.ID, "language").click()
        self.assertEqual(self.driver.find_element(By.CSS_SELECTOR, "thead th:nth-child(2)").text, "File name")
        self.assertEqual(self.row("HUFF.DA_").find_element(By.CSS_SELECTOR, "td.format").text, "KWAJ method 3")
        self.driver.save_screenshot(os.path.join(OUT, "page-en.png"))
        self.driver.find_element(By.ID, "language").click()

    def test_07_an_extension_typed_in_the_row_names_the_file(self):
        tr = self.row("COLON.Q_")
        self.assertIn("拡張子を指定してください", tr.find_element(By.CSS_SELECTOR, "td.state").text)
        ext = tr.find_element(By.CSS_SELECTOR, "input.ext")
        ext.send_keys("../x")
        self.assertIn("bad", ext.get_attribute("class"))
        ext.clear()
        ext.send_keys("Dat")
        self.assertNotIn("bad", ext.get_attribute("class"))
        self.expand("COLON.Q_")
        self.assertEqual(sha256(self.downloaded("COLON.Dat")), sha256(os.path.join(CORPUS, "COLON.Q_.expected")))

    def test_08_a_folder_gives_its_underscore_files_with_their_folders(self):
        disk = os.path.join(OUT, "disk")
        shutil.rmtree(disk, ignore_errors=True)
        for folder, name, source in (("DISK1", "A.TX_", "README.TX_"), ("DISK1", "NOTES.TXT", "PLAIN.TX_"),
                                     ("DISK2", "B.DA_", "DEFLATE.DA_")):
            os.makedirs(os.path.join(disk, folder), exist_ok=True)
            shutil.copy(os.path.join(CORPUS, source), os.path.join(disk, folder, name))
        self.driver.find_element(By.ID, "folder").send_keys(disk)
        self.wait_for(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#list tbody tr")) == len(CASES) + 2)
        self.assertNotIn("NOTES.TXT", self.driver.find_element(By.ID, "list").text)
        zip_path = os.path.join(self.downloads, "zorvane-expanded.zip")
        os.remove(zip_path)
        self.expand("disk/DISK1/A.TX_", "disk/DISK2/B.DA_")
        with zipfile.ZipFile(self.downloaded("zorvane-expanded.zip")) as archive:
            self.assertEqual(sorted(archive.namelist()), ["disk/DISK1/A.txt", "disk/DISK2/B.dat"])
            self.assertEqual(hashlib.sha256(archive.read("disk/DISK1/A.txt")).hexdigest(),
                             sha256(os.path.join(CORPUS, "README.TX_.expected")))

    def test_09_removed_rows_leave_the_list(self):
        self.select_only()
        self.driver.find_element(By.ID, "remove").click()
        self.assertIn("消去するファイルが選択されていません", self.driver.find_element(By.ID, "message").text)
        count = len(self.driver.find_elements(By.CSS_SELECTOR, "#list tbody tr"))
        self.select_only("EVIL.TX_", "PLAIN.TX_")
        self.driver.find_element(By.ID, "remove").click()
        self.assertEqual(len(self.driver.find_elements(By.CSS_SELECTOR, "#list tbody tr")), count - 2)
        self.assertEqual(self.driver.find_element(By.ID, "count").text, f"{count - 2} 個のファイル")

    def test_99_no_request_leaves_the_page(self):
        requests = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                requests.append(message["params"]["request"]["url"])
        self.assertTrue(requests, "the log shows no request at all, not even the page's own")
        outside = [url for url in requests if not url.startswith(("file://", "blob:", "data:"))]
        self.assertEqual(outside, [])
        self.assertEqual(self.driver.execute_script("return performance.getEntriesByType('resource').length"), 0)
