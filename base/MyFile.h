#pragma once
// Writing text to an open file handle (the log sink's only helpers).

int writeFile(void* file, const void* data, unsigned long count);
int writeFile(void* file, const char* text);
int closeFile(void* file);
