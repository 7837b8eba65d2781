#!/usr/bin/env python3
"""Console presentation in a real terminal: the programs run inside a tmux pane, and the pane's
cells (text and colours, from `capture-pane -p -e`) are checked afterwards.

    run_tmux_tests.py --pliv PATH --status-demo PATH --server PATH [--wine [--wine-prefix DIR]]

The server is the scripted test server (a native program) that the downloads in a pane fetch
from. With --wine the other two paths are Windows programs, run with wine64 inside the pane,
where wine gives them a real console. The wine prefix is the one --wine-prefix or WINEPREFIX names
(created when missing, reused otherwise: much faster), else a fresh one in a temporary directory. A run that redirects standard output to a file is checked as well.
Prints one line per check and a final "N passed, N failed"; the exit code is 1 when a check
failed. When tmux (or wine) cannot start, nothing was checked: that is a failure too, with its reason.
"""

import argparse
import contextlib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from run_e2e import (BANNER, locale_environment, pattern_response, progress, response,  # noqa: E402
                     start_scripted_server)

WIDTH, HEIGHT = 80, 24
LIGHT_GREEN = 10
BLUE = 4  # the ANSI index of Windows colour 1
BRIGHT_WHITE = 15


class CannotRun(Exception):
    pass


# ---------------------------------------------------------------------------------------------
# The pane's contents as cells


class Cell:
    __slots__ = ("char", "fg", "bg")

    def __init__(self, char, fg, bg):
        self.char, self.fg, self.bg = char, fg, bg


def parse_capture(text):
    """Rows of cells from `capture-pane -p -e`: the colours carry on from cell to cell and row to
    row until the next SGR sequence. fg/bg: None for the pane's own colour, else the ANSI index
    0-15 (bold raises 0-7 to 8-15), or an (r, g, b) tuple."""
    fg = bg = None
    bold = False
    rows = []
    for line in text.split("\n"):
        row = []
        i = 0
        while i < len(line):
            if line[i] == "\x1b":
                m = re.match(r"\x1b\[([0-9;:]*)m", line[i:])
                if not m:
                    raise AssertionError("unexpected escape sequence in capture: %r" % line[i:i + 12])
                params = [int(p) if p else 0 for p in re.split("[;:]", m.group(1))]
                fg, bg, bold = apply_sgr(params, fg, bg, bold)
                i += m.end()
                continue
            shown = fg
            if bold and isinstance(fg, int) and fg < 8:
                shown = fg + 8
            row.append(Cell(line[i], shown, bg))
            i += 1
        rows.append(row)
    while rows and not rows[-1]:
        rows.pop()
    return rows


def apply_sgr(params, fg, bg, bold):
    i = 0
    while i < len(params):
        p = params[i]
        if p == 0:
            fg = bg = None
            bold = False
        elif p == 1:
            bold = True
        elif p == 22:
            bold = False
        elif 30 <= p <= 37:
            fg = p - 30
        elif 90 <= p <= 97:
            fg = p - 90 + 8
        elif p == 39:
            fg = None
        elif 40 <= p <= 47:
            bg = p - 40
        elif 100 <= p <= 107:
            bg = p - 100 + 8
        elif p == 49:
            bg = None
        elif p in (38, 48) and i + 1 < len(params):
            if params[i + 1] == 5 and i + 2 < len(params):
                colour = params[i + 2]
                i += 2
            elif params[i + 1] == 2 and i + 4 < len(params):
                colour = tuple(params[i + 2:i + 5])
                i += 4
            else:
                colour = None
                i += 1
            if p == 38:
                fg = colour
            else:
                bg = colour
        i += 1
    return fg, bg, bold


def row_text(rows, n):
    return "".join(c.char for c in rows[n]).rstrip() if n < len(rows) else ""


def joined_text(rows, width):
    """The rows' text as one string, each row filled to the width: the text of lines that wrapped
    comes out whole."""
    return "".join("".join(c.char for c in row).ljust(width) for row in rows)


def wrapped(lines, width):
    """The rows that lines take on a screen of that width."""
    return [row for line in lines for row in ([line[i:i + width] for i in range(0, len(line), width)] or [""])]


