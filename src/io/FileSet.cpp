#include "io/FileSet.h"

#include <utility>

#include "io/FileNaming.h"

namespace grovewright {

TGFileWriter* FileSet::Add(const std::string& path) {
    auto writer = std::make_unique<TGFileWriter>("");
    writer->SetFileName(path);
    if (!writer->Open()) {
        Failed(*writer, path);
        return nullptr;
    }
    writers_.push_back(std::move(writer));
    return writers_.back().get();
}

bool FileSet::Add(const std::string& path, std::string_view bytes) {
    TGFileWriter* writer = Add(path);
    if (writer) writer->Write(bytes);
    return writer != nullptr;
}

bool FileSet::Failed(const TGFileWriter& writer, const std::string& path) {
    error_ = writer.LastError().empty() ? path + ": cannot be written" : writer.LastError();
    return false;
}

bool FileSet::Commit() {
    for (const auto& writer : writers_)
        if (!writer->Finish()) return Failed(*writer, writer->GetFileName());
    std::vector<UnnamedFile> files;
    for (const auto& writer : writers_) files.push_back(writer->Release());
    writers_.clear();
    if (NamingGroup* group = NamingGroup::Active()) {
        for (UnnamedFile& file : files) group->Add(std::move(file));
        return true;
    }
    return NameTogether(files, error_);
}

}  // namespace grovewright
