"""The view and new-entry pages driven as a screen reader user drives them:
controls found on the accessibility bus by role and name, pressed through
their actions, the results read from the schedule file and from the list.

Usage: accessibility_flows.py write <program directory>   (before the start)
       accessibility_flows.py run <program directory>     (the program runs)
"""
import subprocess
import sys

import pyatspi

import atspi
from atspi import Failure, find, press, wait, unnamed, application

MODE, PROGRAM = sys.argv[1], sys.argv[2]
SCHEDULE = PROGRAM + "/cron-bat.dat"
# An entry with an option of a later version and a target in another code page,
# empty lines between, and an entry that runs.
HEAD = b"en-t\xeate\r\n"
FIRST = b"0|3|1|1|1|1|1|1|1|/srv/caf\xe9.sh -v|x-essais=3;nom=Nuit|\r\n"
RUNS = b"30|14|0|1|0|0|0|0|0|/bin/true|\r\n"
ORIGINAL = HEAD + FIRST + b"\r\n" + RUNS


# A control each page shows, to know it is the page on screen.
PAGE_MARK = {
    "Evénements": ("push button", "Vider l'historique"),
    "Programmation Répétitive": ("push button", "Ouvrir"),
    "Visualisation des programmations": ("tree", "Visualisation des programmations"),
}


def open_page(title):
    press("page tab", title)
    find(*PAGE_MARK[title])


def schedule():
    with open(SCHEDULE, "rb") as f:
        return f.read()


VIEW = "Visualisation des programmations"


def select_row(row):
    atspi.select_row(VIEW, row)


def cell(row, column):
    return atspi.cell(VIEW, row, column)


def table(name):
    return atspi.table(name)


def enabled(role, name):
    return find(role, name).getState().contains(pyatspi.STATE_ENABLED)


def checked(role, name):
    return find(role, name).getState().contains(pyatspi.STATE_CHECKED)


def expect(what, actual, expected):
    if actual != expected:
        sys.exit("FAIL: %s\n  actual:   %r\n  expected: %r" % (what, actual, expected))
    print("PASS: " + what)


if MODE == "write":
    with open(SCHEDULE, "wb") as f:
        f.write(ORIGINAL)
    sys.exit(0)

