#!/usr/bin/env python3
"""End-to-end tests of the pliv program: each case runs the built program against a server on
127.0.0.1 and checks standard output byte for byte, standard error, the exit code and every file
in the folder the program ran in.

  run_e2e.py --pliv COMMAND --server PATH [--filter TEXT] [--max-send N] [--large]

COMMAND runs the program, e.g. build/default/pliv or "wine64 build/mingw-x64/pliv.exe".
PATH is the scripted_server program. The servers: scripted_server with a script per case,
python3's http.server and nginx over files generated here. Ends with "N passed, N failed, N skipped".
With --max-send N the scripted server sends every piece in at most N bytes, so every boundary
of the header block and the body falls inside a receive; the cases then allow any progress lines
before the last one. The full-disk cases mount a small tmpfs as their folder (root only; elsewhere
they are skipped, and counted as such, with the reason). --large adds the cases with bodies of
hundreds of MiB (about a minute each under wine), which are left out otherwise.
"""

import argparse
import dataclasses
import fcntl
import hashlib
import http.client
import os
import random
import re
import select
import shlex
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

# The banner's lines, as the program writes them before anything else.
BANNER = ["-" * 48, "Pliv Version 1.0 - download file from web", "Copyright (c) Pliv authors", "", "", "",
          "More tools: https://www.example.com/tools", "-" * 48]
REQUEST = b"GET %s HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Pliv 1.0 compatible\r\n\r\n"
RUN_TIMEOUT = 120
NOBODY = 65534


class Skip(Exception):
    """The case cannot run here; the reason is the message."""


class Untouched:
    """The file holds what it held before the run."""


class PatternBody:
    """The file holds the scripted server's pattern of this many bytes; compared by digest."""

    def __init__(self, size):
        self.size = size

    def digest(self):
        period = pattern(251 * 4096)
        whole, rest = divmod(self.size, len(period))
        digest = hashlib.sha256()
        for _ in range(whole):
            digest.update(period)
        digest.update(period[:rest])
        return digest.hexdigest()


class Filled:
    """A file of this many copies of one byte, made without holding it in memory."""

    def __init__(self, byte, size):
        self.byte, self.size = byte, size

    def write(self, f):
        block = bytes([self.byte]) * (1 << 20)
        whole, rest = divmod(self.size, len(block))
        for _ in range(whole):
            f.write(block)
        f.write(block[:rest])


class Link:
    """A symbolic link to target, which need not exist."""

    def __init__(self, target):
        self.target = target


class ServedBody:
    """The file holds the body the real server sends for this path (as http.client reads it)."""

    def __init__(self, path):
        self.path = path


@dataclasses.dataclass
class Case:
    name: str
    args: list  # "{url}" stands for http://127.0.0.1:PORT
    stdout: str  # template, see Expect
    exit: int = 0
    files: dict = dataclasses.field(default_factory=dict)  # the folder afterwards: name -> bytes
    before: dict = dataclasses.field(default_factory=dict)  # the folder before: name -> bytes
    server: str = "script"  # script, refused (nothing listens), python, nginx
    script: list = dataclasses.field(default_factory=list)
    stderr: str = ""
    request: bytes = None  # the request bytes the server must have received
    early_output: bool = False  # some output must reach the pipe long before the end
    interrupt: float = None  # stop the program with SIGINT after this many seconds; stdout is then a
    #                          prefix of the template (which has no placeholders but banner and port)
    interrupt_on_write: str = None  # stop the program with SIGINT as soon as this file's first byte changes
    write_signals: tuple = (signal.SIGINT,)  # what interrupt_on_write sends, in this order, 5 ms apart
    stdout_to: str = "pipe"  # pipe; closed (no standard output), full (/dev/full), broken (a pipe no one reads),
    #                          nonblocking (a small non-blocking pipe, read slowly)
    close_stderr: bool = False  # run with standard error closed (stderr is then empty)
    posix_only: bool = False  # not for the Windows build (names or devices that only POSIX has)
    wine_only: bool = False  # only for the Windows build (its ANSI code page)
    stderr_wine: str = None  # stderr of the Windows build under wine, where it differs (system error numbers)
    locale: str = None  # run in this locale, generated for the run (LC_ALL, with LOCPATH for POSIX)
    disk: str = None  # the case's folder is a tmpfs of this size ("2m"); "ro", a tmpfs made read-only once the
    #                   files before are in it; "ntfs", a 16 MiB NTFS image mounted with ntfs-3g; or "ext4", an
    #                   8 MiB ext4 image that keeps half its blocks for root; skipped where it cannot be mounted
    large: bool = False  # a body of hundreds of MiB: only with --large
    timeout: int = None  # seconds the run may take, when more than RUN_TIMEOUT
    lock: str = None  # a helper process holds a lock (lock_kind) on this file of the folder during the run
    lock_on_request: bool = False  # the helper takes it only once the request has arrived
    lock_kind: str = "ex"  # ex, sh: an exclusive or shared flock; lease: a read lease given up when asked;
    #                        flicker: a shared flock held for 2 ms at a time, dropped for a moment
    lock_seconds: float = 0  # the helper lets go after this many seconds; 0: at the end of the run
    user: str = None  # "nobody": the program runs as user and group 65534, in a folder of root's (mode 0755)
    owned: tuple = ()  # what belongs to that user: "" the case's folder, or names of the files before
    rival: tuple = None  # (file, stdout template): a second run that saves that file too, started with the
    #                      first; its server answers with TEN once the first run has changed the file's first byte
    ends_within: float = None  # once the request has arrived, the run ends within this many seconds
    ignored: tuple = ()  # signals the program inherits as ignored (after the runner's reset to the defaults)
    fifo: bool = False  # interrupt_on_write's file is a FIFO whose reader never reads: the signals go once bytes
    #                     wait in it (the writer stalls at 64 KiB), and the run must end within 10 s of them


# The system's reasons that "could not write" shows: (POSIX, wine's own text for the Windows error).
REASONS = {"{no space}": ("No space left on device", "Disk full."), "{denied}": ("Permission denied", "Access denied.")}

# Holds a lock of the kind argument 2 names on the file named by argument 1, for argument 3 seconds
# (0: until its standard input closes).
LOCK_HELPER = r"""
import fcntl, signal, sys, threading, time
f = open(sys.argv[1], "rb")
kind, seconds, done = sys.argv[2], float(sys.argv[3]), threading.Event()
F_SETLEASE = 1024
if kind == "lease":  # given up as soon as the kernel says that someone opens the file for writing
    signal.signal(signal.SIGIO, lambda *_: fcntl.fcntl(f, F_SETLEASE, fcntl.F_UNLCK))
    fcntl.fcntl(f, F_SETLEASE, fcntl.F_RDLCK)
elif kind == "flicker":
    def flicker():
        while not done.is_set():
            fcntl.flock(f, fcntl.LOCK_SH)
            time.sleep(0.002)
            fcntl.flock(f, fcntl.LOCK_UN)
            time.sleep(0.0001)
    threading.Thread(target=flicker, daemon=True).start()
else:
    fcntl.flock(f, fcntl.LOCK_EX if kind == "ex" else fcntl.LOCK_SH)
if seconds:
    threading.Timer(seconds, lambda: fcntl.flock(f, fcntl.LOCK_UN)).start()
print("held", flush=True)
sys.stdin.read()
done.set()
"""


def hold_lock(path, kind, seconds):
    helper = subprocess.Popen([sys.executable, "-c", LOCK_HELPER, path, kind, str(seconds)], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE)
    if helper.stdout.readline() != b"held\n":
        raise RuntimeError("the lock helper could not lock " + path)
    return helper


def response(body, length=None):
    """A script that answers with a status line, an optional Content-Length and the body."""
    header = "HTTP/1.0 200 OK\\r\\n"
    if length is not None:
        header += "Content-Length: %s\\r\\n" % length
    return ["send " + header + "\\r\\n" + body, "close"]


PROGRESS_10 = "Downloading 10 of 10 (100.00%) Speed {#} Kb/s {#} seconds passed"
STATUS = "Connecting ...Sending headers ...Getting headers ..."


def announced(name):
    return "{banner}Downloading %s from 127.0.0.1 on port {port}\r\n" % name


def closing(count, name):
    return "\r\n\t%d byte(s) downloaded -> %s\r\n" % (count, name)


def progress(received, length):
    return "Downloading %d of %d (%s%%) Speed {#} Kb/s {#} seconds passed" % (
        received, length, "%.2f" % (received * 100.0 / length))


def pattern(count):
    """The scripted server's pattern bytes: the byte at offset i is (i * 7 + 3) mod 251."""
    return bytes((i % 251 * 7 + 3) % 251 for i in range(count))


TEN = "0123456789"
USAGE = "{banner}{exe} http://www.example.com/youfolder/file.zip [localfilename]\r\n"
NO_NAME = "Fatal: cannot save: the URL ends in no file name; a second argument gives one\r\n"


def cannot_save(name, why, from_url):
    return "Fatal: cannot save as %s: %s%s\r\n" % (name, why, "; a second argument gives another name" if from_url else "")

