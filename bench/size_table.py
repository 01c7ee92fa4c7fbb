#!/usr/bin/python3
"""The size sweep of spritedemo-bench as a Markdown table and an SVG plot.

Reads the benchmark's JSON output (--benchmark_format=json or
--benchmark_out=FILE --benchmark_out_format=json), takes the median of
repeated runs when there are several (the plain run otherwise), and writes:

  - to standard output, as Markdown: nanoseconds a draw at every size for
    each routine on the set the demo picks, each peer and each limit; each
    routine on every set; the real art; the ratios the targets of
    docs/PERFORMANCE.md are stated in; and how each target fares;
  - with --svg FILE: nanoseconds a draw against sprite size (square sprites,
    both axes logarithmic), one line per routine on the chosen set, per peer
    and per limit;
  - the bunnymark: bunnies at 60 fps (bunnies_at_60fps) of each set and
    peer, the bunny counts as columns, and how far ahead of each peer the
    chosen set is.

Usage:
    bench/size_table.py RESULTS.json [--svg docs/sizes.svg]
"""

import argparse
import json
import math
import re
import sys

PEERS = ["sdl2_keyed", "sdl2_alpha", "pixman_over"]
LIMITS = ["rowcopy", "traffic"]


def load(path, counter="ns_per_draw"):
    """({benchmark name: counter} in the order the benchmark registers its
    rows, the chosen set's name or None), medians when the run was repeated."""
    with open(path) as f:
        document = json.load(f)
    # Interleaved repetitions come in any order; the family is the row's place.
    runs = sorted(document["benchmarks"], key=lambda run: run.get("family_index", 0))
    chosen = document.get("context", {}).get("chosen_set")
    medians, plain, order = {}, {}, []
    for run in runs:
        name = re.sub(r"/iterations:\d+$", "", run.get("run_name", run["name"]))
        value = run.get(counter)
        if value is None:
            continue
        if name not in order:
            order.append(name)
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                medians[name] = value
        else:
            plain.setdefault(name, []).append(value)
    for name, values in plain.items():
        if name not in medians:
            values.sort()
            medians[name] = values[len(values) // 2]
    return {name: medians[name] for name in order}, chosen


def size_rows(results, part):
    """Each routine, set or size (part 0, 1 or 2 of `Size/<routine>/<set>/<size>`)
    the run's rows name, once, in the benchmark's order."""
    seen = []
    for name in results:
        fields = name.split("/")
        if len(fields) == 4 and fields[0] == "Size" and fields[1 + part] not in seen:
            seen.append(fields[1 + part])
    return seen


class Run:
    """A run's ns a draw by row name, its chosen set, and the routines, sets
    (the benchmark lists them narrowest first; chosen last) and sizes it
    measured."""

    def __init__(self, results, chosen):
        self.results = results
        self.chosen = chosen
        self.routines = size_rows(results, 0)
        self.sets = [isa for isa in size_rows(results, 1) if isa != "chosen"] + ["chosen"]
        self.sizes = size_rows(results, 2)


def pixels(size):
    w, _, h = size.partition("x")
    return int(w) * int(h or w)


def fmt(ns):
    if ns is None:
        return "—"
    return f"{ns:,.0f}" if ns >= 100 else f"{ns:.1f}"


def table(run):
    out = []
    results = run.results
    columns = ([f"`{r}`" for r in run.routines] + [f"`{p}`" for p in PEERS]
               + [f"`{lim}`" for lim in LIMITS])
    out.append("ns a draw (median); routines on the chosen set:\n")
    out.append("| size | " + " | ".join(columns) + " |")
    out.append("|---|" + "---:|" * len(columns))
    for size in run.sizes:
        cells = [results.get(f"Size/{r}/chosen/{size}") for r in run.routines]
        cells += [results.get(f"Peer/{p}/{size}") for p in PEERS]
        cells += [results.get(f"Limit/{lim}/{size}") for lim in LIMITS]
        out.append(f"| {size} | " + " | ".join(fmt(c) for c in cells) + " |")
    return out


def per_set(run):
    out = []
    for r in run.routines:
        out += ["", f"`Size/{r}/<set>/<size>`, ns a draw:\n",
                "| size | " + " | ".join(f"`{isa}`" for isa in run.sets) + " |",
                "|---|" + "---:|" * len(run.sets)]
        for size in run.sizes:
            cells = [run.results.get(f"Size/{r}/{isa}/{size}") for isa in run.sets]
            out.append(f"| {size} | " + " | ".join(fmt(c) for c in cells) + " |")
    return out


def real(run):
    results, sets = run.results, run.sets
    arts = sorted({name.rsplit("/", 1)[1] for name in results if name.startswith("Real/")})
    if not arts:
        return []
    out = ["", "Real art (`Real/<routine>/<set>/<art>`), ns a draw:\n",
           "| routine | art | " + " | ".join(f"`{isa}`" for isa in sets) + " |",
           "|---|---|" + "---:|" * len(sets)]
    for r in run.routines:
        for art in arts:
            cells = [results.get(f"Real/{r}/{isa}/{art}") for isa in sets]
            out.append(f"| {r} | {art} | " + " | ".join(fmt(c) for c in cells) + " |")
    others = ["Peer/sdl2_rle", "Peer/sdl2_alpha", "Peer/pixman_over", "Limit/traffic", "Limit/rowcopy"]
    out += ["", "| art | " + " | ".join(f"`{o}`" for o in others) + " | time of `alpha/chosen` over `sdl2_rle` |",
            "|---|" + "---:|" * (len(others) + 1)]
    for art in arts:
        cells = [results.get(f"{o}/real/{art}") for o in others]
        r = ratio(results.get(f"Real/alpha/chosen/{art}"), results.get(f"Peer/sdl2_rle/real/{art}"))
        out.append(f"| {art} | " + " | ".join(fmt(c) for c in cells)
                   + f" | {'—' if r is None else f'{r:.2f}×'} |")
    return out


def ratio(a, b):
    return None if a is None or b is None or b == 0 else a / b


def ratios(run):
    """Each entry: size -> {column: time ratio}; under 1 means ours is faster."""
    out = ["", "Time ratios (ours / theirs: under 1.00 is faster):\n"]
    heads = ["alpha / sdl2_alpha", "alpha / pixman_over", "keyed / sdl2_keyed",
             "keyed / rowcopy", "alpha / traffic"]
    heads += [f"{r} chosen / fastest set" for r in run.routines]
    out.append("| size | " + " | ".join(heads) + " |")
    out.append("|---|" + "---:|" * len(heads))
    results, sets = run.results, run.sets
    for size in run.sizes:
        g = lambda name: results.get(name)
        cells = [ratio(g(f"Size/alpha/chosen/{size}"), g(f"Peer/sdl2_alpha/{size}")),
                 ratio(g(f"Size/alpha/chosen/{size}"), g(f"Peer/pixman_over/{size}")),
                 ratio(g(f"Size/keyed/chosen/{size}"), g(f"Peer/sdl2_keyed/{size}")),
                 ratio(g(f"Size/keyed/chosen/{size}"), g(f"Limit/rowcopy/{size}")),
                 ratio(g(f"Size/alpha/chosen/{size}"), g(f"Limit/traffic/{size}"))]
        for r in run.routines:
            cells.append(ratio(g(f"Size/{r}/chosen/{size}"), fastest(results, sets, r, size)[1]))
        out.append(f"| {size} | " + " | ".join("—" if c is None else f"{c:.2f}" for c in cells) + " |")
    return out


def fastest(results, sets, routine, size):
    """(set, ns) of the fastest forced set for routine at size."""
    best = None
    for isa in sets:
        if isa == "chosen":
            continue
        ns = results.get(f"Size/{routine}/{isa}/{size}")
        if ns is not None and (best is None or ns < best[1]):
            best = (isa, ns)
    return best or (None, None)


def targets(run):
    """How each target fares: (target, what was measured, met)."""
    rows = []
    results, sets, chosen = run.results, run.sets, run.chosen
    g = results.get

    def judge(pairs, limit):
        # pairs: (where, time ratio); met when no ratio is over limit
        pairs = [(where, r) for where, r in pairs if r is not None]
        if not pairs:
            return "not measured", False
        over = [f"{where}: {r:.2f}×" for where, r in pairs if r > limit]
        if over:
            return "over at " + "; ".join(over), False
        where, r = max(pairs, key=lambda p: p[1])
        return f"worst {r:.2f}× ({where})", True

    for ours, theirs in [("alpha", "sdl2_alpha"), ("alpha", "pixman_over"), ("keyed", "sdl2_keyed")]:
        text, met = judge([(s, ratio(g(f"Size/{ours}/chosen/{s}"), g(f"Peer/{theirs}/{s}"))) for s in run.sizes],
                          1.0)
        rows.append((f"`Size/{ours}/chosen` ahead of `Peer/{theirs}` at every size", text, met))
    text, met = judge([("1", ratio(g("Size/keyed/chosen/1"), g("Limit/rowcopy/1")))], 1.5)
    rows.append(("`Size/keyed/chosen/1` within 1.5× of `Limit/rowcopy/1`", text, met))
    def against_fastest(routine, isa):
        pairs = []
        for s in run.sizes:
            fastest_isa, ns = fastest(results, sets, routine, s)
            pairs.append((f"{s} ({fastest_isa} fastest)", ratio(g(f"Size/{routine}/{isa}/{s}"), ns)))
        return judge(pairs, 1.05)

    for r in run.routines:
        text, met = against_fastest(r, "chosen")
        rows.append((f"`Size/{r}/chosen` within 5% of the fastest set at every size", text, met))
        if chosen in sets:
            # The chosen set's own row runs the same code: its misses are not noise.
            text, met = against_fastest(r, chosen)
            rows.append((f"… the same for `Size/{r}/{chosen}` (the chosen set forced)", text, met))
    text, met = judge([("girl", ratio(g("Real/alpha/chosen/girl"), g("Peer/sdl2_rle/real/girl")))], 0.5)
    rows.append(("`Real/alpha/chosen/girl` in at most half the time of `Peer/sdl2_rle/real/girl`", text, met))
    pairs = [(art, ratio(g(f"Real/alpha/chosen/{art}"), g(f"Real/alpha/chosen/{art}-unplanned")))
             for art in ("girl", "girl4x")]
    text, met = judge(pairs, 1 / 1.5)
    rows.append(("`Real/alpha/chosen` by the span plan at least 1.5× faster than without (`-unplanned`)",
                 text, met))
    text, met = judge([("128x64", ratio(g("Size/keyed/chosen/128x64"), g("Limit/rowcopy/128x64")))], 1.1)
    rows.append(("`Size/keyed/chosen/128x64` within 1.1× of `Limit/rowcopy/128x64`", text, met))
    out = ["", "| target | measured (time ratio) | |", "|---|---|---|"]
    for target, text, met in rows:
        out.append(f"| {target} | {text} | {'met' if met else 'missed'} |")
    return out


def bunnymark(bunnies):
    """The Bunnymark/<set>/<N> and Peer/<peer>_bunnymark/<N> rows as a table
    of bunnies at 60 fps, and the chosen set's lead over each peer."""
    counts, sets, peers = [], [], []
    for name in bunnies:
        fields = name.split("/")
        if len(fields) != 3 or not (fields[0] == "Bunnymark" or fields[1].endswith("_bunnymark")):
            continue
        kind = sets if fields[0] == "Bunnymark" else peers
        if fields[1] not in kind:
            kind.append(fields[1])
        if fields[2] not in counts:
            counts.append(fields[2])
    if not counts:
        return []
    rows = [(f"`{isa}`", f"Bunnymark/{isa}") for isa in sets]
    rows += [(f"`{peer}`", f"Peer/{peer}") for peer in peers]
    out = ["", "Bunnies at 60 fps (`bunnies_at_60fps`: bunnies x 16.67 ms / the frame's time), "
           "by the bunnies in the frame:\n",
           "| | " + " | ".join(f"{int(n):,}" for n in counts) + " |",
           "|---|" + "---:|" * len(counts)]
    for label, prefix in rows:
        cells = [bunnies.get(f"{prefix}/{n}") for n in counts]
        out.append(f"| {label} | " + " | ".join("—" if c is None else f"{c:,.0f}" for c in cells) + " |")
    for peer in peers:
        cells = [ratio(bunnies.get(f"Bunnymark/chosen/{n}"), bunnies.get(f"Peer/{peer}/{n}")) for n in counts]
        out.append(f"| `chosen` over `{peer}` | " + " | ".join("—" if c is None else f"{c:.1f}×" for c in cells)
                   + " |")
    return out


# ---------------------------------------------------------------- the plot

ROUTINE_COLOURS = ["#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#e377c2", "#bcbd22"]


def series(run):
    """(row pattern, label, colour, dashes) of each line of the plot."""
    return ([(f"Size/{r}/chosen/{{}}", f"{r} (chosen)", ROUTINE_COLOURS[k % len(ROUTINE_COLOURS)], "")
             for k, r in enumerate(run.routines)]
            + [(f"Peer/{p}/{{}}", p, c, "6,3")
               for p, c in zip(PEERS, ["#17becf", "#ff7f0e", "#8c564b"])]
            + [(f"Limit/{lim}/{{}}", f"limit: {lim}", c, "2,3")
               for lim, c in zip(LIMITS, ["#555555", "#aaaaaa"])])


def svg(run):
    results = run.results
    lines = series(run)
    square = [s for s in run.sizes if "x" not in s]
    width, height = 760, 480
    left, right, top, bottom = 70, 190, 20, 50
    plot_w, plot_h = width - left - right, height - top - bottom
    values = [results.get(pattern.format(s)) for pattern, *_ in lines for s in square]
    values = [v for v in values if v]
    y_lo = 10 ** math.floor(math.log10(min(values)))
    y_hi = 10 ** math.ceil(math.log10(max(values)))
    x_lo, x_hi = math.log2(int(square[0])), math.log2(int(square[-1]))

    def px(n):
        return left + (math.log2(n) - x_lo) / (x_hi - x_lo) * plot_w

    def py(ns):
        return top + (1 - (math.log10(ns) - math.log10(y_lo)) / (math.log10(y_hi) - math.log10(y_lo))) * plot_h

    o = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
         f'viewBox="0 0 {width} {height}" font-family="sans-serif" font-size="12">',
         f'<rect width="{width}" height="{height}" fill="white"/>']
    decade = y_lo
    while decade <= y_hi * 1.001:
        y = py(decade)
        o.append(f'<line x1="{left}" y1="{y:.1f}" x2="{left + plot_w}" y2="{y:.1f}" stroke="#ddd"/>')
        label = f"{decade:,.0f}" if decade >= 1 else f"{decade:g}"
        o.append(f'<text x="{left - 6}" y="{y + 4:.1f}" text-anchor="end">{label}</text>')
        decade *= 10
    for s in square:
        x = px(int(s))
        o.append(f'<line x1="{x:.1f}" y1="{top}" x2="{x:.1f}" y2="{top + plot_h}" stroke="#eee"/>')
        o.append(f'<text x="{x:.1f}" y="{top + plot_h + 16}" text-anchor="middle">{s}×{s}</text>')
    o.append(f'<rect x="{left}" y="{top}" width="{plot_w}" height="{plot_h}" fill="none" stroke="#888"/>')
    o.append(f'<text x="{left + plot_w / 2}" y="{height - 10}" text-anchor="middle">sprite size: n×n pixels (log scale)</text>')
    o.append(f'<text transform="translate(16 {top + plot_h / 2}) rotate(-90)" text-anchor="middle">'
             'ns a draw (median, log scale)</text>')
    for k, (pattern, label, colour, dash) in enumerate(lines):
        points = [(px(int(s)), py(results[pattern.format(s)])) for s in square
                  if results.get(pattern.format(s))]
        if not points:
            continue
        dashes = f' stroke-dasharray="{dash}"' if dash else ""
        path = " ".join(f"{x:.1f},{y:.1f}" for x, y in points)
        o.append(f'<polyline points="{path}" fill="none" stroke="{colour}" stroke-width="2"{dashes}/>')
        for x, y in points:
            o.append(f'<circle cx="{x:.1f}" cy="{y:.1f}" r="2.5" fill="{colour}"/>')
        ly = top + 10 + 20 * k
        lx = left + plot_w + 14
        o.append(f'<line x1="{lx}" y1="{ly}" x2="{lx + 28}" y2="{ly}" stroke="{colour}" '
                 f'stroke-width="2"{dashes}/>')
        o.append(f'<text x="{lx + 34}" y="{ly + 4}">{label}</text>')
    o.append("</svg>")
    return "\n".join(o) + "\n"


def main(argv):
    ap = argparse.ArgumentParser(description="Size table and plot from spritedemo-bench JSON.")
    ap.add_argument("results", help="the benchmark's JSON output")
    ap.add_argument("--svg", help="write the plot here")
    args = ap.parse_args(argv)
    try:
        results, chosen = load(args.results)
        bunnies, _ = load(args.results, "bunnies_at_60fps")
    except (OSError, ValueError, KeyError) as error:
        print(f"size_table.py: cannot read {args.results}: {error}", file=sys.stderr)
        return 1
    sized = any(name.startswith("Size/") for name in results)
    if not sized and not bunnies:
        print(f"size_table.py: {args.results} has no Size/ rows with ns_per_draw and no bunnymark rows",
              file=sys.stderr)
        return 1
    out = []
    if sized:
        run = Run(results, chosen)
        out = table(run) + per_set(run) + real(run) + ratios(run) + targets(run)
    print("\n".join(out + bunnymark(bunnies)))
    if args.svg and sized:
        with open(args.svg, "w") as f:
            f.write(svg(run))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
