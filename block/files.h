// SPDX-License-Identifier: MIT
// The calls of the update that name the target by its path (UTF-8, as the
// front end passes it), and the error it reports a short read with. The
// system's edge supplies them: cli/posix.cc the C library's, cli/windows.cc
// those of the Windows build. The calls on the open descriptor are the C
// library's everywhere.
#ifndef QUORBIN_BLOCK_FILES_H
#define QUORBIN_BLOCK_FILES_H

// stat, for whether the file is there: 0, or -1 with errno set.
int stat_path(const char *path);

// open, with mode 0666 for a file it creates; the bytes of the file pass
// as they are.
int open_path(const char *path, int flags);

// The flag that keeps an open from waiting for another process, as the open
// of a FIFO without a writer would (0 where no open waits).
extern const int kNoWait;

// The error a read that meets the end of the file before the whole block is
// reported with.
extern const int kShortRead;

#endif
