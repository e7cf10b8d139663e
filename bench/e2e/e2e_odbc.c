/* The driver's side of the end-to-end benchmark: an application that uses only the ODBC API,
 * through whichever Driver Manager it is linked with. One measurement per process, so that the
 * peak memory and the CPU time are the measurement's own.
 *   e2e_odbc fetch|getdata CONNECTION ROWS CHECKSUM  the benchmark's SELECT, bound column-wise
 *                                     with a rowset of 1000 or read by SQLGetData, checked against
 *                                     the rows and the checksum the table was written with
 *   e2e_odbc latency CONNECTION QUERIES  SELECT 1, its fetch and close, one at a time
 *   e2e_odbc insert_row|insert_array CONNECTION ROWS  a prepared INSERT into bench2, one row per
 *                                     SQLExecute or 1000 parameter sets, in one transaction
 *   e2e_odbc connect CONNECTION COUNT  SQLDriverConnect and SQLDisconnect
 * Prints one line of key=value figures; any failure or a wrong answer exits with status 1. */
#include <inttypes.h>
#include <stdarg.h>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>

#include "e2e_rows.h"

enum { ROWSET = 1000, PARAMSET = 1000, WARMUP = 20 };

static SQLHENV env;

static void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));
static void fail(const char *format, ...) {
  va_list args;
  va_start(args, format);
  fprintf(stderr, "e2e_odbc: ");
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
  exit(1);
}

static void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char *call, int line) {
  if (SQL_SUCCEEDED(rc)) return;
  fprintf(stderr, "e2e_odbc:%d: %s returned %d\n", line, call, (int)rc);
  SQLCHAR state[6], message[1024];
  SQLINTEGER native;
  SQLSMALLINT length;
  for (SQLSMALLINT record = 1;
       SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record, state, &native, message,
                                   (SQLSMALLINT)sizeof message, &length));
       record++)
    fprintf(stderr, "  [%s] %s\n", (const char *)state, (const char *)message);
  exit(1);
}

#define CHECK(call, type, handle) check((call), (type), (handle), #call, __LINE__)
#define CHECK_STMT(call, stmt) check((call), SQL_HANDLE_STMT, (stmt), #call, __LINE__)
#define CHECK_DBC(call, dbc) check((call), SQL_HANDLE_DBC, (dbc), #call, __LINE__)

static SQLHDBC connect_to(const char *connection) {
  SQLHDBC dbc;
  CHECK(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env);
  CHECK_DBC(SQLDriverConnect(dbc, NULL, (SQLCHAR *)connection, SQL_NTS, NULL, 0, NULL,
                             SQL_DRIVER_NOPROMPT),
            dbc);
  return dbc;
}

static void disconnect(SQLHDBC dbc) {
  CHECK_DBC(SQLDisconnect(dbc), dbc);
  CHECK_DBC(SQLFreeHandle(SQL_HANDLE_DBC, dbc), dbc);
}

static void *allocate(size_t count, size_t size) {
  void *p = calloc(count, size);
  if (!p) fail("out of memory");
  return p;
}

/* The five columns of `n` rows, column-wise, with a length or indicator for each value. */
struct columns {
  long n;
  SQLBIGINT *id, *i;
  double *d;
  char (*s)[E2E_S_SIZE], (*ts)[E2E_TS_SIZE];
  SQLLEN *lengths;
};

static struct columns columns_make(long n) {
  struct columns c = {n,
                      allocate((size_t)n, sizeof *c.id),
                      allocate((size_t)n, sizeof *c.i),
                      allocate((size_t)n, sizeof *c.d),
                      allocate((size_t)n, sizeof *c.s),
                      allocate((size_t)n, sizeof *c.ts),
                      allocate(5 * (size_t)n, sizeof *c.lengths)};
  return c;
}

static void columns_free(struct columns *c) {
  free(c->id), free(c->i), free(c->d), free(c->s), free(c->ts), free(c->lengths);
}

/* The benchmark's SELECT, bound with a rowset of 1000 or read a row at a time by SQLGetData;
 * timed from SQLExecDirect to SQLCloseCursor. */
