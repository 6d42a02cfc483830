#!/usr/bin/env python3
"""End-to-end tests: the installed program under Xvfb with the French keyboard, typed at with xdotool.

Each test copies the installed layout to a temporary folder, starts its own X server and the program with a fresh
settings store, types as a pupil or teacher would, reads the results back with frappin-eleve and the files on disk,
and quits as a teacher would (Frappin by its menu, frappin-classe by Ctrl+Q). Screenshots go to SCREENSHOT_DIR.

    e2e.py INSTALL_PREFIX SCREENSHOT_DIR TEST_NAME
"""

import base64
import configparser
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unicodedata

PREFIX, SHOTS, TEST = sys.argv[1], sys.argv[2], sys.argv[3]
APPDIR = os.path.join(PREFIX, "lib", "frappin")
ELEVE = os.path.join(PREFIX, "bin", "frappin-eleve")
TITLE = "Divod Ivodedod - Frappin"
CLASSE = "Frappin - La classe"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Session:
    """One X server, one program folder, one settings store and one running program."""

    def __init__(self, name):
        self.name = name
        self.tmp = tempfile.mkdtemp(prefix=f"frappin-e2e-{name}-")
        self.appdir = os.path.join(self.tmp, "frappin")
        shutil.copytree(APPDIR, self.appdir)
        self.env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"), XDG_RUNTIME_DIR=self.tmp,
                        XDG_DATA_HOME=os.path.join(self.tmp, "data"), LANG="C.UTF-8", LC_ALL="C.UTF-8",
                        QT_QPA_PLATFORM="xcb")
        self.env.pop("QT_QPA_PLATFORMTHEME", None)
        self.ini = os.path.join(self.env["XDG_CONFIG_HOME"], "frappin", "Frappin.ini")
        # The server picks a display no other server has: tests run side by side never share one.
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-noreset", "-nolisten",
                                      "tcp"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.env["DISPLAY"] = self.display = ":" + self.xvfb.stdout.readline().decode().strip()
        self.wait_for(lambda: self.run("xdpyinfo").returncode == 0, "the X server did not start", timeout=15)
        self.run("setxkbmap", "fr", check=True)
        self.program = None
        self.shot = 0

    def run(self, *command, check=False):
        return subprocess.run(command, env=self.env, capture_output=True, text=True, check=check)

    def wait_for(self, condition, message, timeout=10.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if condition():
                return
            time.sleep(0.1)
        raise Failure(message)

    def eleve(self, *args):
        return self.run(ELEVE, *args)

    def write_data(self, name, text):
        with open(os.path.join(self.appdir, name), "wb") as f:
            f.write(text.encode("cp1252"))

    def settings(self):
        """The settings file as another program reads it: Python's own INI reader, names as they stand."""
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(self.ini, encoding="utf-8")
        return parser

    def set(self, key, value):
        """Writes a teacher's setting with another program's INI writer, as a script of the school would."""
        parser = self.settings()
        parser.read_dict({"Démarrage": {key: value}})
        os.makedirs(os.path.dirname(self.ini), exist_ok=True)
        with open(self.ini, "w", encoding="utf-8") as f:
            parser.write(f)

    def start(self, program="frappin"):
        self.program = subprocess.Popen([os.path.join(self.appdir, program)], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows(self, name):
        return self.run("xdotool", "search", "--onlyvisible", "--name", name).stdout.split()

    def wait_window(self, name, timeout=10.0):
        self.wait_for(lambda: self.windows(name), f"no window named {name!r}", timeout)
        window = self.windows(name)[-1]
        for verb in ("windowactivate", "windowfocus"):
            self.run("xdotool", verb, "--sync", window)
        time.sleep(0.3)
        return window

    def keys(self, *keys, verb="key"):
        self.run("xdotool", verb, "--delay", "80", *keys, check=True)
        time.sleep(0.2)

    def type(self, text):
        self.keys(text, verb="type")

    def screenshot(self, label):
        os.makedirs(SHOTS, exist_ok=True)
        self.shot += 1
        path = os.path.join(SHOTS, f"{self.name}-{self.shot:02d}-{label}.png")
        self.run("import", "-window", "root", path)
        return path

    def alive(self):
        return self.program is not None and self.program.poll() is None

    def close(self):
        # As a teacher quits (Fichier > Quitter, then "Oui"; or Ctrl+Q), so that the program ends as it always
        # does; what does not end so is stopped.
        for title, keys in ((TITLE, ("Escape", "alt+f", "q", "alt+o")), (CLASSE, ("ctrl+q",))):
            if self.alive() and self.windows(title):
                self.wait_window(title)
                for key in keys:
                    self.keys(key)
                try:
                    self.program.wait(5)
                except subprocess.TimeoutExpired:
                    pass
        if self.alive():
            self.program.terminate()
        self.xvfb.terminate()
        self.xvfb.wait(5)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def answer(self, steps):
        """Steps (keys for frappin-classe or None, title of the window then open, text typed in it, then Return)."""
        for keys, title, text in steps:
            if keys:
                self.wait_window(CLASSE)
                self.keys(*keys.split())
            time.sleep(1)
            window = self.wait_window(title)
            if text:
                self.keys("ctrl+a")
                self.type(text)
            self.keys("Return")
        return window

    def save_as(self, keys, title, path):
        """A file of frappin-classe saved by its access key, the path typed in place of the name offered."""
        self.answer([(keys, title, path)])
        self.wait_for(lambda: os.path.exists(path), f"{path} not written")
        time.sleep(0.5)
        return open(path, "rb").read()

    def result(self, pupil, key):
        return dict(line.split(" : ", 1) for line in self.eleve("resultats", pupil).stdout.splitlines()
                    if " : " in line).get(key)

    def type_series(self, words, mistake_in_first=False):
        """Starts a series with the start button's access key and types each word, waiting out each pause.
        Returns the screenshot of the mistake, if any."""
        self.wait_window(TITLE)
        self.keys("alt+c")
        shot = None
        for index, word in enumerate(words):
            if index == 0 and mistake_in_first:
                self.type_word(word[:2] + "x")
                shot = self.screenshot("mistake")
                word = word[2:]
            self.type_word(word)
            if index == 0:
                self.screenshot("bravo")
            time.sleep(2.6)
        return shot

    def type_word(self, word):
        """Types as a child does: the dead key, then the letter, for a circumflex or a diaeresis."""
        for letter in word:
            base, *mark = unicodedata.normalize("NFD", letter)
            dead = {"\u0302": "dead_circumflex", "\u0308": "dead_diaeresis"}.get(mark[0] if mark else None)
            self.keys(dead, base) if dead else self.type(letter)


# -- the tests ------------------------------------------------------------------------------------------------

def test_series_of_five_words(s):
    # A capital (Maj held), ë (Maj and the dead key), î (the dead key alone), a phrase wider than the word box at
    # its font, and a mistake in the first word: one in 180 characters, under 5 %.
    phrase = "Noël chez Léa et sa boîte de crayons"
    s.write_data("mot.mot", f"{phrase},,\r\n")
    s.set("Fichier", "mot.mot")
    check(s.eleve("definir", "--prenom", "Léa", "--nom", "Martin").returncode == 0, "frappin-eleve definir")
    s.start()
    window = s.wait_window(TITLE)
    s.screenshot("start")
    # A dock on X11 shows the window under the menu entry whose StartupWMClass is the window's class.
    wm_class = s.run("xprop", "-id", window, "WM_CLASS").stdout.split('"')
    with open(os.path.join(PREFIX, "share", "applications", "org.frappin.frappin.desktop"), encoding="utf-8") as f:
        entry = f.read().splitlines()
    check(len(wm_class) == 5 and f"StartupWMClass={wm_class[3]}" in entry,
          f"window class {wm_class} not the menu entry's StartupWMClass")
    # The locks as the keyboard has them, at once with no letter typed: a light lit (#2ec45a), the hint (#8b0000).
    count = lambda shot: [int(subprocess.run(["convert", shot, "-alpha", "off", "-fill", "black", "+opaque", c,
                          "-fill", "white", "-opaque", c, "-format", "%[fx:round(mean*w*h)]", "info:"],
                          capture_output=True, text=True).stdout) for c in ("#2ec45a", "#8b0000")]
    before = count(s.screenshot("locks"))
    for key, lit, told in (("Caps_Lock", 1, 1), ("Caps_Lock", 0, 0), ("Num_Lock", 1, 0), ("Num_Lock", 0, 0)):
        s.keys(key)
        s.wait_for(lambda: (lambda now: [now[0] != before[0], now[1] > before[1]] == [lit, told])(
            count(s.screenshot("locks"))), f"{key} (lit {lit}, told {told}) from {before}")
    s.type_series([phrase] * 5, mistake_in_first=True)
    s.screenshot("grade")
    check(s.result("Léa Martin", "Note") == "20/20", f"grade {s.result('Léa Martin', 'Note')}")
    check(s.result("Léa Martin", "Niveau") == "1", "level")
    days = float(s.result("Léa Martin", "Durée").split("(")[1].split()[0].replace(",", "."))
    check(8 / 86400 < days < 300 / 86400, f"duration {days} days")
    history = s.eleve("historique").stdout
    check("  180 caractères  1 faute  " in history, f"the series in the history {history!r}")
    stored = s.settings()
    check(stored["Démarrage"]["Dernière"] == "Léa Martin", "pupil read by another program")
    check(stored["Léa Martin"]["Note"] == "20" and stored["Léa Martin"]["Nombre de caractères"] == "180",
          f"results read by another program: {dict(stored['Léa Martin'])}")


def test_picker_starts_frappin(s):
    """The child clicks their face in frappin-classe; Frappin starts for them; the series is in the history. The
    teacher's side opens for the code alone, and then exports the pupil's series and keeps the class."""
    s.write_data("chat.mot", "chat,,\r\n")
    s.set("Fichier", "chat.mot")
    # A dictation, on a machine with no sound output: the words are shown, and the window says why.
    s.set("Son", "1")
    s.set("Dictee", "1")
    # The teacher's code "1234", made by another program's PBKDF2.
    key = base64.b64encode(hashlib.pbkdf2_hmac("sha256", b"1234", b"sel", 1000)).decode()
    configuration = os.path.join(s.env["XDG_CONFIG_HOME"], "frappin", "Configuration.ini")
    with open(configuration, "w") as f:
        f.write(f"[Enseignant]\nCode=pbkdf2-sha256$1000$c2Vs${key}\n")  # c2Vs: "sel" in Base64
    data = os.path.join(s.env["XDG_DATA_HOME"], "frappin")
    os.makedirs(data)
    with open(os.path.join(data, "classe.csv"), "w", encoding="utf-8-sig") as f:
        f.write("Élève;Prénom;Nom\r\nLéa Martin;Léa;Martin\r\nTom Petit;Tom;Petit\r\n")
    s.start("frappin-classe")
    classe = s.wait_window(CLASSE)
    s.run("xdotool", "windowmove", "--sync", classe, "0", "0")
    time.sleep(1)
    s.screenshot("picker")  # with a code, the window opens on the pupils' screen
    s.run("xdotool", "mousemove", "110", "190", "click", "1", check=True)  # the first face
    frappin = s.wait_window(TITLE, timeout=15)
    pid = s.run("xdotool", "getwindowpid", frappin).stdout
    check(pid.strip().isdigit(), "Frappin's process")
    try:
        stored = s.settings()["Démarrage"]
        check((stored["Prenom"], stored["Nom"], stored["Dernière"]) == ("Léa", "Martin", "Léa Martin"),
              f"identity {dict(stored)}")
        shot = s.type_series(["chat"] * 5, mistake_in_first=True)
        check(s.result("Léa Martin", "Note") == "19/20", "grade in the store")
        # The word's letters, not blanks (the letters' dark red, which blanks leave out above their line); the
        # message in black under the keyboard, empty during an ordinary series.
        place = subprocess.run(["xdotool", "getwindowgeometry", "--shell", frappin], env=s.env, capture_output=True,
                               text=True).stdout.split()
        x, y = (int(field.split("=")[1]) for field in place[1:3])
        seen = [int(subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x + left}+{y + top}", "+repage", "-alpha", "off",
                                    "-fuzz", fuzz, "-fill", "white", "+opaque", c, "-fill", "black", "-opaque", c,
                                    "-negate", "-format", "%[fx:round(mean*w*h)]", "info:"], capture_output=True,
                                   text=True).stdout)
                for left, top, w, h, c, fuzz in ((334, 50, 138, 18, "#800000", "25%"), (10, 392, 446, 22, "black", "0%"))]
        check(seen[0] > 50 and seen[1] > 100, f"the word shown and told: {seen} pixels")
    finally:
        os.kill(int(pid), 15)
    # The results: a wrong code is asked again (or the next step finds no dialog), the right one opens them.
    s.answer([("alt+r", "Code de", "1243"), (None, "Code de", "1234")])
    s.screenshot("results")
    out = tempfile.mkdtemp(dir=s.tmp)
    pdf = s.save_as("alt+f", "Fiche PDF", os.path.join(out, "lea.pdf"))
    check(pdf.startswith(b"%PDF") and pdf.rstrip().endswith(b"%%EOF") and len(pdf) > 20000, "the PDF sheet")
    table = s.save_as("alt+t", "Exporter le tableau", os.path.join(out, "classe.csv")).decode("utf-8-sig")
    check("\r\nLéa Martin;1;19;19;" in table, f"class table {table!r}")
    history = s.save_as("alt+h", "Exporter l'historique", os.path.join(out, "lea.csv")).decode("utf-8-sig")
    row = history.splitlines()[-1].split(";")
    check(len(history.splitlines()) == 2 and row[1] == "Léa Martin" and row[3] == "19" and row[9] == "a 1"
          and row[10] == "non",  # the words were shown: no dictation
          f"pupil's history {history!r}")
    # The class tab, open until the pupils' screen: a pupil added, renamed (another's results name refused) and
    # removed; the photographs' folder; a list imported; a new code (two that differ refused), then none.
    s.write_data("liste.csv", "Nom;Prénom\r\nBLANC;Anna\r\n")
    os.makedirs(photos := os.path.join(s.appdir, "photos"))
    pupils = lambda: open(os.path.join(data, "classe.csv"), encoding="utf-8-sig").read().splitlines()[1:]
    s.answer([("alt+c alt+a", "Ajouter", "Zoé\tRoux"), ("alt+m", "Modifier", "\t\tLéa Martin"), (None, CLASSE, ""),
              (None, "Modifier", "CE1 Zoé")])
    check(pupils()[-1] == "CE1 Zoé;Zoé;Roux", f"the pupil renamed: {pupils()}")
    s.answer([("alt+s", CLASSE, ""), ("alt+d", "Dossier des photos", photos + "/"),
              ("alt+i", "Importer", s.appdir + "/liste.csv"), (None, "Importer", ""), (None, CLASSE, ""),
              ("alt+o", "Code de", "1234"), (None, "Code de", "4321\t4322"), (None, "Code de", "4321"),
              (None, "Code de", "")])
    check(pupils() == ["Léa Martin;Léa;Martin", "Tom Petit;Tom;Petit", "Anna BLANC;Anna;BLANC"], "the class")
    s.wait_for(lambda: (lambda code: "Code=pbkdf2-sha256$200000$" in code and "4321" not in code and
                        f"Eleves={photos}\n" in code)(open(configuration).read()),
               "the new code and the photographs' folder in Configuration.ini")
    # The dialog of the new code, not that of the old one still open while its key is derived (slow in a
    # coverage build).
    asked = s.answer([("alt+o", "Code de", "4321")])
    s.wait_for(lambda: s.windows("Code de") and asked not in s.windows("Code de"), "no new code's dialog", 60)
    s.wait_window("Code de")
    s.keys("alt+r")  # "Retirer le code"
    s.wait_for(lambda: "Code=" not in open(configuration).read(), "the code removed")
    s.answer([(None, "Code de", "")])


