#!/usr/bin/env bash
# Runs the card detector over a folder of real photos with hand-marked corners and prints, per
# category and overall: how often a card was reported, how often it is the card (located: every
# corner within 5 % of the card's long edge; within 1 %), cards reported where the card runs off
# the picture, and the detection time per photo. With --scales, every photo whose card is
# located is also detected again scaled, cropped, turned, mirrored, darkened and re-saved as
# JPEG, and each answer mapped back must match the full-size one to 0.5 % of the long edge.
# With --cuts, every photo whose card is whole is also cropped so that the picture's border
# cuts through the card (from each side, 12 % and 30 % of the card left outside), and no card
# may be reported on those crops: it shows what the detector takes when the card is not whole.
# With --away, every photo is also cropped to the parts beside its card (left of it, right of
# it, above and below, the card left out), and no card may be reported there either: it shows
# what in the table, the clutter and the hand passes for a card. With --turns, every photo whose
# card is located is also turned by 20 degrees one way and 35 the other (mirrel-scene turn), and
# the answers mapped back must match as with --scales.
#
#   scripts/eval-real.sh [DIR] [--scales] [--turns] [--cuts] [--away] [--min-located N]
#                        [--min-within N] [--max-partial N] [--min-invariant N]
#                        [--min-turn-invariant N] [--max-cut-reports N]
#                        [--max-away-reports N] [--json FILE]
#
# DIR holds images/<name>.jpg and gt/<name>.json (see the README); by default ../shared/realcards
# beside the checkout. The --min/--max options make the exit status non-zero when the detector
# falls below a level (CI uses them so that a change cannot quietly lose real photos).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"
export MIRREL_EVAL_ROOT="$root" MIRREL_EVAL_BUILD="$build"
exec python3 - "$@" <<'PYTHON'
import json, math, os, shutil, statistics, subprocess, sys, tempfile
from concurrent.futures import ThreadPoolExecutor

root = os.environ["MIRREL_EVAL_ROOT"]
build = os.environ["MIRREL_EVAL_BUILD"]
measure = os.path.join(build, "cli", "mirrel-measure")
scene_tool = os.path.join(build, "tools", "mirrel-scene")

def usage(message):
    sys.exit("eval-real: " + message + "\nusage: scripts/eval-real.sh [DIR] [--scales] [--turns] "
             "[--cuts] [--away] [--min-located N] [--min-within N] [--max-partial N] "
             "[--min-invariant N] [--min-turn-invariant N] [--max-cut-reports N] "
             "[--max-away-reports N] [--json FILE]")

args = sys.argv[1:]
folder = None
scales = False
turns = False
cuts = False
away = False
limits = {}
json_out = None
while args:
    a = args.pop(0)
    if a == "--scales":
        scales = True
    elif a == "--turns":
        turns = True
    elif a == "--cuts":
        cuts = True
    elif a == "--away":
        away = True
    elif a in ("--min-located", "--min-within", "--max-partial", "--min-invariant",
               "--min-turn-invariant", "--max-cut-reports", "--max-away-reports"):
        if not args or not args[0].isdigit():
            usage(a + " needs a whole number")
        limits[a] = int(args.pop(0))
    elif a == "--json":
        if not args:
            usage("--json needs a file")
        json_out = args.pop(0)
    elif a.startswith("-"):
        usage("unknown option " + a)
    elif folder is None:
        folder = a
    else:
        usage("one folder only")
if folder is None:
    folder = os.path.join(os.path.dirname(root), "shared", "realcards")
if not os.path.isdir(os.path.join(folder, "gt")):
    usage("no gt/ folder in " + folder)
if not os.access(measure, os.X_OK):
    usage(measure + " is not built (scripts/build.sh)")

def detect(path):
    run = subprocess.run([measure, "detect", path], capture_output=True, text=True)
    if run.returncode != 0 and not run.stdout.strip():
        sys.exit("eval-real: mirrel-measure failed on %s: %s" % (path, run.stderr.strip()))
    return json.loads(run.stdout)

def dist(p, q):
    return math.hypot(p[0] - q[0], p[1] - q[1])

