// sonkrate-cli info: what the loader learns of an archive.
#include <cstdio>

#include "archive/format/archive_class.h"
#include "archive/format/tpa_loader.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {
namespace {

const char* yesNo(bool b) { return b ? "yes" : "no"; }
const char* trueFalse(bool b) { return b ? "true" : "false"; }

}  // namespace

int runInfo(const Arguments& args) {
    // The backup folder plays no part in what info shows.
    archive::TpaLoad load = archive::loadTpaArchive(args.positional[0], "");
    if (!load.outcome) return failed(load.outcome);
    const archive::TpaArchive& a = load.archive;
    if (args.has("json")) {
        print(stdout, "{\"path\": %s, \"archiveName\": %s, \"layout\": \"%s\", \"class\": \"%s\", "
                    "\"layoutTag\": %u, \"soundCount\": %u, \"entryCount\": %u, \"fileSize\": %llu, "
                    "\"standardLayout\": %s, \"demoStream\": %s, \"trailerFlag\": %u, "
                    "\"soundDataEnd\": %u}\n",
                    jsonString(a.archivePath).c_str(), jsonString(a.archiveName).c_str(),
                    archive::layoutText(a.layout), archive::archiveClassText(a.archiveClass), a.layoutTag,
                    a.soundCount, a.entryCount, static_cast<unsigned long long>(a.fileSize),
                    trueFalse(a.standardLayout), trueFalse(a.demoStream), a.trailerFlag, a.soundDataEnd);
        return kExitOk;
    }
    print(stdout, "path:            %s\n", a.archivePath.c_str());
    print(stdout, "archive name:    %s\n", a.archiveName.c_str());
    print(stdout, "layout:          %s (tag 0x%X)\n", archive::layoutText(a.layout), a.layoutTag);
    print(stdout, "class:           %s\n", archive::archiveClassText(a.archiveClass));
    print(stdout, "entries:         %u\n", a.entryCount);
    print(stdout, "sounds:          %u\n", a.soundCount);
    print(stdout, "file size:       %llu bytes\n", static_cast<unsigned long long>(a.fileSize));
    print(stdout, "standard layout: %s\n", yesNo(a.standardLayout));
    print(stdout, "demo stream:     %s\n", yesNo(a.demoStream));
    print(stdout, "trailer flag:    %u\n", a.trailerFlag);
    print(stdout, "sound data end:  %u\n", a.soundDataEnd);
    print(stdout, "can add sounds:  %s\n", yesNo(archive::acceptsAdds(a)));
    return kExitOk;
}

const char* const kInfoDetails =
    "Reads the header of the archive and tells its layout (retail, beta24 or beta16),\n"
    "its class (effects, ambient or general), the entry and sound counts, the file\n"
    "size, whether the first sound follows the table directly (standard layout),\n"
    "whether entry 0 is a demo stream block, the trailer flag and the end of the\n"
    "sound data.";

}  // namespace sonkrate::cli
