"""The rows of rows.txt and the profile box.toml, for the Python tests that
hold a front end to them (the C++ ones read the same files)."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def profile_text():
    with open(os.path.join(HERE, "box.toml"), encoding="utf-8") as f:
        return f.read()


def rows():
    """(action, value, the command's bytes on the line or b"", refusal or "")."""
    found = []
    with open(os.path.join(HERE, "rows.txt"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            action, value, sent, refusal = line.rstrip("\n").split("\t")
            found.append((action, value, b"" if sent == "-" else sent.encode() + b"\r", refusal))
    return found


def scpi_lines(action, value):
    """The SCPI line of a row, as a test program would send it."""
    mode = "TRUE" if action in ("true", "sensor-true") else "NOM"
    if action.startswith("sensor"):
        return "RES:MODE %s;:TEMP:SENS LOT7;:TEMP %s" % (mode, value)
    return "RES:MODE %s;:RES %s" % (mode, value)