KEPT = "The existing file %s was kept; the incomplete download was not saved\r\n"
OLD = b"an older and much longer file that was there before the run\r\n" * 4
KEPT_ANSWER = "The existing file %s was kept; the server's answer was not saved\r\n"
ANSWERED_404 = "Fatal: the server answered 404 Not Found\r\n"
PAGE = "<h1>404</h1>"


def answer(status, body, more=""):
    """A script that answers with this status, the header lines in more, a length and the body."""
    return ["send HTTP/1.1 %s\\r\\n%sContent-Length: %d\\r\\n\\r\\n%s" % (status, more, len(body), body), "close"]


SCRIPTED_CASES = [
    Case("usage line without arguments", [], USAGE, server="refused"),
    *[Case("usage line for %s, with nothing connected or created" % switch, [switch, "out.bin"], USAGE,
           server="refused") for switch in ("--help", "-h", "-?", "/?")],
    # Only those four: an argument that merely begins like one is a URL as before.
    *[Case("%s is a URL" % url, [url], "{banner}Downloading  from %s on port 80\r\n" % url + NO_NAME, exit=2,
           server="refused") for url in ("-x", "--helpme")],
    Case("/?x is a URL", ["/?x", "out.bin"],
         "{banner}Downloading ?x from  on port 80\r\nConnecting ...Fatal: could not connect :80\r\n"
         + closing(0, "out.bin"), exit=2, files={"out.bin": b""}, server="refused"),
    Case("declared length, one block", ["{url}/d/f.txt"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "f.txt"),
         files={"f.txt": TEN.encode()}, script=response(TEN, 10), request=REQUEST % b"/d/f.txt"),
    Case("argument 2 names the file, the announcement the derived name", ["{url}/d/f.txt", "other.bin"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "other.bin"),
         files={"other.bin": TEN.encode()}, script=response(TEN, 10)),
    Case("empty quotes after the URL are no argument 2", ["{url}/f.txt", ""],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "f.txt"),
         files={"f.txt": TEN.encode()}, script=response(TEN, 10)),
    Case("empty quotes before the URL are skipped", ["", "{url}/f.txt"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "f.txt"),
         files={"f.txt": TEN.encode()}, script=response(TEN, 10)),
    Case("N bytes in many blocks end with the closing line", ["{url}/n.bin"],
         announced("n.bin") + STATUS + "{any}Downloading 5000 of UnKnown Size" + closing(5000, "n.bin"),
         files={"n.bin": pattern(5000)},
         script=["send HTTP/1.0 200 OK\\r\\n\\r\\n", "drip 700", "pattern 5000", "close"]),
    Case("more than declared is cut", ["{url}/f"],
         announced("f") + STATUS + "Downloading 15 of 10 (150.00%) Speed {#} Kb/s {#} seconds passed"
         + closing(10, "f"), files={"f": TEN.encode()}, script=response(TEN + "abcde", 10)),
    Case("a locale with a decimal comma shows it in every figure", ["{url}/f"],
         announced("f") + STATUS + "Downloading 10 of 10 (100,00%) Speed {#} Kb/s {#} seconds passed"
         + closing(10, "f"), files={"f": TEN.encode()}, script=response(TEN, 10), locale="de_DE.UTF-8"),
    Case("leading zeros of a length do not count", ["{url}/f"],
         announced("f") + STATUS + PROGRESS_10 + closing(10, "f"),
         files={"f": TEN.encode()}, script=response(TEN, "000000000000000000010")),
    Case("an existing longer file is cut to the body", ["{url}/f.txt"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "f.txt"),
         before={"f.txt": OLD}, files={"f.txt": TEN.encode()}, script=response(TEN, 10)),
    Case("an empty body empties an existing file", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "Downloading 0 of UnKnown Size" + closing(0, "f.txt"),
         before={"f.txt": OLD}, files={"f.txt": b""}, script=response("")),
    Case("a refused connection leaves an existing file alone", ["{url}/f.txt"],
         announced("f.txt") + "Connecting ...Fatal: could not connect 127.0.0.1:{port}\r\n" + closing(0, "f.txt"),
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched}, server="refused"),
    Case("a refused connection creates a missing file empty", ["{url}/f.txt"],
         announced("f.txt") + "Connecting ...Fatal: could not connect 127.0.0.1:{port}\r\n" + closing(0, "f.txt"),
         exit=2, files={"f.txt": b""}, server="refused"),
    Case("headers cut short leave an existing file alone", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "Fatal: connection closed before the end of the headers\r\n"
         + closing(0, "f.txt"),
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched},
         script=["send HTTP/1.0 200 OK\\r\\nContent-Len", "close"]),
    Case("a short body is saved and reported incomplete", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "Downloading 4 of 10 (40.00%) Speed {#} Kb/s {#} seconds passed"
         + closing(4, "f.txt") + "Fatal: download incomplete, 4 of 10 bytes received\r\n",
         exit=2, files={"f.txt": b"0123"}, script=response("0123", 10)),
    Case("a short body leaves an existing file alone", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "Downloading 4 of 10 (40.00%) Speed {#} Kb/s {#} seconds passed"
         + closing(4, "f.txt") + "Fatal: download incomplete, 4 of 10 bytes received\r\n" + KEPT % "f.txt",
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched}, script=response("0123", 10)),
    Case("a reset without a length is a broken connection", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "{any}Downloading 5 of UnKnown Size" + closing(5, "f.txt")
         + "Fatal: connection broken after 5 bytes\r\n",
         exit=2, files={"f.txt": b"01234"},
         script=["send HTTP/1.0 200 OK\\r\\n\\r\\n01234", "pause 300", "reset"]),
    Case("a reset without a length leaves an existing file alone", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "{any}Downloading 5 of UnKnown Size" + closing(5, "f.txt")
         + "Fatal: connection broken after 5 bytes\r\n" + KEPT % "f.txt",
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched},
         script=["send HTTP/1.0 200 OK\\r\\n\\r\\n01234", "pause 300", "reset"]),
    Case("a reset after every declared byte is a complete download", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "{any}" + PROGRESS_10 + closing(10, "f.txt"),
         before={"f.txt": OLD}, files={"f.txt": TEN.encode()},
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n" + TEN, "pause 300", "reset"]),
    Case("a reset after more than the declared length is cut and complete", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "{any}Downloading 15 of 10 (150.00%) Speed {#} Kb/s {#} seconds passed"
         + closing(10, "f.txt"), files={"f.txt": TEN.encode()},
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n" + TEN + "abcde", "pause 300",
                 "reset"]),
    Case("a full disk as argument 2 cannot be written", ["{url}/f.txt", "/dev/full"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "/dev/full")
         + "Fatal: could not write /dev/full: {no space}\r\n",
         exit=2, script=response(TEN, 10)),
    # A name that can never be saved ends the run after the announcement: nothing listens, so a
    # connection would show as "Connecting ...".
    Case("a URL ending in / is refused before connecting", ["{url}/dir/"],
         announced("") + NO_NAME, exit=2, server="refused"),
    Case("a folder as argument 2 is refused before connecting", ["{url}/f.txt", "sub"],
         announced("f.txt") + "Fatal: cannot save as sub: it is a folder\r\n",
         exit=2, before={"sub/": b""}, files={"sub/": b""}, server="refused"),
    Case("a name from the URL that is a folder is refused before connecting", ["{url}/sub"],
         announced("sub") + cannot_save("sub", "it is a folder", True),
         exit=2, before={"sub/": b""}, files={"sub/": b""}, server="refused"),
    Case("a last segment of 300 bytes is refused before connecting", ["{url}/d/" + "n" * 300],
         announced("n" * 300) + cannot_save("n" * 300, "the name is longer than the file system allows", True),
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched}, server="refused"),
    # Windows refuses "?" in a file name, POSIX keeps it; argument 2 is the way out.
    Case("a query in the URL is refused before connecting", ["{url}/get?id=7"],
         announced("get?id=7") + cannot_save("get?id=7", 'a file name may not hold the character "?"', True),
         exit=2, server="refused", wine_only=True),
    # Windows drops a dot or a blank at the end of a name and opens a file by its short name: from
    # the URL such a name would land in another file than the closing line names.
    Case("a name from the URL ending in a dot is refused before connecting", ["{url}/file.txt."],
         announced("file.txt.") + cannot_save("file.txt.", "the system would store it as file.txt", True),
         exit=2, before={"file.txt": OLD}, files={"file.txt": Untouched}, server="refused", wine_only=True),
    Case("a name from the URL ending in a blank is refused before connecting", ["{url}/sp.txt "],
         announced("sp.txt ") + cannot_save("sp.txt ", "the system would store it as sp.txt", True),
         exit=2, before={"sp.txt": OLD}, files={"sp.txt": Untouched}, server="refused", wine_only=True),
    # wine's short name for this long one
    Case("an existing file's short name from the URL is refused before connecting", ["{url}/IMPO~ZG0.TXT"],
         announced("IMPO~ZG0.TXT")
         + cannot_save("IMPO~ZG0.TXT", "the system would store it as Important Document.txt", True),
         exit=2, before={"Important Document.txt": OLD}, files={"Important Document.txt": Untouched},
         server="refused", wine_only=True),
    Case("a query in the URL with argument 2 out.bin downloads", ["{url}/get?id=7", "out.bin"],
         announced("get?id=7") + STATUS + PROGRESS_10 + closing(10, "out.bin"),
         files={"out.bin": TEN.encode()}, script=response(TEN, 10), request=REQUEST % b"/get?id=7"),
    Case("a query in the URL is an ordinary name on POSIX", ["{url}/get?id=7"],
         announced("get?id=7") + STATUS + PROGRESS_10 + closing(10, "get?id=7"),
         files={"get?id=7": TEN.encode()}, script=response(TEN, 10), posix_only=True),
    Case("redirected status text reaches the pipe as the buffer fills", ["{url}/slow.bin"],
         announced("slow.bin") + STATUS + "{any}Downloading 6000 of UnKnown Size" + closing(6000, "slow.bin"),
         files={"slow.bin": pattern(6000)}, early_output=True,
         script=["send HTTP/1.0 200 OK\\r\\n\\r\\n", "drip 100", "pattern 6000", "pause 1500", "close"]),
    # The server's error response: reported, exit code 2, and never in place of a file that holds bytes.
    Case("a 404 into no file saves the page", ["{url}/f.zip"],
         announced("f.zip") + STATUS + progress(12, 12) + closing(12, "f.zip") + ANSWERED_404,
         exit=2, files={"f.zip": PAGE.encode()}, script=answer("404 Not Found", PAGE)),
    Case("a 404 over a file that holds bytes keeps it", ["{url}/f.zip"],
         announced("f.zip") + STATUS + progress(12, 12) + closing(12, "f.zip") + ANSWERED_404
         + KEPT_ANSWER % "f.zip",
         exit=2, before={"f.zip": OLD}, files={"f.zip": Untouched}, script=answer("404 Not Found", PAGE)),
    Case("a 404 over an empty file saves the page", ["{url}/f.zip"],
         announced("f.zip") + STATUS + progress(12, 12) + closing(12, "f.zip") + ANSWERED_404,
         exit=2, before={"f.zip": b""}, files={"f.zip": PAGE.encode()}, script=answer("404 Not Found", PAGE)),
    Case("a 301 names its Location and keeps the file", ["{url}/f.zip", "saved.zip"],
         announced("f.zip") + STATUS + progress(5, 5) + closing(5, "saved.zip")
         + "Fatal: the server answered 301 Moved Permanently (moved to https://127.0.0.1/f.zip)\r\n"
         + KEPT_ANSWER % "saved.zip",
         exit=2, before={"saved.zip": OLD}, files={"saved.zip": Untouched},
         script=answer("301 Moved Permanently", "moved", "location: https://127.0.0.1/f.zip\\r\\n")),
    Case("a reason phrase holding ESC reaches the terminal as ?", ["{url}/f.zip"],
         announced("f.zip") + STATUS + progress(12, 12) + closing(12, "f.zip")
         + "Fatal: the server answered 503 Busy ?[2J?]0;owned??\r\n",
         exit=2, files={"f.zip": PAGE.encode()}, script=answer("503 Busy \\x1b[2J\\x1b]0;owned\\x07\\xff", PAGE)),
    Case("a 404 cut short over a file: both lines, the file kept", ["{url}/f.zip"],
         announced("f.zip") + STATUS + progress(4, 12) + closing(4, "f.zip")
         + "Fatal: download incomplete, 4 of 12 bytes received\r\n" + ANSWERED_404 + KEPT_ANSWER % "f.zip",
         exit=2, before={"f.zip": OLD}, files={"f.zip": Untouched},
         script=["send HTTP/1.0 404 Not Found\\r\\nContent-Length: 12\\r\\n\\r\\n<h1>", "close"]),
    Case("a 206 is a download like a 200", ["{url}/f.txt"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "f.txt"),
         before={"f.txt": OLD}, files={"f.txt": TEN.encode()}, script=answer("206 Partial Content", TEN)),
    Case("without a status line the body replaces the file as before", ["{url}/f.txt"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "f.txt"),
         before={"f.txt": OLD}, files={"f.txt": TEN.encode()},
         script=["send Content-Length: 10\\r\\n\\r\\n" + TEN, "close"]),
    Case("a length above 2147483647 ends in the conversion error", ["{url}/f.txt"],
         announced("f.txt") + STATUS,
         stderr="Exception EConvertError in module {exe} at {hex8}.\r\n"
                "'2147483648' is not a valid integer value.\r\n\r\n",
         exit=1, before={"f.txt": OLD}, files={"f.txt": Untouched}, script=response(TEN, "2147483648")),
]

