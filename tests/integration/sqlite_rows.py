"""Prints the rows of a query on an SQLite database file, one line each, the values joined by "|"
and NULL for a null, in UTF-8: the rows as SQLite itself stored them, for the C++ tests to compare.

Usage: sqlite_rows.py DATABASE QUERY
"""
import sqlite3
import sys

connection = sqlite3.connect(sys.argv[1])
out = sys.stdout.buffer
for row in connection.execute(sys.argv[2]):
    out.write(("|".join("NULL" if v is None else str(v) for v in row) + "\n").encode("utf-8"))
connection.close()
