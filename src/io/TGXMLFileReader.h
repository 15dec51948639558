#pragma once

#include <string>
#include <string_view>

#include "io/TGFileReader.h"

namespace grovewright {

// Reads the project file by plain text search in its content (line breaks
// removed). Not an XML parser: it understands the shapes the writers produce.
// Elements are found by prefix, first occurrence first, which is why writers put
// a shorter name (Height) before a longer one that begins with it (HeightReduction).
class TGXMLFileReader : public TGFileReader {
public:
    bool Open() override;
    void Close() override { TGFileReader::Close(); }

    // The working text becomes the whole content again.
    void Rewind() { workingText_ = Content(); }
    // Narrows the working text to the inside of the first element with this name;
    // false, with the working text unchanged, when it is not found.
    bool EnterElement(const std::string& name);
    // EnterElement for the element whose opening tag is exactly "<name>": an
    // added page's child, whose name can begin another's ("Foliage1", "Foliage10").
    bool EnterWholeElement(const std::string& name);
    // The integer inside the first element with this name in the working text,
    // converted like strtol in base 10 (leading blanks skipped, conversion stops at
    // the first non-digit, no digits give 0); -1 when the element is not found.
    long ReadInt(const std::string& name) const;
    // The inner text of the first element with this name in the working text, as
    // it stands (line breaks removed); false when the element is not found.
    bool ReadText(const std::string& name, std::string_view& text) const { return FindInner(name, text); }
    // Whether the working text holds an element with this name.
    bool HasElement(const std::string& name) const {
        std::string_view inner;
        return FindInner(name, inner);
    }

    std::string_view WorkingText() const { return workingText_; }
    // What in the loaded text the plain search cannot see as XML does: empty, or
    // one line per kind found ("this file contains XML comments; values inside
    // comments may be read"). A comment such as <!-- was <Height>100</Height> -->
    // is read like any other text.
    std::string MarkupNotice() const;

private:
    // The inner text of the first element called name, or false when absent.
    bool FindInner(const std::string& name, std::string_view& inner) const;

    // A view into Content(); reset whenever the content is reloaded.
    std::string_view workingText_;
};

}  // namespace grovewright
