// System queries behind the path and string helpers. Declared without windows.h; the
// definitions call Win32 (system_win32.cpp).
#pragma once

// Fills LeadByteTable from GetCPInfo/IsDBCSLeadByte for the ANSI code page. Runs during static
// initialisation; a failing GetCPInfo leaves the code page treated as single-byte.
void FillLeadByteTable();

// -1, 0 or 1 for less, equal or greater without regard to case (CompareStringA, user locale);
// -2 when the comparison fails.
int CompareIgnoreCase(const char* a, const char* b);

// The system's major version on the NT family, 0 on the 95/98/Me family. Asks the system once.
int NtMajorVersion();

// The running program file's full path into a 1024-byte buffer; false, and the buffer empty,
// when it cannot be had whole (a full buffer means the path was cut, and before Vista it may
// also lack its terminator).
bool GetProgramPath(char* path /* 1024 bytes */);

// Whether two full paths name the same existing file, however each is spelled: a program
// started by its short (8.3) path has that path as its own. Compared in their long forms (98,
// 2000 and later), else their short forms (95, NT 4.0).
bool IsSameFile(const char* a, const char* b);

// A kernel32 function reached at run time, for those not known to be exported by both Windows 95
// and NT 4.0 (or doing nothing on one of them); null when this system lacks it.
void* Kernel32Function(const char* name);

// Ends the process at once with this exit code (ExitProcess; _exit natively).
[[noreturn]] void EndProcess(int exitCode);
