#include "io/TGXMLFileWriter.h"

#include <string>

#include "io/NumberFormat.h"

namespace grovewright {

bool TGXMLFileWriter::Open() {
    if (IsOpen()) return true;
    if (!TGFileWriter::Open()) return false;
    WriteLine("<?xml version=\"1.0\"?>");
    WriteLine("<!DOCTYPE Grovewright_setup_file>");
    WriteLine("<Grovewright_Setup>");
    return true;
}

bool TGXMLFileWriter::Close() {
    WriteLine("</Grovewright_Setup>");
    return TGFileWriter::Close();
}

void TGXMLFileWriter::WriteValue(const char* indentation, const char* name, long value) {
    std::string tag = std::string(indentation) + "<" + name + ">";
    Write(tag);
    Write(FormatInt(value));
    WriteLine(std::string("</") + name + ">");
}

}  // namespace grovewright
