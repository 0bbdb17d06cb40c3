// Whole-file replace: the new content goes to "<path>.tmp", is flushed and
// closed, and is then renamed over `path`. A crash at any point leaves either
// the old file or the new one, never a mix; on failure `path` is untouched
// and the temporary file is removed.
#pragma once

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

}  // namespace ny
