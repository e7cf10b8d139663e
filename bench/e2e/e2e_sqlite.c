/* The SQLite side of the end-to-end benchmark.
 *   e2e_sqlite load DB ROWS   writes the tables bench (ROWS rows) and bench2 (empty) and prints
 *                             the rows, their text bytes and their checksum
 *   e2e_sqlite step DB ROWS CHECKSUM
 *                             steps the benchmark's SELECT with the C API, every column read
 *                             with its own accessor: the ceiling for a server built on SQLite */
#include <inttypes.h>
#include <sqlite3.h>
#include <stdlib.h>

#include "e2e_rows.h"

static const char *const kSelect = "SELECT id, i, d, s, ts FROM bench";

static void check(sqlite3 *db, int rc, int expected, const char *what) {
  if (rc == expected) return;
  fprintf(stderr, "e2e_sqlite: %s: %s\n", what, sqlite3_errmsg(db));
  exit(1);
}

static void load(sqlite3 *db, int64_t rows) {
  check(db,
        sqlite3_exec(db,
                     "CREATE TABLE bench (id INTEGER PRIMARY KEY, i INTEGER, d DOUBLE, s TEXT, "
                     "ts TEXT);"
                     "CREATE TABLE bench2 (id INTEGER PRIMARY KEY, i INTEGER, d DOUBLE, s TEXT, "
                     "ts TEXT);"
                     "BEGIN",
                     NULL, NULL, NULL),
        SQLITE_OK, "create");
  sqlite3_stmt *insert;
  check(db, sqlite3_prepare_v2(db, "INSERT INTO bench VALUES (?, ?, ?, ?, ?)", -1, &insert, NULL),
        SQLITE_OK, "prepare");
  uint64_t sum = 0;
  long long bytes = 0;
  for (int64_t k = 1; k <= rows; k++) {
    struct e2e_row row;
    e2e_row_make(k, &row);
    sqlite3_bind_int64(insert, 1, row.id);
    sqlite3_bind_int64(insert, 2, row.i);
    sqlite3_bind_double(insert, 3, row.d);
    sqlite3_bind_text(insert, 4, row.s, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 5, row.ts, -1, SQLITE_STATIC);
    check(db, sqlite3_step(insert), SQLITE_DONE, "insert");
    sqlite3_reset(insert);
    sum = e2e_checksum_add(sum, row.id, row.i, row.d, row.s, strlen(row.s), row.ts,
                           strlen(row.ts));
    bytes += (long long)e2e_row_text_bytes(&row);
  }
  sqlite3_finalize(insert);
  check(db, sqlite3_exec(db, "COMMIT", NULL, NULL, NULL), SQLITE_OK, "commit");
  printf("rows=%" PRId64 " text_bytes=%lld checksum=%" PRIu64 "\n", rows, bytes, sum);
}

static void step(sqlite3 *db, int64_t rows, uint64_t expected) {
  sqlite3_stmt *select;
  check(db, sqlite3_prepare_v2(db, kSelect, -1, &select, NULL), SQLITE_OK, "prepare");
  int64_t count = 0;
  uint64_t sum = 0;
  double cpu = e2e_cpu(), start = e2e_now();
  int rc;
  while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
    const char *s = (const char *)sqlite3_column_text(select, 3);
    size_t s_len = (size_t)sqlite3_column_bytes(select, 3);
    const char *ts = (const char *)sqlite3_column_text(select, 4);
    size_t ts_len = (size_t)sqlite3_column_bytes(select, 4);
    sum = e2e_checksum_add(sum, sqlite3_column_int64(select, 0), sqlite3_column_int64(select, 1),
                           sqlite3_column_double(select, 2), s, s_len, ts, ts_len);
    count++;
  }
  double seconds = e2e_now() - start;
  cpu = e2e_cpu() - cpu;
  check(db, rc, SQLITE_DONE, "step");
  sqlite3_finalize(select);
  if (count != rows || sum != expected) {
    fprintf(stderr,
            "e2e_sqlite: stepping read %" PRId64 " rows with checksum %" PRIu64
            ", expected %" PRId64 " with %" PRIu64 "\n",
            count, sum, rows, expected);
    exit(1);
  }
  printf("seconds=%.6f cpu_s=%.6f peak_rss_kb=%ld\n", seconds, cpu, e2e_peak_rss_kb());
}

int main(int argc, char **argv) {
  int loading = argc == 4 && !strcmp(argv[1], "load");
  if (!loading && !(argc == 5 && !strcmp(argv[1], "step"))) {
    fprintf(stderr, "usage: e2e_sqlite load DB ROWS | step DB ROWS CHECKSUM\n");
    return 2;
  }
  sqlite3 *db;
  int flags = loading ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  check(db, sqlite3_open_v2(argv[2], &db, flags, NULL), SQLITE_OK, argv[2]);
  int64_t rows = strtoll(argv[3], NULL, 10);
  if (loading)
    load(db, rows);
  else
    step(db, rows, strtoull(argv[4], NULL, 10));
  sqlite3_close(db);
  return 0;
}
