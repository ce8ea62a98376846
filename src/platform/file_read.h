// Reading a whole file into memory: the one reader of the model, shader and sound loaders. No GL.
#pragma once
#include <string>

// Replaces `bytes` with the file's contents. False when the file cannot be opened or read (a
// directory opens but does not read); `bytes` then holds whatever was read.
bool readWholeFile(const char* path, std::string& bytes);