def colour_name(c):
    return "own" if c is None else str(c)


def check_colours(rows, n, fg, bg, what):
    """Every non-blank cell of row n shows fg on bg."""
    if n >= len(rows):
        return []
    for col, cell in enumerate(rows[n]):
        if cell.char != " " and (cell.fg, cell.bg) != (fg, bg):
            return ["%s: row %d column %d %r is %s on %s, expected %s on %s" %
                    (what, n + 1, col + 1, cell.char, colour_name(cell.fg), colour_name(cell.bg),
                     colour_name(fg), colour_name(bg))]
    return []


# ---------------------------------------------------------------------------------------------
# Running a program in a tmux pane


class Runner:
    def __init__(self, workdir, wine):
        self.workdir = workdir
        self.wine = wine
        self.started = False  # a session has started once: later failures are failures
        self.conf = os.path.join(workdir, "tmux.conf")
        with open(self.conf, "w"):
            pass  # no user configuration in the way
        self.count = 0

    def tmux(self, *args, check=True):
        # A server of its own for every run: a server that is still going away cannot interfere.
        socket = "pliv-terminal-%d-%d" % (os.getpid(), self.count)
        return subprocess.run(["tmux", "-L", socket, "-f", self.conf] + list(args),
                              capture_output=True, text=True, check=check)

    def command(self, argv):
        return self.wine.command(argv) if self.wine else argv

    def env(self):
        env = dict(os.environ)
        if self.wine:
            env.update(self.wine.env)
        return env

    def in_pane(self, argv, timeout, term=None, size=(WIDTH, HEIGHT), wait_for=None, env=None, before="",
                record=False):
        """Runs argv in the work folder in a fresh pane of size (columns, rows), with TERM=term when
        given and the variables of env, after the shell commands before; returns (exit code, rows of
        cells, stderr text). The rows begin with the pane's history. With wait_for, a regular
        expression, the pane is also captured while the program runs, as soon as its text matches:
        those rows are left in self.midway. With record, every byte the pane receives is kept in
        self.recorded."""
        self.count += 1
        rc_file = os.path.join(self.workdir, "rc%d" % self.count)
        err_file = os.path.join(self.workdir, "err%d" % self.count)
        go_file = os.path.join(self.workdir, "go%d" % self.count)
        record_file = os.path.join(self.workdir, "bytes%d" % self.count)
        variables = dict(env or {}, **({"TERM": term} if term else {}))
        cmd = (["env"] + ["%s=%s" % item for item in variables.items()] if variables else []) + self.command(argv)
        # The pane stays open after the program, showing exactly what it left on the screen.
        rc = shlex.quote(rc_file)
        script = "%s 2>%s; echo $? >%s.tmp; mv %s.tmp %s; exec sleep 600" % (
            " ".join(shlex.quote(a) for a in cmd), shlex.quote(err_file), rc, rc, rc)
        if before:
            script = before + "; " + script
        if record:
            # The program starts once the pane's bytes are being recorded.
            script = "while [ ! -e %s ]; do sleep 0.05; done; %s" % (shlex.quote(go_file), script)
        env_args = []
        for key, value in (self.wine.env.items() if self.wine else []):
            env_args += ["-e", "%s=%s" % (key, value)]
        try:
            self.tmux("new-session", "-d", "-x", str(size[0]), "-y", str(size[1]), "-c", self.workdir, *env_args,
                      "sh", "-c", script)
        except subprocess.CalledProcessError as e:
            reason = "tmux cannot start a session: %s" % (e.stderr.strip() or e)
            if self.started:
                raise AssertionError(reason)
            raise CannotRun(reason)
        self.started = True
        self.midway = None
        if record:
            self.tmux("pipe-pane", "-t", "0", "-o", "cat >%s" % shlex.quote(record_file))
            open(go_file, "w").close()
        try:
            deadline = time.monotonic() + timeout
            while not os.path.exists(rc_file):
                if time.monotonic() > deadline:
                    raise AssertionError("timed out after %ds: %s" % (timeout, " ".join(cmd)))
                if wait_for and self.midway is None and re.search(wait_for, joined_text(
                        parse_capture(self.capture()), size[0])):
                    self.midway = parse_capture(self.settled_capture())
                time.sleep(0.1)
            if wait_for and self.midway is None:
                raise AssertionError("the pane never showed %r while the program ran" % wait_for)
            capture = self.settled_capture()
            with open(rc_file) as f:
                code = int(f.read().strip())
            with open(err_file, errors="replace") as f:
                err = f.read()
            if record:
                with open(record_file, "rb") as f:
                    self.recorded = f.read()
            return code, parse_capture(capture), err
        finally:
            self.tmux("kill-server", check=False)

    def capture(self):
        # From the start of the history: rows that scrolled out of the pane count too.
        return self.tmux("capture-pane", "-p", "-e", "-N", "-S", "-").stdout

    def settled_capture(self):
        # The pane may still be taking in the last bytes the program wrote.
        capture = None
        for _ in range(20):
            time.sleep(0.15)
            now = self.capture()
            if now == capture:
                break
            capture = now
        return capture

    def to_file(self, argv, timeout):
        """Runs argv with standard output redirected to a file; returns (exit code, bytes)."""
        self.count += 1
        out_file = os.path.join(self.workdir, "out%d" % self.count)
        with open(out_file, "wb") as out:
            proc = subprocess.run(self.command(argv), stdout=out, stderr=subprocess.DEVNULL,
                                  stdin=subprocess.DEVNULL, env=self.env(), timeout=timeout)
        with open(out_file, "rb") as f:
            return proc.returncode, f.read()


