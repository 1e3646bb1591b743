"""What a screen reader finds of the program on the accessibility bus, each control found by its
name as the user finds it: the window named by the first argument against the table below, or
the countdown and the alarm message driven from the bus, with what Orca said ($WORK/orca.log)."""
import datetime, os, pathlib, re, sys, time
import pyatspi
from gi.repository import GLib

WORK, MESSAGE = os.environ["WORK"], "Appeler le garage"
QUIET = 5  # seconds of the countdown ticking unheard
PART = r"\d+ (heures?|minutes?|secondes?)"
SENTENCE = re.compile(rf"Alarme à 10:00, il reste {PART}((, | et ){PART})*")
# window: [(role pattern, name, {what else holds: description, labelled by, text, or a state})]
ROWS = {
    "Tintel": [("label", "TINTEL", {}), ("label", "Chargement des paramètres. Veuillez patienter...", {})],
    "Nouvelle alarme": [
        ("text", "Entrez l'heure:", {"desc": "heure de la nouvelle alarme", "by": ["Entrez l'heure:"]}),
        ("text", "Entrez le message à afficher:",
         {"desc": "Message de l'alarme", "by": ["Entrez le message à afficher:"]}),
        ("push button", "Activer l'alarme", {}), ("push button", "Quitter...", {})],
    "À propos de Tintel": [("label", "Tintel", {}), ("push button", "OK", {})],
    "Tintel journalière": [("push button", "Réduire la fenêtre", {}), ("label", SENTENCE, {}),
                           ("toggle button|check box", "Toujours au premier plan", {"checked": True})],
    "Que voulez-vous faire?": [
        ("radio button", "Entrer une nouvelle alarme", {"checked": True}), ("push button", "Valider", {}),
        ("radio button", "Conserver l'alarme éxistante", {"checked": False}),
        ("radio button", "Quitter le programme", {"checked": False})],
    "message": [("text", "Message de l'alarme", {"text": MESSAGE, "editable": False}),
                ("push button", "OK", {})],
    "TINTEL": [("push button", "Oui", {}), ("push button", "Non", {})],
}
FACTS = {"desc": lambda o: o.description, "text": lambda o: o.queryText().getText(0, -1),
         "by": lambda o: [r.getTarget(i).name for r in o.getRelationSet()
                          if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                          for i in range(r.getNTargets())]}


def fail(why):
    sys.exit(f"FAIL: {why}")


def until(what, timeout, why):
    end = time.monotonic() + timeout
    while not (found := what()) and time.monotonic() < end:
        time.sleep(0.05)
    return found or fail(why)


def fact(o, key):
    return FACTS[key](o) if key in FACTS else o.getState().contains(getattr(pyatspi, f"STATE_{key.upper()}"))


def window(title, timeout=10):
    return until(lambda: next((w for app in pyatspi.Registry.getDesktop(0) if app and app.name == "tintel"
                               for w in app if w and w.name == title and fact(w, "showing")), None),
                 timeout, f"no window '{title}' on the accessibility bus")


def control(win, role, name):
    def named(o):
        return o and re.fullmatch(role, o.getRoleName()) and (
            name.fullmatch(o.name) if isinstance(name, re.Pattern) else o.name == name)
    return win if named(win) else pyatspi.findDescendant(win, named)


def check(win, rows):
    wrong = []
    for role, name, want in rows:
        o = control(win, role, name)
        wrong += [f"'{name}' {key}: {fact(o, key)!r}, not {value!r}" for key, value in want.items()
                  if fact(o, key) != value] if o else [f"no {role} '{name}'"]
    if wrong:
        held = ", ".join(f"{o.getRoleName()} '{o.name}'" for o in pyatspi.findAllDescendants(win, bool))
        fail(f"'{win.name}': {'; '.join(wrong)}\n  which holds: {held}")
    return win


def press(win, role, name, then):
    o = control(win, role, name) or fail(f"no {role} '{name}' in '{win.name}'")
    o.queryAction().doAction(0)
    until(lambda: then(o), 3, f"'{name}' pressed, nothing changed")


def now():
    t = datetime.datetime.now()
    return t.hour * 3600 + t.minute * 60 + t.second + t.microsecond / 1e6


def said(words, since):
    """How long after `since` (a now()) Orca first said `words`, and what it said; None if not yet."""
    for line in open(f"{WORK}/orca.log", errors="replace"):
        m = re.match(r"(\d\d):(\d\d):(\S+) - SPEECH OUTPUT: '(.*)'( ?{.*)?$", line.rstrip())
        if m and words in m[4]:
            if (after := (int(m[1]) * 3600 + int(m[2]) * 60 + float(m[3]) - since) % 86400) < 3600:
                return after, m[4]


def countdown():
    win = check(window("Tintel journalière"), ROWS["Tintel journalière"])
    for checked in (False, True):
        press(win, "toggle button|check box", "Toujours au premier plan",
              lambda o: fact(o, "checked") == checked)
    opened = now()
    press(win, "label", SENTENCE, bool)
    question = check(window("Que voulez-vous faire?", 5), ROWS["Que voulez-vous faire?"])
    press(question, "radio button", "Conserver l'alarme éxistante", lambda o: fact(o, "checked"))
    # Orca handles events in turn: once it has read the dialog out, nothing from before is left.
    until(lambda: said("Que voulez-vous faire?", opened), 5, "Orca did not read the dialog out")
    closed = now()
    press(question, "push button", "Valider", lambda o: not fact(question, "showing"))
    # Back on the countdown Orca names the window, then the control with the keyboard; then, as
    # the countdown ticks and the user does nothing, it says nothing.
    focus = until(lambda: pyatspi.findDescendant(win, lambda o: o and fact(o, "focused")), 3,
                  "nothing on the countdown has the keyboard")
    back = until(lambda: said(focus.name, closed), 5, f"Orca did not say '{focus.name}' on the countdown")[0]
    # A client that keeps names hears the time left change meanwhile.
    told = set()
    listen = lambda e: SENTENCE.fullmatch(e.source.name or "") and told.add(e.source.name)
    pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-name")
    while now() < closed + back + QUIET:
        GLib.MainContext.default().iteration(False) or time.sleep(0.02)
    pyatspi.Registry.deregisterEventListener(listen, "object:property-change:accessible-name")
    if len(told) < 2:
        fail(f"the time left was told {len(told)} times in {QUIET} s: {told}")
    if talk := said("", closed + back + 0.001):
        fail(f"Orca said '{talk[1]}' {talk[0]:.1f} s into the user's silence")


def message(hhmm, role):
    start = now()
    alarm = datetime.datetime.strptime(hhmm, "%H:%M")
    pathlib.Path(WORK, "faketime").write_text(f"@2026-06-01 {alarm - datetime.timedelta(seconds=2):%T}\n")
    win = window(f"votre message de {hhmm}:00", 10)
    shown = now()
    check(win, ROWS["message"] + [(role, win.name, {"desc": MESSAGE})])
    late = until(lambda: said(MESSAGE, start), 5, f"Orca did not say '{MESSAGE}'")[0] - (shown - start)
    print(f"Orca said the message {late:+.2f} s after its window showed")
    # Only a hang fails: how soon is the bench's to tell, on a machine busy with other tests.
    if late > 3:
        fail(f"Orca said the message {late:.2f} s after its window showed")
    press(win, "push button", "OK", lambda o: not fact(win, "showing"))


if __name__ == "__main__":
    step, *args = sys.argv[1:]
    {"countdown": countdown, "message": message}.get(step, lambda: check(window(step), ROWS[step]))(*args)
