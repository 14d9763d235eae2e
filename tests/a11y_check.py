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


def find_app(name, timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name and app.name.lower() == name:
                return app
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


def find(root, role, name):
    for node in nodes(root):
        try:
            if node.getRoleName() == role and node.name == name:
                return node
        except Exception:
            continue
    return None


def wait_for(predicate, timeout=10.0):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.1)
    return False


app = find_app("volarino")
if app is None:
    print("FAIL: the game is not on the accessibility bus")
    sys.exit(1)

window = next((n for n in nodes(app) if n.name == "Volarino" and n.getRoleName() in ("frame", "window", "filler")), None)
check(window is not None, "the game window is readable as Volarino")

for caption in ("Lancia", "Da capo", "Opzioni", "Esci"):
    check(find(app, "push button", caption) is not None, "button %s" % caption)
for tip in ("Informazioni", "Riduci a icona", "Ridimensiona", "Chiudi"):
    button = find(app, "push button", tip)
    check(button is not None, "title button %s" % tip)
for caption in ("Colpiti:", "Mancati:"):
    check(find(app, "label", caption) is not None, "label %s" % caption)
field = next((n for n in nodes(app) if n.name == "Campo di gioco"), None)
check(field is not None, "the playing field")

lancia = find(app, "push button", "Lancia")
if lancia is not None:
    action = lancia.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    check(len(names) > 0, "Lancia has an action")
    action.doAction(0)
    bar = next((n for n in nodes(app) if n.getRoleName() == "progress bar"), None)
    check(bar is not None, "the progress bar is there once a disc flies")
    if bar is not None:
        value = bar.queryValue()
        check(wait_for(lambda: value.currentValue > 0), "the progress bar gives the round's time")
        check(value.maximumValue == 9000, "the progress bar's maximum")
    # The first disc gets away: the field says so, and the counter reads 1.
    if field is not None:
        check(wait_for(lambda: field.description == "Mancato!", 15), "the field's message reads Mancato!")
        counters = [n for n in nodes(app) if n.getRoleName() == "label" and n.name in ("0", "1")]
        check(any(n.name == "1" for n in counters), "the miss counter reads 1")

print("accessibility: %d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