CUT_SHORT = "Fatal: connection closed before the end of the headers\r\n"
MANY_LINES = "".join("X-Line-%05d: filler\\r\\n" % i for i in range(10000))
LONG_NAME = "a" * 65536


def could_not_connect(name, host, port):
    return ("{banner}Downloading %s from %s on port %s\r\nConnecting ...Fatal: could not connect %s:%s\r\n"
            % (name, host, port, host, port) + closing(0, name))


def io_error(number):
    return "Exception EInOutError in module {exe} at {hex8}.\r\nI/O error %d.\r\n\r\n" % number


# Servers that lie, stall or break off. Nothing may crash, hang on its own, damage a file that
# the transfer did not reach, or end as a success when it was not one.
HOSTILE_CASES = [
    Case("hostile: headers and body dripped one byte at a time", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "{any}" + PROGRESS_10 + closing(10, "f.txt"),
         before={"f.txt": OLD}, files={"f.txt": TEN.encode()},
         script=["drip 1", "send HTTP/1.0 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n" + TEN, "close"]),
    Case("hostile: 10 000 header lines before the length", ["{url}/f.txt"],
         announced("f.txt") + STATUS + "{any}" + PROGRESS_10 + closing(10, "f.txt"), files={"f.txt": TEN.encode()},
         script=["send HTTP/1.0 200 OK\\r\\n" + MANY_LINES + "Content-Length: 10\\r\\n\\r\\n" + TEN, "close"]),
    Case("hostile: 8 MiB of header block without its end, then close", ["{url}/f.txt"],
         announced("f.txt") + STATUS + CUT_SHORT + closing(0, "f.txt"),
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched},
         script=["send HTTP/1.0 200 OK\\r\\nX-Endless: ", "pattern 8388608", "close"]),
    Case("hostile: a declared length of 2147483647 with a short body", ["{url}/f.txt"],
         announced("f.txt") + STATUS + progress(10, 2147483647) + closing(10, "f.txt")
         + "Fatal: download incomplete, 10 of 2147483647 bytes received\r\n",
         exit=2, files={"f.txt": TEN.encode()}, script=response(TEN, 2147483647)),
    Case("hostile: a declared length of 2^32 + 1 ends in the conversion error, no file made", ["{url}/f.txt"],
         announced("f.txt") + STATUS,
         stderr="Exception EConvertError in module {exe} at {hex8}.\r\n"
                "'4294967297' is not a valid integer value.\r\n\r\n",
         exit=1, script=response(TEN, "4294967297")),
    Case("hostile: five times the declared length, in blocks", ["{url}/f.bin"],
         announced("f.bin") + STATUS + "{any}" + progress(5000, 1000) + closing(1000, "f.bin"),
         files={"f.bin": pattern(1000)},
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: 1000\\r\\n\\r\\n", "drip 300", "pattern 5000", "close"]),
    Case("hostile: a reset right after the headers", ["{url}/f.txt"],
         announced("f.txt") + STATUS + progress(0, 100) + closing(0, "f.txt")
         + "Fatal: download incomplete, 0 of 100 bytes received\r\n",
         exit=2, files={"f.txt": b""},
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: 100\\r\\n\\r\\n", "pause 300", "reset"]),
    Case("hostile: a server that closes at once", ["{url}/f.txt"],
         announced("f.txt") + STATUS + CUT_SHORT + closing(0, "f.txt"),
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched}, script=["close"]),
    Case("hostile: a server that resets at once", ["{url}/f.txt"],
         announced("f.txt") + STATUS + CUT_SHORT + closing(0, "f.txt"),
         exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched}, script=["reset"]),
    Case("hostile: a server that never answers; Ctrl+C leaves the file alone", ["{url}/f.txt"],
         announced("f.txt") + STATUS,
         exit=-signal.SIGINT, before={"f.txt": OLD}, files={"f.txt": Untouched}, script=["wait"], interrupt=1.0,
         posix_only=True),
]

