#pragma once

#include "io/TGFileWriter.h"

namespace grovewright {

// Writes the project file's envelope: three header lines on Open, the closing
// root line on Close. The sections in between are written by the generators.
class TGXMLFileWriter : public TGFileWriter {
public:
    TGXMLFileWriter() : TGFileWriter("xml") {}

    bool Open() override;
    bool Close() override;

    // One value line: indentation, "<name>", the number, "</name>".
    void WriteValue(const char* indentation, const char* name, long value);
};

}  // namespace grovewright
