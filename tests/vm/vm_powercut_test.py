#!/usr/bin/env python3
"""Power cuts on the device in QEMU: what a FAT file system on a real block
device keeps when the power goes while a recording runs, a picture is saved or
the settings are saved.

Each cut ends QEMU at once (velto-vm cut) and the next boot runs on the same
card and state images. Between the two, the images are checked as a PC would:
fsck.vfat -n on the card's partition and on the internal medium's image (taken
out of the state disk), the cut recording copied out with mtools and repaired
with velto-avi, the pictures decoded with djpeg, the settings file parsed. Then
the device boots on them: it must mount both media, start, and show the cut
files in its browser and player without a crash.

While a recording runs, a sampler in the guest writes the sizes of the
medium's files to the serial console twice a second; the host stamps each
line on arrival, so a sample that arrived a second before the cut was taken at
least a second before it. Frames that such a sample showed on the medium must
all come back from the repair.

    vm_powercut_test.py [--full | --card N --nand N --pictures N --settings N]
                        [--seed S] [--build BUILD_ARMEL] [--keep]

The default is the short form of the CI (one cut of each kind); --full is
15 + 15 recording cuts, 10 picture cuts and 10 settings cuts. The seed is
printed first; --seed repeats a run's cut times.
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import types
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

CARD_MP = "/media/sd-mmcblk0p1"
MEDIA_DIR = {"card": CARD_MP + "/DCIM", "nand": "/media/nand"}
MTOOLS_DIR = {"card": "::DCIM", "nand": "::"}
HEADER_BYTES = 2048
FRAME_CHUNK = 8 + 320 * 240 * 2  # chunk header and one YUYV frame
CARD_MB = 512  # room for two recordings of 20 s at the emulator's 22 fps
NAND_MB = 224
# The internal medium's image grows inside the state disk, which also holds
# the programs and its journal: room for all of it, or the loop device's
# writes fail once the medium fills.
STATE_MB = 384
SETTINGS = "/usr/velto/veltoscconf.xml"


def load_velto_vm():
    # The tool has no .py name to import it by: run its source as a module.
    path = os.path.join(ROOT, "scripts", "velto-vm")
    module = types.ModuleType("velto_vm")
    module.__file__ = path
    with open(path) as f:
        exec(compile(f.read(), path, "exec"), module.__dict__)
    return module


velto_vm = load_velto_vm()


class Failure(Exception):
    pass


def run(cmd, check=True, **kw):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)
    out = r.stdout.decode(errors="replace")
    if check and r.returncode != 0:
        raise Failure("%s: exit %d\n%s" % (" ".join(cmd), r.returncode, out))
    return r.returncode, out


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def frames_of(size):
    """Whole frames a recording file of this size holds on the medium."""
    return max(0, (size - HEADER_BYTES) // FRAME_CHUNK)


class Sampler:
    """Reads the guest's VCUT lines off the serial console log as they come,
    each stamped with the host's clock on arrival."""

    LINE = re.compile(r"VCUT (\d+) (\S*) (.*?) END")

    def __init__(self, console):
        self.console = console
        self.samples = []  # (arrival, {name: size}, (picture, live))
        self.lock = threading.Lock()
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.follow, daemon=True)
        self.thread.start()

    def follow(self):
        pos = 0
        rest = b""
        while not self.stop.is_set():
            try:
                with open(self.console, "rb") as f:
                    f.seek(pos)
                    data = f.read()
            except OSError:
                data = b""
            now = time.monotonic()
            if data:
                pos += len(data)
                lines = (rest + data).split(b"\n")
                rest = lines.pop()
                for line in lines:
                    m = self.LINE.search(line.decode(errors="replace"))
                    if not m:
                        continue
                    sizes = {}
                    for item in m.group(3).split():
                        name, _, size = item.rpartition(":")
                        if name and size.isdigit():
                            sizes[name] = int(size)
                    pic, _, live = m.group(2).rpartition(":")
                    with self.lock:
                        self.samples.append((now, sizes, (os.path.basename(pic), live == "1")))
            time.sleep(0.05)

    def close(self):
        self.stop.set()
        self.thread.join()

    def before(self, t):
        with self.lock:
            return [s for s in self.samples if s[0] <= t]

    def latest(self):
        with self.lock:
            return self.samples[-1] if self.samples else None


