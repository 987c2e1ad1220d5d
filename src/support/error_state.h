// The process-wide exit-code record. The one error that reaches it is exhaustion of memory
// while the language index grows; it is recorded and thrown so that the program stops.
#pragma once

class ErrorState {
public:
    // Precedence: 1 and 255 only over nothing; 2 over nothing or 1; anything else always.
    void SetCode(int newCode);
    // Records the code, then abandons the running operation by throwing it (an int).
    [[noreturn]] void Raise(int newCode);
    [[noreturn]] void MemoryError() { Raise(8); }
    int Code() const { return code; }

private:
    int code = 0;
};

extern ErrorState g_errorState;
