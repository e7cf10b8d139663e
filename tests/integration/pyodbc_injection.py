"""A value bound through pyodbc after a comment that a lone CR does not end: the server reads the
rest of the line as comment, so the marker there is none (pyodbc refuses the value, as SQLNumParams
counts no marker) and a value for a real marker reaches the table whole.

Usage: pyodbc_injection.py DSN DATABASE  (prints "ok" when every check passed)
"""
import sqlite3
import sys

import pyodbc

dsn, database = sys.argv[1], sys.argv[2]
hostile = "x\n; DELETE FROM victim WHERE 1; --"
connection = pyodbc.connect("DSN=%s;UID=karvell;PWD=karvell" % dsn, autocommit=True)
cursor = connection.cursor()
cursor.execute("create table victim (id integer)")
cursor.execute("insert into victim values (1), (2), (3)")
cursor.execute("create table t (id integer, v text)")
cursor.execute("INSERT INTO t (id, v) VALUES (1, 'safe') -- note\r, ?")
try:
    cursor.execute("INSERT INTO t (id, v) VALUES (3, 'lost') -- note\r, ?", hostile)
    raise AssertionError("a value was taken for a marker inside a comment")
except pyodbc.ProgrammingError as error:
    assert "0 parameter markers" in str(error), error
cursor.execute("INSERT INTO t (id, v) VALUES (2, ?) -- note\r, ?", hostile)
connection.close()

stored = sqlite3.connect(database)
victims = stored.execute("select count(*) from victim").fetchone()[0]
rows = stored.execute("select id, v from t order by id").fetchall()
assert victims == 3, "victim lost rows: %d left" % victims
assert rows == [(1, "safe"), (2, hostile)], rows
print("ok")
