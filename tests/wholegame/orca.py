#!/usr/bin/python3
"""The game with Orca, as a blind child meets it: Orca runs in this session and speaks through a
speech-dispatcher that writes down every text it starts to say (orca.sh sets it up). The game is
played with the keyboard; the test reads what was said: the wizard's first sentence once, the
selectors' names with the choices, the result of three experiments (one of them "?", said in words),
and the notebook's summary. It also measures the time from Enter to the result being said.

Usage (inside orca.sh): orca.py <program> <session folder>
"""
import os
import signal
import statistics
from collections import Counter
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import a11y  # noqa: E402  the AT-SPI helpers
from a11y import check, child, keys, pump  # noqa: E402

GREETING = "Benvenuti alla ingranix1 1"
SPOKEN = os.environ["INGRANIX_SPOKEN"]


def spoken():
    """(time, text) of every text the speech service started to say, in order."""
    try:
        with open(SPOKEN, "rb") as log:
            raw = log.read().splitlines()
    except FileNotFoundError:
        return []
    lines = []
    for line in raw:  # the speech module may pass a text on in Latin-1
        try:
            lines.append(line.decode("utf-8").split("\t", 1))
        except UnicodeDecodeError:
            lines.append(line.decode("latin-1").split("\t", 1))
    return [(float(t), text) for t, text in (line for line in lines if len(line) == 2)]


def said(fragment, after=0.0):
    return [(t, text) for t, text in spoken() if t >= after and fragment in text]


def wait_said(fragment, after=0.0, seconds=15.0):
    return pump(seconds, lambda: said(fragment, after))


def type_and_enter(text):
    keys("type", "--delay", "30", text)
    start = time.time()
    keys("key", "Return")
    return start


def main():
    program, folder = sys.argv[1], sys.argv[2]
    # Orca's debug log slows it down a great deal: only on request (INGRANIX_ORCA_DEBUG).
    debug = ["--debug-file=" + os.path.join(folder, "log", "orca.log")] if os.environ.get("INGRANIX_ORCA_DEBUG") else []
    orca = subprocess.Popen(["orca", "--replace", *debug],
                            stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, start_new_session=True)
    game = None
    try:
        # Orca greets when it is ready ("Lettore schermo attivo", or in English where Italian is missing).
        if not pump(40, lambda: spoken() or orca.poll() is not None) or orca.poll() is not None:
            print("SKIPPED: Orca did not start", flush=True)
            return 77
        for kind in ("object:state-changed:showing",):
            a11y.pyatspi.Registry.registerEventListener(a11y.listen, kind)
        game = subprocess.Popen([program], start_new_session=True)
        play(game)
    finally:
        for process in (game, orca):
            if process and process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    os.killpg(process.pid, signal.SIGKILL)
        print("\n--- spoken ---", flush=True)
        for t, text in spoken():
            print(f"{t:.3f}  {text}", flush=True)
    return 1 if a11y.failures else 0


def focus_window():
    found = subprocess.run(["xdotool", "search", "--name", r"^Ingranix\(IX40\)$"], capture_output=True,
                           text=True, timeout=10).stdout.split()
    if found:
        keys("windowactivate", "--sync", found[0])
        keys("windowfocus", "--sync", found[0])
    return bool(found)


