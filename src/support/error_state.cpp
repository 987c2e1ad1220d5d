#include "support/error_state.h"
#include "support/system.h"

ErrorState g_errorState;

void ErrorState::SetCode(int newCode) {
    if (newCode == 1 || newCode == 255) {
        if (code == 0)
            code = newCode;
    } else if (newCode == 2) {
        if (code == 0 || code == 1)
            code = newCode;
    } else {
        code = newCode;
    }
}

void ErrorState::Raise(int newCode) {
    SetCode(newCode);
    EndProcess(code);
}
