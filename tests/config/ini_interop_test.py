#!/usr/bin/python3
"""INI files between the program and Python's configparser, both ways.

The program side is kpini (the program's own INI access) under Wine, so the
profile service is Wine's; the other side is configparser reading and
writing the files in the ANSI code page 1252, as the suite's programs keep
them. Umlauts, empty values, long values (the program reads 2047 characters
of a value: its 2048-character buffer), key order, numbers, logic values,
paths and scrambled values.

    ini_interop_test.py KPWINE KPINI_EXE
"""
import configparser
import os
import subprocess
import sys
import tempfile

KPWINE, KPINI = sys.argv[1], sys.argv[2]
failures = []
checks = 0


def check(what, got, want):
    global checks
    checks += 1
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def kpini(workdir, *args):
    r = subprocess.run([KPWINE, KPINI, *args], cwd=workdir, capture_output=True, timeout=120)
    if r.returncode != 0:
        raise SystemExit(f"kpini {args[:3]} failed ({r.returncode}): {r.stderr.decode(errors='replace')}")
    out = r.stdout.decode("utf-8")
    return out[:-1] if out.endswith("\n") else out


def kpini_refused(workdir, *args):
    """A write the program must refuse: exit code 1 and a German reason."""
    r = subprocess.run([KPWINE, KPINI, *args], cwd=workdir, capture_output=True, timeout=120)
    return r.returncode, r.stderr.decode("utf-8", errors="replace")


def parser():
    cp = configparser.ConfigParser(interpolation=None)
    cp.optionxform = str  # keep the keys' case, as the profile service does
    return cp


def scramble(plain):
    """The suite's scrambling on the 1252 bytes: byte + position, wrapped by 255."""
    out = bytearray()
    for i, b in enumerate(plain.encode("cp1252")):
        code = b + (i % 255) + 1
        out.append(code - 255 if code > 255 else code)
    return out.decode("cp1252")


LONG = "".join(chr(ord("a") + i % 26) for i in range(2990)) + "ÄÖÜäöüß€éè"  # 3000 characters


def program_writes(work):
    path = "Programm.ini"  # a bare name: the program puts it into its current directory
    kpini(work, "set", path, "Allgemein", "Name", "Müller & Söhne GbR")
    kpini(work, "set", path, "Allgemein", "Leer", "")
    kpini(work, "set", path, "Allgemein", "Lang", LONG)
    kpini(work, "set", path, "Allgemein", "Prozent", "100% sicher")
    kpini(work, "set", path, "Straßen", "Ort", "Düsseldorf")
    kpini(work, "setint", path, "Zahlen", "Minus", "-1")
    kpini(work, "setlogic", path, "Zahlen", "An", "ja")
    kpini(work, "setcrypt", path, "Zugang", "Kennwort", "Geheim-Ö1")
    kpini(work, "set", path, "Weg", "Bleibt", "x")
    kpini(work, "set", path, "Weg", "Geht", "y")
    kpini(work, "delete", path, "Weg", "Geht")

    raw = open(os.path.join(work, path), "rb").read()
    check("no byte-order mark", raw[:2] in (b"\xff\xfe", b"\xfe\xff") or raw[:3] == b"\xef\xbb\xbf", False)
    check("umlauts in code page 1252", b"M\xfcller & S\xf6hne" in raw, True)

    cp = parser()
    cp.read(os.path.join(work, path), encoding="cp1252")
    check("sections", cp.sections(), ["Allgemein", "Straßen", "Zahlen", "Zugang", "Weg"])
    check("Name", cp["Allgemein"]["Name"], "Müller & Söhne GbR")
    check("Leer", cp["Allgemein"]["Leer"], "")
    check("Lang", cp["Allgemein"]["Lang"], LONG)
    check("Prozent", cp["Allgemein"]["Prozent"], "100% sicher")
    check("Ort", cp["Straßen"]["Ort"], "Düsseldorf")
    check("Minus", cp["Zahlen"]["Minus"], "-1")
    check("An", cp["Zahlen"]["An"], "TRUE")
    check("Kennwort scrambled as the suite scrambles", cp["Zugang"]["Kennwort"], scramble("Geheim-Ö1"))
    check("deleted key", list(cp["Weg"].keys()), ["Bleibt"])


