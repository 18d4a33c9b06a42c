// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test; plus small helpers to put bytes into files and read them back.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

struct TTempFolder {
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "carrelon-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) Path = pattern;
    }
    ~TTempFolder() {
        std::error_code ec;
        if (!Path.empty()) std::filesystem::remove_all(Path, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string File(std::string_view Name) const { return Path + "/" + std::string(Name); }
    // The names in the folder, so a test can see that nothing was left behind.
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Path),
                                                      std::filesystem::directory_iterator()));
    }

    std::string Path;
};

inline void WriteBytes(const std::string& FileName, std::string_view Bytes) {
    std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

inline std::string ReadBytes(const std::string& FileName) {
    std::ifstream in(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
