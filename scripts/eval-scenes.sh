#!/usr/bin/env bash
# Runs the card detector over a fixed held-out set of generated scenes (seeds apart from the
# labelled set's; a scene that fooled the detector may become a test case, the rest stay out of
# tuning) and prints, per category: scenes with a card, located (every corner within 5 % of the
# card's long edge), within 1 px, and cards reported in scenes without a whole card.
# The set, rendered once into <build>/eval-scenes and reused:
#   std    the standard categories, 10 scenes each (seeds from 30001)
#   wide   the categories that widen the labelled set, 24 each (seeds from 31001)
#   close  portrait 1080 x 1920 close-ups, the card 70 to 82 % of the width (seeds from 32000)
#   mid    small and dark cards at 1536 x 1152 and 1600 x 900, between the search sizes
#   turn   every scene of the sets above with a card, turned by 20 and -35 degrees
# --save FILE writes every answer; --compare FILE lists the scenes whose answer moved by more
# than 0.01 px since that file was saved (a change to the detector should move few, and say
# which way).
#
#   scripts/eval-scenes.sh [--sets std,wide,close,mid,turn] [--save FILE] [--compare FILE]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"
export MIRREL_EVAL_BUILD="$build"
exec python3 - "$@" <<'PYTHON'
import json, math, os, subprocess, sys
from concurrent.futures import ThreadPoolExecutor

build = os.environ["MIRREL_EVAL_BUILD"]
measure = os.path.join(build, "cli", "mirrel-measure")
scene_tool = os.path.join(build, "tools", "mirrel-scene")
cache = os.path.join(build, "eval-scenes")
workers = max(1, os.cpu_count() or 1)

def usage(message):
    sys.exit("eval-scenes: " + message + "\nusage: scripts/eval-scenes.sh "
             "[--sets std,wide,close,mid,turn] [--save FILE] [--compare FILE]")

args = sys.argv[1:]
sets = ["std", "wide", "close", "mid", "turn"]
save = compare = None
while args:
    a = args.pop(0)
    if a in ("--sets", "--save", "--compare") and not args:
        usage(a + " needs a value")
    if a == "--sets":
        sets = args.pop(0).split(",")
        if any(s not in ("std", "wide", "close", "mid", "turn") for s in sets):
            usage("unknown set in " + ",".join(sets))
    elif a == "--save":
        save = args.pop(0)
    elif a == "--compare":
        compare = args.pop(0)
    else:
        usage("unknown option " + a)
for tool in (measure, scene_tool):
    if not os.access(tool, os.X_OK):
        sys.exit("eval-scenes: %s is missing; build first (scripts/build.sh)" % tool)