static void fetch(SQLHSTMT stmt, int bound, int64_t expected, uint64_t expected_sum) {
  struct columns c = columns_make(bound ? ROWSET : 1);
  SQLLEN *len = c.lengths;
  SQLUSMALLINT *status = allocate((size_t)c.n, sizeof *status);
  SQLULEN fetched = 0;
  CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)(intptr_t)c.n, 0), stmt);
  CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, status, 0), stmt);
  CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), stmt);
  if (bound) {
    CHECK_STMT(SQLBindCol(stmt, 1, SQL_C_SBIGINT, c.id, 0, len), stmt);
    CHECK_STMT(SQLBindCol(stmt, 2, SQL_C_SBIGINT, c.i, 0, len + c.n), stmt);
    CHECK_STMT(SQLBindCol(stmt, 3, SQL_C_DOUBLE, c.d, 0, len + 2 * c.n), stmt);
    CHECK_STMT(SQLBindCol(stmt, 4, SQL_C_CHAR, c.s, E2E_S_SIZE, len + 3 * c.n), stmt);
    CHECK_STMT(SQLBindCol(stmt, 5, SQL_C_CHAR, c.ts, E2E_TS_SIZE, len + 4 * c.n), stmt);
  }
  int64_t rows = 0;
  uint64_t sum = 0;
  double cpu = e2e_cpu(), start = e2e_now();
  CHECK_STMT(SQLExecDirect(stmt, (SQLCHAR *)"SELECT id, i, d, s, ts FROM bench", SQL_NTS), stmt);
  SQLRETURN rc;
  while ((rc = SQLFetch(stmt)) != SQL_NO_DATA) {
    CHECK_STMT(rc, stmt);
    if (!bound) {
      CHECK_STMT(SQLGetData(stmt, 1, SQL_C_SBIGINT, c.id, 0, &len[0]), stmt);
      CHECK_STMT(SQLGetData(stmt, 2, SQL_C_SBIGINT, c.i, 0, &len[1]), stmt);
      CHECK_STMT(SQLGetData(stmt, 3, SQL_C_DOUBLE, c.d, 0, &len[2]), stmt);
      CHECK_STMT(SQLGetData(stmt, 4, SQL_C_CHAR, c.s, E2E_S_SIZE, &len[3]), stmt);
      CHECK_STMT(SQLGetData(stmt, 5, SQL_C_CHAR, c.ts, E2E_TS_SIZE, &len[4]), stmt);
    }
    for (SQLULEN r = 0; r < fetched; r++) {
      if (status[r] != SQL_ROW_SUCCESS)
        fail("fetch: row status %d at row %" PRId64, status[r], rows + (int64_t)r + 1);
      sum = e2e_checksum_add(sum, c.id[r], c.i[r], c.d[r], c.s[r], (size_t)len[3 * c.n + r],
                             c.ts[r], (size_t)len[4 * c.n + r]);
    }
    rows += (int64_t)fetched;
  }
  CHECK_STMT(SQLCloseCursor(stmt), stmt);
  double seconds = e2e_now() - start;
  cpu = e2e_cpu() - cpu;
  if (rows != expected)
    fail("fetch: %" PRId64 " rows fetched, expected %" PRId64, rows, expected);
  if (sum != expected_sum)
    fail("fetch: checksum %" PRIu64 " of the values fetched, expected %" PRIu64, sum,
         expected_sum);
  printf("seconds=%.6f cpu_s=%.6f peak_rss_kb=%ld\n", seconds, cpu, e2e_peak_rss_kb());
  columns_free(&c);
  free(status);
}

static void select_one(SQLHSTMT stmt, SQLBIGINT *one) {
  *one = 0;
  CHECK_STMT(SQLExecDirect(stmt, (SQLCHAR *)"SELECT 1", SQL_NTS), stmt);
  CHECK_STMT(SQLFetch(stmt), stmt);
  if (*one != 1) fail("SELECT 1 returned %lld", (long long)*one);
  CHECK_STMT(SQLCloseCursor(stmt), stmt);
}

static void latency(SQLHSTMT stmt, long queries) {
  SQLBIGINT one;
  SQLLEN length;
  CHECK_STMT(SQLBindCol(stmt, 1, SQL_C_SBIGINT, &one, 0, &length), stmt);
  for (int w = 0; w < WARMUP; w++) select_one(stmt, &one);
  double *samples = allocate((size_t)queries, sizeof *samples);
  for (long q = 0; q < queries; q++) {
    double start = e2e_now();
    select_one(stmt, &one);
    samples[q] = e2e_now() - start;
  }
  printf("queries=%ld", queries);
  e2e_print_percentiles(samples, queries);
  printf("\n");
  free(samples);
}

/* Binds the parameters of the INSERT column-wise (the driver takes no other binding). */
static void bind_params(SQLHSTMT stmt, struct columns *p) {
  SQLLEN *s_len = p->lengths + 3 * p->n, *ts_len = p->lengths + 4 * p->n;
  for (long k = 0; k < p->n; k++) s_len[k] = ts_len[k] = SQL_NTS;
  CHECK_STMT(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, p->id,
                              0, NULL),
             stmt);
  CHECK_STMT(SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, p->i, 0,
                              NULL),
             stmt);
  CHECK_STMT(SQLBindParameter(stmt, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, p->d, 0,
                              NULL),
             stmt);
  CHECK_STMT(SQLBindParameter(stmt, 4, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, E2E_S_SIZE, 0,
                              p->s, E2E_S_SIZE, s_len),
             stmt);
  CHECK_STMT(SQLBindParameter(stmt, 5, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, E2E_TS_SIZE, 0,
                              p->ts, E2E_TS_SIZE, ts_len),
             stmt);
}

