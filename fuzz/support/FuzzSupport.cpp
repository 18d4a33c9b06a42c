#include "fuzz/support/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

#include "platform/controls/AppHost.h"

namespace carrelon::fuzz {

void StartOffscreenApplication() {
    static int argc = 1;
    static char name[] = "carrelon-fuzz";
    static char* argv[] = {name, nullptr};
    // Kept for the whole run and never destroyed: tearing Qt down at exit gains nothing.
    static TApplicationHost* const host = new TApplicationHost(argc, argv, true);
    (void)host;
}

void OracleFailed(const char* Condition, const char* File, int Line, const std::string& Detail) {
    std::fprintf(stderr, "\n== oracle failed at %s:%d: %s\n%s\n", File, Line, Condition,
                 Detail.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string Escaped(const std::string& Text) {
    std::string out;
    for (unsigned char c : Text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

}  // namespace carrelon::fuzz
