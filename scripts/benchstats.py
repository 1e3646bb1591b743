#!/usr/bin/env python3
"""The figures of `make bench`, from the samples that scripts/bench.sh records.

  benchstats.py table SAMPLES     the results table (build/bench/results.md)
  benchstats.py latency MAPPED AT the firing latency of a message window mapped at MAPPED for an
                                  alarm at AT, both in ms on the real clock

SAMPLES holds one measure a line: its name, for most the program it is of (tintel, baseline: the
bare Qt clock, or floor: the bare xcb clock), then its values. The tick-phase lines are the
observer's own output; the context-switch lines list TID:VOLUNTARY:INVOLUNTARY for each thread;
the desktop_cpu_ns lines the CPU time of the program, of XWayland and of the compositor, for
each round in turn.
"""
import sys

PROGRAMS = ("tintel", "baseline", "floor")
HIDDEN = ("minimised", "covered")


def median(values):
    v = sorted(values)
    n = len(v)
    return v[n // 2] if n % 2 else (v[n // 2 - 1] + v[n // 2]) / 2


def one_decimal(x):
    return f"{x:.1f}"


def ratio(a, b):
    return f"{a / b:.2f}" if b > 0 else "n/a"


def is_number(text):
    try:
        float(text)
    except ValueError:
        return False
    return True


def met(value, limit):
    """Judged on the figure as printed, so that the table never contradicts itself."""
    return "yes" if is_number(value) and float(value) <= limit else "**no**"


def below(value, limit):
    return "yes" if is_number(value) and float(value) < limit else "**no**"


def latency(mapped_ms, alarm_ms):
    return one_decimal(mapped_ms - alarm_ms)


def per_hour(nanoseconds, seconds):
    return f"{nanoseconds / 1e9 * 3600 / seconds:.2f}"


def mib(kib):
    return one_decimal(kib / 1024)


def switches(text):
    """TID:VOLUNTARY:INVOLUNTARY fields, as {tid: both summed}."""
    counts = {}
    for field in text.split():
        tid, voluntary, involuntary = field.split(":")
        counts[tid] = int(voluntary) + int(involuntary)
    return counts


def wakeups(before, after, seconds):
    """Context switches per second over a run, and how many threads ended during it.

    A thread born during the run counts from zero; one that ended took its count with it, and
    /proc keeps no total for the threads of a live process that are gone."""
    total = sum(n - before.get(tid, 0) for tid, n in after.items())
    ended = sum(1 for tid in before if tid not in after)
    return f"{total / seconds:.2f}", ended


def ahead_of_window(latencies, beeps):
    """How long each beep came before its window was mapped, and the worst; "none" for a beep
    not heard, which fails the target."""
    ahead = [one_decimal(float(m) - float(b)) if is_number(b) else "none"
             for m, b in zip(latencies, beeps)]
    worst = one_decimal(max(float(v) for v in ahead)) if all(map(is_number, ahead)) else "none"
    return ahead, worst


def desktop_rounds(values):
    """The CPU times of the program, XWayland and the compositor, three a round."""
    return [values[i:i + 3] for i in range(0, len(values), 3)]


def median_round(rounds):
    """The round of the median total; of an even number, the lower of the middle two."""
    return sorted(rounds, key=sum)[(len(rounds) - 1) // 2]


class Samples:
    def __init__(self, lines):
        self.values = {}
        for line in lines:
            key, _, rest = line.strip().partition(" ")
            if not key:
                continue
            who, _, own = rest.partition(" ")
            if who in PROGRAMS:
                key, rest = (key, who), own
            self.values[key] = rest

    def text(self, key, who=None):
        return self.values[(key, who) if who else key]

    def has(self, key):
        return key in self.values

    def numbers(self, key, who=None):
        return [float(v) for v in self.text(key, who).split()]

    def number(self, key, who=None):
        return float(self.text(key, who))

    def ticks(self, run, who, field):
        """A field of the observer's line for one program in the idle or loaded run."""
        fields = dict(kv.split("=", 1) for kv in self.text(run, who).split())
        return fields[field]


def table(s):
    seconds = s.text("run_seconds")
    hidden_seconds = float(s.text("hidden_seconds"))

    def phases(run, who):
        return " / ".join(s.ticks(run, who, f) for f in ("median", "p99", "max"))

    def wrong(run, who):
        return str(int(s.ticks(run, who, "held")) + int(s.ticks(run, who, "extra")))

    def three(figure):
        return tuple(figure(who) for who in PROGRAMS)

    def within(run, limits):
        return "yes" if all(float(s.ticks(run, "tintel", f)) <= limit
                            for f, limit in limits) else "**no**"

    def wakeup(run, who, secs):
        return wakeups(switches(s.text("switches_before" + run, who)),
                       switches(s.text("switches_after" + run, who)), secs)

    starts = {who: s.numbers("starts", who) for who in PROGRAMS}
    start = {who: one_decimal(median(starts[who])) for who in PROGRAMS}
    latencies = s.text("latencies").split()
    firing = one_decimal(median(float(v) for v in latencies))
    bells = s.text("bells").split()
    bell_ahead, bell_worst = ahead_of_window(latencies, bells)
    # Without a sound server the desktop sound is left out, and the table says so.
    sounds = s.text("sounds").split() if s.has("sounds") else None
    if sounds:
        sound_ahead, sound_worst = ahead_of_window(latencies, sounds)
        sound_row = (f"Desktop sound ahead of the window mapped, ms ({' '.join(sound_ahead)}):"
                     " max", sound_worst, "—", "—", "≤ 15", met(sound_worst, 15))
    else:
        sound_row = ("Desktop sound ahead of the window mapped, ms", "not measured", "—", "—",
                     "≤ 15", "—")
    hwm = {who: s.number("hwm_kib", who) for who in PROGRAMS}
    cpu = {who: s.number("cpu_ns", who) for who in PROGRAMS}
    cpu_ticks = {who: s.text("cpu_ticks", who) for who in PROGRAMS}
    wake = {who: wakeup("", who, float(seconds)) for who in PROGRAMS}
    mem_ratio = ratio(hwm["tintel"], hwm["baseline"])
    cpu_ratio = ratio(cpu["tintel"], cpu["baseline"])
    start_ratio = ratio(float(start["tintel"]), float(start["baseline"]))
    shown_cpu = s.number("cpu_ns_shown", "tintel")
    hidden_wake = {run: wakeup("_" + run, "tintel", hidden_seconds)[0]
                   for run in ("shown",) + HIDDEN}
    wrong_idle = wrong("idle", "tintel")
    wrong_loaded = wrong("loaded", "tintel")
    raised = "yes" if s.ticks("idle", "tintel", "raised") == "1" else "no"
    shown = f"{hidden_seconds:g} s"
    rows = [
        ("Measure", "Tintel", "Bare Qt clock", "Floor", "Target", "Met"),
        ("Tick phase idle, ms after the second: median / p99 / max",
         *three(lambda who: phases("idle", who)), "median ≤ 2, p99 ≤ 5, max ≤ 10",
         within("idle", (("median", 2), ("p99", 5), ("max", 10)))),
        ("Tick phase loaded (2 busy loops), ms: median / p99 / max",
         *three(lambda who: phases("loaded", who)), "p99 ≤ 15", within("loaded", (("p99", 15),))),
        (f"Seconds skipped or doubled, idle (of {s.ticks('idle', 'tintel', 'seconds')})",
         *three(lambda who: wrong("idle", who)), "0", met(wrong_idle, 0)),
        (f"Seconds skipped or doubled, loaded (of {s.ticks('loaded', 'tintel', 'seconds')})",
         *three(lambda who: wrong("loaded", who)), "0", met(wrong_loaded, 0)),
        (f"Firing latency, ms ({' '.join(latencies)}): median", firing, "—", "—", "≤ 15",
         met(firing, 15)),
        *((f"Firing latency, countdown {run}, ms (one alarm)", s.text("latency_" + run), "—",
           "—", "≤ 15", met(s.text("latency_" + run), 15)) for run in HIDDEN),
        (f"X bell ahead of the window mapped, ms ({' '.join(bell_ahead)}): max", bell_worst, "—",
         "—", "≤ 15", met(bell_worst, 15)),
        sound_row,
        ("Peak resident memory (VmHWM), MiB", *three(lambda who: mib(hwm[who])), "≤ 1.1×",
         f"{mem_ratio}× {met(mem_ratio, 1.1)}"),
        (f"CPU per hour of countdown, s (from {seconds} s idle)",
         *three(lambda who: per_hour(cpu[who], float(seconds))), "≤ 1.0×",
         f"{cpu_ratio}× {met(cpu_ratio, 1.0)}"),
        (f"Start-up to first window mapped, ms (median of {len(starts['tintel'])})",
         *three(lambda who: start[who]), "≤ 1.1×", f"{start_ratio}× {met(start_ratio, 1.1)}"),
        (f"Wake-ups per second (context switches, all threads, {seconds} s idle)",
         *three(lambda who: wake[who][0]), "≤ bare Qt clock",
         met(wake["tintel"][0], float(wake["baseline"][0]))),
        (f"CPU per hour, countdown shown, s (from {shown} alone)",
         per_hour(shown_cpu, hidden_seconds), "—", "—", "—", "—"),
    ]
    for run in HIDDEN:
        hidden_cpu = s.number("cpu_ns_" + run, "tintel")
        hidden_ratio = ratio(hidden_cpu, shown_cpu)
        rows.append((f"CPU per hour, countdown {run}, s (from {shown} alone)",
                     per_hour(hidden_cpu, hidden_seconds), "—", "—", "< shown",
                     f"{hidden_ratio}× {below(hidden_ratio, 1.0)}"))
    desktop_seconds = float(s.text("desktop_seconds"))
    rounds = {who: desktop_rounds(s.numbers("desktop_cpu_ns", who)) for who in PROGRAMS}
    desktop = {who: median_round(rounds[who]) for who in PROGRAMS}
    desktop_total = {who: sum(desktop[who]) for who in PROGRAMS}
    round_totals = {who: ", ".join(per_hour(sum(r), desktop_seconds) for r in rounds[who])
                    for who in PROGRAMS}
    desktop_ratio = ratio(desktop_total["tintel"], desktop_total["baseline"])
    under = f"under {s.text('desktop')}, s ({desktop_seconds:g} s, median of {len(rounds['tintel'])} rounds)"
    for i, part in enumerate(("the program", "XWayland", "the compositor")):
        rows.append((f"CPU per hour of {part} {under}",
                     *three(lambda who: per_hour(desktop[who][i], desktop_seconds)), "—", "—"))
    rows.append((f"CPU per hour of the three {under}",
                 *three(lambda who: per_hour(desktop_total[who], desktop_seconds)), "≤ 1.0×",
                 f"{desktop_ratio}× {met(desktop_ratio, 1.0)}"))
    lines = ["| " + " | ".join(row) + " |" for row in rows]
    lines.insert(1, "|---|---|---|---|---|---|")
    lines += [
        "",
        f"Measured {s.text('started')} on {s.text('cores')} cores, load average {s.text('load')}"
        f" at the start; tick runs of {seconds} s each, the three programs at once; observer"
        f" priority raised: {raised}.",
        f"CPU time is the scheduler's, in nanoseconds, summed over the threads; the kernel's 10 ms"
        f" accounting ticks over the same {seconds} s say Tintel {cpu_ticks['tintel']}, bare Qt"
        f" clock {cpu_ticks['baseline']}, floor {cpu_ticks['floor']} (Tintel to bare Qt clock"
        f" {ratio(float(cpu_ticks['tintel']), float(cpu_ticks['baseline']))}×), too coarse to"
        f" judge by.",
        f"Wake-ups are the voluntary and involuntary context switches of /proc/PID/task/*/status;"
        f" a thread that ends during the run takes its count with it. Threads ended during the idle"
        f" run: Tintel {wake['tintel'][1]}, bare Qt clock {wake['baseline'][1]}, floor"
        f" {wake['floor'][1]}.",
        f"Tintel alone with its countdown shown, minimised (xdotool windowminimize) and covered (by"
        f" an override-redirect window), {shown} each: wake-ups per second"
        f" {hidden_wake['shown']}, {hidden_wake['minimised']}, {hidden_wake['covered']}.",
        "The X bell is timed as the X server reports it (XkbBellNotify), the desktop sound as the"
        " private sound server creates its stream (pactl subscribe), both on the real clock;"
        f" after the alarm instant, ms: X bell {' '.join(bells)}; desktop sound"
        f" {' '.join(sounds) if sounds else 'not measured (no sound server)'}.",
        f"Under {s.text('desktop')}: GNOME's compositor headless on Wayland, the programs on"
        f" XWayland, each alone with its clock shown for {desktop_seconds:g} s in each of"
        f" {len(rounds['tintel'])} rounds; CPU time as above, of the program, of XWayland and of"
        f" the compositor, from each program's round of the median total (of an even number, the"
        f" lower of the middle two). Totals of the rounds, s"
        f" an hour: Tintel {round_totals['tintel']}; bare Qt clock {round_totals['baseline']};"
        f" floor {round_totals['floor']}.",
        f"Start-up runs, ms: Tintel {s.text('starts', 'tintel')};"
        f" bare Qt clock {s.text('starts', 'baseline')}; floor {s.text('starts', 'floor')}.",
    ]
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) == 3 and argv[1] == "table":
        with open(argv[2], encoding="utf-8") as f:
            sys.stdout.write(table(Samples(f)))
    elif len(argv) == 4 and argv[1] == "latency":
        print(latency(float(argv[2]), float(argv[3])))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
