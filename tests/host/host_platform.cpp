// Stand-ins for the Win32 pieces under the host build: File over POSIX file descriptors, the
// program-wide language store, and a small string table for MessageText.
#include <fcntl.h>
#include <stdint.h>
#include <string.h>
#include <unistd.h>

#include "host_platform.h"
#include "lang/language_resources.h"
#include "lang/message_text.h"
#include "support/file.h"

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

bool File::Seek(long long position) {
    return !IsOpen() || lseek(Fd(handle), position, SEEK_SET) >= 0;
}

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

LanguageResources g_language;

// The host's "string tables": the program's texts and an optional library's.
HostStringTable g_programTable;
HostStringTable g_libraryTable;
bool g_libraryLoaded;

static const char* Find(const HostStringTable& table, int id) {
    for (int i = 0; i < table.count; i++) {
        if (table.ids[i] == id)
            return table.texts[i];
    }
    return nullptr;
}

static int LoadFrom(const HostStringTable& table, int id, char* buffer, int capacity) {
    const char* text = Find(table, id);
    if (!text)
        return 0;
    size_t n = strlen(text);
    if (n > static_cast<size_t>(capacity - 1))
        n = static_cast<size_t>(capacity - 1);
    memcpy(buffer, text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

// Mirrors message_text_win32.cpp with the tables above in place of LoadStringA.
void LoadBuiltInMessage(int id, char* buffer, int capacity, bool programOnly) {
    buffer[0] = '\0';
    if (!programOnly && g_libraryLoaded && LoadFrom(g_libraryTable, id, buffer, capacity) > 0 &&
        (!IsFormatMessage(id) || IsSingleStringFormat(buffer)))
        return;
    buffer[0] = '\0';
    LoadFrom(g_programTable, id, buffer, capacity);
}
