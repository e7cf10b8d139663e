# Driven by PyodbcTest.cpp: pyodbc's catalog calls through the unixODBC Driver Manager, each row
# compared whole with what Python's sqlite3 reads from the server's own database file (sqlite_master,
# table_info, index_list with its origin, index_info) and with the driver's type mapping.
# Prints "ok" last when every check held; any failed check raises.
import sqlite3
import sys

import pyodbc

dsn = sys.argv[1]
database_file = sys.argv[2]


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def same(got, want, what):
    check(got == want, "%s:\n  got  %r\n  want %r" % (what, got, want))


connection = pyodbc.connect("DSN=%s;UID=karvell;PWD=karvell" % dsn, autocommit=True)
cur = connection.cursor()
NON_ASCII = "na\u00efve_\u00fc\u20ac"
QUOTED = "O'Brien"
DOUBLE_QUOTED = 'a"b'
LONG_DEFAULT = "'" + "d" * 300 + "'"
# Declared types as applications write them, the unusual ones among them.
DECLARED = ["varchar(40)", "VARCHAR", "character(10)", "CHAR(5)", "TEXT", "nvarchar(30)", "CLOB",
            "BLOB", "MEDIUMBLOB", "INT", "INTEGER", "BIGINT", "BIGINT(20)", "TINYINT", "SMALLINT",
            "BOOL", "BOOLEAN", "REAL", "FLOAT", "CURRENCY", "DOUBLE", "DOUBLE PRECISION",
            "my float", "NUMERIC", "NUMERIC(10,2)", "decimal(12, 4)", "DECIMAL", "DATE", "TIME",
            "DATETIME", "TIMESTAMP", "money", ""]


def ident(name):
    return '"%s"' % name.replace('"', '""')


for sql in (
        "create table parts (x integer, y text not null, z integer, primary key (z, x))",
        "create index parts_y on parts (y)",
        "create unique index parts_yx on parts (y desc, x)",
        "create index parts_lower on parts (lower(y))",
        "create view parts_v as select x, y from parts",
        "create table people (id integer primary key, name text not null, "
        "note varchar(20) not null default %s)" % LONG_DEFAULT,
        "create table t2 (a text primary key, b int, unique (b))",
        "create table counters (id integer primary key autoincrement, n integer)",
        "create table refs (x integer references parts (x), y text)",
        "create table %s (id integer primary key, name text default 'Mc''Kay')" % ident(QUOTED),
        "create index %s on %s (name)" % (ident("O'Brien \"names\""), ident(QUOTED)),
        "create table %s (r integer not null, s text, primary key (s))" % ident(DOUBLE_QUOTED),
        "create table %s (\"gr\u00f6\u00dfe\" integer not null, \"\u00e9t\u00e9\" text)"
        % ident(NON_ASCII),
        "create unique index \"\u00e9t\u00e9_idx\" on %s (\"\u00e9t\u00e9\")" % ident(NON_ASCII),
        "create table types (%s)" % ", ".join(
            "c%d %s" % (i, declared) for i, declared in enumerate(DECLARED))):
    cur.execute(sql)

oracle = sqlite3.connect(database_file)


def pragma(name, argument):
    return oracle.execute("PRAGMA %s(%s)" % (name, ident(argument))).fetchall()


def rows(result):
    return [tuple(row) for row in result]


TABLES = [name for (name,) in oracle.execute(
    "select name from sqlite_master where type = 'table' and name not like 'sqlite%' "
    "order by name")]
VIEWS = [name for (name,) in oracle.execute(
    "select name from sqlite_master where type = 'view' order by name")]
MISSING = "no_such_table"

# tables(): every table and view of sqlite_master in name order, the server's own tables as
# SYSTEM TABLE, and sqlite_master last.
listed = [(name, "SYSTEM TABLE" if name.lower().startswith("sqlite_") and kind == "table"
           else kind.upper())
          for name, kind in oracle.execute(
              "select tbl_name, type from sqlite_master where type in ('table', 'view') "
              "order by tbl_name")]
