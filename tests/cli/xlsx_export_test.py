#!/usr/bin/env python3
"""End-to-end test of `tapelink-cli export`: writes workbooks from a demo telephone, reads them back
(unzip and parse the XML) and checks every cell, its text, its style and the column widths."""

import json
import math
import os
import subprocess
import sys
import tempfile
import unicodedata
import zipfile
import xml.etree.ElementTree as ElementTree

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
KINDS = {"通话录音", "新通话录音", "本地录音", "新本地录音", "留言录音", "新留言录音"}
failures = []
ENVIRONMENT = dict(os.environ)  # HOME points into the test's folder, so no stored upload folder is read


def check(condition, what):
    if not condition:
        failures.append(what)


def run(cli, *arguments):
    return subprocess.run([cli, *arguments], capture_output=True, text=True, env=ENVIRONMENT)


def column_letters(index):
    letters = ""
    while index > 0:
        index, rest = divmod(index - 1, 26)
        letters = chr(ord("A") + rest) + letters
    return letters


def read_workbook(path):
    """The sheet's cells as {ref: (text, style)}, its <col> elements and the alignment of each style."""
    with zipfile.ZipFile(path) as archive:
        strings = []
        if "xl/sharedStrings.xml" in archive.namelist():
            for item in ElementTree.fromstring(archive.read("xl/sharedStrings.xml")).findall("m:si", NS):
                strings.append("".join(t.text or "" for t in item.iter("{%s}t" % NS["m"])))
        sheet = ElementTree.fromstring(archive.read("xl/worksheets/sheet1.xml"))
        styles = ElementTree.fromstring(archive.read("xl/styles.xml"))
    alignments = []
    for xf in styles.find("m:cellXfs", NS).findall("m:xf", NS):
        alignment = xf.find("m:alignment", NS)
        alignments.append({} if alignment is None else dict(alignment.attrib))
    cells = {}
    for cell in sheet.iter("{%s}c" % NS["m"]):
        value = cell.find("m:v", NS)
        kind = cell.get("t")
        if value is None and kind is None:
            text = ""  # a styled empty cell
        elif kind == "s":
            text = strings[int(value.text)]
        else:
            text = None  # anything but a text value is a failure
            failures.append("cell %s is not a text value (t=%s)" % (cell.get("r"), kind))
        cells[cell.get("r")] = (text, int(cell.get("s", "0")))
    columns = [dict(col.attrib) for col in sheet.iter("{%s}col" % NS["m"])]
    return cells, columns, alignments


def display_width(text):
    return sum(2 if unicodedata.east_asian_width(c) in ("W", "F") else 1 for c in text)


def stored_width(units):
    """How an xlsx writer stores a width of `units` characters (7-pixel digits, 5 pixels of padding)."""
    pixels = math.floor(units * 7 + 0.5) + 5
    return math.floor(pixels / 7 * 256) / 256


def expected_sheet(titles, rows):
    """The sheet an export of this list must give, as {ref: text}."""
    exported = len(titles) - 2
    sheet = {}
    for k in range(exported):
        sheet[column_letters(k + 1) + "1"] = titles[k]
    sheet[column_letters(exported + 1) + "1"] = "姓名"
    sheet[column_letters(exported + 2) + "1"] = "备注"
    for m, row in enumerate(rows):
        for k in range(exported):
            text = row[k]
            if k == 2:
                text = ("Z:" if "主" in row[3] else " ") + text
            sheet[column_letters(k + 1) + str(m + 2)] = text
        # No phonebook and no notes here: name and remark are written empty.
        sheet[column_letters(exported + 1) + str(m + 2)] = ""
        sheet[column_letters(exported + 2) + str(m + 2)] = ""
    return sheet


