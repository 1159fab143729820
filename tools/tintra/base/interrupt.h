// Ctrl-C, SIGTERM and SIGHUP handling. The first signal asks the work in
// progress to stop at the next safe point (between bands or frames); the work
// then removes its temporary file and the tool exits. A second signal, for a
// user who will not wait, removes the pending temporary file at once and exits.
#pragma once

void InstallInterruptHandler();
bool Interrupted();

// The temporary file being written, removed by a second signal. The path is
// copied; pass nullptr when the file is gone or has been renamed into place.
void SetPendingTempFile(const char* path);

// The exit status after a signal, as shells report a death by it: 128 plus
// the signal's number (130 for SIGINT, 129 for SIGHUP, 143 for SIGTERM).
int InterruptedExitStatus();

// Held while a file is created or opened by name for writing (the temporary
// file, or the library reopening it to add a page): a second signal then
// waits for it, so that no name can appear after the handler has removed the
// pending one. Register the created file before this ends.
class CreatingFile {
public:
    CreatingFile();
    ~CreatingFile();
    CreatingFile(const CreatingFile&) = delete;
    CreatingFile& operator=(const CreatingFile&) = delete;
};
