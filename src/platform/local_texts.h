#pragma once
// The local texts table: message id -> text, read from a plain text file (QUVLOCAL32.TXT).
// A library-style interface at global scope. A missing or unreadable file gives an empty table.
//
// File format: single-byte code-page text, one entry a line: "<decimal id>=<text>". The id may
// have blanks around it; the text is everything after the first "=" up to the line end, blanks
// included (the callers rely on them). Lines starting with ";" or "#" are comments; blank lines
// and lines without a valid id are skipped. Line ends may be CR LF, LF or CR. The first entry of
// an id wins; id 0 never has a text.
#include <cstdint>

// Loads the table from path (replacing any loaded table). Returns non-zero when a file was read.
int32_t L32_Object_Create(const char* path);
// The text of id, owned by the table, or nullptr when the id has none (id 0 never has one).
const char* L32_Object_GetMessage(int32_t id);
// Releases the table.
void L32_Object_Delete();
