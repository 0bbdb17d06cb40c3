// Whole-file replace: the new content goes to "<path>.tmp", is flushed and
// closed, and is then renamed over `path`. A crash at any point leaves either
// the old file or the new one, never a mix; on failure `path` is untouched
// and the temporary file is removed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "host/fileops.h"

namespace ny {

// An antivirus or indexer may hold the fresh temporary file for a moment:
// a sharing failure is tried again this often, this far apart (about 1 s).
constexpr int kReplaceTries = 6;
constexpr int64_t kReplaceRetryPauseMs = 200;

// With `mustBeNew` a file already at `path` is never replaced (the store is
// created only where there really is none): failure AlreadyExists.
IoResult ReplaceWholeFile(FileOps& fs, const std::string& path, std::string_view bytes,
                          bool mustBeNew = false);

// Takes the new content a piece at a time, as it is produced: a large file
// is never held whole in memory. The producer hands each piece to `put` in
// order and stops at the first failure `put` returns (returning it); it may
// fail by itself too. Either way nothing of the new content reaches `path`.
using BytePut = std::function<IoResult(std::string_view)>;
using ByteProducer = std::function<IoResult(const BytePut& put)>;
IoResult ReplaceWholeFile(FileOps& fs, const std::string& path, const ByteProducer& produce,
                          bool mustBeNew = false);

}  // namespace ny