def check_sheet(path, titles, rows, label):
    cells, columns, alignments = read_workbook(path)
    expected = expected_sheet(titles, rows)
    texts = {ref: text for ref, (text, _) in cells.items()}
    check(texts == expected, "%s: cells differ; missing %s, extra %s, changed %s" % (
        label, sorted(set(expected) - set(texts)), sorted(set(texts) - set(expected)),
        sorted(ref for ref in expected if ref in texts and texts[ref] != expected[ref])[:10]))
    for ref, (_, style) in cells.items():
        check(alignments[style].get("horizontal") == "center" and alignments[style].get("vertical") == "center",
              "%s: cell %s is not centred both ways: %s" % (label, ref, alignments[style]))
    exported = len(titles) - 1
    by_column = {int(col["min"]): col for col in columns}
    for k in range(1, exported + 1):
        col = by_column.get(k)
        check(col is not None and col["min"] == col["max"], "%s: column %d has no width of its own" % (label, k))
        if col is None:
            continue
        letters = column_letters(k)
        widest = max(display_width(text) for ref, text in expected.items() if ref.rstrip("0123456789") == letters)
        check(float(col["width"]) == stored_width(widest + 1),
              "%s: column %d width %s, want %s" % (label, k, col["width"], stored_width(widest + 1)))
        style = int(col.get("style", "0"))
        check(alignments[style] == {"horizontal": "center", "vertical": "center"},
              "%s: column %d is not centred" % (label, k))
    return texts


def test_phone_export(cli, folder):
    store = os.path.join(folder, "store")
    made = run(cli, "demo-store", store, "--recordings", "40", "--max-seconds", "4", "--seed", "9")
    check(made.returncode == 0, "demo-store failed: %s" % made.stderr)
    # The first scan moves the legacy REC name, which can change the folder's order: list once before.
    run(cli, "--store", store, "list")
    listed = run(cli, "--store", store, "list", "--json")
    titles = ["序号", "文件名", "录音类型", "电话号码", "主/被叫", "开始时间", "录音时长", "文件长度"]
    rows = [[row[title] for title in titles] for row in json.loads(listed.stdout)]
    check(len(rows) > 30, "the demo telephone lists %d recordings" % len(rows))

    workbook = os.path.join(folder, "电话录音.xlsx")
    exported = run(cli, "--store", store, "export", "--phone", "--xlsx", workbook)
    check(exported.returncode == 0 and exported.stderr == "", "export failed: %d %s" % (
        exported.returncode, exported.stderr))
    texts = check_sheet(workbook, titles, rows, "phone list")

    # What the layout means, stated directly rather than through expected_sheet().
    check([texts.get(c + "1") for c in "ABCDEFGH"] == ["序号", "文件名", "录音类型", "电话号码", "主/被叫", "开始时间",
                                                        "姓名", "备注"], "phone list: title row %s" % texts)
    kinds = [texts["C%d" % (m + 2)] for m in range(len(rows))]
    check(all(k.startswith(" ") and k[1:] in KINDS for k in kinds), "phone list: kind cells %s" % kinds)
    check(all(texts.get("%s%d" % (c, m + 2), "") == "" for m in range(len(rows)) for c in "GH"),
          "phone list: name or remark filled without a phonebook or notes")
    check(any(texts["D%d" % (m + 2)] == "" for m in range(len(rows))), "phone list: no local recording")
    check(texts["A2"] == "1" and texts["F2"].startswith("20"), "phone list: first row %s %s" % (
        texts["A2"], texts["F2"]))


