# Driven by PyodbcTest.cpp: pyodbc (the wide entry points) through the unixODBC Driver Manager.
# Prints "ok" last when every check held; any failed check raises.
import datetime
import sys

import pyodbc

dsn = sys.argv[1]
port = sys.argv[2]


def check(condition, what):
    if not condition:
        raise AssertionError(what)


by_dsn = pyodbc.connect("DSN=%s;UID=karvell;PWD=karvell" % dsn)
by_string = pyodbc.connect(
    "DRIVER={Karvell ODBC};SERVER=127.0.0.1;PORT=%s;UID=karvell;PWD=karvell" % port)
by_string.close()
try:
    pyodbc.connect("DSN=%s;UID=karvell;PWD=wrong" % dsn)
    check(False, "a wrong password connected")
except pyodbc.Error as error:
    check("28000" in str(error) or "login" in str(error).lower(), "login error: %s" % error)

cur = by_dsn.cursor()
cur.execute("create table t (id integer, v text, f real, b blob, n bigint, \"na\u00efve\" text)")
cur.execute("insert into t (id, v, f, b) values (?, ?, ?, ?)", 1, "\u00e9\u20ac\U0001F600", 2.5,
            b"\x00\x01\xff")
cur.executemany("insert into t (id, v) values (?, ?)", [(2, None), (3, ""), (4, "x")])
cur.execute("insert into t (id, n) values (?, ?)", 5, -2 ** 63)
cur.execute("insert into t (id, n) values (?, ?)", 6, 2 ** 63 - 1)

cur.execute("select id, v, f, b, n, \"na\u00efve\" from t order by id")
check([d[0] for d in cur.description] == ["id", "v", "f", "b", "n", "na\u00efve"],
      "description: %r" % (cur.description,))
first = cur.fetchone()
check(first[0] == 1 and first[1] == "\u00e9\u20ac\U0001F600" and first[2] == 2.5 and
      bytes(first[3]) == b"\x00\x01\xff", "first row: %r" % (first,))
two = cur.fetchmany(2)
check(two[0][1] is None and two[1][1] == "", "NULL against empty: %r" % (two,))
rest = cur.fetchall()
check([r[0] for r in rest] == [4, 5, 6], "the rest: %r" % (rest,))
check(rest[1][4] == -2 ** 63 and rest[2][4] == 2 ** 63 - 1, "64-bit ends: %r" % (rest,))

for length in (0, 1, 255, 256, 4095, 4096, 4097, 100000):
    text = ("\u00e9a\u20ac\U0001F600" * (length // 4 + 1))[:length]
    cur.execute("select ?", text)
    back = cur.fetchone()[0]
    check(back == text, "text of %d characters came back as %d" % (length, len(back or "")))

# pyodbc reads long values in 4096-byte pieces and takes every cut piece to fill its buffer, so a
# piece must not stop short of a surrogate pair or a UTF-8 sequence; read as UTF-16 and as UTF-8.
for encoding, ctype in (("utf-16le", pyodbc.SQL_WCHAR), ("utf-8", pyodbc.SQL_CHAR)):
    by_dsn.setdecoding(pyodbc.SQL_WCHAR, encoding=encoding, ctype=ctype)
    for text in ("\U0001F600" * 1024, "\U0001F600" * 3000, "\u00e9" * 3000, "ab" + "\u20ac" * 2000):
        back = cur.execute("select ?", text).fetchone()[0]
        check(back == text, "%s: %d characters came back as %d" % (encoding, len(text),
                                                                    len(back or "")))
by_dsn.setdecoding(pyodbc.SQL_WCHAR, encoding="utf-16le", ctype=pyodbc.SQL_WCHAR)

# pyodbc cuts a bound fraction to what SQLGetTypeInfo says the timestamp holds.
stamp = datetime.datetime(2021, 6, 7, 8, 9, 10, 123456)
cur.execute("select ?", stamp)
back = cur.fetchone()[0]
check(str(back) == "2021-06-07 08:09:10.123456", "timestamp came back as %r" % (back,))

try:
    cur.execute("select * from no_such_table_" + "x" * 380)
    check(False, "a missing table was found")
except pyodbc.Error as error:
    check("x" * 380 in str(error), "the long error is cut: %s" % error)

# Manual commit: a rollback undoes, a commit keeps, and another connection sees only what was
# committed; pyodbc starts with autocommit off.
check(not by_dsn.autocommit, "pyodbc's connection starts in autocommit")
other = pyodbc.connect("DSN=%s;UID=karvell;PWD=karvell" % dsn, autocommit=True)
cur.execute("create table tx (id integer)")
by_dsn.commit()


def counts():
    return (cur.execute("select count(*) from tx").fetchone()[0],
            other.cursor().execute("select count(*) from tx").fetchone()[0])


cur.execute("insert into tx values (1)")
check(counts() == (1, 0), "uncommitted insert: %r" % (counts(),))
by_dsn.rollback()
check(counts() == (0, 0), "after rollback: %r" % (counts(),))
cur.executemany("insert into tx values (?)", [(2,), (3,)])
by_dsn.commit()
check(counts() == (2, 2), "after commit: %r" % (counts(),))
by_dsn.autocommit = True
cur.execute("insert into tx values (4)")
by_dsn.rollback()
check(counts() == (3, 3), "autocommit insert after rollback: %r" % (counts(),))
other.close()

for info, expected in ((pyodbc.SQL_DBMS_NAME, "Karvell"), (pyodbc.SQL_DRIVER_ODBC_VER, "03.00"),
                       (pyodbc.SQL_IDENTIFIER_QUOTE_CHAR, '"'), (pyodbc.SQL_MAX_COLUMN_NAME_LEN, 255),
                       (pyodbc.SQL_DATA_SOURCE_NAME, dsn)):
    check(by_dsn.getinfo(info) == expected, "getinfo %d: %r" % (info, by_dsn.getinfo(info)))

by_dsn.close()
print("ok")
