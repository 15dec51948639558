// Any bytes through the project reader's primitives: the first line of the
// input names the elements to enter and read, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "io/TGXMLFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = std::min(input.find('\n'), input.size());
    const std::string_view names = input.substr(0, lineEnd);
    const std::string_view file = input.substr(std::min(lineEnd + 1, input.size()));
    grovewright::TGXMLFileReader reader;
    reader.SetFileName(WriteInput(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), "xml"));
    if (!reader.Open()) return 0;
    // Names separated by blanks: enter each in turn, read an integer from each.
    std::size_t at = 0;
    while (at < names.size()) {
        const std::size_t end = std::min(names.find(' ', at), names.size());
        const std::string name(names.substr(at, end - at));
        if (!name.empty()) {
            reader.ReadInt(name);
            if (!reader.EnterElement(name)) reader.Rewind();
        }
        at = end + 1;
    }
    reader.Close();
    return 0;
}