class PowerCutTest:
    def __init__(self, args):
        self.args = args
        self.build = os.path.abspath(args.build)
        self.dir = tempfile.mkdtemp(prefix="vm-powercut.", dir=self.build)
        self.vm = velto_vm.Vm(self.dir, self.build)
        self.rng = random.Random(args.seed)
        self.work = os.path.join(self.dir, "check")
        os.makedirs(self.work)
        self.rows = []  # the figures of each cut
        self.damaged = []  # file systems fsck found damaged
        self.hints = []  # findings that are no damage (free-cluster count)
        self.kept = {}  # (medium, name) -> sha256 of an older file that must stay
        self.settled_pictures = set()  # pictures that must decode from now on
        sysroot = ""
        for line in open(os.path.join(self.build, "CMakeCache.txt")):
            if line.startswith("VELTO_ARMEL_SYSROOT:"):
                sysroot = line.split("=", 1)[1].strip()
        libs = ":".join(os.path.join(sysroot, d, "arm-linux-gnueabi") for d in ("lib", "usr/lib"))
        self.avi_tool = ["qemu-arm", "-L", "/usr/arm-linux-gnueabi", "-E", "LD_LIBRARY_PATH=" + libs,
                         os.path.join(self.build, "bin", "velto-avi")]
        self.sampler = None

    # --- the VM ----------------------------------------------------------
    def log(self, msg):
        print("powercut: " + msg, flush=True)

    def gsh(self, script, timeout=20):
        # The agent's channel has been seen to lose a request now and then
        # under load; every script here can run twice.
        for attempt in range(3):
            try:
                status, out = self.vm.agent(script, timeout=timeout)
                return status, out.decode(errors="replace")
            except velto_vm.VmError as e:
                if "no answer" not in str(e) or attempt == 2:
                    raise
                self.log("no answer from the guest agent to '%s'; again" % script[:40])

    def until(self, seconds, check):
        end = time.time() + seconds
        while time.time() < end:
            try:
                if check():
                    return True
            except velto_vm.VmError:
                pass
            time.sleep(0.5)
        return False

    def pixel(self, xy):
        ppm = os.path.join(self.dir, "screen.ppm")
        self.vm.screenshot(ppm)
        with open(ppm, "rb") as f:
            data = f.read()
        head = data.split(b"\n", 3)
        w = int(head[1].split()[0])
        x, y = xy
        off = len(b"\n".join(head[:3])) + 1 + (y * w + x) * 3
        return tuple(data[off:off + 3])

    @staticmethod
    def near(got, want, tol=40):
        return all(abs(a - b) <= tol for a, b in zip(got, want))

    def main_screen(self):
        return (self.near(self.pixel((30, 17)), (255, 255, 255)) and
                self.near(self.pixel((160, 120)), (0, 0, 0)))

    def prepare_images(self):
        """A bigger card and internal medium than velto-vm's own, so two
        recordings of 20 s fit: the one cut before and the one being cut."""
        velto_vm.make_card(self.vm.path("sd.img"), CARD_MB)
        velto_vm.write(self.vm.path("sd.state"), "in\n")
        seed = os.path.join(self.dir, "state-seed")
        os.makedirs(os.path.join(seed, "ubifs"))
        nand = os.path.join(seed, "ubifs", "backing_file")
        run(["truncate", "-s", "%dM" % NAND_MB, nand])
        run(["mkfs.vfat", "-F", "32", "-n", "VELTO", nand])
        state = self.vm.path("state.img")
        run(["truncate", "-s", "%dM" % STATE_MB, state])
        run(["mke2fs", "-q", "-F", "-t", "ext4", "-L", "velto-state", "-d", seed, state])
        shutil.rmtree(seed)

    def boot(self, card_in):
        velto_vm.write(self.vm.path("sd.state"), "in\n" if card_in else "out\n")
        if self.sampler:
            self.sampler.close()
            self.sampler = None
        self.vm.boot()
        if not self.until(30, self.main_screen):
            raise Failure("no main screen after the boot")
        self.pid = self.gsh("pidof veltosc")[1].strip()

    def start_sampler(self, medium):
        self.sampler = Sampler(self.vm.path("console.log"))
        d = MEDIA_DIR[medium]
        # Sizes of the medium's files; the newest picture the program began
        # to save and whether the live stream came back after it (the save
        # had ended then). The loop must not hold the agent's port (fd 3),
        # which opens once at a time.
        script = (
            "( n=0; while :; do n=$((n + 1)); "
            "s=$(stat -c '%%n:%%s' %s/*.avi %s/*.jpg 2>/dev/null | sed 's|.*/||' | tr '\\n' ' '); "
            "p=$(awk '/Saving to jpeg file/ { s = $NF; l = 0 } /to UVC_STATUS_STREAMING/ { l = 1 } "
            "END { print s \":\" l }' /run/velto.log); "
            "echo \"VCUT $n $p $s END\" >/dev/console; sleep 0.5; done ) "
            "</dev/null >/dev/null 2>&1 3>&- &" % (d, d))
        self.gsh(script)
        if not self.until(10, lambda: self.sampler.latest() is not None):
            raise Failure("no size samples from the guest")

    def cut(self):
        self.vm.cut()
        return time.monotonic()

    def key(self, name, pause=0.3):
        self.vm.key(name)
        time.sleep(pause)

    def use_medium(self, medium):
        """Card in for the card, out for the internal medium."""
        mounted = lambda: (" %s " % CARD_MP) in self.gsh("cat /proc/mounts")[1]
        want = medium == "card"
        if mounted() == want:
            return
        self.vm.sd(want)
        if not self.until(15, lambda: mounted() == want):
            raise Failure("card did not %s" % ("mount" if want else "unmount"))
        time.sleep(2)  # the program notices the medium on its next poll

    # --- checks on the images, as a PC would make them ------------------
    def fsck(self, image, what, cut_no):
        """fsck.vfat -n; the dirty flag a cut leaves (and its copy in the
        boot sector's reserved byte, which the backup lacks) is expected."""
        rc, out = run(["fsck.vfat", "-n", image], check=False)
        benign = re.compile(
            r"^(fsck\.fat .*|There are differences between boot sector and its backup\.|"
            r"This is mostly harmless\. Differences: \(offset:original/backup\)|\s*65:0[01]/00|"
            r"\s*Not automatically fixing this\.|Dirty bit is set\. Fs was not properly unmounted.*|"
            r"\s*Automatically removing dirty bit\.|Leaving filesystem unchanged\.|.*: \d+ files, "
            r"\d+/\d+ clusters|\s*)$")
        hint = re.compile(r"^(Free cluster summary wrong.*|\s*Auto-correcting\.|\s*1\) Correct|"
                          r"\s*2\) Don't correct)$")
        lines = out.splitlines()
        # Clusters reserved past a cut recording's size: fsck frees them, and
        # nothing reads them.
        reserve = set()
        for i, l in enumerate(lines):
            if re.search(r"File size is \d+ bytes, cluster chain length is > \d+ bytes", l):
                reserve.update((i - 1, i, i + 1))
        findings = [l for i, l in enumerate(lines) if not benign.match(l)]
        real = [l for i, l in enumerate(lines) if not benign.match(l) and not hint.match(l) and
                i not in reserve]
        for i in sorted(reserve):
            if i >= 0 and i < len(lines) and lines[i].startswith("/"):
                self.hints.append("cut %d, %s: clusters reserved past the size of %s (fsck frees "
                                  "them)" % (cut_no, what, lines[i].strip()))
        for l in findings:
            if hint.match(l) and l.startswith("Free cluster summary wrong"):
                self.hints.append("cut %d, %s: %s" % (cut_no, what, l.strip()))
        if real:
            self.damaged.append("cut %d, %s: %s" % (cut_no, what, " | ".join(real[:6])))
        return not real

    def images(self, cut_no):
        """The card's partition and the internal medium as files, checked."""
        part = os.path.join(self.work, "card.img")
        run(["dd", "if=" + self.vm.path("sd.img"), "of=" + part, "bs=1M", "skip=1", "conv=sparse",
             "status=none"])
        state = os.path.join(self.work, "state.img")
        run(["cp", "--sparse=always", self.vm.path("state.img"), state])
        # The state disk stands in for the board's flash; its journal is
        # replayed as the next boot's mount would, on a copy.
        run(["e2fsck", "-E", "journal_only", "-p", state], check=False)
        rc, out = run(["e2fsck", "-fn", state], check=False)
        if rc != 0:
            self.damaged.append("cut %d, state disk (ext4): %s" %
                                (cut_no, " | ".join(out.splitlines()[1:4])))
        nand = os.path.join(self.work, "nand.img")
        if os.path.exists(nand):
            os.unlink(nand)
        run(["debugfs", "-R", "dump /ubifs/backing_file " + nand, state])
        clean = {"card": self.fsck(part, "card", cut_no), "nand": self.fsck(nand, "internal medium",
                                                                              cut_no)}
        return {"card": part, "nand": nand, "state": state}, clean

    def listing(self, image, medium):
        rc, out = run(["mdir", "-b", "-i", image, MTOOLS_DIR[medium]], check=False)
        if rc != 0:
            return []
        return [os.path.basename(l.strip()) for l in out.splitlines() if l.strip()]

    def copy_out(self, image, medium, name, dest):
        src = "%s/%s" % (MTOOLS_DIR[medium].rstrip("/"), name) if medium == "card" else "::" + name
        if os.path.exists(dest):
            os.unlink(dest)
        rc, out = run(["mcopy", "-n", "-i", image, src, dest], check=False)
        return rc == 0

    def check_kept(self, imgs, cut_no):
        """Older files stay as they were: no cut and no later recording
        writes over them."""
        for (medium, name), digest in self.kept.items():
            dest = os.path.join(self.work, "kept")
            if not self.copy_out(imgs[medium], medium, name, dest):
                raise Failure("cut %d: older file %s on the %s is gone" % (cut_no, name, medium))
            if sha256(dest) != digest:
                raise Failure("cut %d: older file %s on the %s changed" % (cut_no, name, medium))

    def repair(self, imgs, medium, name):
        cut = os.path.join(self.work, "cut.avi")
        if not self.copy_out(imgs[medium], medium, name, cut):
            return None, None
        fixed = os.path.join(self.work, "repaired.avi")
        if os.path.exists(fixed):
            os.unlink(fixed)
        in_file = frames_of(os.path.getsize(cut))
        rc, out = run(self.avi_tool + ["repair", cut, fixed], check=False)
        m = re.search(r"(\d+) frames written", out)
        if rc != 0 and "has no video data" in out:
            return 0, sha256(cut)  # not one whole frame: nothing to repair
        if rc != 0 and not (m and m.group(1) == "0"):
            raise Failure("velto-avi repair %s: exit %d\n%s" % (name, rc, out))
        frames = int(m.group(1)) if m else 0
        if frames < in_file:
            raise Failure("velto-avi repair brought back %d frames of %s, which holds %d whole ones" %
                          (frames, name, in_file))
        if frames > 0:
            run(self.avi_tool + ["verify", fixed])
        return frames, sha256(cut)

    # --- the device after the cut ---------------------------------------
    def device_checks(self, medium, kind):
        """After the boot on the cut images: both media mounted, the program
        runs, the browser lists the medium and the player opens the newest
        file or refuses it, without a crash."""
        mounts = self.gsh("cat /proc/mounts")[1]
        if " /media/nand " not in mounts:
            raise Failure("internal medium not mounted after the cut")
        if medium == "card" and " %s " % CARD_MP not in mounts:
            raise Failure("card not mounted after the cut")
        if kind == "settings":
            return
        self.key("F4", 1.5)
        if kind == "record":
            self.key("RIGHT", 0.5)
        self.key("ENTER", 3)
        cell = self.pixel((17, 128))
        self.key("ENTER", 3)  # the newest file: the one cut
        for _ in range(4):
            if self.main_screen():
                break
            self.key("F1", 2)
        if self.gsh("pidof veltosc")[1].strip() != self.pid:
            raise Failure("veltosc restarted in the browser or player after the cut")
        if not self.until(10, self.main_screen):
            raise Failure("no main screen after the browser")
        return cell

    # --- the cuts ----------------------------------------------------------
    def record_cut(self, no, medium):
        self.use_medium(medium)
        d = MEDIA_DIR[medium]
        # The newest older recording stays, to be checked at every cut.
        self.gsh("ls -t %s/*.avi 2>/dev/null | tail -n +2 | while read f; do rm -f \"$f\"; done; sync"
                 % d)
        before = set(self.gsh("ls %s" % d)[1].split())
        self.start_sampler(medium)
        self.key("F3", 1)
        self.key("ENTER", 0)
        run_for = self.rng.uniform(1, 20)

        def started():
            s = self.sampler.latest()
            return s and [n for n in s[1] if n.endswith(".avi") and n not in before]

        if not self.until(10, started):
            raise Failure("cut %d: the recording did not start" % no)
        name = started()[0]
        time.sleep(run_for)
        t = self.cut()
        samples = self.sampler.before(t)
        last = samples[-1][1].get(name, 0) if samples else 0
        safe = [s for s in samples if s[0] <= t - 1.0]
        must = frames_of(safe[-1][1].get(name, 0)) if safe else 0

        imgs, clean = self.images(no)
        self.check_kept(imgs, no)
        frames, digest = self.repair(imgs, medium, name)
        if frames is None:
            if must > 0:
                raise Failure("cut %d: %s is gone although %d frames were on the medium" %
                              (no, name, must))
            frames = 0
        elif frames < must:
            raise Failure("cut %d: repair recovered %d frames of %s, a sample a second before the "
                          "cut showed %d" % (no, frames, name, must))
        if digest:
            self.kept = {(medium, name): digest}
        self.boot(medium == "card")
        cell = self.device_checks(medium, "record")
        shows = cell is not None and self.near(cell, (190, 190, 190), 60)
        if frames > 0 and not shows:
            raise Failure("cut %d: the browser does not show the first frame of %s (cell %s)" %
                          (no, name, cell))
        self.rows.append(("record", medium, "%.1f s" % run_for, "%d" % frames_of(last),
                          "%d" % frames, "%d" % max(0, frames_of(last) - frames),
                          "ok" if all(clean.values()) else "DAMAGED"))

    def picture_cut(self, no):
        self.use_medium("card")
        d = MEDIA_DIR["card"]
        before = set(self.gsh("ls %s" % d)[1].split())
        self.start_sampler("card")
        # The save takes about half a second here and the live stream is
        # back a second or two later: cuts before, during and after both.
        delay = self.rng.uniform(0.2, 4.0)
        self.key("ENTER", 0)
        time.sleep(delay)
        t = self.cut()
        samples = self.sampler.before(t)
        safe = [s for s in samples if s[0] <= t - 1.0]
        last = samples[-1][1] if samples else {}
        # A new picture whose save had ended (the live stream back) and whose
        # size held for a second before the cut must decode.
        settled = ""
        for n in last:
            if n.endswith(".jpg") and n not in before and any(
                    s[2] == (n, True) and s[1].get(n) == last[n] for s in safe):
                self.settled_pictures.add(n)
                settled = " (saved before)"

        imgs, clean = self.images(no)
        self.check_kept(imgs, no)
        on_card = [n for n in self.listing(imgs["card"], "card") if n.lower().endswith(".jpg")]
        new = [n for n in on_card if n not in before]
        outcome = "absent" + settled
        for n in sorted(set(on_card) | self.settled_pictures):
            jpg = os.path.join(self.work, "p.jpg")
            present = self.copy_out(imgs["card"], "card", n, jpg)
            decodes = present and run(["djpeg", "-outfile", os.devnull, jpg], check=False)[0] == 0
            if n in self.settled_pictures and not decodes:
                raise Failure("cut %d: picture %s, saved a second before the cut, %s" %
                              (no, n, "does not decode" if present else "is gone"))
            if n in new:
                outcome = ("whole" if decodes else "damaged") + settled
        self.boot(True)
        cell = self.device_checks("card", "picture")
        if new:
            # The newest cell: the picture cut, as the browser draws it.
            drawn = cell is not None and not self.near(cell, (128, 0, 0), 30)
            outcome += ", cell drawn" if drawn else ", empty cell"
        self.rows.append(("picture", "card", "%.2f s" % delay, "-", "-", outcome,
                          "ok" if all(clean.values()) else "DAMAGED"))

    def settings_cut(self, no):
        old = self.gsh("cat %s" % SETTINGS)[1]
        old_lang = language_of(old)
        delay = self.rng.uniform(0, 1.0)
        self.key("F1", 1.5)
        self.key("ENTER", 1.5)  # advanced settings
        self.key("DOWN")
        self.key("ENTER", 1.5)  # language
        for _ in range(self.rng.randint(1, 4)):
            self.key("DOWN")
        self.key("ENTER", 0)
        time.sleep(delay)
        t = self.cut()
        imgs, clean = self.images(no)
        r = subprocess.run(["debugfs", "-R", "cat /velto/veltoscconf.xml", imgs["state"]],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        now = r.stdout.decode(errors="replace")
        lang = language_of(now)
        if lang is None:
            raise Failure("cut %d: the settings file is broken after the cut:\n%s" % (no, now[:400]))
        state = "old" if now == old else "new (%s)" % lang
        if now != old and strip_language(now) != strip_language(old):
            raise Failure("cut %d: the settings file changed in more than its language" % no)
        self.boot(self.vm.card_in())
        self.device_checks("card" if self.vm.card_in() else "nand", "settings")
        if ".bad" in self.gsh("ls /usr/velto")[1]:
            raise Failure("cut %d: the program found its settings damaged" % no)
        self.rows.append(("settings", "state", "%.2f s" % delay, old_lang, lang, state,
                          "ok" if all(clean.values()) else "DAMAGED"))

    # --- the run ---------------------------------------------------------
    def run(self):
        # The kinds taken in turn, so that a run stopped early has some of each.
        left = [[("record", "card")] * self.args.card, [("record", "nand")] * self.args.nand,
                [("picture", "card")] * self.args.pictures, [("settings", None)] * self.args.settings]
        plan = []
        while any(left):
            for kind in left:
                if kind:
                    plan.append(kind.pop())
        self.log("seed %d, %d cuts, in %s" % (self.args.seed, len(plan), self.dir))
        self.prepare_images()
        self.boot(True)
        for no, (kind, medium) in enumerate(plan, 1):
            start = time.time()
            if kind == "record":
                self.record_cut(no, medium)
            elif kind == "picture":
                self.picture_cut(no)
            else:
                self.settings_cut(no)
            self.log("cut %d of %d (%s%s): %s, %.0f s" % (no, len(plan), kind, " " + medium if medium
                                                          else "", " | ".join(self.rows[-1][2:]),
                                                          time.time() - start))
        self.vm.halt()

    def report(self):
        print("\nPower cuts (seed %d)" % self.args.seed)
        head = ("kind", "medium", "cut after", "frames seen", "frames back", "lost / result", "fsck")
        widths = [max(len(str(r[i])) for r in self.rows + [head]) for i in range(len(head))]
        for r in [head] + self.rows:
            print("  " + "  ".join(str(c).ljust(w) for c, w in zip(r, widths)))
        rec = [r for r in self.rows if r[0] == "record"]
        if rec:
            lost = [int(r[5]) for r in rec]
            print("recording cuts: %d, frames lost per cut: max %d, mean %.1f" %
                  (len(rec), max(lost), sum(lost) / len(lost)))
        print("cuts: %d; file systems found damaged: %d" % (len(self.rows), len(self.damaged)))
        for d in self.damaged:
            print("  damaged: " + d)
        for h in self.hints:
            print("  note: " + h)


def language_of(text):
    try:
        root = ET.fromstring(text)
    except ET.ParseError:
        return None
    for s in root.iter("Settings"):
        if s.get("name") == "language":
            return s.get("value")
    return None


def strip_language(text):
    return re.sub(r'(<Settings name="language" value=")[^"]*"', r'\1"', text)


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--build", default=os.path.join(ROOT, "build-armel"))
    p.add_argument("--full", action="store_true", help="15 + 15 recording, 10 picture, 10 settings cuts")
    p.add_argument("--card", type=int, default=1)
    p.add_argument("--nand", type=int, default=1)
    p.add_argument("--pictures", type=int, default=1)
    p.add_argument("--settings", type=int, default=1)
    p.add_argument("--seed", type=int, default=None)
    p.add_argument("--keep", action="store_true", help="keep the VM folder after a pass")
    args = p.parse_args()
    if args.full:
        args.card, args.nand, args.pictures, args.settings = 15, 15, 10, 10
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1 << 31)
    for tool in ("qemu-system-arm", "qemu-arm", "fsck.vfat", "mkfs.vfat", "mcopy", "mdir", "debugfs",
                 "e2fsck", "mke2fs", "sfdisk", "djpeg"):
        if not shutil.which(tool):
            print("FAIL: %s is missing (scripts/setup.sh)" % tool, file=sys.stderr)
            return 1
    test = PowerCutTest(args)
    ok = False
    try:
        test.run()
        ok = not test.damaged
    except (Failure, velto_vm.VmError) as e:
        print("FAIL: %s" % e, file=sys.stderr)
        print("repeat with --seed %d" % args.seed, file=sys.stderr)
        console = test.vm.path("console.log")
        if os.path.exists(console):
            with open(console, errors="replace") as f:
                tail = [l for l in f.read().splitlines() if "VCUT" not in l][-25:]
            print("--- console (last lines)\n" + "\n".join(tail), file=sys.stderr)
    finally:
        if test.sampler:
            test.sampler.close()
        test.vm.cut()
        test.report()
        if ok and not args.keep:
            shutil.rmtree(test.dir, ignore_errors=True)
        else:
            print("kept for a look: %s" % test.dir, file=sys.stderr)
    print("PASS" if ok else "FAIL")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