want = [(None, None, name, kind, None) for name, kind in listed]
same(rows(cur.tables()), want + [(None, None, "sqlite_master", "SYSTEM TABLE", None)], "tables()")
check(len(cur.description) == 5, "tables() columns")
for name in TABLES + VIEWS:
    same(rows(cur.tables(table=name)),
         [(None, None, name, "VIEW" if name in VIEWS else "TABLE", None)], "tables(%r)" % name)
same(rows(cur.tables(table=MISSING)), [], "tables of a missing name")
same(rows(cur.tables(tableType="VIEW")), [(None, None, n, "VIEW", None) for n in VIEWS],
     "tables(VIEW)")
same(rows(cur.tables(tableType="'TABLE'")), [(None, None, n, "TABLE", None) for n in TABLES],
     "tables('TABLE')")
same(rows(cur.tables(tableType="SYSTEM TABLE")),
     [(None, None, "sqlite_sequence", "SYSTEM TABLE", None),
      (None, None, "sqlite_master", "SYSTEM TABLE", None)], "tables(SYSTEM TABLE)")
same(rows(cur.tables(catalog="%")), [("default", None, None, "", None)], "tables(catalog='%')")
same(rows(cur.tables(tableType="%")),
     [(None, None, None, kind, None) for kind in ("TABLE", "SYSTEM TABLE", "VIEW")],
     "tables(tableType='%')")

# columns(): every column of table_info, typed as the driver maps declared types.
UNLIMITED = 1000000000


def number_after(text, start):
    digits = ""
    for c in text[start:].lstrip(" "):
        if not c.isdigit():
            break
        digits += c
    return int(digits) if digits else 0


def size_in_parentheses(declared, fallback):
    start = declared.find("(")
    return fallback if start < 0 else number_after(declared, start + 1)


def scale_in_parentheses(declared):
    start = declared.find("(")
    if start < 0:
        return 0
    rest = declared[start + 1:].lstrip("0123456789 ")
    return number_after(rest, 1) if rest.startswith(",") else 0


def mapped(declared):
    """(DATA_TYPE, TYPE_NAME, COLUMN_SIZE, BUFFER_LENGTH, DECIMAL_DIGITS, NUM_PREC_RADIX,
    CHAR_OCTET_LENGTH) of a declared type; the server stores every integer in 64 bits."""
    u = declared.upper()

    def text(sql_type, name, size):
        return sql_type, name, size, size, None, None, size

    def long(sql_type):
        return sql_type, declared, UNLIMITED, UNLIMITED, None, None, UNLIMITED

    def number(sql_type, size, octets, scale=0, radix=10):
        return sql_type, declared, size, octets, scale, radix, None

    # Floating types count decimal digits and have none fixed after the point; NUMERIC(p,s)
    # travels as p digits, a sign and a point; a bit has no radix.
    def floating(sql_type):
        single = sql_type == 7
        return number(sql_type, 7 if single else 15, 4 if single else 8, None)

    def decimal(sql_type):
        size = size_in_parentheses(declared, 20)
        return number(sql_type, size, size + 2, scale_in_parentheses(declared))

    if u.startswith("VARCHAR"):
        return text(12, "VARCHAR", size_in_parentheses(declared, 255))
    if u.startswith("CHAR"):
        return text(1, "CHAR", size_in_parentheses(declared, 255))
    if u == "TEXT":
        return text(-1, declared, UNLIMITED)
    if u == "BLOB":
        return long(-4)
    if u.startswith("BIGINT"):
        return number(-5, 19, 8)
    rules = {"INT": (4, 10, 4), "INTEGER": (4, 10, 4),
             "TINYINT": (-6, 3, 1), "SMALLINT": (5, 5, 2)}
    if u in rules:
        return number(*rules[u])
    if u in ("BOOL", "BOOLEAN"):
        return number(-7, 1, 1, 0, None)
    floats = {"REAL": 7, "FLOAT": 6, "CURRENCY": 6, "DOUBLE": 8}
    if u in floats:
        return floating(floats[u])
    for prefix, sql_type in (("NUMERIC", 2), ("DECIMAL", 3)):
        if u.startswith(prefix):
            return decimal(sql_type)
    dates = {"DATE": (91, 10, 6, None), "TIME": (92, 8, 6, 0), "DATETIME": (93, 19, 16, 0),
             "TIMESTAMP": (93, 19, 16, 0)}
    if u in dates:
        sql_type, size, octets, digits = dates[u]
        return sql_type, declared, size, octets, digits, None, None
    if "INT" in u:
        return number(4, 10, 4)
    if any(part in u for part in ("CHAR", "CLOB", "TEXT")):
        return long(-1)
    if "BLOB" in u:
        return long(-4)
    if any(part in u for part in ("REAL", "FLOA", "DOUB")):
        return floating(8)
    return decimal(2)


