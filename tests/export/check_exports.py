# The exports read back by readers this project did not write (csv, json, openpyxl, scipy's
# loadmat) and compared with the data file they came from and the program's own summary.
#   check_exports.py PROGRAM
import csv, datetime, io, json, math, os, resource, signal, subprocess, sys, tempfile
import numpy, openpyxl, scipy.io

PROGRAM, WORK = sys.argv[1], tempfile.mkdtemp()
NAMES = ["solar_a", "battery_a", "main_v", "solar_w", "battery_w", "sub_v", "speed_kmh"]
DECIMALS = [2, 2, 1, 1, 1, 1, 0]
UNITS = dict(zip(NAMES, ["A", "A", "V", "W", "W", "V", "km/h"]), time_s="s", solar_wh="Wh",
             battery_wh="Wh", motor_wh="Wh", temp_c="℃", start_s="s", distance_km="km",
             avg_speed_kmh="km/h", wh_per_km="Wh/km")
LAP_KEYS = ["lap", "time_s", "motor_wh", "start_s", "distance_km", "avg_speed_kmh", "solar_wh",
            "wh_per_km"]
FORMATS = ["csv", "xlsx", "mat", "json"]


def run(*args, limit=None, **more_env):
    def child():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    env = dict(os.environ, LANG="C", YB_LANG="en", **more_env)
    r = subprocess.run([PROGRAM, *args], capture_output=True, text=True, env=env,
                       preexec_fn=child if limit else None)
    return r.returncode, r.stdout, r.stderr


def data_file(name, interval, rows, temps, laps, sep=",", empty_after=None):
    """Writes a data file; returns what it holds: main rows of 7 values or None, temps, laps."""
    main = [[(i * 37 % 800) / 100, (i * 53 % 3000 - 1500) / 100, (900 + i % 200) / 10,
             (i * 37 % 800) * (900 + i % 200) / 1000, (i * 53 % 3000 - 1500) / 10,
             (110 + i % 30) / 10, i % 120] for i in range(rows)]
    for i, row in enumerate(main):
        if i % 97 == 5: row[1] = row[4] = None
        if empty_after is not None and i >= empty_after: row[:] = [None] * 7
    main = [[v if v is None else float(f"{v:.{d}f}") for v, d in zip(r, DECIMALS)] for r in main]
    temps = [None if empty_after is not None and j >= temps - 2 else j % 40 - 5 for j in range(temps)]
    laps = [(-1, -1.0) if empty_after is not None and k >= laps - 3 else (150 + k % 30, 20 + k % 7 / 10)
            for k in range(laps)]
    text = ["YB Download Data", "2026/07/30 9:15:00", "C:\\data\\" + name,
            f"データ記録={sep}" + (f"{interval}秒間隔" if interval else "?秒間隔:不明"),
            f"データ数={sep}{rows}", sep.join(["No", "Solar[A]", "Battery[A]", "Main_Volt[V]",
            "Solar_Watt[W]", "Battery_Watt[W]", "Sub_Volt[V]", "Speed[kmh]"])]
    text += [sep.join([str(i + 1)] + ["" if v is None else f"{v:.{d}f}" for v, d in zip(r, DECIMALS)])
             for i, r in enumerate(main)]
    text += ["", f"温度データ記録={sep}" + ("2分間隔" if interval == 10 else "1分間隔"),
             f"データ数={sep}{len(temps)}", f"No{sep}Temp[℃]"]
    text += [f"{j + 1}{sep}{'' if t is None else t}" for j, t in enumerate(temps)]
    text += ["", f"周回回数={sep}{len(laps)}", sep.join(["No", "LapTime_sec[秒]", "Lap_Motort_Wh[Wh]"])]
    text += [f" {k + 1}{sep}{t}{sep}{w:.1f}{sep}" for k, (t, w) in enumerate(laps)]
    path = os.path.join(WORK, name)
    with open(path, "wb") as f:
        f.write(("\r\n".join(text) + "\r\n").encode("cp932"))
    return path, main, temps, laps


