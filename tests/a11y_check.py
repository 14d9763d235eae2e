#!/usr/bin/python3
"""Reads the running game through the desktop's accessibility bus (AT-SPI), as a screen reader would:
every control a player uses has a name and a role, the counters and the field's message read as text,
the progress bar shows up with the round and gives its value. It also plays through the bus: "Lancia" is
pressed by its action."""
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)
    return condition


# Long enough for a sanitized build starting on a busy two-core machine.
PATIENCE = 120.0


def wait_for(predicate, what, transient=()):
    """Polls until predicate() holds, or fails `what` after PATIENCE seconds. Errors of the kinds `transient` are
    let pass meanwhile, the last one told if the wait gives up; any other error ends the check at once."""
    error = None
    end = time.time() + PATIENCE
    while time.time() < end:
        try:
            if predicate():
                return True
        except transient as e:
            error = e
        time.sleep(0.1)
    return check(False, "%s (waited %d s%s)" % (what, PATIENCE, "; last error: %s" % error if error else ""))


def nodes(root):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue  # a child gone while its parent was read
        yield node
        stack.extend(list(node))


# Roles are compared by value: their names differ between releases ("push button" became "button").
def role_is(node, *roles):
    return node.getRole() in roles


def find(root, role, name):
    return next((n for n in nodes(root) if n.getRole() == role and n.name == name), None)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def extents(node):
    return node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def count_beside(caption):
    """The label just right of the label `caption`, on its line: the count it captions."""
    c = extents(caption)
    beside = [(e.x, n) for n, e in ((n, extents(n)) for n in nodes(app) if role_is(n, pyatspi.ROLE_LABEL))
              if e.x > c.x + c.width // 2 and c.y <= e.y + e.height // 2 <= c.y + c.height]
    return min(beside, key=lambda pair: pair[0])[1] if beside else None


app = None


def registered():
    global app
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name.lower() == "volarino"), None)
    return app is not None


# An application still setting itself up may answer the bus with an error (GLib.Error) for a while.
if not wait_for(registered, "the game on the accessibility bus", GLib.Error):
    sys.exit(1)


def game_window():
    return next((n for n in nodes(app) if n.name == "Volarino" and
                 role_is(n, pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_FILLER)), None)


# The application registers before its window is built: the window is waited for in its own right.
wait_for(lambda: game_window() is not None, "the game window is readable as Volarino", GLib.Error)

for caption in ("Lancia", "Da capo", "Opzioni", "Esci"):
    check(find(app, pyatspi.ROLE_PUSH_BUTTON, caption) is not None, "button %s" % caption)
for tip in ("Informazioni", "Riduci a icona", "Ridimensiona", "Chiudi"):
    button = find(app, pyatspi.ROLE_PUSH_BUTTON, tip)
    check(button is not None, "title button %s" % tip)
for caption in ("Colpiti:", "Mancati:"):
    check(find(app, pyatspi.ROLE_LABEL, caption) is not None, "label %s" % caption)
field = next((n for n in nodes(app) if n.name == "Campo di gioco"), None)
check(field is not None, "the playing field")
missed = find(app, pyatspi.ROLE_LABEL, "Mancati:")
misses = count_beside(missed) if missed is not None else None
check(misses is not None and misses.name == "0", "the miss count beside Mancati: reads 0 at the start")
bar = next((n for n in nodes(app) if role_is(n, pyatspi.ROLE_PROGRESS_BAR)), None)
check(bar is not None and not showing(bar), "the progress bar is there, hidden, before the first launch")

lancia = find(app, pyatspi.ROLE_PUSH_BUTTON, "Lancia")
if lancia is not None and bar is not None:
    action = lancia.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    check(len(names) > 0, "Lancia has an action")
    action.doAction(0)
    wait_for(lambda: showing(bar), "the progress bar shows once a disc flies")
    value = bar.queryValue()
    wait_for(lambda: value.currentValue > 0, "the progress bar gives the round's time (a value above 0)")
    check(value.maximumValue == 9000, "the progress bar's maximum")
    # The first disc gets away: the field says so, and the count beside "Mancati:" reads 1.
    if field is not None:
        wait_for(lambda: field.description == "Mancato!", "the field's message reads Mancato!")
    if misses is not None:
        wait_for(lambda: misses.name == "1", "the miss count beside Mancati: reads 1")

print("accessibility: %d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
