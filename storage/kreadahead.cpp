#include "storage/kreadahead.h"

#include <system_error>
#include <utility>

KReadAhead::KReadAhead(std::u16string path) : path_(std::move(path)), doc_(std::make_unique<KIni>()) {
    try {
        worker_ = std::thread([this] {
            try {
                stamp_ = kplat::StampOf(path_);
                read_ = stamp_.exists && doc_->Load(path_, &whole_);
            } catch (...) {
                // Not read: the load reads the file itself.
            }
        });
    } catch (const std::system_error&) {
        // No worker: likewise.
    }
}

KReadAhead::~KReadAhead() { Wait(); }

void KReadAhead::Wait() {
    if (worker_.joinable()) worker_.join();
}

std::unique_ptr<KIni> KReadAhead::Take(const std::u16string& path, bool& whole) {
    Wait();
    if (!read_ || path != path_ || !(kplat::StampOf(path) == stamp_)) return nullptr;
    read_ = false;
    whole = whole_;
    return std::move(doc_);
}
