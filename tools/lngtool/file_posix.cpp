// The reader's file object over POSIX descriptors, and the end of the process, for the native
// builds: lngtool, the host tests, the fuzzer and the benchmark.
#include <fcntl.h>
#include <stdint.h>
#include <unistd.h>

#include "support/file.h"
#include "support/system.h"

static void* const noFile = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

static int Fd(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

File::File() : handle(noFile) {}
File::~File() { Close(); }
bool File::IsOpen() const { return handle != noFile; }

bool File::Open(const char* path) {
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return false;
    handle = reinterpret_cast<void*>(static_cast<intptr_t>(fd));
    return true;
}

long long File::Tell() { return IsOpen() ? lseek(Fd(handle), 0, SEEK_CUR) : 0; }

bool File::Seek(long long position) { return !IsOpen() || lseek(Fd(handle), position, SEEK_SET) >= 0; }

int File::Read(void* buffer, int count) {
    if (!IsOpen())
        return -1;
    ssize_t done = read(Fd(handle), buffer, static_cast<size_t>(count));
    return done < 0 ? -1 : static_cast<int>(done);
}

bool File::Close() {
    if (!IsOpen())
        return true;
    bool ok = close(Fd(handle)) == 0;
    handle = noFile;
    return ok;
}

void EndProcess(int exitCode) {
    _exit(exitCode);
}
