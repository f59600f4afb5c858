#!/usr/bin/env bash
# Imports a phonebook of 5,000 contacts from a vCard file with `tapelink-cli contacts import` into a new
# archive, against the sqlite3 shell importing the same contacts as CSV into a new database, in the same
# run, and prints the times and their ratio (target: the import under 2 s); then the names of a
# 200,000-row list against exact lookups of the numbers' texts.
# Usage: bench/contacts.sh [BUILD_DIR]   (default build; the files are kept in BUILD_DIR/bench-contacts)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
contacts=${CONTACTS:-5000}
runs=${RUNS:-5}
cli=$(realpath "$build/cli/tapelink-cli")

cmake --build "$build" -j 2 --target tapelink-cli bench_contact_names >/dev/null
work=$(realpath -m "$build/bench-contacts")
mkdir -p "$work"

# The same contacts twice: as a phone exports them (vCard 3.0, a tenth as 2.1 with quoted-printable names,
# folded lines, one or two numbers each) and as CSV, one row per number.
python3 - "$contacts" "$work" <<'PY'
import quopri, random, sys
count, work = int(sys.argv[1]), sys.argv[2]
rng = random.Random(7)
surnames = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何林罗高"
given = ["伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇", "艳", "杰", "涛", "明", "超"]
with open(f"{work}/phonebook.vcf", "w", newline="") as vcf, open(f"{work}/phonebook.csv", "w", newline="") as csv:
    csv.write("name,number,company\r\n")
    for i in range(count):
        name = rng.choice(surnames) + rng.choice(given) + str(i)
        numbers = [f"+86 1{rng.randint(30, 99)} {rng.randint(0, 9999):04d} {rng.randint(0, 9999):04d}"]
        if i % 3 == 0:
            numbers.append(f"(0755) {rng.randint(2000, 9999)}-{rng.randint(0, 9999):04d}")
        company = f"公司{i % 200}" if i % 2 else ""
        if i % 10 == 0:
            encoded = quopri.encodestring(name.encode()).decode().replace("\n", "")
            vcf.write(f"BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:{encoded}\r\n")
        else:
            vcf.write(f"BEGIN:VCARD\r\nVERSION:3.0\r\nN:{name[0]};{name[1:]};;;\r\nFN:{name}\r\n")
        for number in numbers:
            vcf.write(f"TEL;TYPE=CELL:{number}\r\n")
            csv.write(f"{name},{number},{company}\r\n")
        if company:
            vcf.write(f"ORG:{company};\r\n department\r\n")
        vcf.write("END:VCARD\r\n")
PY

import_vcard="rm -rf '$work/archive' && mkdir '$work/archive' && '$cli' contacts --archive '$work/archive' import '$work/phonebook.vcf'"
import_csv="rm -f '$work/baseline.sqlite' && sqlite3 '$work/baseline.sqlite' '.mode csv' '.import $work/phonebook.csv contacts'"
bash -c "$import_vcard"
python3 bench/measure.py "contacts import of $contacts vCard contacts (target < 2 s) against sqlite3 .import of the CSV" \
    "$runs" -- bash -c "$import_csv" -- bash -c "$import_vcard"

# Names for every row of a long list, as the windows and the CLI ask for them.
"$build/bench/bench_contact_names"
