"""Connects in every way an application gives a password, with the driver's trace and query log
on: a blank before the key, a braced password holding ";" and "}", a plain one, and SQLConnect
(through ctypes, as pyodbc has no call for it). Each session runs a query.

Usage: pyodbc_secrets.py DSN PORT QUERYLOG  (prints "ok" when every connection worked)
"""
import ctypes
import sys

import pyodbc

dsn, port, query_log = sys.argv[1], sys.argv[2], sys.argv[3]
base = "DRIVER={Karvell ODBC};SERVER=127.0.0.1;PORT=%s;QueryLog_On=Yes;QueryLogTime=0;QueryLogFile=%s;" % (
    port, query_log)
for text in (base + "UID=bob; PWD=Zq9secretPw;",
             base + "UID=amy;PWD={Br;ace}}dPw};",
             base + "UID=bob;\tPWD\t=Zq9secretPw"):
    connection = pyodbc.connect(text, autocommit=True)
    assert connection.cursor().execute("select 41 + 1").fetchone()[0] == 42
    connection.close()

odbc = ctypes.CDLL("libodbc.so.2")
env, dbc = ctypes.c_void_p(), ctypes.c_void_p()
assert odbc.SQLAllocHandle(1, None, ctypes.byref(env)) == 0
assert odbc.SQLSetEnvAttr(env, 200, ctypes.c_void_p(3), 0) == 0
assert odbc.SQLAllocHandle(2, env, ctypes.byref(dbc)) == 0
rc = odbc.SQLConnect(dbc, dsn.encode(), -3, b"bob", -3, b"Zq9secretPw", -3)
assert rc in (0, 1), "SQLConnect answered %d" % rc
odbc.SQLDisconnect(dbc)
odbc.SQLFreeHandle(2, dbc)
odbc.SQLFreeHandle(1, env)
print("ok")
