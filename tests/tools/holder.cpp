// Stands in for a process that keeps a product file in use: loads the library named by its
// argument, as Explorer loads the shell extension, or with none runs on as a copy named
// Krelvo.exe, as the archiver would. Ends after 60 s unless the test ends it first.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc > 1 && !LoadLibraryA(argv[1]))
        return 1;
    Sleep(60000);
    return 0;
}
