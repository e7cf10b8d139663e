#pragma once
// Client of the Karvell server's wire protocol: connections, statements and result cursors.
// Requests answer 0 or -1 (or null) and leave the last error code and text in the connection;
// whatever they return is the caller's to free (cursors with kvl_cursor_free, texts with free).
#include <cstddef>
#include <cstdint>

struct KvlConnection;
struct KvlCursor;
struct KvlPreparedStatement;

// Encryption: 0 clear, 2/128 AES-128, 3/192 AES-192, 4/256 AES-256. A port below 1 means 4430,
// a negative timeout 12 seconds. The record is stored in *connection before the login, so the
// caller passes it to kvl_disconnect also when the login fails.
int kvl_connect(KvlConnection** connection, const char* host, int port, const char* user, const char* password,
                int timeout, int encryption, int loginLimit = 0);
// The same, but the login sends the user name as it is rather than its hash.
int kvl_connect_unhashed_user(KvlConnection** connection, const char* host, int port, const char* user,
                              const char* password, int timeout, int encryption);
// 0, -1 for a failed connect or login, -2 when the record cannot be allocated, -3 for a bad
// argument (nothing allocated then).
// A loginLimit above 0 bounds the TCP connect and the whole login together by that many seconds;
// else the connect waits the timeout (12 s for 0) and each login reply 5 s.
int kvl_open(KvlConnection** connection, const char* host, int port, const char* user, const char* password,
             int timeout, int encryption, const char* token, int unhashedUser, int loginLimit = 0);
// Mode 1 tells the server first. Closes the socket and frees the record.
void kvl_disconnect(KvlConnection* connection, int mode);

// The client's own error codes beside those of the socket and the framing (802 to 840): a
// server that failed to prove it knows the password during an encrypted login, and a result of
// more columns than the driver can describe (ODBC counts them in 16 bits).
constexpr int kvlServerAuthenticationFailed = 850;
// A wait for the server ran past its time limit.
constexpr int kvlTimedOut = 810;
// The call was ended by kvl_cancel from another thread.
constexpr int kvlCancelled = 870;
constexpr int kvlTooManyColumns = 860;
constexpr std::uint32_t kvlMaxColumns = 32767;

int kvl_error_code(const KvlConnection* connection);
const char* kvl_error_message(const KvlConnection* connection);
void kvl_clear_error(KvlConnection* connection);
void kvl_set_error(KvlConnection* connection, int code, const char* message);

// After login, a reply that cannot be read or trusted (closed, reset, cut short, a bad header or
// payload, a reply nobody asked for, a time limit run out in the middle) leaves the stream at an
// unknown place: the socket is closed then, and every later request fails at once, without
// traffic. 1 once that happened.
int kvl_connection_lost(const KvlConnection* connection);
// Bounds every wait for the replies of the requests to come, until the next call, by seconds
// from now (0: no bound); an expired bound fails with kvlTimedOut and loses the connection.
void kvl_set_reply_limit(KvlConnection* connection, std::uint32_t seconds);
// From another thread: the call running on the connection ends with kvlCancelled, and the
// connection is lost (the protocol has no cancel request).
void kvl_cancel(KvlConnection* connection);

void* kvl_set_user_data(KvlConnection* connection, void* data);
void* kvl_get_user_data(const KvlConnection* connection);
// The token is not copied; an empty text is stored as none.
void kvl_set_token(KvlConnection* connection, const char* token);
const char* kvl_get_token(const KvlConnection* connection);

int kvl_execute(KvlConnection* connection, const char* sql);
// Statements in flight together: kvl_execute_ahead gathers a statement as kvl_execute would send
// it, and the gathered ones leave together, a few at a time and before any reply is read;
// kvl_execute_reply reads the replies owed in the order of their statements, with kvl_execute's
// result, or -2 for a statement that never left because the stream was lost before it. Nothing
// else may be sent while replies are owed. kvl_room_ahead answers 1 when a statement of that
// many bytes may be gathered now (always when no reply is owed), 0 when the oldest reply owed is
// to be read first. When a write of gathered statements fails, those that left whole still get
// their replies, and the first that did not tells the failure.
int kvl_execute_ahead(KvlConnection* connection, const char* sql);
int kvl_room_ahead(const KvlConnection* connection, std::size_t sqlLength);
int kvl_execute_reply(KvlConnection* connection);
int kvl_replies_owed(const KvlConnection* connection);
// The server keeps no cursor: serverSide is accepted for compatibility and ignored.
KvlCursor* kvl_select(KvlConnection* connection, const char* sql, int serverSide = 0);
int kvl_commit(KvlConnection* connection);
int kvl_rollback(KvlConnection* connection);
int kvl_ping(KvlConnection* connection);