try:
    wait(application, "the program on the accessibility bus", 60)

    # Every control a user can reach has a name to be announced by.
    for title in ("Evénements", "Programmation Répétitive", "Visualisation des programmations"):
        open_page(title)
        expect("every control of %r has a name" % title, unnamed(application(), []), [])

    # Edit the first entry: only its line changes, its unknown option stays.
    open_page("Visualisation des programmations")
    wait(lambda: cell(1, 2) != "", "the rows")
    select_row(1)
    press("push button", "Modifier")
    find("label", "Modification de la ligne 001")
    expect("the entry's name on the page", find("text", "Nom").queryText().getText(0, -1), "Nuit")
    find("spin button", "Minutes").queryValue().currentValue = 15
    find("text", "Nom").queryEditableText().setTextContents("Nuit courte")
    press("push button", "Enregistrer")
    EDITED = HEAD + b"15|3|1|1|1|1|1|1|1|/srv/caf\xe9.sh -v|x-essais=3;nom=Nuit courte|\r\n\r\n" + RUNS
    wait(lambda: schedule() == EDITED, "the edited line in the file")
    expect("only the edited line changed", schedule(), EDITED)

    # Suspend and resume the entry that runs: its bytes come back.
    open_page("Visualisation des programmations")
    wait(lambda: cell(2, 0) == "003", "the rows again")
    select_row(2)
    press("push button", "Suspendre")
    wait(lambda: b"/bin/true|pause|" in schedule(), "pause written")
    expect("the suspended row's next run", wait(lambda: cell(2, 4) == "suspendue" and cell(2, 4), "suspendue"),
           "suspendue")
    select_row(2)
    press("push button", "Reprendre")
    wait(lambda: schedule() == EDITED, "the line as it was")
    expect("resumed, the line's bytes as before", schedule(), EDITED)

    # Run now: the two columns of the past fill.
    select_row(2)
    press("push button", "Lancer maintenant")
    expect("the result after a run now",
           wait(lambda: cell(2, 6) == "Terminé (code 0)" and cell(2, 6), "the result column"),
           "Terminé (code 0)")
    expect("the last run after a run now", cell(2, 5).split(" ")[0], "aujourd'hui")

    # Every caption in sight at the designed size: no column beyond the list's edge.
    tree = find("tree", VIEW).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    rows = table(VIEW)
    beyond = []
    for column in range(rows.nColumns):
        header = rows.getColumnHeader(column)
        box = header.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if box.width <= 0 or box.x + box.width > tree.x + tree.width:
            beyond.append(header.name)
    expect("every column's caption within the list", beyond, [])
    expect("the captions", [rows.getColumnHeader(c).name for c in range(rows.nColumns)],
           ["N°", "H", "Source", "Cible", "Prochaine exécution", "Dernière exécution", "Résultat", "Nom"])

    # Selected rows stay selected: after "Suspendre", and after the minute's
    # check reloads a schedule that grew, the buttons going with them.
    select_row(2)
    press("push button", "Suspendre")
    wait(lambda: b"/bin/true|pause|" in schedule(), "pause written")
    expect("the suspended row still selected", table(VIEW).isRowSelected(2), True)
    expect("Reprendre pressable at once", enabled("push button", "Reprendre"), True)
    press("push button", "Reprendre")
    wait(lambda: schedule() == EDITED, "the line as it was")
    EVERY_MINUTE = b"1|0|0|0|0|0|0|0|0|/bin/echo tick|\r\n"
    with open(SCHEDULE, "ab") as f:
        f.write(EVERY_MINUTE)
    wait(lambda: table(VIEW).nRows == 4, "the row appended outside", 90)
    expect("the row selected before the reload still selected", table(VIEW).isRowSelected(2), True)
    expect("Suppimer still pressable after the reload", enabled("push button", "Suppimer"), True)

    # After its pass, an entry's next run is later than the run it just made.
    last = wait(lambda: cell(3, 5), "the every-minute entry's first run", 90)
    wait(lambda: cell(3, 4) != last, "the next run moved on from %r" % last)
    expect("the next run after a pass", cell(3, 4) > last, True)

    # Its output, by keyboard: F3 on the selected row opens it in the viewer.
    select_row(3)
    # The window takes the keyboard (no window manager gives it here), then the list.
    subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Pendulix$", "windowfocus", "--sync"],
                   check=True, timeout=30)
    find("tree", VIEW).queryComponent().grabFocus()
    wait(lambda: find("tree", VIEW).getState().contains(pyatspi.STATE_FOCUSED), "the list focused")
    subprocess.run(["xdotool", "key", "F3"], check=True, timeout=30)
    viewer = wait(lambda: [w for w in atspi.windows() if w.endswith(".txt - Pendulix")], "the output in the viewer")
    expect("the viewer names the output", len(viewer), 1)

    # A new entry does not inherit the last one's name and options.
    open_page("Programmation Répétitive")
    atspi.set_text("Sélectionner votre fichier", "/bin/echo")
    atspi.set_text("Nom", "Long")
    press("check box", "Une seule exécution à la fois")
    find("spin button", "Minutes").queryValue().currentValue = 7
    press("push button", "Enregistrer")
    wait(lambda: schedule().endswith(b"7|0|0|0|0|0|0|0|0|/bin/echo|nom=Long;seul|\r\n"), "the new entry in the file")
    open_page("Programmation Répétitive")
    expect("the name after a save", find("text", "Nom").queryText().getText(0, -1), "")
    expect("one at a time after a save", checked("check box", "Une seule exécution à la fois"), False)

    # The history narrowed to failures: only the rows whose time tells a status.
    open_page(VIEW)
    select_row(1)
    press("push button", "Lancer maintenant")
    open_page("Evénements")
    HISTORY = "Evénements"
    wait(lambda: any("Fichier inexistant" in atspi.cell(HISTORY, r, 0) for r in range(table(HISTORY).nRows)),
         "the failure of the run now in the history")
    everything = table(HISTORY).nRows
    press("check box", "Erreurs seulement")
    wait(lambda: table(HISTORY).nRows < everything, "the history narrowed")
    failures = [atspi.cell(HISTORY, r, 0) for r in range(table(HISTORY).nRows)]
    expect("only failures under Erreurs seulement", [t for t in failures if "Fichier inexistant" not in t], [])
    press("check box", "Erreurs seulement")
    wait(lambda: table(HISTORY).nRows == everything, "the whole history again")
except Failure as failure:
    sys.exit("FAIL: %s" % failure)
