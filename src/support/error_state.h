// The process-wide exit-code record. The one error that reaches it is exhaustion of memory
// while the language index grows; it is recorded and the process ends with it at once.
#pragma once

class ErrorState {
public:
    // Precedence: 1 and 255 only over nothing; 2 over nothing or 1; anything else always.
    void SetCode(int newCode);
    // Records the code, then ends the process with it as exit code. Nothing in the program could
    // recover from it, so nothing runs after it: no clean-up, no message.
    [[noreturn]] void Raise(int newCode);
    [[noreturn]] void MemoryError() { Raise(8); }
    int Code() const { return code; }

private:
    int code = 0;
};

extern ErrorState g_errorState;
