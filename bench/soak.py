#!/usr/bin/env python3
"""Soak: many upload, search, delete and restore cycles through tapelink-cli against a demo telephone,
with faults injected at random, then checks that no recording was lost or damaged.

Every recording of the demo telephone is known by the checksum of its bytes. The telephone's own
part is played by this driver: it records new calls (from a second demo volume) and deletes some
(moving them into RECYCLE/), keeping its index counters as it goes.
Permanent deletes are only asked for recordings already in the archive, as a user who keeps an
archive would. At the end every recording must be on the telephone, in its bin or in the archive,
byte-identical, each archive copy must be one of the recordings, and the index's recording count must
match the recordings in voice/.

Faults: recordings made unreadable (the CLI then runs as an unprivileged user), recordings replaced by
folders, the archive on a small tmpfs filled up, and the voice, RECYCLE or archive folder taken away
in the middle of a command (the telephone unplugged, the archive folder moved).
"""
import argparse
import hashlib
import json
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

ALLOWED_MESSAGES = {
    "文件上传失败！", "上传路径错误！", "传输完毕！", "还原完毕！", "文件还原失败！", "还原路径错误！",
    "设备未准备好！", "未找到任何与查询条件相匹配的语音文件！", "请选择需要上传的语音记录！",
    "该查询路径下未找到任何与查询条件相匹配的语音文件！",
}


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def wav_files(folder):
    try:
        return sorted(n for n in os.listdir(folder) if n.lower().endswith(".wav"))
    except FileNotFoundError:
        return []