def columns_rows(table):
    out = []
    for cid, name, declared, notnull, default, _ in pragma("table_info", table):
        sql_type, type_name, size, octets, digits, radix, char_octets = mapped(declared)
        datetime = 91 <= sql_type <= 93
        out.append((None, None, table, name, sql_type, type_name, size, octets, digits, radix,
                    0 if notnull else 1, None, default, 9 if datetime else sql_type,
                    sql_type - 90 if datetime else None, char_octets, cid + 1,
                    "NO" if notnull else "YES"))
    return out


for table in TABLES + VIEWS:
    want = columns_rows(table)
    check(want, "table_info(%r) is empty" % table)
    same(rows(cur.columns(table=table)), want, "columns(%r)" % table)
    check(len(cur.description) == 18, "columns() columns")
same(columns_rows("people")[2][12], LONG_DEFAULT, "the long default as table_info has it")
same(rows(cur.columns(table="parts", column="Y")), columns_rows("parts")[1:2], "columns(parts, Y)")
same(rows(cur.columns(table=MISSING)), [], "columns of a missing table")

# statistics(): the indexes in index_list's order, their columns in index_info's.
for table in TABLES + VIEWS:
    for unique in (True, False):
        want = []
        for _, index, is_unique, _, _ in pragma("index_list", table):
            if unique and not is_unique:
                continue
            for seqno, _, column in pragma("index_info", index):
                want.append((None, None, table, 0 if is_unique else 1, index, index, 3, seqno + 1,
                             column, None, None, None, None))
        same(rows(cur.statistics(table, unique=unique)), want,
             "statistics(%r, unique=%r)" % (table, unique))
check(len(cur.description) == 13, "statistics() columns")
check(any(not r.non_unique for r in cur.statistics("t2", unique=True)) and
      any(r.column_name is None for r in cur.statistics("parts")),
      "the fixture has constraint indexes and expression columns")

# primaryKeys(): the index whose origin is "pk", else the rowid alias of table_info, in key order.
for table in TABLES + VIEWS + [MISSING]:
    key = [index for _, index, _, origin, _ in pragma("index_list", table) if origin == "pk"]
    if key:
        want = [(None, None, table, column, seqno + 1, key[0])
                for seqno, _, column in pragma("index_info", key[0])]
    else:
        want = [(None, None, table, name, pk, None)
                for _, name, _, _, _, pk in sorted(pragma("table_info", table), key=lambda c: c[5])
                if pk]
    same(rows(cur.primaryKeys(table)), want, "primaryKeys(%r)" % table)
check(len(cur.description) == 6, "primaryKeys() columns")
same([r.column_name for r in cur.primaryKeys("parts")], ["z", "x"], "the key's own order")
same([r.column_name for r in cur.primaryKeys("t2")], ["a"], "the key past a unique constraint")

# rowIdColumns(): the rowid of every table that is there, none for a view (its rowid is NULL);
# rowVerColumns(): nothing.
ROWID = (2, "ROWID", -5, "BIGINT", 19, 8, 0, 2)
for table in TABLES + VIEWS:
    same(rows(cur.rowIdColumns(table)), [] if table in VIEWS else [ROWID],
         "rowIdColumns(%r)" % table)
    same(rows(cur.rowVerColumns(table)), [], "rowVerColumns(%r)" % table)
same(rows(cur.rowIdColumns(MISSING)), [], "rowIdColumns of a missing table")
check(len(cur.description) == 8, "rowIdColumns() columns")

# foreignKeys(): an empty result of 14 columns, whether or not the table has keys.
for arguments in ({"table": "parts"}, {"foreignTable": "refs"}, {"table": MISSING}):
    same(rows(cur.foreignKeys(**arguments)), [], "foreignKeys(%r)" % arguments)
    check(len(cur.description) == 14, "foreignKeys() columns")

