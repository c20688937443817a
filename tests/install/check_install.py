#!/usr/bin/env python3
"""Checks of an installed krmake, run by CTest.

  tree      installs the build into a fresh prefix and checks the files it holds,
            the licence among them
  krreport  the installed krreport, without --catalogs, writes the same bytes
            as the build tree's
  krmake    the installed krmake starts offscreen with its own XDG folders,
            takes a player's weapon.csv over ours, keeps its settings under
            XDG_CONFIG_HOME and writes nothing beside itself
  desktop   the desktop entry, the AppStream metadata and the MIME package
            pass their validators, the metadata names the licences, and *.kr
            maps to the unit file's type
  version   --version of both programs names the project's version; a stray
            argument after it, and krmake's --help-all, are usage errors told
            in Japanese without a display

Every check that cannot be made (a tool missing, inotify unavailable) fails.
"""

import argparse
import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

CATALOGS = ("weapon.csv", "option.csv", "move.csv")
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# Variables a sanitizer build needs to pass on to the programs it runs.
PASSED_ON = ("PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")


class CheckFailed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


def clean_environment(home, **extra):
    """An environment with nothing of the caller's desktop or home in it."""
    env = {name: os.environ[name] for name in PASSED_ON if name in os.environ}
    env.setdefault("PATH", "/usr/bin:/bin")
    env["HOME"] = str(home)
    env["LANG"] = "C.UTF-8"
    env.update({name: str(value) for name, value in extra.items()})
    return env


def run(command, **kwargs):
    try:
        return subprocess.run(command, capture_output=True, timeout=300, **kwargs)
    except FileNotFoundError as error:
        raise CheckFailed(f"cannot run {command[0]}: {error} (scripts/install-deps.sh test installs it)")


def tree_state(root):
    """Every path under root with its size and modification time."""
    state = {}
    for path in Path(root).rglob("*"):
        info = path.lstat()
        state[str(path.relative_to(root))] = (info.st_size, info.st_mtime_ns)
    return state


# ---- tree ----------------------------------------------------------------------

