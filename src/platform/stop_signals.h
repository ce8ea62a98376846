// Stop signals during a long job that writes a file: Ctrl-C (SIGINT), kill (SIGTERM) and a closed
// terminal (SIGHUP) become a flag the job polls, so that it can remove what it was writing, then die
// by the same signal as an uncaught one would. POSIX signals.
#pragma once

// Catches SIGINT, SIGTERM and SIGHUP, except those the parent left ignored (nohup, a background job
// of a shell script): they stay ignored. Ignores SIGPIPE from here on, so that a closed standard
// error (piped into `head`) fails writes instead of killing the job.
void catchStopSignals();

// The stop signal caught since catchStopSignals(), or 0.
int caughtStopSignal();

// A helper process whose parent decides when it ends: the stop signals are ignored in it.
void ignoreStopSignals();

// Gives the stop signals their earlier actions back. A job that caught one then calls
// dieByStopSignal().
void releaseStopSignals();

// Ends the process by `signal` with its default action, as the shell expects of an interrupted
// command: a loop of commands stops instead of going on to the next.
[[noreturn]] void dieByStopSignal(int signal);