def run(command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("eval-scenes: %s failed: %s" % (" ".join(command), done.stderr.strip()))
    return done.stdout

def in_parallel(function, items):
    with ThreadPoolExecutor(workers) as pool:
        return list(pool.map(function, items))

def rendered(name, commands):
    """Renders a set once; commands write into the folder given as their {} argument."""
    folder = os.path.join(cache, name)
    marker = os.path.join(folder, ".complete")
    if not os.path.exists(marker):
        os.makedirs(folder, exist_ok=True)
        print("rendering the %s set into %s" % (name, folder), file=sys.stderr)
        in_parallel(run, [[part.replace("{}", folder) for part in c] for c in commands])
        open(marker, "w").close()
    return folder

def pictures(folder):
    return sorted(os.path.join(folder, f) for f in os.listdir(folder)
                  if f.endswith((".jpg", ".png")))

def truth(picture):
    with open(os.path.splitext(picture)[0] + ".json") as f:
        return json.load(f).get("card")

def close_commands():
    commands, i = [], 0
    for category in ("held", "clutter", "keyboard", "onPaper", "plain", "lowContrast", "finger"):
        for s in range(1, 13):
            seed = 32000 + i
            i += 1
            commands.append([scene_tool, "render", "{}/%s-%d.jpg" % (category, seed), "--category",
                             category, "--seed", str(seed), "--size", "1080x1920",
                             "--card-width", "%.3f" % (0.70 + 0.015 * (s % 9))])
    return commands

def mid_commands():
    commands = [[scene_tool, "render", "{}/small-%d.jpg" % s, "--category", "small", "--seed",
                 str(s), "--size", "1536x1152"] for s in range(33001, 33041)]
    commands += [[scene_tool, "render", "{}/dark-%d.jpg" % s, "--category", "dark", "--seed",
                  str(s), "--size", "1600x900"] for s in range(33041, 33061)]
    return commands

def turn_one(args):
    picture, folder = args
    card = truth(picture)
    name = os.path.splitext(os.path.basename(picture))[0]
    work = os.path.join(folder, ".work-" + name)
    run([scene_tool, "turn", picture, work])
    with open(os.path.join(work, "variants.json")) as f:
        variants = json.load(f)["variants"]
    for v in variants:
        a, b, c, d, e, f_ = v["toOriginal"]
        det = a * e - b * d
        def forward(x, y):
            x, y = x - c, y - f_
            return [(e * x - b * y) / det, (-d * x + a * y) / det]
        target = os.path.join(folder, "%s-%s" % (name, v["name"]))
        os.replace(os.path.join(work, v["file"]), target + ".png")
        with open(target + ".json", "w") as out:
            json.dump({"card": [forward(x, y) for x, y in card]}, out)
    for f in os.listdir(work):
        os.remove(os.path.join(work, f))
    os.rmdir(work)

folders = {}
base = {
    "std": lambda: rendered("std", [[scene_tool, "set", "{}", "--format", "jpg", "--first-seed",
                                     "30001", "--per-category", "10"]]),
    "wide": lambda: rendered("wide", [[scene_tool, "set", "{}", "--format", "jpg", "--widened",
                                       "--first-seed", "31001", "--per-category", "24"]]),
    "close": lambda: rendered("close", close_commands()),
    "mid": lambda: rendered("mid", mid_commands()),
}
for name in sets:
    if name != "turn":
        folders[name] = base[name]()
if "turn" in sets:
    folder = os.path.join(cache, "turn")
    if not os.path.exists(os.path.join(folder, ".complete")):
        sources = [p for n in ("std", "wide", "close") for p in pictures(base[n]()) if truth(p)]
        os.makedirs(folder, exist_ok=True)
        print("turning %d scenes into %s" % (len(sources), folder), file=sys.stderr)
        in_parallel(turn_one, [(p, folder) for p in sources])
        open(os.path.join(folder, ".complete"), "w").close()
    folders["turn"] = folder

def detect(picture):
    lines = run([measure, "detect", picture]).strip().splitlines()
    return json.loads(lines[-1]).get("card") if lines else None

def worst_corner(card, true_card):
    return max(min(math.dist(p, q) for q in card) for p in true_card)

answers = {}
print("%-7s %-12s %6s %8s %9s %8s" % ("set", "category", "cards", "located", "within 1", "false"))
for name, folder in folders.items():
    files = pictures(folder)
    found = in_parallel(detect, files)
    rows = {}
    for picture, card in zip(files, found):
        answers[os.path.relpath(picture, cache)] = card
        category = os.path.basename(picture).split("-")[0]
        row = rows.setdefault(category, [0, 0, 0, 0, 0])
        true_card = truth(picture)
        if true_card:
            row[0] += 1
            if card:
                error = worst_corner(card, true_card)
                long_edge = max(math.dist(true_card[i], true_card[(i + 1) % 4]) for i in range(4))
                row[1] += error < 0.05 * long_edge
                row[2] += error < 1.0
        else:
            row[3] += 1
            row[4] += card is not None
    total = [sum(r[k] for r in rows.values()) for k in range(5)]
    for category, r in sorted(rows.items()) + [("all", total)]:
        print("%-7s %-12s %6d %8d %9d %5d/%d" % (name, category, r[0], r[1], r[2], r[4], r[3]))

if save:
    with open(save, "w") as f:
        json.dump(answers, f, indent=0, sort_keys=True)
if compare:
    with open(compare) as f:
        before = json.load(f)
    moved = 0
    for key in sorted(answers):
        if key not in before:
            continue
        a, b = before[key], answers[key]
        if (a is None) == (b is None) and (a is None or max(math.dist(p, q)
                                                            for p, q in zip(a, b)) <= 0.01):
            continue
        moved += 1
        true_card = truth(os.path.join(cache, key))
        def describe(card):
            if card is None:
                return "none"
            return "%.2f px" % worst_corner(card, true_card) if true_card else "FALSE CARD"
        print("moved: %s  %s -> %s" % (key, describe(a), describe(b)))
    print("%d answers moved" % moved)
PYTHON
