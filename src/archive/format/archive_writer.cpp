#include "archive/format/archive_writer.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "io/replacement.h"

namespace sonkrate::archive {

namespace {

constexpr std::size_t kRecordsPerBlock = 1024;
// Pieces are copied in parts of this size so progress can be told.
constexpr std::uint64_t kProgressPart = 16u << 20;

io::Outcome writeRecords(io::File& out, const std::vector<TpaEntry>& records) {
    std::vector<std::uint8_t> block;
    block.reserve(kRecordsPerBlock * kRetailRecordSize);
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto bytes = serializeTpaEntry(records[i]);
        block.insert(block.end(), bytes.begin(), bytes.end());
        if (block.size() == block.capacity() || i + 1 == records.size()) {
            if (io::Outcome put = out.write(block.data(), block.size()); !put) return put;
            block.clear();
        }
    }
    return io::success();
}

struct Counter {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    const io::ProgressCallback* progress = nullptr;
};

io::Outcome copyPart(io::File& in, std::uint64_t offset, std::uint64_t length, io::File& out, Counter& counter) {
    while (length > 0) {
        const std::uint64_t part = std::min(length, kProgressPart);
        if (io::Outcome copied = io::copyRange(in, offset, part, out); !copied) return copied;
        offset += part;
        length -= part;
        counter.done += part;
        io::reportProgress(*counter.progress, counter.done, counter.total);
    }
    return io::success();
}

// A piece made as it is written must come to the length it announced.
io::Outcome writeProduced(const ImagePiece& piece, io::File& out, Counter& counter) {
    const std::uint64_t start = out.tell();
    if (io::Outcome made = piece.produce(out); !made) return made;
    if (out.tell() - start != piece.length)
        return io::failure("A sound written into " + out.path() + " came to " + std::to_string(out.tell() - start) +
                           " bytes instead of the " + std::to_string(piece.length) + " announced");
    counter.done += piece.length;
    io::reportProgress(*counter.progress, counter.done, counter.total);
    return io::success();
}

io::Outcome writePiece(const ImagePiece& piece, io::File& out, Counter& counter) {
    if (piece.bytes != nullptr) {
        if (io::Outcome put = out.write(piece.bytes->data(), piece.bytes->size()); !put) return put;
        counter.done += piece.bytes->size();
        io::reportProgress(*counter.progress, counter.done, counter.total);
        return io::success();
    }
    if (piece.file != nullptr) return copyPart(*piece.file, piece.offset, piece.length, out, counter);
    if (piece.produce) return writeProduced(piece, out, counter);
    io::File in;
    if (io::Outcome opened = in.open(piece.path, io::FileMode::Read); !opened) return opened;
    if (in.size() != piece.length)
        return io::failure(piece.path + " changed while the archive was being written");
    return copyPart(in, 0, piece.length, out, counter);
}

std::uint64_t pieceLength(const ImagePiece& piece) {
    return piece.bytes != nullptr ? piece.bytes->size() : piece.length;
}

// The end of the run of pieces from first on that lie back to back in one
// file: an archive rewritten with few changes is copied in a few large
// ranges rather than one per image.
std::size_t contiguousRun(const std::vector<ImagePiece>& pieces, std::size_t first) {
    std::size_t end = first + 1;
    if (pieces[first].file == nullptr) return end;
    while (end < pieces.size() && pieces[end].file == pieces[first].file &&
           pieces[end].offset == pieces[end - 1].offset + pieces[end - 1].length)
        ++end;
    return end;
}

std::uint64_t runLength(const std::vector<ImagePiece>& pieces, std::size_t first, std::size_t end) {
    std::uint64_t length = 0;
    for (std::size_t i = first; i < end; ++i) length += pieces[i].length;
    return length;
}

}  // namespace

ImagePiece ImagePiece::range(io::File& file, std::uint64_t offset, std::uint64_t length) {
    ImagePiece piece;
    piece.file = &file;
    piece.offset = offset;
    piece.length = length;
    return piece;
}

ImagePiece ImagePiece::wholeFile(std::string path, std::uint64_t length) {
    ImagePiece piece;
    piece.path = std::move(path);
    piece.length = length;
    return piece;
}

ImagePiece ImagePiece::produced(std::function<io::Outcome(io::File&)> produce, std::uint64_t length) {
    ImagePiece piece;
    piece.produce = std::move(produce);
    piece.length = length;
    return piece;
}

ImagePiece ImagePiece::memory(const std::vector<std::uint8_t>& bytes) {
    ImagePiece piece;
    piece.bytes = &bytes;
    return piece;
}

std::uint64_t plannedSize(const ArchivePlan& plan) {
    std::uint64_t size = recordOffsetOf(TpaLayout::Retail, plan.records.size());
    for (const ImagePiece& piece : plan.pieces) size += pieceLength(piece);
    return size;
}

io::Outcome writeArchive(const std::string& target, const ArchivePlan& plan, const ArchiveWriteOptions& options) {
    if (plannedSize(plan) > std::numeric_limits<std::uint32_t>::max())
        return io::failure(target + " would be larger than an archive can be (4 GiB)");
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(target); !begun) return begun;
    auto header = serializeTpaHeader(plan.header);
    if (io::Outcome put = out.file().write(header.data(), header.size()); !put) return put;
    if (io::Outcome put = writeRecords(out.file(), plan.records); !put) return put;

    Counter counter;
    counter.progress = &options.progress;
    for (const ImagePiece& piece : plan.pieces) counter.total += pieceLength(piece);
    io::reportProgress(options.progress, 0, counter.total);
    for (std::size_t i = 0; i < plan.pieces.size();) {
        const std::size_t end = contiguousRun(plan.pieces, i);
        const ImagePiece& first = plan.pieces[i];
        io::Outcome put = end - i > 1
                              ? copyPart(*first.file, first.offset, runLength(plan.pieces, i, end), out.file(), counter)
                              : writePiece(first, out.file(), counter);
        if (!put) return put;
        i = end;
        io::reportProgress(options.piecesProgress, i, plan.pieces.size());
    }
    // The source may be the target itself, which Windows does not let a
    // rename replace while it is open.
    for (const ImagePiece& piece : plan.pieces)
        if (piece.file != nullptr) (void)piece.file->close();  // read only
    return out.commit(options.syncToDisk ? io::Durability::Durable : io::Durability::Scratch);
}

}  // namespace sonkrate::archive
