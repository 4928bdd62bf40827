// A data file read into a KIni on a worker thread, for a start that makes its windows meanwhile.
#pragma once
#include <memory>
#include <string>
#include <thread>

#include "storage/kini.h"
#include "storage/kplatform.h"

class KReadAhead {
public:
    // Starts reading `path`; without a worker the file is simply read later, by whoever loads it.
    explicit KReadAhead(std::u16string path);
    ~KReadAhead();
    KReadAhead(const KReadAhead&) = delete;
    KReadAhead& operator=(const KReadAhead&) = delete;

    // Until the read is over and the file closed again.
    void Wait();
    // Waits, then the document read, with `whole` as KIni::Load tells it, when `path` is the
    // file read and it has not been written since; otherwise null (it is read again, and a
    // read error then reported).
    std::unique_ptr<KIni> Take(const std::u16string& path, bool& whole);

private:
    const std::u16string path_;
    // Taken before the read: the same stamp afterwards means the bytes read are the file's.
    kplat::FileStamp stamp_;
    std::unique_ptr<KIni> doc_;
    bool whole_ = false, read_ = false;
    std::thread worker_;
};
