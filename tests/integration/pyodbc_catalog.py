# Driven by PyodbcCatalogTest.cpp: pyodbc's catalog calls through the unixODBC Driver Manager,
# checked against what Python's sqlite3 reads from the server's own database file.
# Prints "ok" last when every check held; any failed check raises.
import sqlite3
import sys

import pyodbc

dsn = sys.argv[1]
database_file = sys.argv[2]


def check(condition, what):
    if not condition:
        raise AssertionError(what)


connection = pyodbc.connect("DSN=%s;UID=karvell;PWD=karvell" % dsn, autocommit=True)
cur = connection.cursor()
NON_ASCII = "na\u00efve_\u00fc\u20ac"
QUOTED = "O'Brien"
for sql in (
        "create table parts (x integer, y text not null, z integer, primary key (z, x))",
        "create index parts_y on parts (y)",
        "create unique index parts_yx on parts (y desc, x)",
        "create view parts_v as select x, y from parts",
        "create table \"O'Brien\" (id integer primary key, name text default 'Mc''Kay')",
        "create table \"%s\" (\"gr\u00f6\u00dfe\" integer not null, \"\u00e9t\u00e9\" text)"
        % NON_ASCII):
    cur.execute(sql)

oracle = sqlite3.connect(database_file)


def pragma(name, argument):
    return oracle.execute("PRAGMA %s(\"%s\")" % (name, argument.replace('"', '""'))).fetchall()


# tables(): every table and view of sqlite_master, with its type.
expected = {(name, "TABLE" if kind == "table" else "VIEW") for name, kind in oracle.execute(
    "select name, type from sqlite_master where type in ('table', 'view') "
    "and name not like 'sqlite_%'")}
listed = {(row.table_name, row.table_type) for row in cur.tables()}
check(expected <= listed and listed - expected <= {("sqlite_master", "SYSTEM TABLE")},
      "tables(): %r against %r" % (listed, expected))
for name in (QUOTED, NON_ASCII):
    rows = [(row.table_name, row.table_type) for row in cur.tables(table=name)]
    check(rows == [(name, "TABLE")], "tables(%r): %r" % (name, rows))
views = [row.table_name for row in cur.tables(tableType="VIEW")]
check(views == ["parts_v"], "tables(VIEW): %r" % views)

# columns(): names, order, nullability and defaults as table_info has them.
for table in ("parts", "parts_v", QUOTED, NON_ASCII):
    info = pragma("table_info", table)
    rows = cur.columns(table=table).fetchall()
    got = [(r.column_name, r.ordinal_position, r.nullable, r.is_nullable, r.column_def)
           for r in rows]
    want = [(name, cid + 1, 0 if notnull else 1, "NO" if notnull else "YES", default)
            for cid, name, _, notnull, default, _ in info]
    check(want and got == want, "columns(%r): %r against %r" % (table, got, want))
    check(all(r.table_name == table for r in rows), "columns(%r) table names" % table)

# primaryKeys(): the key's columns in key order, from table_info's pk positions.
for table in ("parts", QUOTED, NON_ASCII):
    want = [name for _, name, _, _, _, pk in sorted(pragma("table_info", table), key=lambda c: c[5])
            if pk]
    rows = cur.primaryKeys(table=table).fetchall()
    check([r.column_name for r in rows] == want and
          [r.key_seq for r in rows] == list(range(1, len(want) + 1)),
          "primaryKeys(%r): %r against %r" % (table, [tuple(r) for r in rows], want))

# statistics(): every index of index_list with index_info's columns in index order.
for unique in (False, True):
    want = []
    for _, index, is_unique, *_ in pragma("index_list", "parts"):
        if unique and not is_unique:
            continue
        for seqno, _, column in pragma("index_info", index):
            want.append((index, 0 if is_unique else 1, seqno + 1, column))
    rows = [r for r in cur.statistics("parts", unique=unique) if r.type != 0]
    got = [(r.index_name, r.non_unique, r.ordinal_position, r.column_name) for r in rows]
    check(got and sorted(got) == sorted(want),
          "statistics(unique=%r): %r against %r" % (unique, got, want))

# getTypeInfo(): every row names its type, and asking for one type answers that type only.
every = cur.getTypeInfo().fetchall()
check(len(every) > 0 and len(cur.description) == 19, "getTypeInfo(): %d rows" % len(every))
for sql_type in sorted({row.data_type for row in every}):
    rows = cur.getTypeInfo(sql_type).fetchall()
    check(rows and all(r.data_type == sql_type for r in rows),
          "getTypeInfo(%d): %r" % (sql_type, [tuple(r) for r in rows]))
check(cur.getTypeInfo(12345).fetchall() == [] and len(cur.description) == 19,
      "getTypeInfo of an unknown type")

# Every fixture table survives the quoted names.
check({name for (name,) in oracle.execute("select name from sqlite_master")} >=
      {"parts", "parts_v", QUOTED, NON_ASCII}, "a fixture table is gone")
connection.close()
print("ok")