# Input that nobody planned for: the URL, argument 2 and standard output.
BAD_INPUT_CASES = [
    Case("bad input: CR LF in the URL stays inside the request line", ["{url}/d/a\r\nX-Injected: 1"],
         "{banner}Downloading  1 from 127.0.0.1 on port {port}\r\n" + STATUS + PROGRESS_10 + closing(10, " 1"),
         files={" 1": TEN.encode()}, script=response(TEN, 10), request=REQUEST % b"/d/a%0D%0AX-Injected:%201"),
    Case("bad input: control bytes in the URL go out as %XX", ["{url}/c\x01\x07\x1b[0m\x7f\tz.bin"],
         announced("c\x01\x07\x1b[0m\x7f\tz.bin") + STATUS + PROGRESS_10 + closing(10, "c\x01\x07\x1b[0m\x7f\tz.bin"),
         files={"c\x01\x07\x1b[0m\x7f\tz.bin": TEN.encode()}, script=response(TEN, 10),
         request=REQUEST % b"/c%01%07%1B[0m%7F%09z.bin", posix_only=True),
    Case("bad input: a 64 KiB URL, its name too long to write, is refused before connecting", ["{url}/" + LONG_NAME],
         announced(LONG_NAME) + cannot_save(LONG_NAME, "the name is longer than the file system allows", True),
         exit=2, script=response(TEN, 10), request=b"", posix_only=True),
    Case("bad input: only ://", ["://"], "{banner}Downloading  from  on port 80\r\n" + NO_NAME,
         exit=2, server="refused"),
    Case("bad input: only :", [":"], "{banner}Downloading  from  on port 80\r\n" + NO_NAME,
         exit=2, server="refused"),
    Case("bad input: port -1 (65535 on the wire)", ["http://127.0.0.1:-1/f.txt"],
         could_not_connect("f.txt", "127.0.0.1", -1), exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched},
         server="refused"),
    Case("bad input: port $FFFFFFFF is -1", ["127.0.0.1:$FFFFFFFF/f.txt"],
         could_not_connect("f.txt", "127.0.0.1", -1), exit=2, before={"f.txt": OLD}, files={"f.txt": Untouched},
         server="refused"),
    # The host is the text after the first "@", a name no resolver accepts; the server hears nothing.
    Case("bad input: user information with several @", ["http://user@pass@127.0.0.1:{port}/f.txt"],
         could_not_connect("f.txt", "pass@127.0.0.1", "{port}"), exit=2, files={"f.txt": b""}, request=b""),
    # Windows reads these names as devices: from the URL they are refused before connecting, as
    # argument 2 they are the user's choice (NUL discards the body).
    Case("bad input: a URL ending in /nul is refused before connecting", ["{url}/d/nul"],
         announced("nul") + cannot_save("nul", "the system reads that name as a device", True),
         exit=2, server="refused", wine_only=True),
    Case("bad input: a URL ending in /NUL.bin is refused before connecting", ["{url}/NUL.bin"],
         announced("NUL.bin") + cannot_save("NUL.bin", "the system reads that name as a device", True),
         exit=2, server="refused", wine_only=True),
    Case("bad input: nul as argument 2 discards the body", ["{url}/f.txt", "nul"],
         announced("f.txt") + STATUS + PROGRESS_10 + closing(10, "nul"), script=response(TEN, 10), wine_only=True),
    Case("bad input: argument 2 in a missing folder is refused before connecting", ["{url}/f.txt", "missing/f.txt"],
         announced("f.txt") + cannot_save("missing/f.txt", "the folder missing/ does not exist", False),
         exit=2, server="refused"),
    # Under wine a closed descriptor still gives a handle, whose writes fail (ERROR_INVALID_HANDLE).
    Case("bad input: standard output closed", ["{url}/f.txt"], "", stderr=io_error(105), stderr_wine=io_error(6),
         exit=1, before={"f.txt": OLD}, files={"f.txt": Untouched}, script=response(TEN, 10), stdout_to="closed"),
    # The socket must not take descriptor 2: the report goes nowhere, and the server hears the request alone.
    Case("bad input: standard error closed, a length too large to convert", ["{url}/f.txt"],
         announced("f.txt") + STATUS, exit=1, before={"f.txt": OLD}, files={"f.txt": Untouched},
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: 2147483648\\r\\n\\r\\n" + TEN, "drain"],
         request=REQUEST % b"/f.txt", close_stderr=True),
    # Under wine both closed descriptors are wine's own affair: its 32-bit loader ends such a run with 0.
    Case("bad input: standard output and error closed", ["{url}/f.txt"], "", exit=1, before={"f.txt": OLD},
         files={"f.txt": Untouched}, script=response(TEN, 10), stdout_to="closed", close_stderr=True,
         posix_only=True),
    Case("bad input: standard output on a full device", ["{url}/f.txt"], "", stderr=io_error(28),
         stderr_wine=io_error(112), exit=1, before={"f.txt": OLD}, files={"f.txt": Untouched},
         script=response(TEN, 10), stdout_to="full"),
    Case("bad input: standard output on a non-blocking pipe with a slow reader", ["{url}/f.bin"],
         announced("f.bin") + STATUS + "{any}" + progress(262144, 262144) + closing(262144, "f.bin"),
         files={"f.bin": pattern(262144)}, stdout_to="nonblocking",
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: 262144\\r\\n\\r\\n", "pattern 262144", "close"]),
    Case("bad input: standard output on a pipe no one reads", ["{url}/f.txt"], "", stderr=io_error(32),
         stderr_wine=io_error(233), exit=1, before={"f.txt": OLD}, files={"f.txt": Untouched},
         script=response(TEN, 10), stdout_to="broken"),
]

# A name whose characters end in the byte of "\" in code page 932 (SO 83 5C, HYOU 95 5C). Under wine
# in a Japanese locale the UTF-8 argument reaches the program as code page 932 bytes, the request
# carries those bytes, and wine turns the ANSI file name back into the UTF-8 name on disk.
CP932_NAME = "\u30bd\u8868"


def latin1(data):
    """Bytes as the text that a stdout template holds for them."""
    return data.decode("latin-1")


def refused_in_code_page(number):
    return "{banner}Fatal: the command line holds characters that the system's code page %d cannot represent\r\n" % number


def saved_in_code_page(name, encoding, locale):
    """A URL path with a name that the code page has: saved, announced and requested as today (the
    locale's decimal separator is a comma)."""
    ansi = name.encode(encoding)
    return Case("code page %s: a name it has saves under that name, %s" % (encoding[2:], name), ["{url}/d/" + name],
                announced(latin1(ansi)) + STATUS + PROGRESS_10.replace(".", ",") + closing(10, latin1(ansi)),
                files={name: TEN.encode()}, script=response(TEN, 10), request=REQUEST % (b"/d/" + ansi),
                locale=locale, wine_only=True)


# NTFS counts a name in UTF-16 units: 90 CJK characters are 270 bytes of UTF-8 and fit its 255.
CJK_NAME = "\u6f22" * 90

LOCALE_CASES = [
    # Windows turns a character that its ANSI code page lacks into a look-alike: the fullwidth
    # quotation marks would become real ones and make the local name injected.txt argument 2.
    Case("code page 1252: fullwidth quotes on the command line are refused before anything is touched",
         ["{url}/a\uff02 \uff02injected.txt"], refused_in_code_page(1252), exit=2, script=response(TEN, 10),
         request=b"", locale="de_DE.UTF-8", wine_only=True),
    Case("code page 1251: argument 2 M\u00fcller.txt is refused, Muller.txt stays as it was",
         ["{url}/f.txt", "M\u00fcller.txt"], refused_in_code_page(1251), exit=2, before={"Muller.txt": OLD},
         files={"Muller.txt": Untouched}, script=response(TEN, 10), request=b"", locale="ru_RU.UTF-8",
         wine_only=True),
    saved_in_code_page("Gr\u00f6\u00dfe.txt", "cp1252", "de_DE.UTF-8"),
    saved_in_code_page("\u0444\u0430\u0439\u043b.txt", "cp1251", "ru_RU.UTF-8"),
    Case("a name with trail bytes 5C in code page 932 saves under that name", ["{url}/d/" + CP932_NAME],
         announced(latin1(CP932_NAME.encode("cp932"))) + STATUS + PROGRESS_10
         + closing(10, latin1(CP932_NAME.encode("cp932"))),
         files={CP932_NAME: TEN.encode()}, script=response(TEN, 10),
         request=REQUEST % (b"/d/" + CP932_NAME.encode("cp932")), locale="ja_JP.UTF-8", wine_only=True),
    Case("a name in a Japanese UTF-8 locale saves under that name", ["{url}/d/" + CP932_NAME],
         announced(latin1(CP932_NAME.encode())) + STATUS + PROGRESS_10 + closing(10, latin1(CP932_NAME.encode())),
         files={CP932_NAME: TEN.encode()}, script=response(TEN, 10),
         request=REQUEST % (b"/d/" + CP932_NAME.encode()), locale="ja_JP.UTF-8", posix_only=True),
Case("a name of 90 CJK characters (270 bytes) on NTFS saves under that name", ["{url}/d/" + CJK_NAME],
         announced(latin1(CJK_NAME.encode())) + STATUS + PROGRESS_10 + closing(10, latin1(CJK_NAME.encode())),
         files={CJK_NAME: TEN.encode()}, script=response(TEN, 10), request=REQUEST % (b"/d/" + CJK_NAME.encode()),
         disk="ntfs", posix_only=True),
]

SIZES = [0, 1, 1023, 1024, 1025, 10 * 1024 * 1024]


