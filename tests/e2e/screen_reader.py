"""What a screen reader finds on the accessibility bus: the window named by the first argument
checked against the table below, or the countdown or the alarm message driven as its user
drives them, with what Orca said read from its log. Controls are found by their accessible
names, as the user finds them."""
import datetime, os, re, sys, time
import pyatspi

MESSAGE = "Appeler le garage"
QUIET = 5  # seconds
SENTENCE = re.compile(r"Alarme à 10:00, il reste (\d+) heures? (\d+) minutes? (\d+) secondes?")
# Per window: role (a pattern), name, then what else must hold: description, the label that
# labels it, its text, and states (a leading ! for a state it must not have).
ROWS = {
    "Tintel": [("label", "TINTEL", {}),
               ("label", "Chargement des paramètres. Veuillez patienter...", {})],
    "Nouvelle alarme": [
        ("text", "Entrez l'heure:", {"desc": "heure de la nouvelle alarme", "by": "Entrez l'heure:"}),
        ("text", "Entrez le message à afficher:",
         {"desc": "Message de l'alarme", "by": "Entrez le message à afficher:"}),
        ("push button", "Activer l'alarme", {}), ("push button", "Quitter...", {})],
    "À propos de Tintel": [("label", "Tintel", {}), ("push button", "OK", {}),
                           ("label", "Pour vous rappeler un évenement de la journée...", {})],
    "Tintel journalière": [("push button", "Réduire la fenêtre", {}),
                           ("toggle button|check box", "Toujours au premier plan", {"states": {"checked"}}),
                           ("label", SENTENCE, {})],
    "Que voulez-vous faire?": [
        ("radio button", "Entrer une nouvelle alarme", {"states": {"checked"}}),
        ("radio button", "Conserver l'alarme éxistante", {"states": {"!checked"}}),
        ("radio button", "Quitter le programme", {"states": {"!checked"}}), ("push button", "Valider", {})],
    "message": [("text", "Message de l'alarme", {"text": MESSAGE, "states": {"!editable"}}),
                ("push button", "OK", {})],
    "TINTEL": [("push button", "Oui", {}), ("push button", "Non", {})],
}


def fail(why):
    sys.exit(f"FAIL: {why}")


def until(what, timeout, why):
    end = time.monotonic() + timeout
    while not (found := what()) and time.monotonic() < end:
        time.sleep(0.05)
    return found or fail(why)


def window(title, timeout=10):
    def showing():
        for app in pyatspi.Registry.getDesktop(0):
            if app and app.name == "tintel":
                app.setCacheMask(0)  # names and states read afresh: they change as the user waits
                return next((w for w in app if w and w.name == title and
                             w.getState().contains(pyatspi.STATE_SHOWING)), None)
    return until(showing, timeout, f"no window '{title}' on the accessibility bus")


def named(o, role, name):
    return o and re.fullmatch(role, o.getRoleName()) and (
        name.fullmatch(o.name) if isinstance(name, re.Pattern) else o.name == name)


def control(win, role, name):
    return win if named(win, role, name) else pyatspi.findDescendant(win, lambda o: named(o, role, name))


def check(win, rows):
    wrong = []
    for role, name, want in rows:
        o = control(win, role, name)
        if not o:
            wrong.append(f"no {role} named '{name}'")
            continue
        has = states(o)
        labels = [r.getTarget(i).name for r in o.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(r.getNTargets())]
        got = {"desc": o.description, "by": want.get("by") if want.get("by") in labels else labels,
               "text": o.queryText().getText(0, -1) if "text" in want else None}
        wrong += [f"{name}: {key} {got[key]!r}, not {value!r}" for key, value in want.items()
                  if key != "states" and got[key] != value]
        wrong += [f"{name}: {'has' if state[0] == '!' else 'lacks'} {state.strip('!')}"
                  for state in want.get("states", ()) if (state.strip("!") in has) == (state[0] == "!")]
    if wrong:
        seen = [f"{o.getRoleName()} '{o.name}'" for o in pyatspi.findAllDescendants(win, bool)]
        fail(f"'{win.name}': " + "; ".join(wrong) + "\n  the window holds: " + ", ".join(seen))
    return win