def play(game):
    if not check(pump(30, lambda: a11y.main_window(game.pid)[1] is not None), "the game's window appears"):
        return
    app, window = a11y.main_window(game.pid)
    check(focus_window(), "the window can be found by its caption")
    surface = child(window, "filler")
    panel = child(surface, "panel", "Quadro di comando")
    level, colour = [c for c in panel if c is not None and c.getRoleName() == "combo box"]

    # The greeting's first sentence: said once, by the screen reader alone.
    check(wait_said(GREETING, seconds=30), "the wizard's first sentence is said", spoken()[-5:])

    # The selectors by the keyboard: the names are said with the choices.
    begin = time.time()
    level.queryComponent().grabFocus()
    pump(1)
    keys("key", "Down")
    check(wait_said("Livello", after=begin), "the level selector is said by its name",
          [s for s in spoken() if s[0] >= begin])
    pump(3)  # a child listens before moving on
    for name in ("rosso", "verde"):  # each choice hands the keys to the input box
        begin = time.time()
        colour.queryComponent().grabFocus()
        wait_said("Colore degli ingranaggi", after=begin, seconds=8)
        keys("key", "Down")
        check(wait_said("Colore degli ingranaggi: " + name, after=begin), f"the colour chosen, {name}, is said "
              "with the selector's name", [s for s in spoken() if s[0] >= begin])
        pump(3)

    # Three experiments in Livello1, verde (x minus a constant, "?" up to it): every result is said.
    in1 = child(child(surface, "panel", "ingresso della macchina"), "text")
    out1 = child(child(surface, "panel", "uscita della macchina"), "notification")
    for number in ("0", "12", "20"):
        in1.queryComponent().grabFocus()
        pump(0.5)
        start = type_and_enter(number)
        pump(0.3)
        result = out1.name[len("output: "):]
        heard = "punto interrogativo" if number == "0" else result
        check(wait_said(heard, after=start), f"the result of {number} is said: {result}",
              [s for s in spoken() if s[0] >= start])
        pump(2)

    # The notebook: a model typed, its summary said once the typing pauses.
    begin = time.time()
    keys("key", "F2")
    pump(2)
    check(not [s for s in spoken() if s[0] >= begin and s[1].strip(" .") == "notifica"],
          "an announcer with nothing to say is not heard",
          [s for s in spoken() if s[0] >= begin])
    keys("type", "--delay", "60", "x")
    check(wait_said("Il tuo modello spiega", after=begin), "the notebook's summary is said",
          [s for s in spoken() if s[0] >= begin])
    keys("key", "F2")
    pump(1)

    measure(window, in1, out1)
    count_sentences()


def measure(window, in1, out1):
    """Seconds from Enter to the result being said: ten times while the wizard speaks, ten times not."""
    times = {"the wizard speaking": [], "the wizard silent": []}
    rounds = 20 if os.environ.get("INGRANIX_ORCA_FIGURES") else 4
    for round_ in range(rounds):
        speaking = round_ % 2 == 0
        if speaking:  # Istruzioni > obiettivo by the keys: the wizard explains the goal at length
            begin = time.time()
            keys("key", "F10")
            pump(1)
            arrowed = time.time()
            keys("key", "Right")
            pump(1)
            if round_ == 0:
                check(wait_said("Istruzioni", after=arrowed, seconds=5), "the arrow onto a menu says its name",
                      [s for s in spoken() if s[0] >= arrowed])
            keys("key", "Down")
            pump(0.5)
            keys("key", "Return")
            check(wait_said("Dunque", after=begin, seconds=10), "the wizard explains the goal",
                  [s for s in spoken() if s[0] >= begin])
        else:
            pump(12)  # the wizard has finished
        in1.queryComponent().grabFocus()
        pump(0.5)
        start = type_and_enter(str(30 + round_))
        pump(0.3)
        result = out1.name[len("output: "):]
        if wait_said(result, after=start, seconds=10):
            times["the wizard speaking" if speaking else "the wizard silent"].append(said(result, start)[0][0] - start)
    for what, values in times.items():
        if values:
            print(f"FIGURE  Enter to the result said, {what}: median {statistics.median(values):.3f} s "
                  f"over {len(values)} ({', '.join(f'{v:.2f}' for v in values)})", flush=True)


def count_sentences():
    counts = Counter(text for _, text in spoken())
    for text, n in counts.most_common():
        print(f"FIGURE  said {n}x: {text}", flush=True)
    greeted = sum(n for text, n in counts.items() if GREETING in text)
    check(greeted == 1, "the wizard's first sentence is said exactly once", greeted)


if __name__ == "__main__":
    signal.alarm(560 if os.environ.get("INGRANIX_ORCA_FIGURES") else 280)
    status = main()
    print(f"orca: {len(a11y.failures)} failed", flush=True)
    sys.exit(status)
