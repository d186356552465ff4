"""The view and new-entry pages driven as a screen reader user drives them:
controls found on the accessibility bus by role and name, pressed through
their actions, the results read from the schedule file and from the list.

Usage: accessibility_flows.py write <program directory>   (before the start)
       accessibility_flows.py run <program directory>     (the program runs)
"""
import sys

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
except Failure as failure:
    sys.exit("FAIL: %s" % failure)
