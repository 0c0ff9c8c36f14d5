#include "AuthoringDouble.h"

void CheckError(OSErr error, char* msg) {
    if (error == 0 || msg[0] == '\0') return;
    throw AuthoringFailure(msg);
}