class Soak:
    def __init__(self, cli, work, seed, recordings, cycles, unprivileged):
        self.cli = cli
        self.work = work
        self.rng = random.Random(seed)
        self.phone = os.path.join(work, "phone")
        self.archive_disk = os.path.join(work, "disk")
        self.archive = os.path.join(self.archive_disk, "archive")
        self.unprivileged = False  # set-up runs as the caller
        self.counts = {"cycles": 0, "commands": 0, "faults": {}, "messages": {}, "failed_commands": 0,
                       "counter_checks": 0, "counter_checks_deferred": 0}
        self.counter_exact = True
        self.hides_voice = False
        self.mounted = False
        os.makedirs(self.archive_disk)
        if os.geteuid() == 0:
            self.mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64m", "tapelink-soak",
                                           self.archive_disk], capture_output=True).returncode == 0
        os.makedirs(self.archive)
        self.run_cli(["demo-store", self.phone, "--recordings", str(recordings), "--seed", str(seed),
                      "--max-seconds", "12"], store=False)
        self.run_cli(["list"])  # moves the legacy name once
        # Calls the telephone records during the run, one or two a cycle.
        pool = os.path.join(work, "pool")
        self.run_cli(["demo-store", pool, "--recordings", str(2 * cycles + 10), "--seed", str(seed + 1),
                      "--max-seconds", "12"], store=False)
        self.pool = [os.path.join(pool, f, n) for f in ("voice", "RECYCLE") for n in wav_files(os.path.join(pool, f))]
        if unprivileged:
            for top in (self.phone, self.archive_disk):
                subprocess.run(["chown", "-R", "65534:65534", top], check=True)
            os.chmod(self.work, 0o755)
            self.unprivileged = True
        self.originals = {}
        for folder in ("voice", "RECYCLE"):
            for name in wav_files(os.path.join(self.phone, folder)):
                self.originals.setdefault(digest(os.path.join(self.phone, folder, name)), name)
        self.check_counter()

    # --- running the CLI -------------------------------------------------------------------------
    def run_cli(self, args, store=True, during=None):
        command = [self.cli] + (["--store", self.phone] if store else []) + args
        if self.unprivileged:
            command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + command
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=self.work)
        if during:
            during()
        out, err = process.communicate(timeout=120)
        self.counts["commands"] += 1
        if process.returncode == 2 and during and err.decode().startswith("--rows:"):
            # The folder went away before the command listed it: the rows asked for are not there.
            self.counts["messages"]["--rows: (list gone)"] = self.counts["messages"].get("--rows: (list gone)", 0) + 1
            return out.decode()
        if process.returncode not in (0, 1):
            raise SystemExit(f"soak: {' '.join(args)} ended with {process.returncode}:\n{err.decode()}")
        if process.returncode == 1:
            self.counts["failed_commands"] += 1
        for line in err.decode().splitlines():
            text = line.strip()
            known = text in ALLOWED_MESSAGES or text.startswith(("没有找到 ", "访问 ", "对 "))
            if not known:
                raise SystemExit(f"soak: unexpected message from {' '.join(args)}: {text!r}")
            self.counts["messages"][text] = self.counts["messages"].get(text, 0) + 1
        return out.decode()

    def rows(self, bin_list=False):
        out = self.run_cli((["bin", "list"] if bin_list else ["list"]) + ["--json"])
        return json.loads(out) if out.strip() else []

    # --- the telephone's own part ----------------------------------------------------------------
    def header(self):
        with open(os.path.join(self.phone, "system", "phone.bin"), "rb") as f:
            return bytearray(f.read(124))

    def write_header(self, header):
        with open(os.path.join(self.phone, "system", "phone.bin"), "r+b") as f:
            f.write(header)

    def telephone_records(self):
        for _ in range(self.rng.randint(1, 2)):
            if not self.pool:
                return
            source = self.pool.pop()
            header = self.header()
            serial = struct.unpack_from("<H", header, 52)[0]
            while True:
                name = "VO%s%05d.WAV" % (self.rng.choice("ABCIJK"), serial % 100000)
                serial += 1
                if not any(os.path.exists(os.path.join(self.phone, f, name)) for f in ("voice", "RECYCLE")):
                    break
            target = os.path.join(self.phone, "voice", name)
            shutil.copyfile(source, target)
            if self.unprivileged:
                os.chown(target, 65534, 65534)
            self.originals.setdefault(digest(target), name)
            struct.pack_into("<H", header, 52, serial & 0xFFFF)
            struct.pack_into("<H", header, 50, struct.unpack_from("<H", header, 50)[0] + 1)
            self.write_header(header)

    def telephone_deletes(self):
        names = wav_files(os.path.join(self.phone, "voice"))
        for name in self.rng.sample(names, min(len(names), self.rng.randint(1, 2))):
            target = os.path.join(self.phone, "RECYCLE", name)
            if os.path.exists(target):
                continue
            os.rename(os.path.join(self.phone, "voice", name), target)
            header = self.header()
            count = struct.unpack_from("<H", header, 50)[0]
            struct.pack_into("<H", header, 50, max(count - 1, 0))
            self.write_header(header)

    # --- faults ----------------------------------------------------------------------------------
    def fault(self, kind, hides_voice=False):
        self.counts["faults"][kind] = self.counts["faults"].get(kind, 0) + 1
        self.hides_voice = hides_voice

    def pick_file(self):
        candidates = [(f, n) for f in ("voice", "RECYCLE") for n in wav_files(os.path.join(self.phone, f))]
        return self.rng.choice(candidates) if candidates else None

    def inject(self):
        """Sets up one random fault; returns (undo, during) callables."""
        kinds = ["replaced_by_folder", "folder_vanishes", "archive_vanishes"]
        if self.unprivileged:
            kinds.append("unreadable")
        if self.mounted:
            kinds.append("archive_full")
        kind = self.rng.choice(kinds)
        if kind in ("unreadable", "replaced_by_folder"):
            picked = self.pick_file()
            if not picked:
                return None, None
            path = os.path.join(self.phone, *picked)
            self.fault(kind, hides_voice=picked[0] == "voice")
            if kind == "unreadable":
                os.chmod(path, 0)
                return (lambda: os.chmod(path, 0o644)), None
            stash = os.path.join(self.work, "stash-" + picked[1])
            os.rename(path, stash)
            os.mkdir(path)
            if self.unprivileged:
                os.chown(path, 65534, 65534)

            def undo():
                os.rmdir(path)
                os.rename(stash, path)
            return undo, None
        if kind == "archive_full":
            self.fault(kind)
            filler = os.path.join(self.archive_disk, "filler")
            free = shutil.disk_usage(self.archive_disk).free
            with open(filler, "wb") as f:
                f.write(b"\0" * max(free - self.rng.randint(0, 300_000), 0))
            return (lambda: os.remove(filler)), None
        folder = os.path.join(self.phone, self.rng.choice(["voice", "RECYCLE"])) if kind == "folder_vanishes" \
            else self.archive
        away = folder + ".away"
        self.fault(kind, hides_voice=folder.endswith("voice"))
        delay = self.rng.uniform(0, 0.03)
        state = {}

        def during():
            time.sleep(delay)
            os.rename(folder, away)
            state["moved"] = True

        def undo():
            if state.get("moved"):
                os.rename(away, folder)
        return undo, during

    # --- one cycle -------------------------------------------------------------------------------
    def archived(self):
        return {digest(os.path.join(self.archive, n)) for n in wav_files(self.archive)}

    def with_fault(self, action, writes_header=False):
        self.hides_voice = False
        undo, during = self.inject() if self.rng.random() < 0.35 else (None, None)
        try:
            ran = action(during)
        finally:
            if undo:
                undo()
        self.check_no_partial_files()
        if writes_header and ran:
            # A delete or restore writes the count its own scan of voice/ gave. A fault that hid files
            # from that scan leaves the count short until the next delete or restore that sees them all.
            self.counter_exact = not self.hides_voice

    def upload(self, during):
        rows = self.rows()
        if not rows:
            return
        if self.rng.random() < 0.3:
            selection = ["--all"]
        else:
            picked = sorted(self.rng.sample(range(1, len(rows) + 1), min(len(rows), self.rng.randint(1, 6))))
            selection = ["--rows", ",".join(map(str, picked))]
        self.run_cli(["upload", "--to", self.archive, "--overwrite", "none"] + selection, during=during)

    def search(self, during):
        out = self.run_cli(["search", self.archive, "--from", "2000-01-01", "--to", "2099-12-31", "--json"],
                           store=False, during=during)
        if during is None and out.strip():
            found = json.loads(out)
            if len(found) != len(wav_files(self.archive)):
                raise SystemExit(f"soak: search found {len(found)} of {len(wav_files(self.archive))} archived")

    def delete(self, during, bin_list):
        rows = self.rows(bin_list)
        folder = os.path.join(self.phone, "RECYCLE" if bin_list else "voice")
        archived = self.archived()
        safe = [int(r["序号"]) for r in rows
                if os.path.isfile(os.path.join(folder, r["文件名"])) and
                digest(os.path.join(folder, r["文件名"])) in archived]
        if not safe:
            return False
        picked = sorted(self.rng.sample(safe, min(len(safe), self.rng.randint(1, 2))))
        self.run_cli((["bin", "delete"] if bin_list else ["delete"]) + ["--rows", ",".join(map(str, picked))],
                     during=during)
        return not bin_list

    def restore(self, during):
        rows = self.rows(bin_list=True)
        if not rows:
            return False
        picked = sorted(self.rng.sample(range(1, len(rows) + 1), min(len(rows), self.rng.randint(1, 3))))
        self.run_cli(["bin", "restore", "--rows", ",".join(map(str, picked))], during=during)
        return True

    def cycle(self):
        self.with_fault(self.upload)
        self.with_fault(self.search)
        self.telephone_records()
        self.telephone_deletes()
        if self.rng.random() < 0.35:  # a user who keeps most recordings on the telephone
            self.with_fault(lambda during: self.delete(during, bin_list=self.rng.random() < 0.3), writes_header=True)
        self.with_fault(self.restore, writes_header=True)
        self.counts["cycles"] += 1

    # --- checks ----------------------------------------------------------------------------------
    def check_no_partial_files(self):
        for folder in (os.path.join(self.phone, "voice"), os.path.join(self.phone, "RECYCLE"), self.archive):
            hidden = [n for n in os.listdir(folder) if n.startswith(".")]
            if hidden:
                raise SystemExit(f"soak: temporary files left in {folder}: {hidden}")

    def check_counter(self):
        if not self.counter_exact:
            self.counts["counter_checks_deferred"] += 1
            return
        self.counts["counter_checks"] += 1
        count = struct.unpack_from("<H", self.header(), 50)[0]
        listed = len(self.rows())
        if count != listed:
            raise SystemExit(f"soak: the index counts {count} recordings, voice/ holds {listed}")

    def check_everything(self):
        self.check_no_partial_files()
        self.check_counter()
        present = {}
        for folder in (os.path.join(self.phone, "voice"), os.path.join(self.phone, "RECYCLE"), self.archive):
            for name in wav_files(folder):
                present.setdefault(digest(os.path.join(folder, name)), []).append(os.path.join(folder, name))
        lost = [name for checksum, name in self.originals.items() if checksum not in present]
        if lost:
            raise SystemExit(f"soak: recordings lost or damaged: {lost}")
        strangers = [p for checksum, paths in present.items() if checksum not in self.originals for p in paths]
        if strangers:
            raise SystemExit(f"soak: files that are no recording of the telephone: {strangers}")
        return present

    def close(self):
        if self.mounted:
            subprocess.run(["umount", "-l", self.archive_disk])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("cli")
    parser.add_argument("--cycles", type=int, default=200)
    parser.add_argument("--recordings", type=int, default=30)
    parser.add_argument("--seed", type=int, default=11)
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="tapelink-soak-")
    soak = None
    try:
        unprivileged = os.geteuid() == 0 and shutil.which("setpriv") is not None
        soak = Soak(os.path.abspath(args.cli), work, args.seed, args.recordings, args.cycles, unprivileged)
        start = time.monotonic()
        for i in range(args.cycles):
            soak.cycle()
            if (i + 1) % 50 == 0:
                soak.check_everything()
        # A last delete-free round without faults: the telephone deletes, the user restores.
        soak.telephone_deletes()
        soak.counter_exact = soak.restore(None) or soak.counter_exact
        present = soak.check_everything()
        elapsed = time.monotonic() - start
        c = soak.counts
        places = {"voice": 0, "RECYCLE": 0, "archive": 0}
        for paths in present.values():
            for p in paths:
                places["archive" if p.startswith(soak.archive) else os.path.basename(os.path.dirname(p))] += 1
        print(f"soak: {c['cycles']} cycles, {c['commands']} commands in {elapsed:.1f} s"
              f" ({'CLI unprivileged, ' if unprivileged else ''}{'archive on tmpfs' if soak.mounted else 'no tmpfs'})")
        print(f"soak: faults injected {sum(c['faults'].values())}: "
              + ", ".join(f"{k} {v}" for k, v in sorted(c["faults"].items())))
        print(f"soak: commands ending on a message {c['failed_commands']}; messages: "
              + ", ".join(f"{k} {v}" for k, v in sorted(c["messages"].items(), key=lambda kv: -kv[1])))
        print(f"soak: all {len(soak.originals)} recordings present and byte-identical "
              f"(voice {places['voice']}, bin {places['RECYCLE']}, archive {places['archive']} files); "
              f"index count matched voice/ at {c['counter_checks']} checks"
              f" ({c['counter_checks_deferred']} deferred after a fault hid files from the command's scan)")
    finally:
        if soak:
            soak.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