def configparser_writes(work):
    path = os.path.join(work, "Python.ini")
    cp = parser()
    cp["Adresse"] = {
        "Name": "Jürgen Groß",
        "Leer": "",
        "Lang": LONG,
        "Straße": "Königsallee 12",
        "Pfad": "c:\\kontor\\daten",
        "Minus": "-1",
        "Schalter": "Ja",
        "Aus": "nein",
    }
    cp["dtaAdressen"] = {"Laschen": "3", "Lasche1": "Adresse", "Lasche2": "Verträge", "Lasche3": "Notizen"}
    cp["Zugang"] = {"Kennwort": scramble("Äußerst geheim")}
    cp["Nichts"] = {}
    with open(path, "w", encoding="cp1252") as f:
        cp.write(f)  # "key = value" with blanks around the "=", as configparser writes

    name = "Python.ini"
    check("Name", kpini(work, "get", name, "Adresse", "Name"), "Jürgen Groß")
    check("Leer", kpini(work, "get", name, "Adresse", "Leer"), "")
    check("Lang is cut at the buffer", kpini(work, "get", name, "Adresse", "Lang"), LONG[:2047])
    check("Straße", kpini(work, "get", name, "Adresse", "Straße"), "Königsallee 12")
    check("key in another case", kpini(work, "get", name, "ADRESSE", "straße"), "Königsallee 12")
    check("Pfad", kpini(work, "getpath", name, "Adresse", "Pfad"), "C:\\KONTOR\\DATEN\\")
    check("missing path", kpini(work, "getpath", name, "Adresse", "Fehlt"), "")
    check("Minus", kpini(work, "getint", name, "Adresse", "Minus"), "-1")
    check("Schalter", kpini(work, "getlogic", name, "Adresse", "Schalter"), "TRUE")
    check("Aus", kpini(work, "getlogic", name, "Adresse", "Aus"), "FALSE")
    check("key list", kpini(work, "section", name, "dtaAdressen").split("\n"),
          ["Laschen", "Lasche1", "Lasche2", "Lasche3"])
    check("Lasche2", kpini(work, "get", name, "dtaAdressen", "Lasche2"), "Verträge")
    check("empty section", kpini(work, "section", name, "Nichts"), "")
    check("Kennwort", kpini(work, "getcrypt", name, "Zugang", "Kennwort"), "Äußerst geheim")


def bad_names_refused(work):
    """Section and key names that would start another section, split the key
    from its value or start a comment are refused; the file stays as it was,
    byte for byte, and configparser reads the same entries."""
    name = "Namen.ini"
    kpini(work, "set", name, "Allgemein", "Name", "Müller")
    kpini(work, "set", name, "Allgemein", "Ort", "Köln")
    kpini(work, "set", name, "Zweite", "Wert", "1")
    path = os.path.join(work, name)
    before = open(path, "rb").read()
    bad = [
        ("set", "Neu]\r\n[Gestohlen", "k", "v"),
        ("set", "Allgemein]", "k", "v"),
        ("set", "[Allgemein", "k", "v"),
        ("set", "Allgemein", "Name=Meier", "v"),
        ("set", "Allgemein", ";Name", "v"),
        ("set", "Allgemein", "[Zweite]", "v"),
        ("set", "Allgemein", "Ort\nWert", "v"),
        ("set", "A=B", "k", "v"),
        ("set", "A;B", "k", "v"),
        ("setint", "Allgemein", "Zahl=", "5"),
        ("delete", "Zweite]\n[Allgemein"),
        ("delete", "Allgemein", "Name=Müller"),
    ]
    for args in bad:
        rc, err = kpini_refused(work, args[0], name, *args[1:])
        check(f"{args!r} refused", rc, 1)
        check(f"{args!r} says why in German", "lässt sich nicht in der INI-Datei speichern" in err, True)
    check("file unchanged byte for byte", open(path, "rb").read(), before)
    cp = parser()
    cp.read(path, encoding="cp1252")
    check("sections after refusals", cp.sections(), ["Allgemein", "Zweite"])
    check("keys of Allgemein", dict(cp["Allgemein"]), {"Name": "Müller", "Ort": "Köln"})
    check("keys of Zweite", dict(cp["Zweite"]), {"Wert": "1"})
    # A value may hold the characters a name may not.
    kpini(work, "set", name, "Allgemein", "Formel", "a=b; [c]")
    cp = parser()
    cp.read(path, encoding="cp1252")
    check("value with = ; [ ]", cp["Allgemein"]["Formel"], "a=b; [c]")


with tempfile.TemporaryDirectory(prefix="kpini-") as work:
    program_writes(work)
    configparser_writes(work)
    bad_names_refused(work)

for f in failures:
    print("FAIL:", f)
print(f"ini interop: {checks} checks,", "ok" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