def test_path_moves_on(s):
    """The path on: a pupil passes lesson 1 with two series at 18/20 or more, and the third draws from lesson 2."""
    for name in os.listdir(s.appdir):
        if name[:2].isdigit() and name.endswith(".mot"):
            os.remove(os.path.join(s.appdir, name))
    s.write_data("01 essai.mot", "sa,,\r\n")
    s.write_data("02 suite.mot", "de,,\r\n")
    s.set("Parcours", "1")
    check(s.eleve("definir", "--prenom", "Léa", "--nom", "Martin").returncode == 0, "frappin-eleve definir")
    s.start()
    place = lambda: (lambda p: (p.get("Leçon"), p.get("Réussies")))(s.settings()["Léa Martin"])
    for done, after in ((1, ("01 essai.mot", "1")), (2, ("02 suite.mot", "0"))):
        s.type_series(["sa"] * 5)
        s.wait_for(lambda: s.settings().has_section("Léa Martin") and place() == after, f"after {done}: {place()}")
    s.screenshot("passed")
    # A word of lesson 1 could never be completed now: only a series drawn from lesson 2 counts on it.
    s.type_series(["de"] * 5)
    s.wait_for(lambda: place() == ("02 suite.mot", "1"), f"after the third series: {place()}")


TESTS = {name[len("test_"):]: f for name, f in globals().items() if name.startswith("test_")}

if __name__ == "__main__":
    session = Session(TEST)
    try:
        TESTS[TEST](session)
        check(session.alive(), "the program is still running at the end")
        print(f"PASS {TEST}")
    except Failure as failure:
        session.screenshot("failure")
        print(f"FAIL {TEST}: {failure}")
        sys.exit(1)
    finally:
        session.close()