class Wine:
    def __init__(self, prefix, own):
        self.own = own  # a prefix of this run's own: its server may be kept up and then ended
        loader = shutil.which("wine64") or next(
            (p for p in ("/usr/lib/wine/wine64", "/usr/lib64/wine/wine64") if os.access(p, os.X_OK)), None)
        if loader is None:
            raise CannotRun("wine64 is not installed")
        self.loader = loader
        self.env = {
            "WINEPREFIX": prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        }

    def command(self, argv):
        return [self.loader] + argv

    def start(self, program):
        """Creates the prefix outside the pane, so its first-start messages stay out of the checks."""
        env = dict(os.environ, **self.env)
        try:
            proc = subprocess.run([self.loader, program], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, env=env, timeout=180)
        except (OSError, subprocess.TimeoutExpired) as e:
            raise CannotRun("wine cannot start: %s" % e)
        if proc.returncode != 0 and not proc.stdout:
            raise CannotRun("wine cannot start %s: %s" % (program, proc.stderr.decode(errors="replace").strip()[-300:]))
        if self.own:
            # One server for all the runs, instead of one starting and stopping around each.
            self.wineserver("-p")

    def wineserver(self, option):
        wineserver = shutil.which("wineserver") or os.path.join(os.path.dirname(self.loader), "wineserver")
        if os.access(wineserver, os.X_OK):
            # The server goes on in the background: no pipe of ours may stay open in it.
            subprocess.run([wineserver, option], env=dict(os.environ, **self.env), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        if self.own:
            self.wineserver("-k")


# ---------------------------------------------------------------------------------------------
# The checks: each returns a list of failure texts (empty: passed; None: not for this build)


def check_banner(rows, bg, fg=LIGHT_GREEN):
    failures = []
    for n, line in enumerate(BANNER):
        if row_text(rows, n) != line:
            failures.append("banner row %d is %r, expected %r" % (n + 1, row_text(rows, n), line))
        failures += check_colours(rows, n, fg, bg, "banner")
    return failures


def check_status(rows, expected):
    """The status row, right below the banner, holds expected alone."""
    return [] if row_text(rows, 8) == expected else ["status row is %r, expected %r" % (row_text(rows, 8), expected)]


def check_blank_from(rows, first, what):
    for n in range(first, len(rows)):
        if row_text(rows, n):
            return ["%s: row %d should be blank, holds %r" % (what, n + 1, row_text(rows, n))]
    return []


def check_exit(code, err):
    return [] if code == 0 else ["exit code %d, stderr %r" % (code, err[-300:])]


def test_usage_screen(run, args):
    code, rows, err = run.in_pane([args.pliv], args.timeout)
    failures = check_exit(code, err) + check_banner(rows, None)
    usage = row_text(rows, 8)
    if not re.fullmatch(r"\S*pliv(\.exe)? http://\S+/youfolder/file\.zip \[localfilename\]", usage):
        failures.append("row 9 should be the usage line, is %r" % usage)
    failures += check_colours(rows, 8, None, None, "usage line")
    failures += check_blank_from(rows, 9, "after the usage line")
    return failures


def status_rows(run, args, messages, attribute=None, term=None):
    argv = [args.status_demo] + (["--attribute", attribute] if attribute else []) + messages
    code, rows, err = run.in_pane(argv, args.timeout, term)
    return check_exit(code, err), rows


def test_shorter_status_leaves_no_remnant(run, args):
    failures, rows = status_rows(run, args, ["Received 1024 of 65536 bytes in 0.25 seconds, 4.00 KB/s ...", "Done"])
    failures += check_banner(rows, None)
    failures += check_status(rows, "Done") + check_colours(rows, 8, None, None, "status")
    return failures + check_blank_from(rows, 9, "below the status row")


def test_dumb_terminal(run, args):
    # No colour reaches the screen, and a shorter status still leaves nothing of a longer one.
    # (A Windows program draws through the console, which knows nothing of TERM.)
    if run.wine:
        return None
    failures, rows = status_rows(run, args, ["Received 1024 of 65536 bytes in 0.25 seconds, 4.00 KB/s ...", "Done"],
                                 attribute="0x1F", term="dumb")
    failures += check_banner(rows, None, fg=None)
    failures += check_status(rows, "Done") + check_colours(rows, 8, None, None, "status")
    failures += check_blank_from(rows, 9, "below the status row")
    # Without a way back up, a status wider than the row is cut short of its last cell.
    long = "".join(str(i % 10) for i in range(WIDTH + 20))
    more, rows = status_rows(run, args, [long, long[1:]], term="dumb")
    more += check_status(rows, long[1:WIDTH])
    return failures + more + check_blank_from(rows, 9, "below the long status row")


def test_three_statuses_one_row(run, args):
    messages = ["Connecting ...", "Sending headers ...", "Getting headers ..."]
    failures, rows = status_rows(run, args, messages)
    failures += check_banner(rows, None)
    failures += check_status(rows, messages[-1])
    return failures + check_blank_from(rows, 9, "below the status row")


def test_wrapped_status(run, args):
    # Three rows, then exactly one row (a Windows console has moved its cursor to the next row by
    # then, a terminal has not): each message goes back to the row where the previous one began.
    long = "".join(str(i % 10) for i in range(2 * WIDTH + 20))
    failures, rows = status_rows(run, args, [long, "x" * WIDTH, "Next"])
    failures += check_banner(rows, None)
    failures += check_status(rows, "Next")
    return failures + check_blank_from(rows, 9, "below the status row")


@contextlib.contextmanager
def serving(args, script):
    """The scripted test server with one script for every connection; yields its port."""
    path = os.path.join(tempfile.mkdtemp(prefix="script-", dir=args.workdir), "script.txt")
    process, port = start_scripted_server(args.server, script, path, ["--connections", "5"])
    try:
        yield port
    finally:
        process.kill()
        process.wait()


def check_download(rows, width, port, progress, closing, what):
    """The rows from the top of the history: banner, announcement, the progress text whole (on as
    many rows as it needs, with nothing left of earlier ones anywhere) and the closing line right
    below it, or nothing below it while the download runs (closing None)."""
    texts = [row_text(rows, n) for n in range(len(rows))]
    top = wrapped(BANNER + ["Downloading body.bin from 127.0.0.1 on port %d" % port], width)
    if texts[:len(top)] != top:
        return ["%s: the rows above the status are %r, expected %r" % (what, texts[:len(top)], top)]
    status_rows = rows[len(top):]
    if closing is not None:
        # The closing line begins with a TAB: eight columns.
        bottom = [row.rstrip() for row in wrapped([" " * 8 + closing], width)]
        end = max([n + 1 for n, text in enumerate(texts) if text] + [0])
        if texts[end - len(bottom):end] != bottom or not texts[end - len(bottom) - 1]:
            return ["%s: the last rows are %r, expected the closing line %r right below the status" % (
                what, texts[end - len(bottom) - 1:end], bottom)]
        status_rows = rows[len(top):end - len(bottom)]
    status = joined_text(status_rows, width).rstrip()
    failures = []
    if not re.fullmatch(progress, status):
        failures.append("%s: the status rows hold %r, expected one progress text %r" % (what, status, progress))
    seen = len(re.findall(r"Downloading \d+ of", joined_text(rows, width)))
    if seen != 1:
        failures.append("%s: %d progress texts on the screen and in its history" % (what, seen))
    return failures


def progress_text(received, length):
    """The progress line as a regular expression."""
    return re.escape(progress(received, length)).replace(re.escape("{#}"), "[0-9.]+")


def download_in_pane(run, args, size, length, script, wait_for=None, record=False):
    """Downloads body.bin (length bytes, served by script) in a pane of size; checks the screen
    it leaves. Returns the failures, and the port for the checks of run.midway."""
    with serving(args, ["send HTTP/1.0 200 OK\\r\\nContent-Length: %d\\r\\n\\r\\n" % length] + script) as port:
        code, rows, err = run.in_pane([args.pliv, "http://127.0.0.1:%d/body.bin" % port], args.timeout,
                                      size=size, wait_for=wait_for, record=record)
    closing = "%d byte(s) downloaded -> body.bin" % length
    return check_exit(code, err) + check_download(rows, size[0], port, progress_text(length, length),
                                                   closing, "after the download"), port


def test_long_status_in_a_narrow_pane(run, args, width):
    # The progress text takes two or three rows, the last ones at the bottom of the pane; the
    # server pauses halfway through the body, and the pane is looked at then too.
    failures, port = download_in_pane(run, args, (width, 16), 6000, ["pattern 3000", "pause 3000", "pattern 3000"],
                                      wait_for="Downloading 3000 of")
    return check_download(run.midway, width, port, progress_text(3000, 6000), None, "halfway") + failures


def test_many_blocks_leave_no_stale_row(run, args):
    # Some 300 blocks, each with a progress text of two rows, at the bottom of the pane.
    return download_in_pane(run, args, (60, 10), 300 * 1024, ["pattern %d" % (300 * 1024)])[0]


def test_fast_body_few_redraws(run, args):
    # 16 MiB as fast as loopback goes: 16384 blocks. A console is redrawn at most every 50 ms and
    # when the program is about to wait, not once per block; the final line is always drawn. A
    # redraw per block shows 16384 texts in the pane's bytes (wine's console host sends each line
    # twice: 32768); some tens are expected, and even a slow machine stays far below an eighth.
    size = 16 << 20
    failures, _ = download_in_pane(run, args, (120, 24), size, ["pattern %d" % size], record=True)
    texts = run.recorded.count(b"Downloading ") - 1  # less the announcement
    if texts > size // 1024 // 8:
        failures.append("%d progress texts reached the pane for %d blocks" % (texts, size // 1024))
    return failures


def test_slow_body_few_redraws(run, args):
    # A block every 2 ms for 4 s, slower than the program: nearly every receive would wait. The
    # line is still drawn some 20 times a second, not once per block. Each drawn text has a count
    # of its own (wine's console host sends each one twice); the program's own seconds passed,
    # from the final text, are the time they came in.
    blocks = 2000
    script = []
    for _ in range(blocks):
        script += ["pattern 1024", "pause 2"]
    failures, _ = download_in_pane(run, args, (120, 24), blocks * 1024, script, record=True)
    counts = set(re.findall(rb"Downloading (\d+) of", run.recorded))
    final = re.findall(rb"Downloading %d of %d .*? ([0-9.]+) seconds passed" % (blocks * 1024, blocks * 1024),
                       run.recorded)
    if not final:
        return failures + ["the pane received no final progress text"]
    seconds = float(final[-1])
    if len(counts) > 25 * seconds:
        failures.append("%d progress texts in %.2f s: %.0f a second" % (len(counts), seconds, len(counts) / seconds))
    return failures


def test_unknown_width_keeps_the_screen(run, args):
    # A pty of 0 columns in a pane of 120: a width that is not known never takes the status up
    # a row, so progress texts over 80 characters erase nothing of what stands above them.
    if run.wine:
        return None
    size = 10000000
    earlier = ["earlier line 1", "earlier line 2"]
    with serving(args, pattern_response(size)) as port:
        code, rows, err = run.in_pane([args.pliv, "http://127.0.0.1:%d/body.bin" % port], args.timeout,
                                      size=(120, 24), before="stty cols 0; printf '%s\\n'" % "\\n".join(earlier))
    texts = [row_text(rows, n) for n in range(len(rows))]
    top = earlier + BANNER + ["Downloading body.bin from 127.0.0.1 on port %d" % port]
    failures = check_exit(code, err)
    if texts[:len(top)] != top:
        failures.append("the rows above the status are %r, expected %r" % (texts[:len(top)], top))
        return failures
    status = texts[len(top)] if len(texts) > len(top) else ""
    if not re.fullmatch(progress_text(size, size), status) or len(status) <= 80:
        failures.append("the status row is %r, expected the final progress text of over 80 characters" % status)
    closing = " " * 8 + "%d byte(s) downloaded -> body.bin" % size
    if texts[len(top) + 1:] != [closing]:
        failures.append("below the status %r, expected the closing line alone" % texts[len(top) + 1:])
    return failures


def test_names_show_as_typed(run, args):
    # The Windows program keeps a name in the ANSI code page (1252 in a German locale, 932 in a
    # Japanese one), and a console shows bytes in its OEM code page: the name must still show as
    # typed. The long name puts a double-byte character across the end of the first 128 bytes that
    # the announcement passes on. A wide pane keeps each line on one row.
    failures = []
    for locale, name in [("de_DE.UTF-8", "Gr\u00f6\u00dfe.txt"), ("ja_JP.UTF-8", "a" * 115 + "\u65e5\u672c.txt")]:
        with serving(args, response("0123456789", 10)) as port:
            code, rows, err = run.in_pane([args.pliv, "http://127.0.0.1:%d/%s" % (port, name)], args.timeout,
                                          size=(200, HEIGHT), env=locale_environment(locale, run.workdir))
        texts = [row_text(rows, n) for n in range(len(rows)) if row_text(rows, n)]
        failures += check_exit(code, err)
        announcement = "Downloading %s from 127.0.0.1 on port %d" % (name, port)
        if announcement not in texts:
            failures.append("%s: no row shows the announcement %r: %r" % (locale, announcement, texts[-3:]))
        closing = " " * 8 + "10 byte(s) downloaded -> " + name
        if not texts or texts[-1] != closing:
            failures.append("%s: the last row is %r, expected %r" % (locale, texts[-1] if texts else "", closing))
    return failures


def test_background_is_kept(run, args):
    # White on blue before the banner: the banner is light green on blue, then white on blue again.
    failures, rows = status_rows(run, args, ["Connecting ..."], attribute="0x1F")
    failures += check_banner(rows, BLUE)
    failures += check_status(rows, "Connecting ...")
    return failures + check_colours(rows, 8, BRIGHT_WHITE, BLUE, "status after the banner")


def test_redirected_usage(run, args):
    code, out = run.to_file([args.pliv], args.timeout)
    failures = [] if code == 0 else ["exit code %d" % code]
    banner = "".join(line + "\r\n" for line in BANNER).encode()
    if b"\x1b" in out:
        failures.append("escape byte in the file: %r" % out[:120])
    if not out.startswith(banner):
        failures.append("the file does not start with the plain banner: %r" % out[:500])
    elif not re.fullmatch(rb"\S*pliv(\.exe)? http://\S+ \[localfilename\]\r\n", out[len(banner):]):
        failures.append("after the banner comes %r, expected the usage line alone" % out[len(banner):])
    return failures


def test_redirected_status(run, args):
    code, out = run.to_file([args.status_demo, "--attribute", "0x1F", "Connecting ...", "Sending headers ..."],
                            args.timeout)
    expected = ("".join(line + "\r\n" for line in BANNER) + "Connecting ...Sending headers ...").encode()
    failures = [] if code == 0 else ["exit code %d" % code]
    if out != expected:
        failures.append("file holds %r, expected %r" % (out, expected))
    return failures


TESTS = [
    ("pliv without argument: green banner, usage line in the pane's colours", test_usage_screen),
    ("a shorter status after a longer one leaves no remnant", test_shorter_status_leaves_no_remnant),
    ("three status messages leave one row", test_three_statuses_one_row),
    ("TERM=dumb: no colours, a shorter status leaves no remnant, a longer one is cut", test_dumb_terminal),
    ("a status wider than the row: the next one takes its first row, the rows below are blank", test_wrapped_status),
    ("40 columns: one progress text on two rows, during and after the download",
     lambda run, args: test_long_status_in_a_narrow_pane(run, args, 40)),
    ("30 columns: one progress text on three rows, during and after the download",
     lambda run, args: test_long_status_in_a_narrow_pane(run, args, 30)),
    ("60 columns: 300 blocks leave no stale progress row in the history", test_many_blocks_leave_no_stale_row),
    ("16 MiB as fast as it comes: far fewer redraws than blocks, the final line whole", test_fast_body_few_redraws),
    ("a block every 2 ms for 4 s: at most 25 progress texts a second", test_slow_body_few_redraws),
    ("a pty of 0 columns in a pane of 120: earlier lines, banner and announcement stay",
     test_unknown_width_keeps_the_screen),
    ("names beyond ASCII show as typed in the announcement and the closing line", test_names_show_as_typed),
    ("on a blue background the banner keeps the background", test_background_is_kept),
    ("redirected to a file: plain banner and usage line", test_redirected_usage),
    ("redirected to a file: status messages follow on without escapes", test_redirected_status),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pliv", required=True, help="the pliv program")
    parser.add_argument("--status-demo", required=True, help="the status_demo test program")
    parser.add_argument("--server", required=True, help="the scripted_server test program (native)")
    parser.add_argument("--wine", action="store_true", help="the programs are Windows programs: run them with wine64")
    parser.add_argument("--wine-prefix", help="the wine prefix to use (default: WINEPREFIX, else a fresh temporary one)")
    parser.add_argument("--timeout", type=int, default=60, help="seconds one run may take")
    args = parser.parse_args()
    args.pliv = os.path.abspath(args.pliv)
    args.status_demo = os.path.abspath(args.status_demo)
    args.server = os.path.abspath(args.server)
    label = "wine" if args.wine else "native"

    for path in (args.pliv, args.status_demo, args.server):
        if not os.path.isfile(path):
            print("%s: no such program" % path)
            print("0 passed, 1 failed")
            return 1

    workdir = args.workdir = tempfile.mkdtemp(prefix="pliv-terminal-")
    wine = None
    try:
        if shutil.which("tmux") is None:
            raise CannotRun("tmux is not installed")
        if args.wine:
            given = args.wine_prefix or os.environ.get("WINEPREFIX")
            wine = Wine(os.path.abspath(given) if given else os.path.join(workdir, "wineprefix"), not given)
            wine.start(args.status_demo)
        run = Runner(workdir, wine)
        passed = failed = 0
        for name, test in TESTS:
            try:
                failures = test(run, args)
            except (AssertionError, RuntimeError) as e:  # RuntimeError: a locale that cannot be compiled
                failures = [str(e)]
            if failures is None:
                print("skip [%s] %s (POSIX only)" % (label, name))
            elif failures:
                failed += 1
                print("FAIL [%s] %s" % (label, name))
                for failure in failures:
                    print("    " + failure)
            else:
                passed += 1
                print("ok   [%s] %s" % (label, name))
            sys.stdout.flush()
    except CannotRun as e:
        print("FAIL [%s] cannot run: %s" % (label, e))
        print("0 passed, 1 failed")
        return 1
    finally:
        if wine:
            wine.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
