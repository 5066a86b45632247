"""Two builds of one program side by side in one run. The samples come from
both builds running at once, taken in turns so that whatever else loads the
machine falls on both alike: one of each, every pair in the other order from
the one before (baseline, this build, this build, baseline, ...), so that
neither always follows the other's leftover work. Each figure is one line,
baseline | this build | change %, judged against one target: no figure worse
by more than 10 %."""

LIMIT = 10.0  # per cent worse at most
BUILDS = ("baseline", "this build")


def turn(i):
    """The order of the builds in the i-th pair of samples."""
    return BUILDS if i % 2 == 0 else BUILDS[::-1]


def p99(values):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, len(ordered) * 99 // 100)]


class Row:
    """One judged figure: the samples `key` from the measurement `taker`, made
    one number by `summary`; `higher_is_better` for rates."""

    def __init__(self, name, taker, key, summary, unit, higher_is_better=False):
        self.name, self.taker, self.key, self.summary = name, taker, key, summary
        self.unit, self.higher_is_better = unit, higher_is_better


def change_percent(baseline, this):
    return (this - baseline) / baseline * 100.0


def worse(row, change):
    return -change > LIMIT if row.higher_is_better else change > LIMIT


def report(rows, samples, skipped, names):
    """samples: {build: {key: [values]}}; skipped: {taker: why not taken}.
    Prints the table; returns how many figures failed the target."""
    width = max(len(r.name) for r in rows)
    print("%-*s  %14s | %14s | %8s" % (width, "", names[0][:14], names[1][:14], "change"))
    failed = 0
    for row in rows:
        values = [samples[build].get(row.key) for build in BUILDS]
        if not all(values):
            print("%-*s  not taken: %s" % (width, row.name, skipped.get(row.taker, "no samples")))
            continue
        baseline, this = (row.summary(v) for v in values)
        change = change_percent(baseline, this)
        verdict = "FAIL" if worse(row, change) else "PASS"
        failed += verdict == "FAIL"
        number = "%11.0f %-2s" if row.higher_is_better else "%11.3f %-2s"
        print(("%-*s  " + number + " | " + number + " | %+7.1f %%  %s")
              % (width, row.name, baseline, row.unit, this, row.unit, change, verdict))
    print("target: no figure worse than the baseline by more than %.0f %%: %s"
          % (LIMIT, "met" if not failed else "NOT met (%d)" % failed))
    return failed
