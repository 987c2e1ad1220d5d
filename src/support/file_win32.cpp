#include <windows.h>

#include "support/file.h"

File::File() : handle(INVALID_HANDLE_VALUE) {}

File::~File() { Close(); }

bool File::IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

bool File::Open(const char* path) {
    // A file already held is released first, whether or not the new one opens.
    Close();
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    handle = h;
    return true;
}

long long File::Tell() {
    LONG high = 0;
    DWORD low = SetFilePointer(handle, 0, &high, FILE_CURRENT);
    return static_cast<long long>(low) | (static_cast<long long>(high) << 32);
}

bool File::Seek(long long position) {
    if (!IsOpen())
        return true;
    LONG high = static_cast<LONG>(position >> 32);
    DWORD low = SetFilePointer(handle, static_cast<LONG>(position & 0xFFFFFFFF), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

int File::Read(void* buffer, int count) {
    DWORD done = 0;
    if (ReadFile(handle, buffer, static_cast<DWORD>(count), &done, nullptr))
        return static_cast<int>(done);
    // Consoles and pipes refuse large reads; one retry with a size they accept.
    DWORD type = IsOpen() ? GetFileType(handle) : FILE_TYPE_UNKNOWN;
    if ((type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) && count > 20000)
        return Read(buffer, 20000);
    return -1;
}

bool File::Close() {
    if (!IsOpen())
        return true;
    BOOL ok = CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return ok != 0;
}
