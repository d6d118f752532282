// The harvest of a list of folders: one walk lists the files, a few threads
// read them, each file with a scanner and matches of its own, and the calling
// thread takes what each gave in the order of the walk.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "ids/search/name_harvest.h"
#include "io/file.h"
#include "io/tree_walk.h"

namespace sonkrate::ids {

namespace {

// Each thread reads its file in pieces of this size: small enough that the
// piece the kernel copies in is still in the core's cache when it is scanned
// (256 KiB pieces cost 5% more CPU time on two cores).
constexpr std::size_t kPieceSize = 128 * 1024;

// What one file gave.
struct FileHarvest {
    NameMatches matches;  // each name at its first place in the file
    std::uint64_t bytes = 0;
    std::uint64_t candidates = 0;
    bool opened = false;
    std::string problem;  // why it could not be opened or read to its end, or empty
};

// The files below the paths, and the problems of the walk, each with the
// number of files listed before it.
struct FileList {
    std::vector<io::WalkedFile> files;
    std::vector<std::pair<std::size_t, std::string>> problems;
    std::uint64_t bytes = 0;
};

bool isSet(const std::atomic<bool>* flag) { return flag && flag->load(std::memory_order_relaxed); }

FileList listFiles(const std::vector<std::string>& paths, const std::atomic<bool>* cancel) {
    FileList list;
    io::walkFiles(paths, [&](const io::WalkedFile& f) {
        list.files.push_back(f);
        list.bytes += f.size;
        return !isSet(cancel);
    }, [&](const std::string& problem) { list.problems.emplace_back(list.files.size(), problem); });
    return list;
}

void readFile(const io::WalkedFile& f, const SoughtIds& sought, std::vector<std::uint8_t>& buffer,
              const std::atomic<bool>& stop, std::atomic<std::uint64_t>& bytesRead, FileHarvest& out) {
    io::File file;
    if (io::Outcome opened = file.open(f.path, io::FileMode::Read); !opened) {
        out.problem = opened.reason;
        return;
    }
    out.opened = true;
    NameScanner scanner(sought, out.matches);
    scanner.begin(f.path);
    while (!stop.load(std::memory_order_relaxed)) {
        const std::size_t got = file.readSome(buffer.data(), buffer.size());
        if (got == 0) break;
        scanner.feed(buffer.data(), got);
        out.bytes += got;
        bytesRead.fetch_add(got, std::memory_order_relaxed);
    }
    scanner.finish();
    out.candidates = scanner.candidates();
    if (file.failed()) out.problem = io::systemError("Cannot read", f.path);
}

// Threads that read the files of a list, each taking the next file not yet
// taken, at most a window of files ahead of the one the caller waits for,
// so that what waits to be taken stays small.
class FileReaders {
public:
    FileReaders(const std::vector<io::WalkedFile>& files, const SoughtIds& sought, unsigned threads)
        : files_(files), sought_(sought), window_(4 * std::size_t{threads}), slots_(window_), done_(window_, false) {
        for (unsigned t = 0; t < threads; ++t) threads_.emplace_back([this] { work(); });
    }

    ~FileReaders() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        room_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    FileReaders(const FileReaders&) = delete;
    FileReaders& operator=(const FileReaders&) = delete;

    // What files[index] gave, once it is read; the files before it must have
    // been taken. stillWanted is asked a few times a second while it waits:
    // false gives up.
    std::optional<FileHarvest> take(std::size_t index, const std::function<bool()>& stillWanted) {
        std::unique_lock<std::mutex> lock(mutex_);
        const std::size_t slot = index % window_;
        while (!done_[slot]) {
            if (ready_.wait_for(lock, std::chrono::milliseconds(100)) != std::cv_status::timeout) continue;
            lock.unlock();
            if (!stillWanted()) return std::nullopt;
            lock.lock();
        }
        FileHarvest harvest = std::move(slots_[slot]);
        slots_[slot] = FileHarvest{};
        done_[slot] = false;
        taken_ = index + 1;
        lock.unlock();
        room_.notify_all();
        return harvest;
    }

