// Progress of a render on stderr: on a terminal a bar redrawn in place with frames done, frames
// per second and time left; otherwise (logs, pipes) one line at each tenth of the work.
#ifndef ORDUNE_TOOLS_PROGRESS_H
#define ORDUNE_TOOLS_PROGRESS_H

// Starts counting total units of work; what names them in the output ("frames", "thumbnails").
void progress_begin(long total, const char* what);
// done units finished so far, 0 < done <= total, never decreasing.
void progress_update(long done);
// Ends the bar's line on a terminal. Safe to call when nothing was started.
void progress_end();

#endif
