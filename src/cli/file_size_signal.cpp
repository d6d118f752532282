// Writing past the file size limit (ulimit -f) would otherwise kill the tool
// by SIGXFSZ in the middle of a write, leaving the temporary file of a safe
// replacement behind. Ignored, the write fails with EFBIG like any other
// write error, and the replacement removes its temporary file.
#include <csignal>

namespace sonkrate::cli {
namespace {

#if defined(SIGXFSZ)
struct IgnoreFileSizeSignal {
    IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }
};
const IgnoreFileSizeSignal ignoreFileSizeSignal;
#endif

}  // namespace
}  // namespace sonkrate::cli
