// A thin owner of a Win32 file handle, for reading. Declared without windows.h: the handle is
// kept as an opaque pointer (INVALID_HANDLE_VALUE, all bits set, when no file is open).
#pragma once

class File {
public:
    File();
    ~File();

    // Opens an existing file for reading, sharing read and write, with the sequential-scan hint.
    // A file the object already holds is closed first.
    bool Open(const char* path);
    // The current position (64-bit).
    long long Tell();
    // Moves to a position counted from the start. With no file open the seek counts as done.
    bool Seek(long long position);
    // One ReadFile call: the bytes read (0 at the end), or -1 on failure. A failed read of more
    // than 20000 bytes from a character device or pipe is retried once with 20000.
    int Read(void* buffer, int count);
    // Closes an open file; the handle is invalid afterwards even when CloseHandle failed.
    bool Close();
    bool IsOpen() const;

private:
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    void* handle;
};
