#pragma once
// The log sink's files: writing text to an open file handle, and creating, moving and
// closing files. Paths are UTF-16: a user's folder may hold characters outside the
// ANSI code page, which the "A" calls would turn into "?" or a look-alike.

int writeFile(void* file, const void* data, unsigned long count);
int writeFile(void* file, const char* text);
int closeFile(void* file);
// Creates or empties name for writing, others may read it; 0, or 1 with file invalid.
int createFile(void*& file, const wchar_t* name);
// Replaces to with from; 0 moved, 1 not (from missing, for one).
int moveFile(const wchar_t* from, const wchar_t* to);
// 0 when the folder exists afterwards; its parent must exist.
int createDir(const wchar_t* path);
