#!/usr/bin/python3
"""The real window program as a screen reader meets it, over the real bus.

Usage: atspi_tree.py SONVERA_PROGRAM (on an X display: run under
scripts/under-window-manager.sh; SONVERA_LANG picks the language).

Starts a private session bus, on which the accessibility bus is started as a
desktop starts it (at-spi-bus-launcher, at-spi2-registryd), then the window
program with Qt's accessibility on, and reads over the accessibility bus the
main window, the options dialog and the feedback form, each opened through
its control's own accessible action. Every control a user operates must have
a role and a name in the language shown, no two controls of a window the same
name, the links must be links and the drop zone a button. Everything started
is stopped after, and no process of the run outlives it. Exits 0 when all
holds, 1 with the faults.
"""
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PR_SET_CHILD_SUBREAPER = 36
# Words by which controls are found: in the drop zone's and the options
# button's descriptions, the back, feedback and stop controls' names.
WORDS = {"zh": {"drop": "拖", "options": "选项", "back": "返回", "feedback": "意见反馈", "stop": "停止"},
         "en": {"drop": "Drag", "options": "Options", "back": "Back", "feedback": "Feedback", "stop": "Stop"}}
TIMEOUT_S = 60


def wait_for(what, probe, timeout=TIMEOUT_S):
    """Polls `probe` until it gives something true; fails with `what` after `timeout`."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise TimeoutError(what)


def descendants(root_pid):
    """The processes below `root_pid`, from /proc."""
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parents[int(entry)] = int(stat.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                pass
    below, frontier = set(), {root_pid}
    while frontier:
        frontier = {pid for pid, parent in parents.items() if parent in frontier} - below
        below |= frontier
    return below


def reaped_all():
    """Collects the children that ended; true once none is left."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return True
        if pid == 0:
            return False


class Reader:
    def __init__(self, Atspi, pid, language, faults):
        self.Atspi = Atspi
        self.language = language
        self.pid = pid
        self.faults = faults

    def application(self):
        desktop = self.Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(index)
            try:
                if app is not None and app.get_process_id() == self.pid:
                    app.set_cache_mask(self.Atspi.Cache.NONE)
                    return app
            except Exception:  # an application that left the bus meanwhile
                pass
        return None

    def windows(self):
        app = self.application()
        if app is None:
            return []
        return [app.get_child_at_index(i) for i in range(app.get_child_count())]

    def showing(self, node):
        return node.get_state_set().contains(self.Atspi.StateType.SHOWING)

    def controls(self, window):
        """(role, name, node) of every control on show in `window`."""
        Role = self.Atspi.Role
        operated = {Role.PUSH_BUTTON, Role.TOGGLE_BUTTON, Role.CHECK_BOX, Role.RADIO_BUTTON, Role.COMBO_BOX,
                    Role.ENTRY, Role.PASSWORD_TEXT, Role.SPIN_BUTTON, Role.SLIDER, Role.LINK, Role.TABLE,
                    Role.TREE, Role.LIST, Role.TREE_TABLE}
        found, stack = [], [window]
        while stack:
            node = stack.pop()
            role = node.get_role()
            if node is not window and role in operated:
                if self.showing(node):
                    found.append((role, node.get_name() or "", node))
                continue  # a list's rows and a list box's parts are not controls of their own
            if role == Role.TEXT and node.get_state_set().contains(self.Atspi.StateType.EDITABLE):
                if self.showing(node):
                    found.append((role, node.get_name() or "", node))
                continue
            stack.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
        return found

    def dialogs(self):
        return [w for w in self.windows() if w.get_role() == self.Atspi.Role.DIALOG and self.showing(w)]

    def open_dialog(self, opener):
        """Presses `opener` through its accessible action; gives the dialog it opens."""
        opener.do_action(0)
        dialog = wait_for("a dialog on the bus", lambda: next(iter(self.dialogs()), None))
        wait_for("the dialog's controls", lambda: len(self.controls(dialog)) > 5)
        return dialog

    def spoken_name(self, role, node):
        """What a screen reader says a control is. On Linux Qt names a list box
        by its current entry and points to its caption with a labelled-by
        relation, which screen readers read as its name."""
        if role == self.Atspi.Role.COMBO_BOX:
            for relation in node.get_relation_set():
                if relation.get_relation_type() == self.Atspi.RelationType.LABELLED_BY and relation.get_n_targets():
                    return (relation.get_target(0).get_name() or "").rstrip("：: ")
            return ""
        return node.get_name() or ""

    def check_window(self, label, window):
        """Every control named, no two alike; gives (role, name, description, node)."""
        controls = []
        for role, _, node in self.controls(window):
            controls.append((role, self.spoken_name(role, node), node.get_description() or "", node))
        if len(controls) < 5:
            self.faults.append(f"{label}: only {len(controls)} controls read")
        seen = set()
        for role, name, _, _ in controls:
            print(f"  {label}: {role.value_nick} \"{name}\"")
            if not name.strip():
                self.faults.append(f"{label}: a {role.value_nick} without a name")
            elif self.language == "en" and any("\u3000" <= c <= "\u9fff" or "\uff00" <= c <= "\uffef" for c in name):
                self.faults.append(f"{label}: \"{name}\" is not in English")
            elif name in seen:
                self.faults.append(f"{label}: two controls named \"{name}\"")
            seen.add(name)
        return controls