def real_server_cases(server):
    cases = []
    for size in SIZES:
        name = "s%d.bin" % size
        cases.append(Case("%s serves %d bytes" % (server, size), ["{url}/files/" + name],
                          announced(name) + STATUS + "{any}" + closing(size, name),
                          files={name: sample(size)}, server=server))
    answered = "Fatal: the server answered 404 %s\r\n" % ("Not Found" if server == "nginx" else "File not found")
    cases.append(Case("%s: a 404 page into no file is saved, exit 2" % server, ["{url}/files/missing.bin"],
                      announced("missing.bin") + STATUS + "{any}\r\n\t{count} byte(s) downloaded -> missing.bin\r\n"
                      + answered, exit=2, files={"missing.bin": ServedBody("/files/missing.bin")}, server=server))
    if server == "nginx":
        cases.append(Case("nginx: a 404 leaves a 300,000-byte file.zip alone", ["{url}/files/file.zip"],
                          announced("file.zip") + STATUS + "{any}\r\n\t{count} byte(s) downloaded -> file.zip\r\n"
                          + answered + KEPT_ANSWER % "file.zip",
                          exit=2, before={"file.zip": sample(300000)}, files={"file.zip": Untouched}, server=server))
    return cases


_samples = {}


def sample(size):
    """Binary sample bytes of the given size, the same on every call."""
    if size not in _samples:
        _samples[size] = random.Random(size).randbytes(size)
    return _samples[size]


def pattern_response(count, declared=True):
    length = "Content-Length: %d\\r\\n" % count if declared else ""
    return ["send HTTP/1.0 200 OK\\r\\n%s\\r\\n" % length, "pattern %d" % count, "close"]


def full_disk(what, before, count, written, declared=True):
    """A body of count pattern bytes saved as f.bin on a 2 MiB disk that holds the files before."""
    files = {name: Untouched for name in before}
    if written:
        files["f.bin"] = pattern(count)
    return Case("full disk: " + what, ["{url}/f.bin"],
                announced("f.bin") + STATUS + "{any}" + closing(count, "f.bin")
                + ("" if written else "Fatal: could not write f.bin: {no space}\r\n"),
                exit=0 if written else 2, before=before, files=files, script=pattern_response(count, declared),
                disk="2m")


def no_room(declared, room):
    return "Fatal: no room for f.bin: the server declares %d bytes, the disk has room for %d\r\n" % (declared, room)


MIB = 1024 * 1024

# A 2 MiB disk: 512 pages of 4 KiB. The body must never take the old bytes with it when it does
# not fit, nor leave a partial body where there was no file. Without a declared length only the
# write finds that out.
DISK_CASES = [
    full_disk("3 MB of no declared length over 1.5 MB leaves the old file intact", {"f.bin": sample(1500000)},
              3000000, False, declared=False),
    full_disk("500 KB of no declared length over 100 KB on a nearly full disk leaves the old file intact",
              {"filler": sample(1800000), "f.bin": sample(100000)}, 500000, False, declared=False),
    Case("full disk: 3 MB of no declared length into no file leaves it empty", ["{url}/f.bin"],
         announced("f.bin") + STATUS + "{any}" + closing(3000000, "f.bin") + "Fatal: could not write f.bin: {no space}\r\n",
         exit=2, files={"f.bin": b""}, script=pattern_response(3000000, declared=False), disk="2m"),
    full_disk("1.9 MB over 1.5 MB fits", {"f.bin": sample(1500000)}, 1900000, True),
    full_disk("600 KB over 1 MB on a full disk fits", {"f.bin": sample(1000000), "filler": sample(1090000)},
              600000, True),
    # A declared length larger than the free room plus the old file ends the run once the headers
    # have come: the server holds the body back for 3 s, and the run is over long before.
    Case("full disk: a declared 8 MiB on a 2 MiB disk is refused before the body, nothing created", ["{url}/f.bin"],
         announced("f.bin") + STATUS + closing(0, "f.bin") + no_room(8 * MIB, 2 * MIB), exit=2,
         script=["send HTTP/1.0 200 OK\\r\\nContent-Length: %d\\r\\n\\r\\n" % (8 * MIB), "pause 3000",
                 "pattern %d" % (8 * MIB), "close"], disk="2m", ends_within=1.0),
    # The room is the 2 MiB less the old file's 367 pages, plus its 1,500,000 bytes. The count is of
    # the body bytes that came with the headers.
    Case("full disk: a declared 3 MB over 1.5 MB is refused, the old file untouched", ["{url}/f.bin"],
         announced("f.bin") + STATUS + "\r\n\t{count} byte(s) downloaded -> f.bin\r\n" + no_room(3000000, 2 * MIB - 367 * 4096 + 1500000),
         exit=2, before={"f.bin": sample(1500000)}, files={"f.bin": Untouched}, script=pattern_response(3000000),
         disk="2m"),
    # About 2.3 MB are free to others, 6.5 MB to root: root's body may fill the blocks kept for it.
    Case("full disk: as root, a declared 4 MiB on an ext4 disk with half its blocks kept for root downloads",
         ["{url}/f.bin"], announced("f.bin") + STATUS + "{any}" + progress(4 * MIB, 4 * MIB) + closing(4 * MIB, "f.bin"),
         files={"lost+found/": b"", "f.bin": PatternBody(4 * MIB)}, script=pattern_response(4 * MIB), disk="ext4",
         posix_only=True),
    Case("full disk: a declared 8 MiB over 7 MiB with 5 MiB free downloads", ["{url}/f.bin"],
         announced("f.bin") + STATUS + "{any}" + progress(8 * MIB, 8 * MIB) + closing(8 * MIB, "f.bin"),
         before={"f.bin": Filled(255, 7 * MIB)}, files={"f.bin": PatternBody(8 * MIB)},
         script=pattern_response(8 * MIB), disk="12m"),
    # Only what lasts is refused before connecting: a folder that cannot take a new file, a file on a
    # read-only file system.
    Case("read-only disk: a new file is refused before connecting", ["{url}/f.bin"],
         announced("f.bin") + cannot_save("f.bin", "a new file cannot be made in the current folder: Read-only "
                                          "file system", True),
         exit=2, server="refused", disk="ro", posix_only=True),
    Case("read-only disk: an existing file is refused before connecting", ["{url}/f.bin"],
         announced("f.bin") + cannot_save("f.bin", "the file cannot be opened for writing: Read-only file system", True),
         exit=2, before={"f.bin": OLD}, files={"f.bin": Untouched}, server="refused", disk="ro", posix_only=True),
    Case("as nobody: a name from the URL in a folder nobody may not write is refused before connecting",
         ["{url}/f.bin"],
         announced("f.bin") + cannot_save("f.bin", "a new file cannot be made in the current folder: {denied}", True),
         exit=2, server="refused", user="nobody"),
    Case("as nobody: argument 2 in a folder nobody may not write is refused before connecting",
         ["{url}/f.bin", "sub/new.bin"],
         announced("f.bin") + cannot_save("sub/new.bin", "a new file cannot be made in the folder sub/: {denied}", False),
         exit=2, before={"sub/": b""}, files={"sub/": b""}, server="refused", user="nobody", owned=("",)),
    # The link's folder is root's, but the save creates its target in a folder of nobody's.
    Case("as nobody: a link to a missing file in nobody's folder downloads there", ["{url}/f.bin"],
         announced("f.bin") + STATUS + PROGRESS_10 + closing(10, "f.bin"),
         before={"w/": b"", "f.bin": Link("w/t.bin")}, files={"w/": b"", "f.bin": TEN.encode()},
         script=response(TEN, 10), user="nobody", owned=("w/",), posix_only=True),
    Case("as nobody: nobody's own folder downloads", ["{url}/f.bin"],
         announced("f.bin") + STATUS + PROGRESS_10 + closing(10, "f.bin"),
         files={"f.bin": TEN.encode()}, script=response(TEN, 10), user="nobody", owned=("",)),
]

def waiting(name):
    return "Waiting for another program to release %s ..." % name


