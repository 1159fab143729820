// Ctrl-C handling. The first interrupt asks the work in progress to stop at the
// next safe point (between rows or frames); the work then removes its
// temporary file and the tool exits. A second interrupt, for a user who will
// not wait, removes the pending temporary file at once and exits.
#pragma once

void InstallInterruptHandler();
bool Interrupted();

// The temporary file being written, removed by a second interrupt. The path is
// copied; pass nullptr when the file is gone or has been renamed into place.
void SetPendingTempFile(const char* path);

// The exit status after an interrupt, as shells report a death by SIGINT.
constexpr int kInterruptedExitStatus = 130;