// Bind value types.
enum : int {
  KVL_TYPE_INTEGER = 1,
  KVL_TYPE_DOUBLE = 2,
  KVL_TYPE_TEXT = 3,
  KVL_TYPE_BLOB = 4,
  KVL_TYPE_NULL = 5,
  KVL_TYPE_INT64 = 8,
  KVL_TYPE_ZEROBLOB = 9,
};

// Runs sql with count values bound in order; texts are sent with their NUL, a NULL as an empty
// text. A negative length is the text's own length (a blob's 0). The error fields tell the result.
void kvl_bind(KvlConnection* connection, const char* sql, const void* const* values, const int* lengths,
              const int* types, int count);

KvlPreparedStatement* kvl_prepare(KvlConnection* connection, const char* sql);
void kvl_prepared_bind_int(KvlPreparedStatement* statement, int index, int value);
void kvl_prepared_bind_int64(KvlPreparedStatement* statement, int index, long long value);
void kvl_prepared_bind_double(KvlPreparedStatement* statement, int index, double value);
void kvl_prepared_bind_text(KvlPreparedStatement* statement, int index, const char* text);
// A length of -1 takes the bytes as a NUL-terminated text.
void kvl_prepared_bind_blob(KvlPreparedStatement* statement, int index, const void* bytes, int length);
void kvl_prepared_bind_null(KvlPreparedStatement* statement, int index);
void kvl_prepared_bind_zeroblob(KvlPreparedStatement* statement, int index, int length);
int kvl_prepared_execute(KvlPreparedStatement* statement);
KvlCursor* kvl_prepared_select(KvlPreparedStatement* statement);
// Frees the statement.
int kvl_prepared_close(KvlPreparedStatement* statement);

// Row arguments: 1-based rows, -1 the current row, 0 the column names, -2 the table names.
// Column arguments: 1-based visible columns, KVL_ROWID_COLUMN the hidden rowid column.
constexpr int KVL_ROWID_COLUMN = -666;
// Seek targets besides absolute rows.
enum : int { KVL_SEEK_NEXT = -2, KVL_SEEK_FIRST = -3, KVL_SEEK_LAST = -4, KVL_SEEK_PREVIOUS = -5 };
// A field length that marks NULL (also the length of absent table names).
constexpr std::uint32_t KVL_NULL_LENGTH = 0xFFFFFFFFu;

int kvl_cursor_column_count(const KvlCursor* cursor);
int kvl_cursor_row_count(const KvlCursor* cursor);  // -1 for a server-side cursor
int kvl_cursor_current_row(const KvlCursor* cursor);
int kvl_cursor_is_eof(KvlCursor* cursor);
int kvl_cursor_seek(KvlCursor* cursor, int row);
int kvl_cursor_column_type(const KvlCursor* cursor, int column);
int kvl_cursor_column_type_class(const KvlCursor* cursor, int column);
// The field's bytes (not NUL-terminated) or null; *length gets the byte count, KVL_NULL_LENGTH
// for NULL. Valid until the cursor is freed.
const char* kvl_cursor_field(KvlCursor* cursor, int row, int column, std::uint32_t* length = nullptr);
int kvl_cursor_field_int(KvlCursor* cursor, int row, int column, int fallback);
long long kvl_cursor_field_int64(KvlCursor* cursor, int row, int column, long long fallback);
double kvl_cursor_field_double(KvlCursor* cursor, int row, int column, double fallback);
long long kvl_cursor_field_rowid(KvlCursor* cursor, int row);
// A NUL-terminated copy to free with free(), or null for a NULL or empty field.
char* kvl_cursor_field_dup(KvlCursor* cursor, int row, int column);
// At most size - 1 bytes and a NUL; the buffer, or null for a NULL or empty field or size 0.
char* kvl_cursor_field_copy(KvlCursor* cursor, int row, int column, char* buffer, int size);
void kvl_cursor_free(KvlCursor* cursor);

// A cursor filled by the caller: capacity rows to start with (below 1: 100), columns of the
// given types and names (a null name is empty).
KvlCursor* kvl_cursor_create(KvlConnection* connection, int capacity, int columns, const int* types,
                             const char* const* names);
// Copies one row of column-count values; a negative length or a null value is NULL. 1, or 0.
int kvl_cursor_add_row(KvlCursor* cursor, const void* const* values, const int* lengths);

KvlConnection* kvl_owner_connection(const KvlCursor* cursor);
KvlConnection* kvl_owner_connection(const KvlPreparedStatement* statement);