# One writer at a time: a file that another program holds (flock, as a second run of Pliv holds it)
# is neither written nor cut. Neither the check before connecting nor the save fails for a hold that
# passes: the save waits for it, 30 s at the most.
LOCK_CASES = [
    Case("lock: a reader's shared lock over the save is waited out", ["{url}/m.bin"],
         announced("m.bin") + STATUS + PROGRESS_10 + waiting("m.bin") + closing(10, "m.bin"),
         before={"m.bin": OLD}, files={"m.bin": TEN.encode()}, script=["pause 2000"] + response(TEN, 10),
         lock="m.bin", lock_kind="sh", lock_on_request=True, lock_seconds=4, posix_only=True),
    Case("lock: an exclusive lock held for 2 s from before the start is waited out", ["{url}/m.bin"],
         announced("m.bin") + STATUS + PROGRESS_10 + waiting("m.bin") + closing(10, "m.bin"),
         before={"m.bin": OLD}, files={"m.bin": TEN.encode()}, script=response(TEN, 10), lock="m.bin",
         lock_seconds=2, posix_only=True),
    # The check opens nothing: only the save's open breaks the lease, and its holder gives it up.
    Case("lock: a read lease on the file is given up for the save", ["{url}/m.bin"],
         announced("m.bin") + STATUS + PROGRESS_10 + closing(10, "m.bin"),
         before={"m.bin": OLD}, files={"m.bin": TEN.encode()}, script=response(TEN, 10), lock="m.bin",
         lock_kind="lease", posix_only=True),
    Case("lock: a shared lock held 2 ms at a time, again and again, does not fail the save", ["{url}/m.bin"],
         announced("m.bin") + STATUS + PROGRESS_10 + "{any}" + closing(10, "m.bin"),
         before={"m.bin": OLD}, files={"m.bin": TEN.encode()}, script=response(TEN, 10), lock="m.bin",
         lock_kind="flicker", posix_only=True),
    Case("lock: a reader that holds its lock past the wait ends the run, the file untouched", ["{url}/m.bin"],
         announced("m.bin") + STATUS + PROGRESS_10 + waiting("m.bin") + closing(10, "m.bin")
         + "Fatal: could not write m.bin: another program is reading the file\r\n",
         exit=2, before={"m.bin": OLD}, files={"m.bin": Untouched}, script=["pause 2000"] + response(TEN, 10),
         lock="m.bin", lock_kind="sh", lock_on_request=True, posix_only=True),
    # The second run's save comes while the first one writes 256 MiB: it waits, then the file is its body.
    Case("lock: two runs to one name that end together both complete, the later body whole", ["{url}/m.bin"],
         announced("m.bin") + STATUS + "{any}" + progress(256 << 20, 256 << 20) + closing(256 << 20, "m.bin"),
         before={"m.bin": Filled(255, 256 << 20)}, files={"m.bin": TEN.encode()},
         script=pattern_response(256 << 20),
         rival=("m.bin", announced("m.bin") + STATUS + PROGRESS_10 + waiting("m.bin") + closing(10, "m.bin"))),
]


WRITTEN = 256 * 1024 * 1024

# Ctrl+C once the body has begun to go over an old file of the same size: the file must end as the
# whole old one or the whole new one, and once its first byte has changed only the new one is left.
# The pattern never holds the byte 255, so no old byte passes for a new one.
WRITE_CASES = [
    Case("Ctrl+C while the body goes over an old file leaves the whole new file", ["{url}/f.bin"],
         announced("f.bin") + STATUS + "{any}", exit=-signal.SIGINT, before={"f.bin": Filled(255, WRITTEN)},
         files={"f.bin": PatternBody(WRITTEN)}, script=pattern_response(WRITTEN), interrupt_on_write="f.bin",
         posix_only=True),
    # Of two different signals the first one ends the run, though the second has the lower number;
    # what was buffered before the write reaches the pipe first, the closing line never.
    Case("SIGTERM, then SIGINT, while the body goes over an old file: ended by SIGTERM, output passed on",
         ["{url}/f.bin"], announced("f.bin") + STATUS + "{any}" + progress(WRITTEN, WRITTEN),
         exit=-signal.SIGTERM, before={"f.bin": Filled(255, WRITTEN)}, files={"f.bin": PatternBody(WRITTEN)},
         script=pattern_response(WRITTEN), interrupt_on_write="f.bin", write_signals=(signal.SIGTERM, signal.SIGINT),
         posix_only=True),
    # A signal ignored by the parent (a run under nohup) stays ignored: the run ends as if none came.
    Case("SIGHUP inherited as ignored, sent while the body goes over an old file: exit 0, the whole new file",
         ["{url}/f.bin"], announced("f.bin") + STATUS + "{any}" + progress(WRITTEN, WRITTEN) + closing(WRITTEN, "f.bin"),
         before={"f.bin": Filled(255, WRITTEN)}, files={"f.bin": PatternBody(WRITTEN)}, script=pattern_response(WRITTEN),
         interrupt_on_write="f.bin", write_signals=(signal.SIGHUP,), ignored=(signal.SIGHUP,), posix_only=True),
    # A pipe has no old content to lose, and its reader may never take the bytes.
    Case("Ctrl+C while argument 2 is a FIFO whose reader stalls, body over 64 KiB: the run ends at once",
         ["{url}/f.bin", "out.fifo"], announced("f.bin") + STATUS + "{any}", exit=-signal.SIGINT,
         files={"out.fifo": b""}, script=pattern_response(1 << 20), interrupt_on_write="out.fifo", fifo=True,
         posix_only=True),
]

LARGE = 640 * 1024 * 1024

# Bodies past what a 32-bit program can hold in a buffer that doubles: it needs twice the body in
# one piece of its address space.
LARGE_CASES = [
    Case("large: 640 MiB with a declared length", ["{url}/large.bin"],
         announced("large.bin") + STATUS + "{any}" + progress(LARGE, LARGE) + closing(LARGE, "large.bin"),
         files={"large.bin": PatternBody(LARGE)},
         script=pattern_response(LARGE), large=True, timeout=900),
]


class Expect:
    """A byte template: literal bytes with placeholders {banner}, {port}, {exe}, {#} (a figure with
    two decimals), {any} (any text without a line end), {count} (a decimal number), {hex8}."""

    def __init__(self, template, port, exe):
        parts = re.split(r"(\{(?:banner|port|exe|#|any|count|hex8)\})", template)
        pieces = {
            "{banner}": re.escape("".join(line + "\r\n" for line in BANNER).encode()),
            "{port}": re.escape(str(port).encode()),
            "{exe}": re.escape(exe.encode()),
            "{#}": rb"[0-9]+[.,][0-9][0-9]",
            "{any}": rb"[^\r\n]*",
            "{count}": rb"[0-9]+",
            "{hex8}": rb"[0-9A-F]{8}",
        }
        self.regex = re.compile(b"".join(pieces.get(p) or re.escape(p.encode("latin-1")) for p in parts), re.S)

    def matches(self, data):
        return self.regex.fullmatch(data) is not None


