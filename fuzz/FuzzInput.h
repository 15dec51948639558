#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The readers take a path: each input is written to one file of this process.
inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const char* extension) {
    static const std::string path = "/tmp/grovewright-fuzz-" + std::to_string(getpid()) + "." + extension;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
