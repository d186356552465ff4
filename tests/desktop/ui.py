"""One step of a desktop test on the accessibility bus, for the shell:

  ui.py [--in WINDOW] COMMAND ...  (--in: within the showing window of that name)

  ui.py press ROLE NAME           press the showing control (waits for it)
  ui.py shows ROLE NAME [SECONDS] wait until it shows
  ui.py gone ROLE NAME [SECONDS]  wait until it no longer shows
  ui.py text NAME VALUE           put VALUE in the text field NAME
  ui.py value NAME NUMBER         set the spin button NAME
  ui.py checked NAME yes|no       tick or untick the check box NAME
  ui.py select LIST ROW           select only ROW (from 0) of the list LIST
  ui.py read ROLE NAME            print the text of the control
  ui.py windows                   print the names of the showing windows
  ui.py answers                   return once the program has answered twice
  ui.py unnamed                   print the showing controls without a name

Exits 1 with the reason when the step cannot be done in time.
"""
import sys

import pyatspi

import atspi




def window(name):
    def showing_window():
        app = atspi.application()
        return next((child for child in atspi.children(app) if child.name == name and atspi.showing(child)), None)
    return atspi.wait(showing_window, "a window named %r" % name)


def checked(name, wanted):
    box = atspi.find("check box", name)
    if box.getState().contains(pyatspi.STATE_CHECKED) != wanted:
        atspi.press("check box", name)
    atspi.wait(lambda: atspi.find("check box", name).getState().contains(pyatspi.STATE_CHECKED) == wanted,
               "the check box %r %s" % (name, "ticked" if wanted else "unticked"))


def main(command, *args):
    if command == "press":
        atspi.press(*args)
    elif command == "shows":
        atspi.find(args[0], args[1], seconds=float(args[2]) if len(args) > 2 else 30)
    elif command == "gone":
        atspi.absent(args[0], args[1], float(args[2]) if len(args) > 2 else 30)
    elif command == "text":
        atspi.set_text(*args)
    elif command == "value":
        atspi.find("spin button", args[0]).queryValue().currentValue = float(args[1])
    elif command == "checked":
        checked(args[0], args[1] == "yes")
    elif command == "select":
        atspi.select_row(args[0], int(args[1]))
    elif command == "read":
        node = atspi.find(args[0], args[1])
        print(atspi.text_of(node) if node.getRoleName() == "text" else node.name)
    elif command == "windows":
        print("\n".join(atspi.windows()))
    elif command == "answers":
        atspi.answers()
    elif command == "unnamed":
        app = atspi.wait(atspi.application, "the program on the accessibility bus")
        print("\n".join(atspi.unnamed(app)))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    args = sys.argv[1:]
    try:
        if args[0] == "--in":
            atspi.ROOT = window(args[1])
            args = args[2:]
        main(*args)
    except atspi.Failure as failure:
        sys.exit(str(failure))
