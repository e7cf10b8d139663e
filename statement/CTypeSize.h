#pragma once
// How many bytes one element of an application buffer of a C type occupies, the stride of a
// column-wise bound array.
#include "platform/Odbc.h"

// The character and binary types take the buffer length (a negative one counts as 0), every
// other type the size of its value or structure; an unknown type takes 1. SQL_C_DEFAULT has no
// size of its own: callers resolve it to the column's C type first.
SQLLEN cTypeElementSize(SQLSMALLINT cType, SQLLEN bufferLength);