def long_edge(quad):
    return max(dist(quad[i], quad[(i + 1) % 4]) for i in range(4))

def worst_corner(found, truth):
    """Largest corner distance, whichever corner the answer starts from and whichever way it
    runs (a mirrored picture reverses the order)."""
    best = math.inf
    for direction in (1, -1):
        for shift in range(4):
            worst = max(dist(found[(shift + direction * i) % 4], truth[i]) for i in range(4))
            best = min(best, worst)
    return best

def fmt_quad(q):
    return " ".join("(%.0f,%.0f)" % (p[0], p[1]) for p in q)

photos = []
for name in sorted(os.listdir(os.path.join(folder, "gt"))):
    if not name.endswith(".json"):
        continue
    stem = name[:-5]
    with open(os.path.join(folder, "gt", name)) as f:
        truth = json.load(f)
    image = None
    for ext in (".jpg", ".jpeg", ".png"):
        candidate = os.path.join(folder, "images", stem + ext)
        if os.path.exists(candidate):
            image = candidate
            break
    if image is None:
        usage("no image for " + name)
    photos.append((stem, image, truth))

order = ["table", "keyboard", "hand", "clutter", "edge", "partial"]
rows = {}
results = []
for stem, image, truth in photos:
    answer = detect(image)
    category = truth.get("category", "?")
    card = truth.get("card")
    found = answer.get("card")
    r = {"name": stem, "image": image, "category": category, "truth": card, "found": found,
         "outside": truth.get("meta", {}).get("card_outside_picture"),
         "ms": answer.get("milliseconds", 0.0)}
    if card is not None and found is not None:
        r["error"] = worst_corner(found, card) / long_edge(card)
    results.append(r)
    if category not in order:
        order.append(category)

def summary(rs):
    whole = [r for r in rs if r["truth"] is not None]
    partial = [r for r in rs if r["truth"] is None]
    times = [r["ms"] for r in rs]
    return {
        "photos": len(rs),
        "whole": len(whole),
        "found": sum(r["found"] is not None for r in whole),
        "located": sum(r.get("error", math.inf) <= 0.05 for r in whole),
        "within1": sum(r.get("error", math.inf) <= 0.01 for r in whole),
        "partial": len(partial),
        "partialReported": sum(r["found"] is not None for r in partial),
        "medianMs": statistics.median(times) if times else 0.0,
        "maxMs": max(times) if times else 0.0,
    }

def pct(a, b):
    return "%5.1f %%" % (100.0 * a / b) if b else "    -  "

print("%-10s %6s %7s %8s %10s %9s %9s %9s" % ("category", "photos", "found", "located",
                                              "within 1%", "partial", "median ms", "max ms"))
table = {}
for category in order:
    rs = [r for r in results if r["category"] == category]
    if not rs:
        continue
    s = summary(rs)
    table[category] = s
    partial = "%d/%d" % (s["partialReported"], s["partial"]) if s["partial"] else "-"
    whole = lambda k: "%d/%d" % (s[k], s["whole"]) if s["whole"] else "-"
    print("%-10s %6d %7s %8s %10s %9s %9.1f %9.1f" % (category, s["photos"], whole("found"),
          whole("located"), whole("within1"), partial, s["medianMs"], s["maxMs"]))
total = summary(results)
table["all"] = total
print("%-10s %6d %7s %8s %10s %9s %9.1f %9.1f" % ("all", total["photos"],
      "%d/%d" % (total["found"], total["whole"]), "%d/%d" % (total["located"], total["whole"]),
      "%d/%d" % (total["within1"], total["whole"]),
      "%d/%d" % (total["partialReported"], total["partial"]), total["medianMs"], total["maxMs"]))
print("located %s, within 1 %% %s of the %d photos whose card is whole; a card reported on %d of "
      "%d photos whose card runs off the picture" % (pct(total["located"], total["whole"]).strip(),
      pct(total["within1"], total["whole"]).strip(), total["whole"], total["partialReported"],
      total["partial"]))
slowest = max(results, key=lambda r: r["ms"])
print("slowest: %s, %.1f ms" % (slowest["name"], slowest["ms"]))