static int64_t count_bench2(SQLHDBC dbc) {
  SQLHSTMT stmt;
  SQLBIGINT count = -1;
  SQLLEN length;
  CHECK_DBC(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), dbc);
  CHECK_STMT(SQLExecDirect(stmt, (SQLCHAR *)"SELECT COUNT(*) FROM bench2", SQL_NTS), stmt);
  CHECK_STMT(SQLFetch(stmt), stmt);
  CHECK_STMT(SQLGetData(stmt, 1, SQL_C_SBIGINT, &count, 0, &length), stmt);
  CHECK_STMT(SQLFreeHandle(SQL_HANDLE_STMT, stmt), stmt);
  return count;
}

static void empty_bench2(SQLHDBC dbc) {
  SQLHSTMT stmt;
  CHECK_DBC(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), dbc);
  SQLRETURN rc = SQLExecDirect(stmt, (SQLCHAR *)"DELETE FROM bench2", SQL_NTS);
  if (rc != SQL_NO_DATA) CHECK_STMT(rc, stmt);
  CHECK_STMT(SQLFreeHandle(SQL_HANDLE_STMT, stmt), stmt);
}

static void insert(SQLHDBC dbc, SQLHSTMT stmt, long rows, long size) {
  struct e2e_row *all = allocate((size_t)rows, sizeof *all);
  for (long k = 0; k < rows; k++) e2e_row_make(k + 1, &all[k]);
  struct columns p = columns_make(size);
  bind_params(stmt, &p);
  SQLUSMALLINT *status = allocate((size_t)size, sizeof *status);
  SQLULEN processed = 0;
  CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, status, 0), stmt);
  CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0), stmt);
  CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, (SQLPOINTER)(intptr_t)size, 0), stmt);
  empty_bench2(dbc);
  CHECK_DBC(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0), dbc);
  double start = e2e_now();
  CHECK_STMT(SQLPrepare(stmt, (SQLCHAR *)"INSERT INTO bench2 VALUES (?, ?, ?, ?, ?)", SQL_NTS),
             stmt);
  for (long at = 0; at < rows; at += size) {
    long sets = rows - at < size ? rows - at : size;
    if (sets < size)
      CHECK_STMT(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, (SQLPOINTER)(intptr_t)sets, 0),
                 stmt);
    for (long k = 0; k < sets; k++) {
      const struct e2e_row *row = &all[at + k];
      p.id[k] = row->id, p.i[k] = row->i, p.d[k] = row->d;
      memcpy(p.s[k], row->s, sizeof row->s), memcpy(p.ts[k], row->ts, sizeof row->ts);
    }
    CHECK_STMT(SQLExecute(stmt), stmt);
    if ((long)processed != sets) fail("insert: %ld sets processed of %ld", (long)processed, sets);
    for (long k = 0; k < sets; k++)
      if (status[k] != SQL_PARAM_SUCCESS)
        fail("insert: parameter status %d at row %ld", status[k], at + k + 1);
  }
  CHECK_DBC(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), dbc);
  double seconds = e2e_now() - start;
  int64_t count = count_bench2(dbc);
  if (count != rows) fail("insert: bench2 holds %" PRId64 " rows, expected %ld", count, rows);
  empty_bench2(dbc);
  CHECK_DBC(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), dbc);
  printf("rows=%ld seconds=%.6f row_us=%.2f\n", rows, seconds, seconds / (double)rows * 1e6);
  columns_free(&p);
  free(all), free(status);
}

static void connects(const char *connection, long count) {
  double *samples = allocate((size_t)count, sizeof *samples);
  for (long c = 0; c < count; c++) {
    double start = e2e_now();
    disconnect(connect_to(connection));
    samples[c] = e2e_now() - start;
  }
  printf("connects=%ld", count);
  e2e_print_percentiles(samples, count);
  printf("\n");
  free(samples);
}

int main(int argc, char **argv) {
  const char *mode = argc >= 4 ? argv[1] : "";
  int fetching = !strcmp(mode, "fetch") || !strcmp(mode, "getdata");
  if (argc != (fetching ? 5 : 4)) {
    fprintf(stderr,
            "usage: e2e_odbc fetch|getdata CONNECTION ROWS CHECKSUM\n"
            "       e2e_odbc latency|insert_row|insert_array|connect CONNECTION COUNT\n");
    return 2;
  }
  const char *connection = argv[2];
  long count = strtol(argv[3], NULL, 10);
  if (count < 1) fail("%s: COUNT must be positive, not %s", mode, argv[3]);
  CHECK(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  CHECK(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0), SQL_HANDLE_ENV,
        env);
  if (!strcmp(mode, "connect")) {
    connects(connection, count);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
  }
  SQLHDBC dbc = connect_to(connection);
  SQLHSTMT stmt;
  CHECK_DBC(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), dbc);
  if (fetching)
    fetch(stmt, !strcmp(mode, "fetch"), count, strtoull(argv[4], NULL, 10));
  else if (!strcmp(mode, "latency"))
    latency(stmt, count);
  else if (!strcmp(mode, "insert_row") || !strcmp(mode, "insert_array"))
    insert(dbc, stmt, count, !strcmp(mode, "insert_row") ? 1 : PARAMSET);
  else
    fail("unknown mode %s", mode);
  CHECK_STMT(SQLFreeHandle(SQL_HANDLE_STMT, stmt), stmt);
  disconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return 0;
}
