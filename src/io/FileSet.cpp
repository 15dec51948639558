#include "io/FileSet.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>

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
    // A termination signal waits until every file has its name, so that an
    // ended export leaves the whole new set or the whole old one.
    sigset_t held, before;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &before);
    std::vector<std::string> created;  // targets that did not exist before
    bool ok = true;
    for (const auto& writer : writers_) {
        const bool existed = access(writer->GetFileName().c_str(), F_OK) == 0;
        if (!writer->Commit()) {
            ok = Failed(*writer, writer->GetFileName());
            break;
        }
        if (!existed) created.push_back(writer->GetFileName());
    }
    // A file that could not take its name leaves no new files beside the old ones.
    if (!ok)
        for (const std::string& path : created) unlink(path.c_str());
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    writers_.clear();  // the rest are dropped
    return ok;
}

}  // namespace grovewright
