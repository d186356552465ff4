"""The program as a screen reader sees it: its windows and controls found on
the accessibility bus by role and accessible name, pressed through their
actions. Shared by the desktop tests; ui.py makes each call a command.
"""
import sys
import time

import pyatspi

APPLICATION = "Pendulix"
# The roles of what a user reaches and a screen reader announces by name.
NAMED = {"frame", "dialog", "menu bar", "push button", "check box", "radio button", "text",
         "spin button", "tree", "table", "page tab", "page tab list", "menu", "menu item",
         "combo box", "list"}


# Where find() looks when it is given nowhere: the whole program, or one window.
ROOT = None


class Failure(Exception):
    pass


def wait(condition, what, seconds=30):
    deadline = time.time() + seconds
    while True:
        try:
            value = condition()
        except Exception:  # the tree moves while it is read
            value = None
        if value:
            return value
        if time.time() >= deadline:
            raise Failure("%s (nothing after %ss)" % (what, seconds))
        time.sleep(0.2)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        child = desktop.getChildAtIndex(i)
        if child is not None and child.name == APPLICATION:
            return child
    return None


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def children(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child


def search(node, role, name):
    """The first showing node of this role and name under node, itself included."""
    if node.getRoleName() == role and node.name == name and showing(node):
        return node
    # Rows are the table's own business: reading every cell is slow.
    if node.getRoleName() == "table cell":
        return None
    for child in children(node):
        found = search(child, role, name)
        if found:
            return found
    return None


def find(role, name, root=None, seconds=30):
    """The showing control of this role and accessible name."""
    return wait(lambda: search(root or ROOT or application(), role, name), "a %s named %r" % (role, name),
                seconds)


def absent(role, name, seconds=30):
    wait(lambda: application() is not None and not search(application(), role, name),
         "the %s named %r still shows" % (role, name), seconds)


def press(role, name, root=None):
    control = find(role, name, root)
    actions = control.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    for wanted in ("Press", "Toggle", "SetFocus"):
        if wanted in names:
            actions.doAction(names.index(wanted))
            return
    actions.doAction(0)


def text_of(node):
    return node.queryText().getText(0, -1)


def set_text(name, value, root=None):
    find("text", name, root).queryEditableText().setTextContents(value)
    wait(lambda: text_of(find("text", name, root)) == value, "%r in the field %r" % (value, name))


def unnamed(node, out=None):
    """The showing controls of the roles above without a name."""
    out = [] if out is None else out
    # A frame inside a window only groups: the window is the one announced.
    grouping = node.getRoleName() == "frame" and node.parent is not None and node.parent.getRoleName() != "application"
    if node.getRoleName() in NAMED and showing(node) and not node.name and not grouping:
        inside = [child.getRoleName() for child in list(children(node))[:4]]
        parent = node.parent
        out.append("%s in %s holding %s" % (node.getRoleName(),
                                           parent.name or parent.getRoleName() if parent else "nothing", inside))
    if node.getRoleName() != "table cell":
        for child in children(node):
            unnamed(child, out)
    return out


def windows():
    """The names of the program's showing windows, dialogs and menus."""
    app = application()
    return sorted(child.name for child in children(app) if showing(child)) if app else []


def answers():
    """Returns once the program has answered two calls that no cache holds: a
    call is answered on its window thread, so what that thread was doing
    before it (a click being handled, what the click queued) is done."""
    app = wait(application, "the program on the accessibility bus")
    for _ in range(2):
        for window in children(app):
            window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def table(name):
    return find("tree", name).queryTable()


def select_row(name, row):
    """Only this row of the list selected, as a click on it selects it."""
    rows = table(name)
    for selected in rows.getSelectedRows():
        rows.removeRowSelection(selected)
    rows.addRowSelection(row)
    wait(lambda: table(name).isRowSelected(row), "row %d of %r selected" % (row, name))


def cell(name, row, column):
    return table(name).getAccessibleAt(row, column).name