def press(win, role, name, expect=None):
    o = control(win, role, name) or fail(f"no {role} '{name}' in '{win.name}'")
    start = time.monotonic()
    o.queryAction().doAction(0)
    # Orca waits on the action: one that waits on a dialog it opens freezes the screen reader.
    if time.monotonic() - start > 1:
        fail(f"the action of '{name}' returned only when what it opened had closed")
    if expect:
        until(lambda: expect(o), 3, f"'{name}' pressed, nothing changed")


def clock(hms):
    with open(f"{os.environ['WORK']}/faketime", "w") as f:
        f.write(f"@2026-06-01 {hms}\n")


def now():
    t = datetime.datetime.now()
    return t.hour * 3600 + t.minute * 60 + t.second + t.microsecond / 1e6


def speech(since):
    """What Orca said from `since` on (seconds of the day), with when."""
    for line in open(f"{os.environ['WORK']}/orca.log", errors="replace"):
        if m := re.match(r"(\d\d):(\d\d):(\d\d\.\d+) - SPEECH OUTPUT: '(.*)", line):
            if (at := int(m[1]) * 3600 + int(m[2]) * 60 + float(m[3])) >= since:
                yield at, m[4]


def said(text, since):
    return next((at for at, line in speech(since) if text in line), None)


def states(o):
    return {pyatspi.stateToString(s) for s in o.getState().getStates()}


def countdown():
    win = check(window("Tintel journalière"), ROWS["Tintel journalière"])
    label = control(win, "label", SENTENCE)
    for hms, left in (("08:58:58", ("1", "1")), ("07:57:50", ("2", "2"))):
        clock(hms)
        until(lambda: (m := SENTENCE.fullmatch(label.name)) and m.groups()[:2] == left, 3,
              f"at {hms}: '{label.name}'")
        h, m, s = map(int, SENTENCE.fullmatch(label.name).groups())
        right = f"{h} heure{'s' * (h > 1)} {m} minute{'s' * (m > 1)} {s} seconde{'s' * (s > 1)}"
        if not label.name.endswith(right):
            fail(f"'{label.name}', not '... {right}'")
    for checked in (False, True):
        press(win, "toggle button|check box", "Toujours au premier plan",
              lambda o: ("checked" in states(o)) == checked)
    press(win, "label", SENTENCE)
    question = check(window("Que voulez-vous faire?", 5), ROWS["Que voulez-vous faire?"])
    press(question, "radio button", "Conserver l'alarme éxistante", lambda o: "checked" in states(o))
    closed = now()
    press(question, "push button", "Valider", lambda o: "showing" not in states(question))
    # Back on the countdown, Orca names the window and the control with the keyboard; then, while
    # the countdown ticks and the user does nothing, it says nothing.
    focus = until(lambda: pyatspi.findDescendant(win, lambda o: o and "focused" in states(o)), 3,
                  "no control of the countdown has the keyboard")
    back = until(lambda: said(focus.name, closed), 5, f"Orca did not say '{focus.name}' back on the countdown")
    time.sleep(max(0, back + QUIET - now()))
    talk = [line for at, line in speech(back + 0.001)]
    if talk:
        fail(f"Orca spoke while the countdown ticked: {talk}")


def message(hhmm, role):
    start = now()
    clock((datetime.datetime.strptime(hhmm, "%H:%M") - datetime.timedelta(seconds=2)).strftime("%H:%M:%S"))
    win = window(f"votre message de {hhmm}:00", 10)
    shown = now()
    check(win, ROWS["message"] + [(role, win.name, {"desc": MESSAGE})])
    at = until(lambda: said(MESSAGE, start), 5, f"Orca never said '{MESSAGE}'")
    print(f"Orca said the message {at - shown:+.2f} s after its window showed")
    if at - shown > 1:
        fail(f"Orca said the message {at - shown:.2f} s after its window showed")
    press(win, "push button", "OK", lambda o: "showing" not in states(win))


if __name__ == "__main__":
    step, *args = sys.argv[1:]
    {"countdown": countdown, "message": message}.get(step, lambda: check(window(step), ROWS[step]))(*args)