misses = []
for r in results:
    if r["truth"] is None:
        if r["found"] is not None:
            misses.append("  %s (partial): reported %s" % (r["name"], fmt_quad(r["found"])))
    elif r["found"] is None:
        misses.append("  %s (%s): no card" % (r["name"], r["category"]))
    elif r["error"] > 0.05:
        misses.append("  %s (%s): took %s, %.0f %% of the long edge off" % (
            r["name"], r["category"], fmt_quad(r["found"]), 100 * r["error"]))
    elif r["error"] > 0.01:
        misses.append("  %s (%s): located, a corner %.1f %% off" % (
            r["name"], r["category"], 100 * r["error"]))
if misses:
    print("not located within 1 %:")
    print("\n".join(misses))

def make_variants(command, r, card, out):
    """Writes the photo's variants (mirrel-scene vary or cut, around card) into out; returns
    their list from variants.json."""
    around = ",".join("%.3f" % v for p in card for v in p)
    run = subprocess.run([scene_tool, command, r["image"], out, "--around", around],
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit("eval-real: mirrel-scene %s failed on %s: %s" % (
            command, r["name"], run.stderr.strip()))
    with open(os.path.join(out, "variants.json")) as f:
        return json.load(f)["variants"]

def detect_variants(command, r, card, work):
    """The photo's variants around card, made in a folder of work, each with the detector's
    answer on it: (variant, answer) pairs in the order of variants.json."""
    out = os.path.join(work, r["name"])
    variants = make_variants(command, r, card, out)
    answers = [(v, detect(os.path.join(out, v["file"]))) for v in variants]
    shutil.rmtree(out, ignore_errors=True)
    return answers

def in_parallel(job, items):
    """job over items, one detector process per core at a time, the answers in items' order.
    Only the variants run side by side: the photos' own detections above are timed, and run
    one at a time."""
    with ThreadPoolExecutor(max_workers=max(1, os.cpu_count() or 1)) as pool:
        return list(pool.map(job, items))

def invariance_check(command, heading):
    """Every photo whose card is located, changed by mirrel-scene COMMAND: the answer on each
    variant, mapped back, must match the full-size one to 0.5 % of the long edge. Prints the
    count per variant and the changed answers, and returns the counts."""
    if not os.access(scene_tool, os.X_OK):
        usage(scene_tool + " is not built (scripts/build.sh)")
    work = tempfile.mkdtemp(prefix="mirrel-eval-")
    counts = {}
    failures = []
    located = [r for r in results if r.get("error", math.inf) <= 0.05]
    checked = len(located)
    try:
        answered = in_parallel(lambda r: detect_variants(command, r, r["found"], work), located)
        for r, answers in zip(located, answered):
            found = r["found"]
            edge = long_edge(found)
            for v, answer in answers:
                c = counts.setdefault(v["name"], [0, 0])
                c[1] += 1
                card = answer.get("card")
                if card is None:
                    failures.append("  %s %s: no card" % (r["name"], v["name"]))
                    continue
                m = v["toOriginal"]
                back = [[m[0] * x + m[1] * y + m[2], m[3] * x + m[4] * y + m[5]] for x, y in card]
                error = worst_corner(back, found) / edge
                if error <= 0.005:
                    c[0] += 1
                else:
                    failures.append("  %s %s: %.2f %% of the long edge off, %s" % (
                        r["name"], v["name"], 100 * error, fmt_quad(back)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(heading % checked)
    for name, (ok, n) in counts.items():
        print("  %-12s %d/%d" % (name, ok, n))
    invariant = checked - len({f.split()[0] for f in failures})
    print("photos with the same answer under every change: %d/%d" % (invariant, checked))
    if failures:
        print("changed answers:")
        print("\n".join(failures))
    return {"checked": checked, "invariant": invariant,
            "variants": {k: {"same": v[0], "of": v[1]} for k, v in counts.items()}}

# Invariance: the same card, mapped back, whatever is done to the picture.
invariance = None
if scales:
    invariance = invariance_check("vary", "invariance over the %d photos whose card is located "
                                  "(corners within 0.5 %% of the long edge of the full-size "
                                  "answer):")

# Turned by angles other than quarter turns, every edge is resampled at another angle to the
# pixel grid: a threshold tied to the grid shows there.
turn_invariance = None
if turns:
    turn_invariance = invariance_check("turn", "turned by 20 and -35 degrees, the %d photos "
                                       "whose card is located (corners within 0.5 %% of the "
                                       "long edge of the full-size answer):")

def crop_check(command, heading, truth_of):
    """Crops of every photo made by mirrel-scene COMMAND around the card truth_of(r) gives
    (photos it gives None for are left out); no card may be reported on any of them. Prints
    the reports per category and returns their counts."""
    if not os.access(scene_tool, os.X_OK):
        usage(scene_tool + " is not built (scripts/build.sh)")
    work = tempfile.mkdtemp(prefix="mirrel-eval-")
    reported = []
    crops = 0
    per_category = {}
    try:
        cropped = [(r, card) for r in results if (card := truth_of(r)) is not None]
        answered = in_parallel(lambda rc: detect_variants(command, rc[0], rc[1], work), cropped)
        for (r, _), answers in zip(cropped, answered):
            c = per_category.setdefault(r["category"], [0, 0])
            for v, answer in answers:
                crops += 1
                c[1] += 1
                found = answer.get("card")
                if found is None:
                    continue
                c[0] += 1
                m = v["toOriginal"]
                back = [[m[0] * x + m[1] * y + m[2], m[3] * x + m[4] * y + m[5]] for x, y in found]
                reported.append("  %s %s: reported %s" % (r["name"], v["name"], fmt_quad(back)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(heading)
    for category in order:
        if category in per_category:
            print("  %-10s %d/%d" % (category, per_category[category][0],
                                     per_category[category][1]))
    print("  %-10s %d/%d" % ("all", len(reported), crops))
    if reported:
        print("\n".join(reported))
    return {"crops": crops, "reported": len(reported),
            "categories": {k: {"reported": v[0], "of": v[1]} for k, v in per_category.items()}}

# Crops whose border cuts through the card: nothing there may be reported.
cut_check = None
if cuts:
    cut_check = crop_check("cut", "crops whose border cuts through the card, a card reported "
                           "(must be none):", lambda r: r["truth"])

# The parts of each photo beside its card (the card may run off the picture): the table, the
# clutter and the hand without any card, where nothing may be reported either.
away_check = None
if away:
    away_check = crop_check(
        "away", "crops beside the card, without it, a card reported (must be none):",
        lambda r: r["truth"] or r["outside"])

if json_out:
    with open(json_out, "w") as f:
        json.dump({"categories": table, "photos": results, "invariance": invariance,
                   "turns": turn_invariance, "cuts": cut_check, "away": away_check}, f, indent=1)

failed = []
if "--min-located" in limits and total["located"] < limits["--min-located"]:
    failed.append("located %d, below %d" % (total["located"], limits["--min-located"]))
if "--min-within" in limits and total["within1"] < limits["--min-within"]:
    failed.append("within 1 %% %d, below %d" % (total["within1"], limits["--min-within"]))
if "--max-partial" in limits and total["partialReported"] > limits["--max-partial"]:
    failed.append("a card reported on %d partial photos, above %d" % (
        total["partialReported"], limits["--max-partial"]))
# Floors on the photos whose answer never changes, ceilings on the crops that report a card.
for option, check, needed, key, what in (
        ("--min-invariant", invariance, "--scales", "invariant", "invariant on %d photos"),
        ("--min-turn-invariant", turn_invariance, "--turns", "invariant",
         "invariant under turns on %d photos"),
        ("--max-cut-reports", cut_check, "--cuts", "reported",
         "a card reported on %d crops that cut the card"),
        ("--max-away-reports", away_check, "--away", "reported",
         "a card reported on %d crops beside the card")):
    if option not in limits:
        continue
    if check is None:
        usage(option + " needs " + needed)
    floor = option.startswith("--min")
    if (check[key] < limits[option]) if floor else (check[key] > limits[option]):
        failed.append((what + ", %s %d") % (check[key], "below" if floor else "above",
                                             limits[option]))
if failed:
    sys.exit("eval-real: FAILED: " + "; ".join(failed))
PYTHON