def check_tree(args):
    prefix = Path(args.prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    result = run(["cmake", "--install", args.build, "--prefix", str(prefix)])
    expect(result.returncode == 0, "cmake --install failed:\n" + result.stderr.decode(errors="replace"))

    app = args.app_id
    expected = {"bin/krmake", "bin/krreport", "bin/krreport-sheets",
                f"share/applications/{app}.desktop",
                f"share/metainfo/{app}.metainfo.xml",
                f"share/mime/packages/{app}.xml",
                f"share/icons/hicolor/scalable/apps/{app}.svg",
                "share/man/man1/krmake.1.gz", "share/man/man1/krreport.1.gz",
                "share/man/man1/krreport-sheets.1.gz", "share/doc/krmake/copyright"}
    expected |= {f"share/krmake/{name}" for name in CATALOGS}
    expected |= {f"share/icons/hicolor/{n}x{n}/apps/{app}.png" for n in ICON_SIZES}
    installed = {path for path in tree_state(prefix) if (prefix / path).is_file()}
    expect(installed == expected,
           f"missing: {sorted(expected - installed)}\nunexpected: {sorted(installed - expected)}")

    # The licence, in Debian's form, is the project's MIT licence.
    copyright = (prefix / "share/doc/krmake/copyright").read_text()
    expect("License: Expat\n" in copyright and "Permission is hereby granted, free of charge" in copyright,
           "share/doc/krmake/copyright does not hold the MIT licence")

    # Each PNG is the size its folder says: width and height from the IHDR chunk.
    for n in ICON_SIZES:
        header = (prefix / f"share/icons/hicolor/{n}x{n}/apps/{app}.png").read_bytes()[:24]
        expect(struct.unpack(">II", header[16:24]) == (n, n), f"the {n}x{n} icon has another size")


# ---- krreport ------------------------------------------------------------------

def unit_file_bytes():
    # Equipment that the shipped catalogs hold, so the report depends on them.
    lines = ["[基本性能]", "名称=据付試験機", "装甲=5", "ＨＰ=20", "パワー=6", "パンチ=6", "価格=8200", "クラス=M",
             "[移動]", "MOVE0=ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ",
             "[武装]", "WEAPON0=ｱｰﾑﾊﾟﾝﾁ(火薬式)", "WEAPON1=11mmMG",
             "[オプション]", "OPTION0=出力強化Lv1"]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def check_krreport(args):
    prefix = Path(args.prefix)
    with tempfile.TemporaryDirectory() as temporary:
        root = Path(temporary)
        unit = root / "unit.kr"
        unit.write_bytes(unit_file_bytes())
        (root / "home").mkdir()
        (root / "none").mkdir()
        env = clean_environment(root / "home", XDG_DATA_DIRS=root / "none")
        for kind in ("--text", "--html"):
            built = run([str(Path(args.build) / "bin/krreport"), kind, str(unit)], env=env, cwd=root)
            installed = run([str(prefix / "bin/krreport"), kind, str(unit)], env=env, cwd=root)
            for name, result in (("build tree's", built), ("installed", installed)):
                expect(result.returncode == 0 and not result.stderr,
                       f"the {name} krreport {kind} failed ({result.returncode}): "
                       + result.stderr.decode(errors="replace"))
            expect("ｱｰﾑﾊﾟﾝﾁ(火薬式)".encode("cp932") in built.stdout,
                   f"the {kind} report lacks the weapon: the catalogs were not read")
            expect(installed.stdout == built.stdout, f"the installed krreport {kind} gives other bytes")
        # The record sheet comes from krreport-sheets, found beside the
        # installed krreport, over the same catalogs.
        sheet = root / "unit.pdf"
        result = run([str(prefix / "bin/krreport"), "--pdf", "-o", str(sheet), str(unit)], env=env, cwd=root)
        expect(result.returncode == 0, f"the installed krreport --pdf failed ({result.returncode}): "
               + result.stderr.decode(errors="replace"))
        expect(sheet.read_bytes().startswith(b"%PDF-"), "the installed krreport --pdf wrote no PDF")


# ---- krmake --------------------------------------------------------------------

IN_OPEN = 0x20
IN_NONBLOCK = 0o4000
IN_CLOEXEC = 0o2000000


class OpenWatch:
    """Which of some files are opened, through inotify."""

    def __init__(self, paths):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(IN_NONBLOCK | IN_CLOEXEC)
        expect(self.fd >= 0, f"inotify_init1 failed: {os.strerror(ctypes.get_errno())}")
        self.paths = {}
        for path in paths:
            wd = self.libc.inotify_add_watch(self.fd, os.fsencode(path), IN_OPEN)
            expect(wd >= 0, f"cannot watch {path}: {os.strerror(ctypes.get_errno())}")
            self.paths[wd] = str(path)
        self.opened = set()

    def read(self, timeout):
        readable, _, _ = select.select([self.fd], [], [], timeout)
        if not readable:
            return
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            return
        offset = 0
        while offset + 16 <= len(data):
            wd, mask, _, length = struct.unpack_from("iIII", data, offset)
            if mask & IN_OPEN and wd in self.paths:
                self.opened.add(self.paths[wd])
            offset += 16 + length

    def close(self):
        os.close(self.fd)


def check_krmake(args):
    prefix = Path(args.prefix)
    shipped = prefix / "share/krmake"
    with tempfile.TemporaryDirectory() as temporary:
        root = Path(temporary)
        for folder in ("home", "config", "data/krmake", "none", "work", "runtime"):
            (root / folder).mkdir(parents=True)
        (root / "runtime").chmod(0o700)
        players = root / "data/krmake/weapon.csv"
        shutil.copyfile(shipped / "weapon.csv", players)

        before = tree_state(prefix)
        watch = OpenWatch([players] + [shipped / name for name in CATALOGS])
        wanted = {str(players), str(shipped / "option.csv"), str(shipped / "move.csv")}
        ours = str(shipped / "weapon.csv")
        env = clean_environment(root / "home", XDG_CONFIG_HOME=root / "config", XDG_DATA_HOME=root / "data",
                                XDG_DATA_DIRS=root / "none", XDG_RUNTIME_DIR=root / "runtime",
                                QT_QPA_PLATFORM="offscreen")
        process = subprocess.Popen([str(prefix / "bin/krmake")], env=env, cwd=root / "work",
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            deadline = time.monotonic() + 120
            while (not wanted <= watch.opened and ours not in watch.opened and time.monotonic() < deadline
                   and process.poll() is None):
                watch.read(0.2)
            expect(ours not in watch.opened, "krmake read the shipped weapon.csv although the player has one")
            expect(process.poll() is None, "krmake ended by itself at start")
            expect(wanted <= watch.opened, f"krmake did not read {sorted(wanted - watch.opened)}")
            # Give the windows time to come up, then end it as a session manager would.
            time.sleep(1.0)
            expect(process.poll() is None, "krmake ended by itself after reading its catalogs")
            process.send_signal(signal.SIGTERM)
            _, stderr = process.communicate(timeout=120)
        finally:
            if process.poll() is None:
                process.kill()
                process.communicate()
        watch.read(0)
        watch.close()

        expect(process.returncode == 0,
               f"krmake ended with {process.returncode} on SIGTERM:\n" + stderr.decode(errors="replace"))
        expect(ours not in watch.opened,
               "krmake read the shipped weapon.csv although the player has one")

        settings = root / "config/krmake/KRMAKE.INI"
        expect(settings.is_file(), "no KRMAKE.INI under XDG_CONFIG_HOME/krmake")
        lines = settings.read_bytes().split(b"\r\n")
        keys = [line.split(b"=")[0] for line in lines if b"=" in line]
        expect(lines[0] == b"[GENERAL]" and len(keys) == 16 and b"WIDTH" in keys,
               f"KRMAKE.INI does not hold the sixteen placement keys:\n{settings.read_bytes()!r}")

        expect(tree_state(prefix) == before, "krmake changed files of its installation")
        expect(not any((root / "work").iterdir()), "krmake wrote into its working folder")


# ---- desktop -------------------------------------------------------------------

def check_desktop(args):
    share = Path(args.prefix) / "share"
    app = args.app_id
    result = run(["desktop-file-validate", str(share / f"applications/{app}.desktop")])
    expect(result.returncode == 0 and not result.stdout.strip(),
           "desktop-file-validate:\n" + (result.stdout + result.stderr).decode(errors="replace"))
    result = run(["appstreamcli", "validate", "--no-net", str(share / f"metainfo/{app}.metainfo.xml")])
    expect(result.returncode == 0,
           "appstreamcli validate:\n" + (result.stdout + result.stderr).decode(errors="replace"))

    # The MIME package compiles into a database in which *.kr is our type.
    with tempfile.TemporaryDirectory() as temporary:
        mime = Path(temporary) / "mime"
        shutil.copytree(share / "mime", mime)
        result = run(["update-mime-database", str(mime)])
        expect(result.returncode == 0,
               "update-mime-database:\n" + (result.stdout + result.stderr).decode(errors="replace"))
        globs = (mime / "globs2").read_text()
        expect(f":{args.mime_type}:*.kr\n" in globs, f"*.kr is not {args.mime_type}:\n{globs}")
        subclasses = (mime / "subclasses").read_text()
        expect(f"{args.mime_type} text/plain\n" in subclasses, "the unit file's type is no kind of text/plain")

    metainfo = (share / f"metainfo/{app}.metainfo.xml").read_text()
    expect("<project_license>MIT</project_license>" in metainfo and
           "<metadata_license>CC0-1.0</metadata_license>" in metainfo,
           "the AppStream file does not name the licences")

    entry = (share / f"applications/{app}.desktop").read_text()
    expect(f"MimeType={args.mime_type};" in entry, "the desktop entry does not open the unit file's type")
    expect(f"Icon={app}\n" in entry, "the desktop entry names another icon")


# ---- version -------------------------------------------------------------------

def check_version(args):
    with tempfile.TemporaryDirectory() as temporary:
        # No display at all: --version is answered on a bare terminal.
        env = clean_environment(temporary)
        for name in ("krmake", "krreport"):
            result = run([str(Path(args.prefix) / "bin" / name), "--version"], env=env)
            expect(result.returncode == 0, f"{name} --version ended with {result.returncode}: "
                   + result.stderr.decode(errors="replace"))
            expect(result.stdout == f"{name} {args.version}\n".encode(),
                   f"{name} --version printed {result.stdout!r}")
            # Anything after --version is a usage error, told in Japanese, also without a display.
            result = run([str(Path(args.prefix) / "bin" / name), "--version", "extra"], env=env)
            expect(result.returncode == 2 and not result.stdout and
                   result.stderr.decode().startswith(f"{name}: --version と共に extra は指定できません\n"),
                   f"{name} --version extra ended with {result.returncode}: {result.stderr.decode(errors='replace')}")
        result = run([str(Path(args.prefix) / "bin/krmake"), "--help-all"], env=env)
        expect(result.returncode == 2 and result.stderr.decode().startswith("krmake: 不明なオプション: --help-all\n"),
               f"krmake --help-all ended with {result.returncode}: {result.stderr.decode(errors='replace')}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=("tree", "krreport", "krmake", "desktop", "version"))
    parser.add_argument("--build", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--mime-type", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    checks = {"tree": check_tree, "krreport": check_krreport, "krmake": check_krmake,
              "desktop": check_desktop, "version": check_version}
    try:
        checks[args.check](args)
    except CheckFailed as failure:
        print(f"FAIL {args.check}: {failure}", file=sys.stderr)
        return 1
    print(f"ok {args.check}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