def expected(main, temps, laps, interval, window, start, lap_table):
    """The tables an export must hold, computed here from the file's values."""
    lo, hi = window
    held = [x for x in laps if x != (-1, -1.0)]
    assert [(l["time_s"], l["motor_wh"]) for l in lap_table] == held, (lap_table, held)
    sums, energy = [0.0, 0.0, 0.0], []
    for r in main:
        terms = [r[3], r[4], None if None in (r[3], r[4]) else r[3] + r[4]]
        for k, term in enumerate(terms):
            if term is not None and interval: sums[k] += term * (interval / 3600)
        energy.append([s if t is not None else None for s, t in zip(sums, terms)])
    placed = [l for l in lap_table if l["start_s"] is not None and l["time_s"] is not None]
    def lap_of(i):
        return next((l["lap"] for l in placed if l["start_s"] <= i * interval < l["start_s"] + l["time_s"]), None)
    rows = [i for i, r in enumerate(main) if r != [None] * 7 and (not interval or lo <= i * interval < hi)]
    t = {"time_s": [i * interval for i in rows]} if interval else {"record": [i + 1 for i in rows]}
    if start: t["clock"] = [(start + datetime.timedelta(seconds=i * interval)).isoformat() for i in rows]
    if lap_table: t["lap"] = [lap_of(i) if interval else None for i in rows]
    t.update({n: [main[i][c] for i in rows] for c, n in enumerate(NAMES)})
    if interval:
        t.update({n: [energy[i][k] for i in rows] for k, n in enumerate(["solar_wh", "battery_wh", "motor_wh"])})
    step = (120 if interval == 10 else 60) if interval else None
    trows = [j for j, v in enumerate(temps) if v is not None and (not step or lo <= j * step < hi)]
    tt = {"time_s": [j * step for j in trows]} if step else {"record": [j + 1 for j in trows]}
    tt["temp_c"] = [temps[j] for j in trows]
    if window != (0, math.inf):
        lap_table = [l for l in placed if lap_of(rows[0]) == l["lap"] or rows[0] * interval < l["start_s"] <= rows[-1] * interval]
    return {"main": t, "temperatures": tt, "laps": {k: [l[k] for l in lap_table] for k in LAP_KEYS}}


def named(heads, columns):
    out = {}
    for head, values in zip(heads, columns):
        name, _, unit = head.partition(" [")
        assert unit.rstrip("]") == UNITS.get(name, ""), head
        out[name] = list(values)
    return out


def read_csv(paths):
    tables = []
    for path in paths:
        raw = open(path, "rb").read()
        assert raw.startswith(b"\xef\xbb\xbf") and b"\r\n" in raw, path
        rows = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
        cols = [[None if v == "" else v if h == "clock" else float(v) for v in c]
                for h, c in zip(rows[0], zip(*rows[1:]))] if len(rows) > 1 else [[]] * len(rows[0])
        tables.append(named(rows[0], cols))
    return dict(zip(["main", "temperatures", "laps"], tables)), None


def read_xlsx(path):
    book = openpyxl.load_workbook(path)
    assert book.sheetnames == ["Summary", "Main", "Temperatures", "Laps"], book.sheetnames
    tables = {}
    for sheet, key in zip(book.worksheets[1:], ["main", "temperatures", "laps"]):
        assert sheet.freeze_panes == "A2"
        rows = list(sheet.iter_rows(values_only=True))
        cols = [[v.isoformat() if isinstance(v, datetime.datetime) else v for v in c]
                for c in zip(*rows[1:])] if len(rows) > 1 else [[]] * len(rows[0])
        assert all(v is None or isinstance(v, (int, float, str)) for c in cols for v in c)
        tables[key] = named(rows[0], cols)
    summary = {k: v for k, v in book["Summary"].iter_rows(min_row=2, values_only=True)}
    return tables, summary


def read_mat(path):
    r = scipy.io.loadmat(path, squeeze_me=True, struct_as_record=False)["run"]
    def table(s, names):
        cols = {n: numpy.atleast_1d(getattr(s, n)).tolist() for n in names}
        return {n: [None if isinstance(x, float) and math.isnan(x) else x for x in c] for n, c in cols.items()}
    parts = {"main": table(r, [n for n in r._fieldnames if n not in ("temperatures", "laps", "summary", "metadata")]),
             "temperatures": table(r.temperatures, r.temperatures._fieldnames), "laps": table(r.laps, r.laps._fieldnames)}
    sheet = {k: getattr(r.summary, k) for k in r.summary._fieldnames}
    return parts, dict(sheet, **{k: getattr(r.metadata, k) for k in r.metadata._fieldnames})


def same(a, b, loose):
    if isinstance(a, float) and isinstance(b, (int, float)) and loose:
        return math.isclose(a, b, rel_tol=1e-15)
    return a == b


def check(case, got, want, loose):
    for table, columns in want.items():
        assert list(got[table]) == list(columns), (case, table, list(got[table]), list(columns))
        for name, values in columns.items():
            g = got[table][name]
            assert len(g) == len(values) and all(same(x, y, loose) for x, y in zip(g, values)), \
                (case, table, name, next(((i, x, y) for i, (x, y) in enumerate(zip(g, values)) if not same(x, y, loose)), len(g)))


