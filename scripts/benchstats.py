#!/usr/bin/env python3
"""The figures of `make bench`, from the samples that scripts/bench.sh records.

  benchstats.py table SAMPLES     the results table (build/bench/results.md)
  benchstats.py latency MAPPED AT the firing latency of a message window mapped at MAPPED for an
                                  alarm at AT, both in ms on the real clock

SAMPLES holds one measure a line: its name, for most the program it is of (tintel or
baseline), then its values. The tick-phase lines are the observer's own output.
"""
import sys

PROGRAMS = ("tintel", "baseline")


def median(values):
    v = sorted(values)
    n = len(v)
    return v[n // 2] if n % 2 else (v[n // 2 - 1] + v[n // 2]) / 2


def one_decimal(x):
    return f"{x:.1f}"


def ratio(a, b):
    return f"{a / b:.2f}" if b > 0 else "n/a"


def met(value, limit):
    """Judged on the figure as printed, so that the table never contradicts itself."""
    return "yes" if value != "n/a" and float(value) <= limit else "**no**"


def latency(mapped_ms, alarm_ms):
    return one_decimal(mapped_ms - alarm_ms)


def per_hour(nanoseconds, seconds):
    return f"{nanoseconds / 1e9 * 3600 / seconds:.2f}"


def mib(kib):
    return one_decimal(kib / 1024)


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

    def phases(run, who):
        return " / ".join(s.ticks(run, who, f) for f in ("median", "p99", "max"))

    def wrong(run, who):
        return str(int(s.ticks(run, who, "held")) + int(s.ticks(run, who, "extra")))

    starts = {who: s.numbers("starts", who) for who in PROGRAMS}
    start = {who: one_decimal(median(starts[who])) for who in PROGRAMS}
    latencies = s.text("latencies").split()
    firing = one_decimal(median(float(v) for v in latencies))
    hwm = {who: s.number("hwm_kib", who) for who in PROGRAMS}
    cpu = {who: s.number("cpu_ns", who) for who in PROGRAMS}
    cpu_ticks = {who: s.text("cpu_ticks", who) for who in PROGRAMS}
    mem_ratio = ratio(hwm["tintel"], hwm["baseline"])
    cpu_ratio = ratio(cpu["tintel"], cpu["baseline"])
    start_ratio = ratio(float(start["tintel"]), float(start["baseline"]))
    wrong_idle = wrong("idle", "tintel")
    wrong_loaded = wrong("loaded", "tintel")
    smooth = (float(s.ticks("idle", "tintel", "p99")) <= 20
              and float(s.ticks("idle", "tintel", "max")) <= 50)
    raised = "yes" if s.ticks("idle", "tintel", "raised") == "1" else "no"
    rows = [
        ("Measure", "Tintel", "Baseline", "Target", "Met"),
        ("Tick phase idle, ms after the second: median / p99 / max", phases("idle", "tintel"),
         phases("idle", "baseline"), "p99 ≤ 20, max ≤ 50", "yes" if smooth else "**no**"),
        ("Tick phase loaded (2 busy loops), ms: median / p99 / max", phases("loaded", "tintel"),
         phases("loaded", "baseline"), "—", "—"),
        (f"Seconds skipped or doubled, idle (of {s.ticks('idle', 'tintel', 'seconds')})",
         wrong_idle, wrong("idle", "baseline"), "0", met(wrong_idle, 0)),
        (f"Seconds skipped or doubled, loaded (of {s.ticks('loaded', 'tintel', 'seconds')})",
         wrong_loaded, wrong("loaded", "baseline"), "0", met(wrong_loaded, 0)),
        (f"Firing latency, ms ({' '.join(latencies)}): median", firing, "—", "≤ 50",
         met(firing, 50)),
        ("Peak resident memory (VmHWM), MiB", mib(hwm["tintel"]), mib(hwm["baseline"]),
         "≤ 1.2×", f"{mem_ratio}× {met(mem_ratio, 1.2)}"),
        (f"CPU per hour of countdown, s (from {seconds} s idle)",
         per_hour(cpu["tintel"], float(seconds)), per_hour(cpu["baseline"], float(seconds)),
         "≤ 1.5×", f"{cpu_ratio}× {met(cpu_ratio, 1.5)}"),
        (f"Start-up to first window mapped, ms (median of {len(starts['tintel'])})",
         start["tintel"], start["baseline"], "≤ 1.3×", f"{start_ratio}× {met(start_ratio, 1.3)}"),
    ]
    lines = ["| " + " | ".join(row) + " |" for row in rows]
    lines.insert(1, "|---|---|---|---|---|")
    lines += [
        "",
        f"Measured {s.text('started')} on {s.text('cores')} cores, load average {s.text('load')}"
        f" at the start; tick runs of {seconds} s each, both programs at once; observer priority"
        f" raised: {raised}.",
        f"CPU time is the scheduler's, in nanoseconds, summed over the threads; the kernel's 10 ms"
        f" accounting ticks over the same {seconds} s say Tintel {cpu_ticks['tintel']}, baseline"
        f" {cpu_ticks['baseline']} (ratio"
        f" {ratio(float(cpu_ticks['tintel']), float(cpu_ticks['baseline']))}×), too coarse to"
        f" judge by.",
        f"Start-up runs, ms: Tintel {s.text('starts', 'tintel')};"
        f" baseline {s.text('starts', 'baseline')}.",
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