def test_search_export(cli, folder):
    # The phone export's telephone, uploaded into an archive folder and searched there.
    store = os.path.join(folder, "store")
    archive = os.path.join(folder, "archive")
    os.mkdir(archive)
    uploaded = run(cli, "--store", store, "upload", "--all", "--to", archive, "--overwrite", "none")
    check(uploaded.returncode == 0, "upload for the search export failed: %s" % uploaded.stderr)
    options = ["--kind", "call", "--from", "2019-01-01", "--to", "2026-12-31"]
    searched = run(cli, "search", archive, "--json", *options)
    check(searched.returncode == 0, "search failed: %s" % searched.stderr)
    # The JSON rows give the list's columns, then the contact's name (which the export writes after them),
    # then the machine fields under plain ASCII keys.
    keys = list(json.loads(searched.stdout)[0].keys()) if searched.stdout.strip() else []
    titles = [key for key in keys if not key.isascii()][:-1]
    check(len(titles) == 9, "search rows have %d columns" % len(titles))
    rows = [[row[title] for title in titles] for row in json.loads(searched.stdout)]
    check(len(rows) > 5, "the search found %d call recordings" % len(rows))

    workbook = os.path.join(folder, "查询结果.xlsx")
    exported = run(cli, "export", "--search", archive, *options, "--xlsx", workbook)
    check(exported.returncode == 0 and exported.stderr == "", "search export failed: %d %s" % (
        exported.returncode, exported.stderr))
    check_sheet(workbook, titles, rows, "search results")

    nothing = run(cli, "export", "--search", archive, "--number", "0000000000000000", "--xlsx",
                  os.path.join(folder, "none.xlsx"))
    # As in the window: the search's message, and a workbook with the titles only.
    check(nothing.returncode == 0 and nothing.stderr.strip() == "该查询路径下未找到任何与查询条件相匹配的语音文件！",
          "search export without results: %d %r" % (nothing.returncode, nothing.stderr))
    check_sheet(os.path.join(folder, "none.xlsx"), titles, [], "search export without results")


def test_phone_export_with_names_and_notes(cli, folder):
    # The archive of test_search_export names a caller and notes the archived copy of one recording.
    store = os.path.join(folder, "store")
    archive = os.path.join(folder, "archive")
    listed = json.loads(run(cli, "--store", store, "list", "--json").stdout)
    m, row = next((m, row) for m, row in enumerate(listed) if row["电话号码"])
    check(run(cli, "contacts", "--archive", archive, "add", "王芳", row["电话号码"]).returncode == 0, "contacts add")
    check(run(cli, "note", "--archive", archive, row["文件名"], "回电").returncode == 0, "note")
    check(run(cli, "tag", "--archive", archive, row["文件名"], "+重要").returncode == 0, "tag")
    workbook = os.path.join(folder, "带姓名.xlsx")
    exported = run(cli, "--store", store, "export", "--phone", "--archive", archive, "--xlsx", workbook)
    check(exported.returncode == 0, "phone export with names failed: %s" % exported.stderr)
    texts = {ref: text for ref, (text, _) in read_workbook(workbook)[0].items()}
    same_number = [k for k, other in enumerate(listed) if other["电话号码"] == row["电话号码"]]
    check(all(texts["G%d" % (k + 2)] == "王芳" for k in same_number), "phone list: name of %s" % row["电话号码"])
    check(texts["H%d" % (m + 2)] == "回电 [重要]", "phone list: remark %r" % texts["H%d" % (m + 2)])
    check(sum(1 for k in range(len(listed)) if texts.get("G%d" % (k + 2))) == len(same_number),
          "phone list: names beyond the contact's number")


def test_failures(cli, folder):
    target = os.path.join(folder, "kept.xlsx")
    with open(target, "w") as file:
        file.write("old")
    absent = run(cli, "--store", os.path.join(folder, "no-telephone"), "export", "--phone", "--xlsx", target)
    check(absent.returncode == 1 and absent.stderr.strip() == "设备未准备好！",
          "no telephone: %d %r" % (absent.returncode, absent.stderr))
    with open(target) as file:
        check(file.read() == "old", "no telephone: the existing file was changed")
    check(run(cli, "export", "--xlsx", target).returncode == 2, "export without a list source is not a usage error")
    store = os.path.join(folder, "store")
    missing = run(cli, "--store", store, "export", "--phone", "--xlsx", os.path.join(folder, "missing", "x.xlsx"))
    check(missing.returncode == 1 and "missing/x.xlsx" in missing.stderr, "missing folder: %r" % missing.stderr)
    check(not os.path.exists(os.path.join(folder, "missing")), "missing folder was created")


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        ENVIRONMENT["HOME"] = folder
        test_phone_export(cli, folder)
        test_search_export(cli, folder)
        test_phone_export_with_names_and_notes(cli, folder)
        test_failures(cli, folder)
    for failure in failures:
        print("FAIL:", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