def locale_environment(name, folder):
    """The variables of a run in locale name (e.g. de_DE.UTF-8), which the machine need not have
    installed: compiled into folder/locales once."""
    locales = os.path.join(folder, "locales")
    if not os.path.isdir(os.path.join(locales, name)):
        language, charset = name.split(".")
        os.makedirs(locales, exist_ok=True)
        # localedef exits non-zero on mere warnings; the compiled folder is what counts.
        subprocess.run(["localedef", "-i", language, "-f", charset, os.path.join(locales, name)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not os.path.isdir(os.path.join(locales, name)):
            raise RuntimeError("localedef could not compile " + name)
    return {"LOCPATH": locales, "LC_ALL": name, "LANG": name}


def start_scripted_server(program, script, path, options):
    """The scripted server program serving script (its lines, written to path); returns it and its port."""
    with open(path, "w") as f:
        f.write("\n".join(script) + "\n")
    process = subprocess.Popen([program, "--script", path] + options, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, preexec_fn=default_signals)
    return process, int(process.stdout.readline())


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until_listening(port, process, what):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if process.poll() is not None:
            raise RuntimeError("%s ended at start (exit %d)" % (what, process.returncode))
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("%s does not listen on 127.0.0.1:%d" % (what, port))


def default_signals(ignored=()):
    """In the child: the signals sent to it (SIGINT to the program, SIGTERM to a server at its end)
    act by default. A parent may have started this run with them ignored (a background job of a
    script ignores SIGINT), and the child would inherit that. The ignored ones are then set ignored."""
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT):
        signal.signal(number, signal.SIG_IGN if number in ignored else signal.SIG_DFL)


def wait(process, seconds):
    """The exit code, or None when the process still runs after so many seconds."""
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        return None


def stop(process):
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class RealServer:
    """python3 -m http.server or nginx on a free loopback port over the sample files."""

    def __init__(self, kind, root):
        self.kind, self.folder = kind, os.path.join(root, kind)
        files = os.path.join(self.folder, "www", "files")
        os.makedirs(files)
        for size in SIZES:
            with open(os.path.join(files, "s%d.bin" % size), "wb") as f:
                f.write(sample(size))
        self.port = free_port()
        www = os.path.join(self.folder, "www")
        if kind == "python":
            command = [sys.executable, "-m", "http.server", str(self.port), "--bind", "127.0.0.1", "--directory", www]
        else:
            command = [shutil.which("nginx") or "/usr/sbin/nginx", "-p", self.folder, "-c", self.nginx_config(www),
                       "-e", os.path.join(self.folder, "error.log")]
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        preexec_fn=default_signals)
        wait_until_listening(self.port, self.process, kind)

    def nginx_config(self, www):
        # Runs as the current user in one process, with every path it writes inside the folder.
        d = self.folder
        temp = "\n".join("  %s_temp_path %s/temp-%s;" % (t, d, t)
                         for t in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
        config = os.path.join(d, "nginx.conf")
        with open(config, "w") as f:
            f.write("daemon off;\nmaster_process off;\npid %s/nginx.pid;\nerror_log %s/error.log;\n"
                    "events { worker_connections 16; }\nhttp {\n  access_log %s/access.log;\n%s\n"
                    "  default_type application/octet-stream;\n"
                    "  server { listen 127.0.0.1:%d; root %s; }\n}\n" % (d, d, d, temp, self.port, www))
        return config

    def body(self, path):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        connection.request("GET", path)
        data = connection.getresponse().read()
        connection.close()
        return data


class Rival:
    """A second run of the program, and a server on 127.0.0.1 that answers its request with TEN only
    once answer is set."""

    def __init__(self, pliv, folder, env):
        self.pliv, self.folder, self.env = pliv, folder, env
        self.answer, self.process, self.out = threading.Event(), None, None
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.port = self.listener.getsockname()[1]
        self.server = threading.Thread(target=self.serve, daemon=True)

    def serve(self):
        self.listener.settimeout(RUN_TIMEOUT)
        try:
            connection, _ = self.listener.accept()
            with connection:
                request = b""
                while b"\r\n\r\n" not in request:
                    data = connection.recv(4096)
                    if not data:
                        return
                    request += data
                if self.answer.wait(RUN_TIMEOUT):
                    connection.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n" + TEN.encode())
        except OSError:
            pass

    def start(self, args):
        self.server.start()
        self.process = subprocess.Popen(self.pliv + args, cwd=self.folder, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, env=self.env,
                                        preexec_fn=default_signals)

    def problems(self, expect):
        self.answer.set()
        try:
            stdout, _ = self.process.communicate(timeout=RUN_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            stdout, _ = self.process.communicate()
        problems = []
        if not expect.matches(stdout):
            problems.append("the second run's stdout %r\n    does not match %r" % (stdout[-600:], expect.regex.pattern))
        if self.process.returncode != 0:
            problems.append("the second run's exit code %d, expected 0" % self.process.returncode)
        return problems

    def stop(self):
        self.answer.set()
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.listener.close()


class Runner:
    def __init__(self, pliv, server, root, max_send=0):
        # Paths in the command are made absolute: each case runs in a folder of its own.
        self.pliv = [os.path.abspath(w) if os.path.exists(w) else w for w in shlex.split(pliv)]
        self.exe = os.path.basename(self.pliv[-1])
        self.wine = any("wine" in os.path.basename(w) for w in self.pliv[:-1])
        self.server = os.path.abspath(server)
        self.root = root
        self.max_send = max_send
        self.real = {}
        os.chmod(root, 0o755)  # the cases run as nobody must reach their folders
        if self.wine:
            self.keep_wine_up()

    def keep_wine_up(self):
        # Without a running wineserver every start of the program boots the prefix's services again
        # (seconds per case); one that stays a minute after its last client serves the whole suite.
        launcher = os.path.realpath(shutil.which(self.pliv[0]) or self.pliv[0])
        server = os.path.join(os.path.dirname(launcher), "wineserver")
        server = server if os.path.exists(server) else shutil.which("wineserver")
        if server:
            subprocess.run([server, "-p60"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def real_server(self, kind):
        if kind not in self.real:
            self.real[kind] = RealServer(kind, self.root)
        return self.real[kind]

    def close(self):
        for server in self.real.values():
            stop(server.process)

    def run(self, case, index):
        """Runs one case; returns a list of problems (empty when it passed). Raises Skip when the
        case needs a disk of its own that cannot be mounted."""
        folder = os.path.join(self.root, "case%02d" % index)
        os.makedirs(folder)
        if case.disk is None:
            return self.run_in(case, index, folder)
        if case.disk == "ntfs":
            image = folder + ".img"
            with open(image, "wb") as f:
                f.truncate(16 << 20)
            made = subprocess.run(["mkntfs", "-F", "-f", "-q", image], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if made.returncode != 0:
                raise Skip("mkntfs cannot make an NTFS image: %s" % made.stdout.decode(errors="replace").strip())
            command = ["ntfs-3g", image, folder]
        elif case.disk == "ext4":
            image = folder + ".img"
            with open(image, "wb") as f:
                f.truncate(8 << 20)
            subprocess.run(["mkfs.ext4", "-q", "-m", "50", image], check=True)
            command = ["mount", "-o", "loop", image, folder]
        else:
            command = ["mount", "-t", "tmpfs", "-o", "size=" + ("1m" if case.disk == "ro" else case.disk), "tmpfs",
                       folder]
        mounted = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        if mounted.returncode != 0:
            said = " ".join(mounted.stdout.decode(errors="replace").split()) or "exit %d" % mounted.returncode
            raise Skip("a %s disk cannot be mounted here: %s" % (case.disk, said))
        try:
            return self.run_in(case, index, folder)
        finally:
            if subprocess.run(["umount", folder], stderr=subprocess.DEVNULL).returncode != 0:
                subprocess.run(["umount", "-l", folder])

    def run_in(self, case, index, folder):
        for name, data in case.before.items():
            if name.endswith("/"):
                os.makedirs(os.path.join(folder, name))
            elif isinstance(data, Link):
                os.symlink(data.target, os.path.join(folder, name))
            else:
                with open(os.path.join(folder, name), "wb") as f:
                    if isinstance(data, Filled):
                        data.write(f)
                    else:
                        f.write(data)
        if case.disk == "ro":
            subprocess.run(["mount", "-o", "remount,ro", folder], check=True)
        if case.user:
            os.chmod(folder, 0o755)
            for name in case.owned:
                os.chown(os.path.join(folder, name), NOBODY, NOBODY)

        if case.fifo:
            os.mkfifo(os.path.join(folder, case.interrupt_on_write))
        scripted, log, real = None, os.path.join(self.root, "request%02d.log" % index), None
        if case.server == "script":
            options = ["--request-log", log] + (["--max-send", str(self.max_send)] if self.max_send else [])
            scripted, port = start_scripted_server(self.server, case.script,
                                                   os.path.join(self.root, "script%02d.txt" % index), options)
        elif case.server == "refused":
            port = free_port()
        else:
            real = self.real_server(case.server)
            port = real.port

        self.helper, self.locked_late, self.took_after_request, rival = None, False, 0.0, None
        try:
            if case.lock and not case.lock_on_request:
                self.helper = hold_lock(os.path.join(folder, case.lock), case.lock_kind, case.lock_seconds)
            def arguments(port):
                return [a.replace("{url}", "http://127.0.0.1:%d" % port).replace("{port}", str(port)) for a in case.args]
            args = arguments(port)
            if case.rival:
                rival = Rival(self.pliv, folder, self.environment(case))
                rival.start(arguments(rival.port))
            stdout, chunks, stderr, code, ended = self.run_pliv(args, folder, case, log, rival)
            if "drain" in case.script:  # what the program sent until its end is logged when it closes
                wait(scripted, 15)
        finally:
            stop(scripted)
            if rival:
                rival.stop()
            if self.helper:
                self.helper.stdin.close()
                self.helper.wait()

        problems = []
        if case.ends_within is not None and self.took_after_request > case.ends_within:
            problems.append("the run ended %.2f s after the request, later than %.2f s" % (
                self.took_after_request, case.ends_within))
        if self.locked_late:
            problems.append("the program ended before the helper held the lock: the case proves nothing")
        template = case.stdout
        for placeholder, (native, windows) in REASONS.items():
            template = template.replace(placeholder, windows if self.wine else native)
        if self.max_send and case.server == "script":  # blocks split anywhere: any progress lines first
            template = template.replace(STATUS, STATUS + "{any}")
        if case.interrupt is not None:
            # Stopped while waiting: what had passed the 128-byte buffer, and nothing else.
            banner = "".join(line + "\r\n" for line in BANNER)
            whole = template.replace("{banner}", banner).replace("{port}", str(port)).encode("latin-1")
            if not whole.startswith(stdout) or not stdout:
                problems.append("stdout %r\n    is not a beginning of %r" % (stdout[-600:], whole))
        elif not Expect(template, port, self.exe).matches(stdout):
            problems.append("stdout %r\n    does not match %r" % (stdout[-600:], case.stdout))
        expected_stderr = case.stderr_wine if self.wine and case.stderr_wine is not None else case.stderr
        if not Expect(expected_stderr, port, self.exe).matches(self.without_wine_noise(stderr)):
            problems.append("stderr %r\n    does not match %r" % (stderr, expected_stderr))
        if code != case.exit:
            problems.append("exit code %d, expected %d" % (code, case.exit))
        problems += self.check_chunks(chunks, case, ended)
        if rival:
            problems += rival.problems(Expect(case.rival[1], rival.port, self.exe))
        problems += self.check_folder(folder, case, real)
        if case.request is not None:
            with open(log, "rb") as f:
                got = f.read()
            if got != case.request:
                problems.append("request %r, expected %r" % (got, case.request))
        return problems

    def environment(self, case):
        return None if case.locale is None else dict(os.environ, **locale_environment(case.locale, self.root))

    def as_nobody(self, command, env):
        """The command and environment that run command as user and group 65534. Wine runs only in a
        prefix of the user's own: one is made for nobody, with its home, at the first such case."""
        if os.geteuid() != 0:
            raise Skip("running the program as another user needs root")
        env = dict(env or os.environ)
        setpriv = ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups", "--"]
        if self.wine:
            home = os.path.join(self.root, "nobody")
            env.update(HOME=home, WINEPREFIX=os.path.join(home, "prefix"))
            if not os.path.isdir(home):
                os.makedirs(home)
                os.chown(home, NOBODY, NOBODY)
                subprocess.run(setpriv + [self.pliv[0], "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=300)
        return setpriv + command, env

    def run_pliv(self, args, folder, case, log, rival=None):
        command, stdout, broken = self.pliv + args, subprocess.PIPE, None
        if case.close_stderr:
            command = ["sh", "-c", 'exec "$@" 2>&-', "sh"] + command
        if case.stdout_to == "closed":
            command = ["sh", "-c", 'exec "$@" >&-', "sh"] + command
            stdout = None
        elif case.stdout_to == "full":
            stdout = open("/dev/full", "wb")
        elif case.stdout_to == "broken":
            reader_end, broken = os.pipe()
            os.close(reader_end)
            stdout = broken
        elif case.stdout_to == "nonblocking":
            # The writer finds the pipe full again and again and must wait for the reader.
            slow, broken = os.pipe()
            fcntl.fcntl(broken, fcntl.F_SETPIPE_SZ, 4096)
            os.set_blocking(broken, False)
            stdout = broken
        env = self.environment(case)
        if case.user:
            command, env = self.as_nobody(command, env)
        process = subprocess.Popen(command, cwd=folder, stdout=stdout, stderr=subprocess.PIPE,
                                   stdin=subprocess.DEVNULL, env=env, preexec_fn=lambda: default_signals(case.ignored))
        if case.stdout_to == "full":
            stdout.close()
        elif broken is not None:
            os.close(broken)
        chunks, errors = [], []
        source = slow if case.stdout_to == "nonblocking" else process.stdout and process.stdout.fileno()

        def read_stdout():  # each read records when it came: the buffering rule is about timing
            while source is not None:
                data = os.read(source, 512 if case.stdout_to == "nonblocking" else 65536)
                if not data:
                    break
                chunks.append((time.monotonic(), data))
                if case.stdout_to == "nonblocking":
                    time.sleep(0.005)

        reader = threading.Thread(target=read_stdout)
        err_reader = threading.Thread(target=lambda: errors.append(process.stderr.read()))
        reader.start()
        err_reader.start()
        if case.interrupt_on_write is not None:
            def send_signals():
                for index, number in enumerate(case.write_signals):
                    if index:
                        time.sleep(0.005)  # the write of 256 MiB takes several times as long
                    process.send_signal(number)
            code = self.on_first_write(process, os.path.join(folder, case.interrupt_on_write), send_signals, case.fifo)
        elif rival is not None:
            code = self.on_first_write(process, os.path.join(folder, case.rival[0]), rival.answer.set)
        elif case.lock_on_request:
            # The request has arrived, so the check before connecting is past; the server pauses
            # before it answers, and the save then meets the lock.
            deadline = time.monotonic() + RUN_TIMEOUT
            while process.poll() is None and time.monotonic() < deadline and not os.path.getsize(log):
                time.sleep(0.02)
            self.helper = hold_lock(os.path.join(folder, case.lock), case.lock_kind, case.lock_seconds)
            self.locked_late = process.poll() is not None
            code = wait(process, RUN_TIMEOUT)
        elif case.ends_within is not None:
            # Timed from the request's arrival: the start of the program (wine's) does not count.
            deadline = time.monotonic() + RUN_TIMEOUT
            while process.poll() is None and time.monotonic() < deadline and not os.path.getsize(log):
                time.sleep(0.01)
            asked = time.monotonic()
            code = wait(process, RUN_TIMEOUT)
            self.took_after_request = time.monotonic() - asked
        elif case.interrupt is None:
            code = wait(process, case.timeout or RUN_TIMEOUT)
        else:
            # The program has sent its request and waits for the answer: after a while, Ctrl+C.
            deadline = time.monotonic() + RUN_TIMEOUT
            while process.poll() is None and time.monotonic() < deadline and not os.path.getsize(log):
                time.sleep(0.05)
            code = wait(process, case.interrupt)
            if code is None:
                process.send_signal(signal.SIGINT)
                code = wait(process, RUN_TIMEOUT)
        if code is None:
            process.kill()
            code = process.wait()
        ended = time.monotonic()
        reader.join()
        err_reader.join()
        if case.stdout_to == "nonblocking":
            os.close(slow)
        return b"".join(c for _, c in chunks), chunks, errors[0] if errors else b"", code, ended

    @staticmethod
    def on_first_write(process, path, action, fifo=False):
        """action() as soon as the file's first byte changes (a FIFO: once bytes wait in it); then the exit
        code, None while it still runs."""
        deadline = time.monotonic() + RUN_TIMEOUT
        # Not blocking: a FIFO's open for reading would wait for the program's open for writing.
        with open(os.open(path, os.O_RDONLY | os.O_NONBLOCK), "rb", buffering=0) as f:
            first = None if fifo else os.pread(f.fileno(), 1, 0)
            written = ((lambda: select.select([f], [], [], 0)[0]) if fifo  # bytes wait in the FIFO
                       else lambda: os.pread(f.fileno(), 1, 0) != first)
            while process.poll() is None and time.monotonic() < deadline:
                if written():
                    action()
                    break
                time.sleep(0.001)
            return wait(process, 10 if fifo else RUN_TIMEOUT)

    def without_wine_noise(self, stderr):
        # wine may print its own start-up notes on standard error; the program's report is what counts.
        if not self.wine:
            return stderr
        lines = stderr.split(b"\n")
        return b"\n".join(line for line in lines if not re.match(rb"^(wine:|[0-9a-f]{4}:(fixme|err|warn):)", line))

    @staticmethod
    def check_chunks(chunks, case, ended):
        """Redirected output goes out in 128-byte buffers: every pass-on but the last one is full."""
        problems, total = [], 0
        for _, data in chunks[:-1]:
            total += len(data)
            if total % 128:
                problems.append("output reached the pipe at %d bytes, not at a multiple of 128" % total)
                break
        if case.early_output:
            early = sum(len(data) for when, data in chunks if when < ended - 1.0)
            if early == 0:
                problems.append("no output reached the pipe before the server's pause")
            elif early == sum(len(data) for _, data in chunks):
                problems.append("all output reached the pipe before the end: the last status text was not held")
        return problems

    def check_folder(self, folder, case, real):
        problems = []
        present = sorted(n + "/" if os.path.isdir(os.path.join(folder, n)) else n for n in os.listdir(folder))
        if present != sorted(case.files):
            problems.append("files %s, expected %s" % (present, sorted(case.files)))
        for name, expected in case.files.items():
            path = os.path.join(folder, name)
            if name.endswith("/") or not os.path.isfile(path):
                continue
            if expected is Untouched:
                expected = case.before[name]
            elif isinstance(expected, ServedBody):
                expected = real.body(expected.path)
            # By length and digest: a pattern body is never held in memory.
            want = ((expected.size, expected.digest()) if isinstance(expected, PatternBody)
                    else (len(expected), hashlib.sha256(expected).hexdigest()))
            got = (os.path.getsize(path), file_digest(path))
            if got != want:
                with open(path, "rb") as f:
                    shown = "" if got[0] > 200 else ": %r" % f.read()
                problems.append("%s holds %d bytes (sha256 %s), expected %d (sha256 %s)%s" % (
                    name, got[0], got[1][:16], want[0], want[1][:16], shown))
        return problems


def file_digest(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        while chunk := f.read(1 << 22):
            digest.update(chunk)
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--pliv", required=True, help="the command that runs the program")
    parser.add_argument("--server", required=True, help="the scripted_server program")
    parser.add_argument("--filter", default="", help="run only the cases whose name contains this text")
    parser.add_argument("--max-send", type=int, default=0, help="the scripted server sends at most N bytes at once")
    parser.add_argument("--large", action="store_true", help="also the cases with bodies of hundreds of MiB")
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="pliv-e2e-") as root:
        runner = Runner(options.pliv, options.server, root, options.max_send)
        cases = (SCRIPTED_CASES + HOSTILE_CASES + BAD_INPUT_CASES + DISK_CASES + LOCK_CASES + WRITE_CASES + LOCALE_CASES
                 + real_server_cases("python") + real_server_cases("nginx") + LARGE_CASES)
        passed = failed = skipped = 0
        try:
            for index, case in enumerate(cases):
                if options.filter not in case.name or (case.large and not options.large):
                    continue
                if case.posix_only and runner.wine:
                    skipped += 1
                    print("skip  %s (POSIX only)" % case.name)
                    continue
                if case.wine_only and not runner.wine:
                    skipped += 1
                    print("skip  %s (Windows only)" % case.name)
                    continue
                if (case.interrupt_on_write or case.rival) and options.max_send:
                    skipped += 1
                    print("skip  %s (about the write, not the pieces of the transfer)" % case.name)
                    continue
                try:
                    problems = runner.run(case, index)
                except Skip as reason:
                    skipped += 1
                    print("skip  %s (%s)" % (case.name, reason))
                    continue
                except Exception as error:  # a server that cannot start fails the case, not the run
                    problems = ["%s: %s" % (type(error).__name__, error)]
                if problems:
                    failed += 1
                    print("FAIL  %s" % case.name)
                    for problem in problems:
                        print("    " + problem)
                else:
                    passed += 1
                    print("ok    %s" % case.name)
                sys.stdout.flush()
        finally:
            runner.close()
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
