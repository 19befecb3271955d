#!/usr/bin/python3
"""Drives the running program as a screen reader's user does, through AT-SPI: opens COM1, checks
the connection twice (the second time the logger does not answer), downloads, reads every text of
the window while the window manager is asked to close it at a random moment within a second of
the download's end, and prints what the close did: "question", "ended" or "nothing".

    close_box_client.py SIMULATOR_PID PROGRAM_PID
"""

import os
import random
import signal
import subprocess
import sys
import threading
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)  # the *_iface calls, all Debian 12 has

TITLE = "YB DownLoader"


def program():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app and "yb-downloader" in (app.get_name() or ""):
            return app
    return None


def nodes(node, out):
    try:
        count = node.get_child_count()
    except gi.repository.GLib.Error:
        return out
    out.append(node)
    for i in range(count):
        child = node.get_child_at_index(i)
        if child:
            nodes(child, out)
    return out


def texts(app):
    read = []
    for node in nodes(app, []):
        try:
            read.append(node.get_name())
            text = node.get_text_iface()
            if text:
                read.append(text.get_text(0, text.get_character_count()))
        except gi.repository.GLib.Error:
            pass
    return read


def press(app, name):
    for node in nodes(app, []):
        try:
            if node.get_role_name() == "push button" and node.get_name() == name:
                node.get_action_iface().do_action(0)
                return
        except gi.repository.GLib.Error:
            pass
    sys.exit(f"no button {name}")


def asking(app):
    for node in nodes(app, []):
        try:
            if node.get_role_name() in ("dialog", "alert"):
                return True
        except gi.repository.GLib.Error:
            pass
    return False


def main():
    simulator, pid = int(sys.argv[1]), int(sys.argv[2])
    for _ in range(100):
        app = program()
        if app:
            break
        time.sleep(0.1)
    else:
        sys.exit("the program did not come up on the accessibility bus")
    press(app, "Open COM")
    time.sleep(0.5)
    press(app, "接続確認")
    time.sleep(1.5)
    os.kill(simulator, signal.SIGSTOP)  # the second check gets no answer
    press(app, "接続確認")
    time.sleep(2.5)
    os.kill(simulator, signal.SIGCONT)
    time.sleep(0.5)
    press(app, "データ読出")
    for _ in range(600):
        if any(t and "データ読出し完了" in t for t in texts(app)):
            break
        time.sleep(0.1)
    else:
        sys.exit("the download did not end")
    delay = random.uniform(0, 1)
    threading.Timer(delay, lambda: subprocess.run(["wmctrl", "-c", TITLE])).start()
    start = time.time()
    while time.time() - start < delay + 0.05:
        texts(app)
    while time.time() - start < delay + 4:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            print("ended")
            return
        if asking(app):
            print("question")
            return
        time.sleep(0.1)
    print("nothing")


if __name__ == "__main__":
    main()
