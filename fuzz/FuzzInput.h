#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

// The readers take a path: each input is written to one file of this process
// for each extension, removed when the run ends.
inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const char* extension) {
    struct InputFile {
        std::string path;
        ~InputFile() { unlink(path.c_str()); }
    };
    static std::map<std::string, InputFile> inputs;
    InputFile& input = inputs[extension];
    if (input.path.empty()) input.path = "/tmp/grovewright-fuzz-" + std::to_string(getpid()) + "." + extension;
    const std::string& path = input.path;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
