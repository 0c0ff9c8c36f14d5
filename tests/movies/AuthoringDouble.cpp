#include "AuthoringDouble.h"

namespace {
std::string g_reported;
}

void CheckError(OSErr error, char* msg) {
    if (error == 0 || msg[0] == '\0') return;
    throw AuthoringFailure(msg);
}

void ReportError(OSErr error, char* msg) {
    if (error == 0 || msg[0] == '\0') return;
    g_reported = msg;
}

std::string last_reported_error() { return g_reported; }
