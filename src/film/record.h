// film/: the demo made into files to publish. The recording run (record.cpp) films the demo off-screen
// on a fixed clock, its soundtrack (film_soundtrack) is made in a child process by the simulation
// alone, and the recorder (recorder.h) encodes both into an MP4. Above the application shell: a film
// draws its frames with the shell's own start-up, idle step and frame pass.
#pragma once

struct Options;

// Films the demo into options.record (off-screen, fixed clock, off-line soundtrack) and returns the
// process's exit code. Needs a display for its GL context.
int runRecording(const Options& options, char* programPath);
