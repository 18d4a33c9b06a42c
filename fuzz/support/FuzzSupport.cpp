#include "fuzz/support/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

#include "platform/controls/AppHost.h"

namespace carrelon::fuzz {

void StartOffscreenApplication() {
    static int argc = 1;
    static char name[] = "carrelon-fuzz";
    static char* argv[] = {name, nullptr};
    // Decoders report damaged data, which is what the targets feed them, on every input.
    setenv("QT_LOGGING_RULES", "qt.gui.imageio*=false", 0);
    // Never destroyed: at exit Qt's own statics, made later, are gone before it would be, and
    // its tear-down would read them. It stays reachable, so the leak check passes it by.
    static TApplicationHost* const host = new TApplicationHost(argc, argv, true);
    (void)host;
}

void OracleFailed(const char* Condition, const char* File, int Line, const std::string& Detail) {
    std::fprintf(stderr, "\n== oracle failed at %s:%d: %s\n%s\n", File, Line, Condition,
                 Detail.c_str());
    std::fflush(stderr);
    std::abort();
}

void FillStream(TMemoryStream& Stream, const std::uint8_t* Data, std::size_t Size) {
    Stream.WriteBuffer(Data, static_cast<Int64>(Size));
    Stream.SetPosition(0);
}

std::vector<Byte> StreamBytes(TMemoryStream& Stream) {
    const auto* p = static_cast<const Byte*>(Stream.Memory());
    return std::vector<Byte>(p, p + Stream.GetSize());
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
