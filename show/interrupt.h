// Ctrl-C and kill for the show and its tools: SIGINT and SIGTERM are caught and remembered, not
// fatal, so the live show can close its window and device, and a render can stop its encoder
// and remove its temporary files, before they exit.
//
// The handlers are installed without SA_RESTART: a blocking call (a write to ffmpeg's pipe, a
// wait for it) returns EINTR, and its loop looks at interrupt_signal() before it tries again.
#ifndef ORDUNE_SHOW_INTERRUPT_H
#define ORDUNE_SHOW_INTERRUPT_H

// Installs the handlers. Call once, before any long work (the live show: after SDL_Init, which
// sets handlers of its own for the same signals).
void interrupt_catch();
// The signal caught (SIGINT or SIGTERM), or 0 when none has come.
int interrupt_signal();
// The exit status for the signal caught, as a shell reports a process it killed: 128 + the
// signal (130 for SIGINT, 143 for SIGTERM).
int interrupt_status();

#endif