# getTypeInfo(): the server's types in the driver's order, and each type code answers its rows.
# Each DATA_TYPE is what columns() gives a column declared with the row's name.
TYPES = [
    ("CHAR", 1, 2147483647, "'", "'", "length", 1, 1, 3, None, 0, None, "char", None, None, 1,
     None, None, None),
    ("VARCHAR", 12, 2147483647, "'", "'", "length", 1, 1, 3, None, 0, None, "varchar", None,
     None, 12, None, None, None),
    ("DECIMAL", 3, 10, None, None, "precision,scale", 1, 0, 2, 0, 0, 0, "decimal", 0, 15, 3, None,
     10, None),
    ("NUMERIC", 2, 10, None, None, "precision,scale", 1, 0, 2, 0, 0, 0, "numeric", 0, 15, 2, None,
     10, None),
    ("SMALLINT", 5, 5, None, None, None, 1, 0, 2, 0, 0, 0, "smallint", 0, 0, 5, None, 10,
     None),
    ("INT", 4, 10, None, None, None, 1, 0, 2, 0, 0, 0, "int", 0, 0, 4, None, 10, None),
    ("REAL", 7, 7, None, None, None, 1, 0, 2, 0, 0, 0, "real", None, None, 7, None, 10, None),
    ("FLOAT", 6, 15, None, None, None, 1, 0, 2, 0, 0, 0, "float", None, None, 6, None, 10, None),
    ("DOUBLE", 8, 15, None, None, None, 1, 0, 2, 0, 0, 0, "double", None, None, 8, None, 10, None),
    ("BOOLEAN", -7, 1, None, None, None, 1, 0, 2, 0, 0, 0, "boolean", 0, 0, -7, None, None,
     None),
    ("TINYINT", -6, 3, None, None, None, 1, 0, 2, 0, 0, 0, "tinyint", 0, 0, -6, None, 10,
     None),
    ("BIGINT", -5, 19, None, None, None, 1, 0, 2, 0, 0, 0, "bigint", 0, 0, -5, None, 10,
     None),
    ("BLOB", -4, 2147483647, "X'", "'", None, 1, 0, 3, 0, 0, 0, "blob", None, None, -4, None,
     None, None),
    ("DATE", 91, 10, "{d '", "'}", None, 1, 0, 2, None, 0, None, "date", None, None, 9, 1, None,
     None),
    ("TIME", 92, 8, "{t '", "'}", "length", 1, 0, 2, None, 0, None, "time", 0, 0, 9, 2,
     None, None),
    ("TIMESTAMP", 93, 29, "{ts '", "'}", "length", 1, 0, 2, None, 0, None, "timestamp", 0, 9, 9,
     3, None, None),
]
same(rows(cur.getTypeInfo()), TYPES, "getTypeInfo()")
check(len(cur.description) == 19, "getTypeInfo() columns")
for row in TYPES:
    same(rows(cur.getTypeInfo(row[1])), [row], "getTypeInfo(%d)" % row[1])
for odbc2_type, name in ((9, "DATE"), (10, "TIME"), (11, "TIMESTAMP")):
    same(rows(cur.getTypeInfo(odbc2_type)), [row for row in TYPES if row[0] == name],
         "getTypeInfo(%d)" % odbc2_type)
for sql_type in (-1, -8, -9, -10, -2, -3, -11, 101, 107, 110, 113):
    same(rows(cur.getTypeInfo(sql_type)), [], "getTypeInfo(%d)" % sql_type)
    check(len(cur.description) == 19, "getTypeInfo(%d) columns" % sql_type)
# A number that names no SQL type is refused.
try:
    cur.getTypeInfo(12345)
    check(False, "getTypeInfo(12345) answered rows")
except pyodbc.Error as error:
    check("HY004" in str(error), "getTypeInfo(12345): %s" % error)

# Every fixture table survives the quoted names.
check({name for (name,) in oracle.execute("select name from sqlite_master")} >=
      set(TABLES + VIEWS) >= {"parts", QUOTED, DOUBLE_QUOTED, NON_ASCII, "types"},
      "a fixture table is gone")
connection.close()
print("ok")
