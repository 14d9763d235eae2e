#!/usr/bin/python3
"""Reads the running game through the desktop's accessibility bus (AT-SPI), as a screen reader would:
every control a player uses has a name and a role, the counters and the field's message read as text,
the progress bar gives its value. It also plays through the bus: "Lancia" is pressed by its action."""
import sys
import time

import pyatspi

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


# Long enough for a sanitized build starting on a busy two-core machine.
PATIENCE = 120.0


def find_app(name, timeout=PATIENCE):
    end = time.time() + timeout
    while time.time() < end:
        try:
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name and app.name.lower() == name:
                    return app
        except Exception:
            pass  # the bus may answer for an application still setting itself up
        time.sleep(0.2)
    return None


def nodes(root):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        yield node
        try:
            stack.extend(list(node))
        except Exception:
            pass


# Roles are compared by value: their names differ between releases ("push button" became "button").
def role_is(node, *roles):
    try:
        return node.getRole() in roles
    except Exception:
        return False


def find(root, role, name):
    for node in nodes(root):
        try:
            if node.getRole() == role and node.name == name:
                return node
        except Exception:
            continue
    return None


def wait_for(predicate, timeout=PATIENCE):
    end = time.time() + timeout
    while time.time() < end:
        try:
            if predicate():
                return True
        except Exception:
            pass
        time.sleep(0.1)
    return False


app = find_app("volarino")
if app is None:
    print("FAIL: the game did not appear on the accessibility bus within %d s" % PATIENCE)
    sys.exit(1)


def game_window():
    return next((n for n in nodes(app) if n.name == "Volarino" and
                 role_is(n, pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_FILLER)), None)


# The application registers before its window is built: the window is waited for in its own right.
check(wait_for(lambda: game_window() is not None),
      "the game window is readable as Volarino (waited %d s for it)" % PATIENCE)

for caption in ("Lancia", "Da capo", "Opzioni", "Esci"):
    check(find(app, pyatspi.ROLE_PUSH_BUTTON, caption) is not None, "button %s" % caption)
for tip in ("Informazioni", "Riduci a icona", "Ridimensiona", "Chiudi"):
    button = find(app, pyatspi.ROLE_PUSH_BUTTON, tip)
    check(button is not None, "title button %s" % tip)
for caption in ("Colpiti:", "Mancati:"):
    check(find(app, pyatspi.ROLE_LABEL, caption) is not None, "label %s" % caption)
field = next((n for n in nodes(app) if n.name == "Campo di gioco"), None)
check(field is not None, "the playing field")

lancia = find(app, pyatspi.ROLE_PUSH_BUTTON, "Lancia")
if lancia is not None:
    action = lancia.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    check(len(names) > 0, "Lancia has an action")
    action.doAction(0)
    bar = next((n for n in nodes(app) if role_is(n, pyatspi.ROLE_PROGRESS_BAR)), None)
    check(bar is not None, "the progress bar is there once a disc flies")
    if bar is not None:
        value = bar.queryValue()
        check(wait_for(lambda: value.currentValue > 0),
              "the progress bar gives the round's time (waited %d s for a value above 0)" % PATIENCE)
        check(value.maximumValue == 9000, "the progress bar's maximum")
    # The first disc gets away: the field says so, and the counter reads 1.
    if field is not None:
        check(wait_for(lambda: field.description == "Mancato!"),
              "the field's message reads Mancato! (waited %d s for it)" % PATIENCE)
        counters = [n for n in nodes(app) if role_is(n, pyatspi.ROLE_LABEL) and n.name in ("0", "1")]
        check(any(n.name == "1" for n in counters), "the miss counter reads 1")

print("accessibility: %d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