def export_case(case, data, interval, window=None, lap_start=0, start=None):
    options = ["--lap-start", str(lap_start / 60)]
    whole = json.loads(run("summary", data[0], "--json", *options)[1])
    if window: options += ["--from", str(window[0] / 60), "--to", str(window[1] / 60)]
    summary = json.loads(run("summary", data[0], "--json", *options)[1])
    want = expected(*data[1:], interval, window or (0, math.inf), start, whole["lap_table"])
    if start: options += ["--start", start.isoformat(" ")]
    for fmt in FORMATS:
        target = os.path.join(WORK, f"{case}_out.{fmt}")
        code, out, err = run("export", data[0], "--format", fmt, "-o", target, *options)
        assert code == 0, (case, fmt, err)
        if fmt == "csv": got, sheet = read_csv(out.split())
        if fmt == "xlsx": got, sheet = read_xlsx(target)
        if fmt == "mat": got, sheet = read_mat(target)
        if fmt == "json":
            j = json.load(open(target, encoding="utf-8"))
            assert list(j) == ["summary", "channels", "temperatures", "laps", "metadata"]
            assert j["summary"] == summary and j["metadata"]["file"] == os.path.basename(data[0])
            got, sheet = {"main": j["channels"], "temperatures": j["temperatures"], "laps": j["laps"]}, None
        check((case, fmt), got, want, fmt == "xlsx")
        if sheet:
            assert sheet["file"] == os.path.basename(data[0]), sheet["file"]
            for key, value in summary.items():
                if key == "lap_table": continue
                assert same(sheet[key], value, True) or value is None and sheet[key] != sheet[key], (case, fmt, key)


full = data_file("鈴鹿_決勝.csv", 2, 3000, 100, 30)
export_case("full", full, 2)
export_case("window", full, 2, (600, 1830), 90, datetime.datetime(2026, 7, 30, 9, 15))
export_case("partial", data_file("partial.csv", 5, 800, 70, 12, empty_after=500), 5)
export_case("tsv10", data_file("tsv10.txt", 10, 700, 60, 8, sep="\t"), 10)
export_case("unknown", data_file("unknown.csv", None, 300, 10, 3), None)

# Refused before anything is written: exit 3, or 2 for a format that does not exist.
folder, pipe, ro, old = (os.path.join(WORK, n) for n in ("folder", "pipe.json", "ro.json", "old.json"))
os.mkdir(folder); os.mkfifo(pipe); os.symlink("/dev/null", os.path.join(WORK, "null.json"))
for p, text in ((ro, "ro"), (old, "old")):
    open(p, "w").write(text)
os.chmod(ro, 0o444)
for target, force, why in ((folder, True, "a folder"), (pipe, True, "not a regular file"),
                           (os.path.join(WORK, "null.json"), True, "not a regular file"),
                           (ro, True, "read-only"), (old, False, "--force"),
                           (full[0], True, "a data file")):
    code, out, err = run("export", full[0], "--format", "json", "-o", target, *(["--force"] if force else []))
    assert code == 3 and why in err and out == "", (target, code, err)
assert open(ro).read() == "ro" and open(old).read() == "old" and os.path.isdir(folder)
code, out, err = run("export", full[0], "--format", "ods")
assert code == 2 and "csv, xlsx, mat, json" in err, err

# A full disk (a file-size limit) leaves the old file as it was, nothing beside it, exit 3; also
# when only the workbook's temporary parts are cut short, and the zip made of them fits.
for fmt, limit in [(f, 4096) for f in FORMATS] + [("xlsx", 1 << 18)]:
    disk = os.path.join(WORK, f"disk-{fmt}-{limit}")
    os.mkdir(disk)
    target = os.path.join(disk, "out." + fmt)
    open(target, "w").write("old")
    code, out, err = run("export", full[0], "--format", fmt, "-o", target, "--force", limit=limit)
    assert code == 3 and os.listdir(disk) == ["out." + fmt] and open(target).read() == "old", (fmt, code, err)
# Without the writers' module, Excel and MATLAB refuse with the reason and write nothing; the
# formats the program writes itself still work.
empty = os.path.join(WORK, "no-writers")
os.mkdir(empty)
for fmt in FORMATS:
    target = os.path.join(empty, "out." + fmt)
    code, out, err = run("export", full[0], "--format", fmt, "-o", target, YB_EXPORT_WRITERS=empty)
    if fmt in ("xlsx", "mat"):
        assert code == 3 and "writers cannot be loaded" in err and "yb-export-writers" in err, (fmt, code, err)
        assert not os.path.exists(target), fmt
    else:
        assert code == 0, (fmt, err)
print("exports checked")
