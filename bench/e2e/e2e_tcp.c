/* The loopback ceilings of the end-to-end benchmark, between two processes as between the driver
 * and the server: PINGS round trips of one byte each way (TCP_NODELAY), then BYTES of the
 * table's text streamed in 64 KiB writes to a reader, timed from the reader's go signal to EOF.
 *   e2e_tcp BYTES PINGS */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "e2e_rows.h"

enum { CHUNK = 65536 };

static void fail(const char *what) {
  perror(what);
  exit(1);
}

static int dial(const struct sockaddr_in *address) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0 || connect(fd, (const struct sockaddr *)address, sizeof *address)) fail("connect");
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

static int accept_one(int listener) {
  int fd = accept(listener, NULL, NULL);
  if (fd < 0) fail("accept");
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

static void write_all(int fd, const char *p, size_t n) {
  for (ssize_t w; n; p += w, n -= (size_t)w)
    if ((w = write(fd, p, n)) <= 0) fail("write");
}

static void read_byte(int fd, char *c) {
  if (read(fd, c, 1) != 1) fail("read");
}

static void wait_for(pid_t child) {
  int status;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status))
    fail("the peer process");
}

static void ping_pong(int listener, const struct sockaddr_in *address, long pings) {
  pid_t child = fork();
  if (child < 0) fail("fork");
  if (child == 0) {
    int fd = dial(address);
    char c;
    while (read(fd, &c, 1) == 1) write_all(fd, &c, 1);
    _exit(0);
  }
  int fd = accept_one(listener);
  double *samples = calloc((size_t)pings, sizeof *samples);
  char c = 'x';
  for (int w = 0; w < 100; w++) write_all(fd, &c, 1), read_byte(fd, &c);
  for (long p = 0; p < pings; p++) {
    double start = e2e_now();
    write_all(fd, &c, 1);
    read_byte(fd, &c);
    samples[p] = e2e_now() - start;
  }
  close(fd);
  wait_for(child);
  printf("pings=%ld", pings);
  e2e_print_percentiles(samples, pings);
  free(samples);
}

static void stream(int listener, const struct sockaddr_in *address, long long bytes) {
  static char chunk[CHUNK];
  size_t filled = 0;
  for (int64_t k = 1; filled < sizeof chunk; k++) {
    struct e2e_row row;
    e2e_row_make(k, &row);
    filled += (size_t)snprintf(chunk + filled, sizeof chunk - filled, "%lld,%lld,%.17g,%s,%s\n",
                               (long long)row.id, (long long)row.i, row.d, row.s, row.ts);
  }
  pid_t child = fork();
  if (child < 0) fail("fork");
  if (child == 0) {
    int fd = dial(address);
    char go;
    read_byte(fd, &go);
    for (long long left = bytes; left > 0; left -= CHUNK)
      write_all(fd, chunk, left < CHUNK ? (size_t)left : CHUNK);
    close(fd);
    _exit(0);
  }
  int fd = accept_one(listener);
  double start = e2e_now();
  write_all(fd, "g", 1);
  long long got = 0;
  for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;) got += n;
  double seconds = e2e_now() - start;
  close(fd);
  wait_for(child);
  if (got != bytes) fail("the stream ended early");
  printf(" stream_bytes=%lld stream_s=%.6f stream_mb_s=%.1f", bytes, seconds,
         (double)bytes / 1e6 / seconds);
}

int main(int argc, char **argv) {
  long long bytes = argc == 3 ? strtoll(argv[1], NULL, 10) : 0;
  long pings = argc == 3 ? strtol(argv[2], NULL, 10) : 0;
  if (bytes < 1 || pings < 1) {
    fprintf(stderr, "usage: e2e_tcp BYTES PINGS\n");
    return 2;
  }
  struct sockaddr_in address = {.sin_family = AF_INET, .sin_addr.s_addr = htonl(INADDR_LOOPBACK)};
  socklen_t length = sizeof address;
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0 || bind(listener, (struct sockaddr *)&address, sizeof address) ||
      listen(listener, 4) || getsockname(listener, (struct sockaddr *)&address, &length))
    fail("listen");
  ping_pong(listener, &address, pings);
  stream(listener, &address, bytes);
  printf("\n");
  return 0;
}
