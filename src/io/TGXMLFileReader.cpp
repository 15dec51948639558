#include "io/TGXMLFileReader.h"

#include <cctype>
#include <climits>

namespace grovewright {

namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtol(text, nullptr, 10) on a string that need not be zero-terminated:
// overflow saturates at LONG_MAX / LONG_MIN as strtol does.
long ParseLong(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned long magnitude = 0;
    const unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
    bool overflow = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (limit - digit) / 10) overflow = true;
        if (!overflow) magnitude = magnitude * 10 + digit;
    }
    if (overflow) return negative ? LONG_MIN : LONG_MAX;
    if (negative) return magnitude == limit ? LONG_MIN : -static_cast<long>(magnitude);
    return static_cast<long>(magnitude);
}

}  // namespace

bool TGXMLFileReader::Open() {
    if (!TGFileReader::Open()) return false;
    Rewind();
    return true;
}

bool TGXMLFileReader::FindInner(const std::string& name, std::string_view& inner) const {
    const auto open = workingText_.find("<" + name);
    if (open == std::string_view::npos) return false;
    const auto close = workingText_.find("</" + name);
    if (close == std::string_view::npos) return false;
    const auto innerStart = open + name.size() + 2;
    // A closing tag before the opening one (only in a damaged or foreign file)
    // leaves no inner text to take: the element counts as not found.
    if (close < innerStart) return false;
    inner = workingText_.substr(innerStart, close - innerStart);
    return true;
}

bool TGXMLFileReader::EnterElement(const std::string& name) {
    std::string_view inner;
    if (!FindInner(name, inner)) return false;
    workingText_ = inner;
    return true;
}

bool TGXMLFileReader::EnterWholeElement(const std::string& name) {
    const std::string open = "<" + name + ">";
    const auto start = workingText_.find(open);
    if (start == std::string_view::npos) return false;
    const auto innerStart = start + open.size();
    const auto close = workingText_.find("</" + name + ">", innerStart);
    if (close == std::string_view::npos) return false;
    workingText_ = workingText_.substr(innerStart, close - innerStart);
    return true;
}

long TGXMLFileReader::ReadInt(const std::string& name) const {
    std::string_view inner;
    if (!FindInner(name, inner)) return -1;
    return ParseLong(inner);
}

std::string TGXMLFileReader::MarkupNotice() const {
    const std::string& text = Content();
    bool comment = false, attribute = false, empty = false;
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        if (text.compare(at, 4, "<!--") == 0) {
            comment = true;
            continue;
        }
        if (at + 1 >= text.size() || !std::isalpha(static_cast<unsigned char>(text[at + 1]))) continue;
        const std::size_t close = text.find('>', at);
        if (close == std::string::npos) break;
        const std::string_view tag(text.data() + at, close - at);
        attribute = attribute || tag.find('=') != std::string_view::npos;
        empty = empty || tag.back() == '/';
    }
    std::string notice;
    if (comment) notice += "this file contains XML comments; values inside comments may be read\n";
    if (attribute) notice += "this file contains XML attributes; they are not read\n";
    if (empty) notice += "this file contains self-closing elements; they are read as missing\n";
    if (!notice.empty()) notice.pop_back();
    return notice;
}

}  // namespace grovewright
