#!/usr/bin/python3
"""The table of the end-to-end benchmark: medians and spreads of every measurement's figures over
its runs, then the ratios of the performance goals, each marked met or not.

usage: e2e_table.py RAW TEXT_BYTES
RAW holds one line per run of a measurement: its name, then key=value figures.
"""
import statistics
import sys

runs = {}
for line in open(sys.argv[1]):
    name, *figures = line.split()
    runs.setdefault(name, []).append({k: float(v) for k, v in (f.split("=", 1) for f in figures)})
text_bytes = float(sys.argv[2])


def values(name, key):
    return [run[key] for run in runs[name]]


def median(name, key):
    return statistics.median(values(name, key))


# (measurement, figure, unit, scale from the raw figure)
FIGURES = [
    ("sqlite", "seconds", "s", 1), ("sqlite", "cpu_s", "s CPU", 1),
    ("fetch", "seconds", "s", 1), ("fetch", "cpu_s", "s CPU", 1),
    ("fetch", "server_cpu_s", "s CPU of the server", 1),
    ("fetch", "peak_rss_kb", "MiB peak RSS", 1 / 1024),
    ("getdata", "seconds", "s", 1), ("getdata", "cpu_s", "s CPU", 1),
    ("fetch_aes", "seconds", "s", 1), ("fetch_aes", "cpu_s", "s CPU", 1),
    ("fetch_aes", "server_cpu_s", "s CPU of the server", 1),
    ("fetch_compressed", "seconds", "s", 1), ("fetch_compressed", "cpu_s", "s CPU", 1),
    ("fetch_compressed", "server_cpu_s", "s CPU of the server", 1),
    ("latency", "mean_us", "us mean", 1), ("latency", "p50_us", "us p50", 1),
    ("latency", "p99_us", "us p99", 1),
    ("insert_row", "row_us", "us a row", 1), ("insert_array", "row_us", "us a row", 1),
    ("connect", "p50_us", "ms p50", 1e-3), ("connect", "mean_us", "ms mean", 1e-3),
    ("loopback", "mean_us", "us 1-byte round trip mean", 1),
    ("loopback", "p50_us", "us 1-byte round trip p50", 1),
    ("loopback", "stream_s", "s stream of the text", 1),
    ("loopback", "stream_mb_s", "MB/s stream", 1),
]

NAMES = {
    "sqlite": "SQLite C API stepping the SELECT",
    "fetch": "fetch, bound column-wise, rowset 1000",
    "getdata": "fetch by SQLGetData",
    "fetch_aes": "fetch, Encryption=AES256",
    "fetch_compressed": "fetch from the server with --compress-min 1024",
    "latency": "SELECT 1 + fetch + close",
    "insert_row": "prepared INSERT, one row per SQLExecute",
    "insert_array": "prepared INSERT, parameter array of 1000",
    "connect": "connect + disconnect",
    "loopback": "loopback TCP",
}

print("| measurement | median | min-max | unit |")
print("|---|---|---|---|")
for name, key, unit, scale in FIGURES:
    v = [x * scale for x in values(name, key)]
    print("| %s | %.4g | %.4g-%.4g | %s |"
          % (NAMES[name], statistics.median(v), min(v), max(v), unit))

# (goal, numerator, denominator, bound)
GOALS = [
    ("fetch / SQLite stepping", median("fetch", "seconds"), median("sqlite", "seconds"), 2.0),
    ("fetch client CPU / SQLite stepping", median("fetch", "cpu_s"), median("sqlite", "seconds"),
     1.5),
    ("getdata / fetch", median("getdata", "seconds"), median("fetch", "seconds"), 1.3),
    ("AES-256 / clear", median("fetch_aes", "seconds"), median("fetch", "seconds"), 1.2),
    ("compressed / clear", median("fetch_compressed", "seconds"), median("fetch", "seconds"), 1.5),
    ("latency mean / loopback round trip mean", median("latency", "mean_us"),
     median("loopback", "mean_us"), 1.3),
    ("latency p99 / p50", median("latency", "p99_us"), median("latency", "p50_us"), 3.0),
    ("insert_row a row / latency mean", median("insert_row", "row_us"),
     median("latency", "mean_us"), 1.3),
    ("insert_array / insert_row", median("insert_array", "row_us"), median("insert_row", "row_us"),
     0.25),
    ("connect p50 / latency mean", median("connect", "p50_us"), median("latency", "mean_us"),
     10.0),
    ("fetch peak RSS / text bytes", median("fetch", "peak_rss_kb") * 1024, text_bytes, 1.6),
]

print("\n| goal | ratio | bound | |")
print("|---|---|---|---|")
for goal, numerator, denominator, bound in GOALS:
    ratio = numerator / denominator
    verdict = "met" if ratio <= bound else "NOT MET"
    print("| %s | %.3f | <= %.2f | %s |" % (goal, ratio, bound, verdict))
