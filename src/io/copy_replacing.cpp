#include "io/copy_replacing.h"

#include "io/file.h"
#include "io/replacement.h"

namespace sonkrate::io {

Outcome copyFileReplacing(const std::string& from, const std::string& to) {
    File in;
    Outcome done = in.open(from, FileMode::Read);
    if (!done) return done;
    ReplacementFile out;
    done = out.begin(to);
    if (!done) return done;
    done = copyRange(in, 0, in.size(), out.file());
    if (!done) return done;
    return out.commit();
}

}  // namespace sonkrate::io