def main():
    program = sys.argv[1]
    if not os.environ.get("DISPLAY"):
        print("run under scripts/under-window-manager.sh", file=sys.stderr)
        return 2
    language = os.environ.get("SONVERA_LANG", "zh")
    # What is left behind by what we start (the bus launcher's own bus and
    # registry) comes back to us, to be stopped after.
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    work = tempfile.mkdtemp(prefix="sonvera-atspi-")
    for folder in ("Sonvera", "home", "tmp", "runtime"):
        os.makedirs(os.path.join(work, folder), mode=0o700)
    shutil.copy(program, os.path.join(work, "Sonvera", "sonvera"))
    env = dict(os.environ, HOME=os.path.join(work, "home"), TMPDIR=os.path.join(work, "tmp"),
               XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
    for name in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "QT_ACCESSIBILITY", "NO_AT_BRIDGE"):
        env.pop(name, None)

    bus = window = None
    faults = []
    try:
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
                               stdout=subprocess.PIPE, text=True)
        env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        os.environ.update(env)
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi

        window = subprocess.Popen([os.path.join(work, "Sonvera", "sonvera")],
                                  env=dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        reader = Reader(Atspi, window.pid, language, faults)
        main_window = wait_for("the window on the accessibility bus",
                               lambda: next((w for w in reader.windows() if reader.showing(w)), None))
        # Its controls are read once the list and the buttons are there.
        wait_for("the main window's controls", lambda: len(reader.controls(main_window)) > 10)
        controls = reader.check_window("main window", main_window)
        links = [name for role, name, _, _ in controls if role == Atspi.Role.LINK]
        if len(links) < 2:
            reader.faults.append(f"main window: {len(links)} links, expected the feedback and the web link")
        # The controls are found by what they say they do, in the language shown.
        words = WORDS[language]
        if not any(role == Atspi.Role.PUSH_BUTTON and words["drop"] in about for role, _, about, _ in controls):
            reader.faults.append("main window: no drop zone read as a button")
        # Stop, disabled while no batch runs, is read as disabled.
        stop = next((node for role, name, _, node in controls if name == words["stop"]), None)
        if stop is None or stop.get_state_set().contains(Atspi.StateType.ENABLED):
            reader.faults.append("main window: no Stop read as disabled")
        opener = next((node for role, _, about, node in controls
                       if role == Atspi.Role.PUSH_BUTTON and words["options"] in about), None)
        if opener is None:
            reader.faults.append("main window: no button that opens the options")
        else:
            options = reader.check_window("options dialog", reader.open_dialog(opener))
            back = next((node for role, name, _, node in options if name == words["back"]), None)
            if back is None:
                reader.faults.append("options dialog: no back button")
            else:
                back.do_action(0)
                wait_for("the options dialog to close", lambda: not reader.dialogs())
        link = next((node for role, name, _, node in controls
                     if role == Atspi.Role.LINK and name == words["feedback"]), None)
        if link is None:
            reader.faults.append("main window: no feedback link")
        else:
            reader.check_window("feedback form", reader.open_dialog(link))
    except TimeoutError as waited:
        faults.append(f"timed out waiting for {waited}")
    finally:
        if window is not None:
            window.send_signal(signal.SIGTERM)
            try:
                if window.wait(timeout=TIMEOUT_S) != 0:
                    faults.append(f"the window program ended with {window.returncode} on SIGTERM")
            except subprocess.TimeoutExpired:
                faults.append("the window program did not end on SIGTERM")
                window.kill()
                window.wait()
        if bus is not None:
            bus.terminate()
            bus.wait()
        # The accessibility bus and registry, come back to us: stopped too,
        # and every process of the run collected, so that none outlives it.
        for pid in descendants(os.getpid()):
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        try:
            wait_for("every process of the run to end", reaped_all, timeout=20)
        except TimeoutError as waited:
            faults.append(f"timed out waiting for {waited}: {sorted(descendants(os.getpid()))}")
            for pid in descendants(os.getpid()):
                os.kill(pid, signal.SIGKILL)
        shutil.rmtree(work, ignore_errors=True)

    for fault in faults:
        print("FAIL:", fault)
    print("PASS" if not faults else f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
