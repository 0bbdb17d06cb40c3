#include "store/filereplace.h"

namespace ny {
namespace {

template <class Op>
IoResult Retried(FileOps& fs, Op op) {
    IoResult r = op();
    for (int k = 1; k < kReplaceTries && !r.ok && r.failure == IoFailure::Sharing; ++k) {
        fs.pauseBeforeRetry(kReplaceRetryPauseMs);
        r = op();
    }
    return r;
}

}  // namespace

IoResult ReplaceWholeFile(FileOps& fs, const std::string& path, std::string_view bytes,
                          bool mustBeNew) {
    return ReplaceWholeFile(fs, path, [bytes](const BytePut& put) { return put(bytes); },
                            mustBeNew);
}

IoResult ReplaceWholeFile(FileOps& fs, const std::string& path, const ByteProducer& produce,
                          bool mustBeNew) {
    const std::string temp = path + ".tmp";
    int64_t h = -1;
    IoResult r = Retried(fs, [&] { return fs.createFile(temp, &h); });
    if (!r.ok) return r;
    r = produce([&fs, h](std::string_view piece) { return fs.writeHandle(h, piece); });
    if (r.ok) r = fs.flushHandle(h);
    IoResult closed = fs.closeHandle(h);
    if (r.ok) r = closed;
    if (r.ok) r = Retried(fs, [&] { return fs.renameFile(temp, path, !mustBeNew); });
    if (!r.ok) fs.removeFile(temp);
    return r;
}

}  // namespace ny
