// The program's start, in place of the compiler runtime's: static construction, WinMain with
// the arguments after the program's name, the destructors registered meanwhile, the exit code.
// The runtime's own start brings about 10 KB the program never uses (its TLS callbacks,
// pseudo-relocations, exception handler and unwind tables); msvcrt.dll initialises itself.
#include <windows.h>

#include "driver/switches.h"

typedef void (*Function)();

// Filled by the linker: -1, the constructors, 0.
extern "C" Function __CTOR_LIST__[];

// The compiler registers each static object's destructor here as the object is built. There
// are three such objects; a fourth slot or more would only be refused, never overrun.
enum { ExitFunctionCapacity = 8 };
static Function exitFunctions[ExitFunctionCapacity];
static int exitFunctionCount;

extern "C" int atexit(Function function) {
    if (exitFunctionCount == ExitFunctionCapacity)
        return -1;
    exitFunctions[exitFunctionCount++] = function;
    return 0;
}

extern "C" char** __cdecl __p__acmdln();

extern "C" void WinMainCRTStartup() {
    // The constructors run from the last listed to the first, as the runtime runs them.
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        count++;
    for (; count > 0; count--)
        __CTOR_LIST__[count]();

    // The lead-byte table that the name is stepped by was filled by a constructor above.
    char* commandLine = *__p__acmdln();
    char* arguments = commandLine + (SkipProgramName(commandLine) - commandLine);
    int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, arguments, SW_SHOWDEFAULT);

    while (exitFunctionCount > 0)
        exitFunctions[--exitFunctionCount]();
    ExitProcess(static_cast<UINT>(exitCode));
}