    std::uint64_t bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }

private:
    void work() {
        std::vector<std::uint8_t> buffer(kPieceSize);
        for (;;) {
            std::size_t index;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                room_.wait(lock, [&] { return stop_ || next_ >= files_.size() || next_ < taken_ + window_; });
                if (stop_ || next_ >= files_.size()) return;
                index = next_++;
            }
            FileHarvest harvest;
            readFile(files_[index], sought_, buffer, stop_, bytesRead_, harvest);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                slots_[index % window_] = std::move(harvest);
                done_[index % window_] = true;
            }
            ready_.notify_all();
        }
    }

    const std::vector<io::WalkedFile>& files_;
    const SoughtIds& sought_;
    const std::size_t window_;
    std::vector<FileHarvest> slots_;  // files[i] in slots_[i % window_]
    std::vector<bool> done_;
    std::size_t next_ = 0;   // the next file to read
    std::size_t taken_ = 0;  // the files before it are taken
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> bytesRead_{0};
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::vector<std::thread> threads_;
};

unsigned threadsFor(unsigned asked, std::size_t files) {
    unsigned threads = asked ? asked : std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, kMaxHarvestThreads);
    return static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(files, 1)));
}

void noteProblem(HarvestResult& result, const std::string& sentence,
                 const std::function<void(const std::string&)>& onProblem) {
    if (result.problems.size() < kMaxProblemsKept) result.problems.push_back(sentence);
    ++result.problemCount;
    if (onProblem) onProblem(sentence);
}

// One file's matches into the caller's, as if the file had been scanned
// into them: a name known already keeps its earlier place.
void takeFile(FileHarvest& harvest, NameMatches& matches, HarvestResult& result, const HarvestHooks& hooks) {
    result.bytesRead += harvest.bytes;
    result.candidates += harvest.candidates;
    if (harvest.opened) ++result.filesRead;
    for (const auto& [id, names] : harvest.matches.byId())
        for (const NameMatch& m : names)
            if (matches.add(m)) ++result.namesFound;
    if (!harvest.problem.empty()) noteProblem(result, harvest.problem, hooks.onProblem);
}

}  // namespace

HarvestResult harvestNames(const std::vector<std::string>& paths, const SoughtIds& sought, NameMatches& matches,
                           const HarvestHooks& hooks) {
    HarvestResult result;
    const FileList list = listFiles(paths, hooks.cancel);
    result.cancelled = isSet(hooks.cancel);  // the list may be cut short
    HarvestProgress shown;
    shown.bytesTotal = list.bytes;
    FileReaders readers(list.files, sought, threadsFor(hooks.threads, list.files.size()));
    auto report = [&] {
        if (!hooks.progress) return;
        shown.bytesDone = readers.bytesRead();
        shown.namesFound = matches.count();
        hooks.progress(shown);
    };
    auto stillWanted = [&] {
        report();
        return !isSet(hooks.cancel);
    };
    std::size_t problem = 0;
    auto problemsBefore = [&](std::size_t files) {
        for (; problem < list.problems.size() && list.problems[problem].first <= files; ++problem)
            noteProblem(result, list.problems[problem].second, hooks.onProblem);
    };
    for (std::size_t i = 0; i < list.files.size() && !result.cancelled; ++i) {
        problemsBefore(i);
        std::optional<FileHarvest> harvest;
        if (!isSet(hooks.cancel)) harvest = readers.take(i, stillWanted);
        if (!harvest) {
            result.cancelled = true;
            break;
        }
        takeFile(*harvest, matches, result, hooks);
        shown.filesDone = result.filesRead;
        report();
    }
    if (!result.cancelled) problemsBefore(list.files.size());
    return result;
}

}  // namespace sonkrate::ids
