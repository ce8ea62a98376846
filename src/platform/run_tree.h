// Run-time tree: finding the program's data from any working directory, and the places of the files
// the user asks for. POSIX and Linux /proc.
#pragma once
#include <string>

// Every data path of the program is relative and begins with "../" (the shader source in "../bin",
// the assets under "../data"). When those do not resolve from the working directory, this changes
// to the directory of the running executable, found through /proc/self/exe, which resolves symbolic
// links: a program started through a link (/usr/games/karvosta) lands beside its real tree.
// Returns false, with a message on stderr, when that change fails.
bool enterRunTimeTree();

// `path` made absolute in place against the current working directory (unchanged if already absolute
// or empty): file names given on the command line keep their meaning across enterRunTimeTree().
// False, with `error` saying why, when the working directory is gone or cannot be read.
bool makeAbsolute(std::string& path, std::string& error);

// Why a file cannot be written at the absolute `path` (a directory there, a missing or unwritable
// folder), in the system's words; empty when nothing is known to stop it. Creates nothing.
std::string outputFileProblem(const std::string& path);
