// The log of a run, asked for with the switch "log": a file made fresh in the temporary
// folder, with a line for each change the run makes. The registry layer and the file deletions
// write theirs as they make them. While no log is open every function here only does what its
// name says beside the log, and costs nothing more.
#pragma once

// Opens the log "Krelvo setup YYYY-MM-DD #NNN.log" in the temporary folder, under the first
// number from 001 to 999 that is free. It is always created new, never opened where a file or a
// link stands: the temporary folder of a run as SYSTEM (C:\Windows\Temp) is open to every user.
// False when none could be made: the run goes on without a log.
bool StartRunLog();
bool RunLogOpen();
// One line: the milliseconds since the log was opened, then the text. printf's format rules
// (the C library's, which the log alone uses); a line is cut at 1 KB.
void RunLog(const char* format, ...);
// The last line, with the run's exit code and time taken; the log is closed.
void EndRunLog(int exitCode);

// A file or an empty folder deleted, with a line in the log when it went; false when it stayed.
bool DeleteFileNoted(const char* path);
bool RemoveFolderNoted(const char* path);
