/* The rows of the end-to-end benchmark's table, made the same way by every program that writes or
 * checks them, and the checksum over the values read back. Every double is a multiple of 1/16
 * with at most 11 significant digits, so its text as SQLite gives it converts back exactly. */
#ifndef E2E_ROWS_H
#define E2E_ROWS_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>

enum { E2E_S_SIZE = 32, E2E_TS_SIZE = 24 };

struct e2e_row {
  int64_t id, i;
  double d;
  char s[E2E_S_SIZE], ts[E2E_TS_SIZE];
};

static inline void e2e_row_make(int64_t k, struct e2e_row *row) {
  row->id = k;
  row->i = (k * 48271) % 2147483647;
  row->d = (double)((k * 7927) % 1000003) / 16.0;
  uint64_t x = (uint64_t)k * 0x9E3779B97F4A7C15ULL;
  int len = 15 + (int)(k % 11);
  for (int j = 0; j < len; j++) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    row->s[j] = (char)('a' + x % 26);
  }
  row->s[len] = '\0';
  time_t t = (time_t)1609459200 + (time_t)(61 * k); /* 2021-01-01 00:00:00 UTC */
  struct tm tm;
  gmtime_r(&t, &tm);
  strftime(row->ts, sizeof row->ts, "%Y-%m-%d %H:%M:%S", &tm);
}

/* The row as a line of CSV text: the measure of how many bytes a fetch carries. */
static inline size_t e2e_row_text_bytes(const struct e2e_row *row) {
  char line[128];
  return (size_t)snprintf(line, sizeof line, "%lld,%lld,%.17g,%s,%s\n", (long long)row->id,
                          (long long)row->i, row->d, row->s, row->ts);
}

/* Eight bytes at a time, so that hashing the texts costs little beside reading them. */
static inline uint64_t e2e_text_hash(const char *text, size_t len) {
  uint64_t h = len;
  for (size_t at = 0; at < len; at += 8) {
    uint64_t word = 0;
    memcpy(&word, text + at, len - at < 8 ? len - at : 8);
    h = (h ^ word) * 0x100000001B3ULL;
  }
  return h;
}

/* Adds one row to an order-independent checksum. */
static inline uint64_t e2e_checksum_add(uint64_t sum, int64_t id, int64_t i, double d,
                                        const char *s, size_t s_len, const char *ts,
                                        size_t ts_len) {
  const uint64_t k = 0x9E3779B97F4A7C15ULL;
  uint64_t h = (uint64_t)id;
  h = h * k + (uint64_t)i;
  h = h * k + (uint64_t)(int64_t)(d * 16.0);
  h = h * k + e2e_text_hash(s, s_len);
  h = h * k + e2e_text_hash(ts, ts_len);
  return sum + (h ^ (h >> 29));
}

static inline double e2e_now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

/* User and system CPU seconds of this process so far. */
static inline double e2e_cpu(void) {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return (double)(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         (double)(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

static inline long e2e_peak_rss_kb(void) {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

static int e2e_compare_doubles(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return (x > y) - (x < y);
}

/* Sorts the samples; prints their mean, median and nearest-rank 99th percentile in us. */
static inline void e2e_print_percentiles(double *samples, long n) {
  double total = 0;
  for (long k = 0; k < n; k++) total += samples[k];
  qsort(samples, (size_t)n, sizeof *samples, e2e_compare_doubles);
  long p99 = (99 * n + 99) / 100;
  printf(" mean_us=%.2f p50_us=%.2f p99_us=%.2f", total / (double)n * 1e6,
         samples[n / 2] * 1e6, samples[p99 - 1] * 1e6);
}

#endif
