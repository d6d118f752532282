// sonkrate-cli verify: reads .tpa and .cau files as the game does and lists
// what it would refuse or play wrong.
#include <cstdio>

#include "archive/check/verify.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/std_streams.h"

namespace sonkrate::cli {
namespace {

using archive::Finding;
using archive::Severity;
using archive::VerifyReport;

std::string idText(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
    return text;
}

std::string plural(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

void printFinding(const Finding& f) {
    std::string where = f.file + ": ";
    if (f.index) where += "entry " + std::to_string(*f.index) + " (id " + idText(f.soundId.value_or(0)) + "): ";
    print(stdout, "%s%s: %s [%s]\n", where.c_str(), archive::severityText(f.severity), f.message.c_str(), f.code.c_str());
}

void printSummary(const std::string& file, const VerifyReport& report) {
    const std::size_t errors = report.count(Severity::Error), warnings = report.count(Severity::Warning);
    std::string line = file + ": ";
    if (errors == 0 && warnings == 0) line += "the game reads it without a problem";
    else line += plural(errors, "error") + ", " + plural(warnings, "warning");
    if (report.truncated) line += " (only the first " + std::to_string(archive::kMaxFindings) + " shown)";
    print(stdout, "%s\n", line.c_str());
}

std::string jsonFinding(const Finding& f) {
    return "{\"file\": " + jsonString(f.file) + ", \"index\": " + (f.index ? std::to_string(*f.index) : "null") +
           ", \"soundId\": " + (f.soundId ? "\"" + idText(*f.soundId) + "\"" : "null") + ", \"severity\": \"" +
           archive::severityText(f.severity) + "\", \"code\": " + jsonString(f.code) +
           ", \"message\": " + jsonString(f.message) + "}";
}

// "-" is standard input, read into a scratch file first; its findings name "-".
VerifyReport verifyOne(const std::string& path) {
    if (!isStdStream(path)) return archive::verifyFile(path);
    InputFile in;
    if (io::Outcome read = in.prepare(path, "standard-input"); !read) {
        VerifyReport unread;
        unread.outcome = io::failure(in.reword(read.reason));
        return unread;
    }
    VerifyReport report = archive::verifyFile(in.path());
    report.outcome.reason = in.reword(report.outcome.reason);
    for (Finding& f : report.findings) {
        f.file = path;
        f.message = in.reword(f.message);
    }
    return report;
}

}  // namespace

int runVerify(const Arguments& args) {
    const bool json = args.has("json");
    bool anyError = false, firstJson = true;
    if (json) print(stdout, "[");
    for (const std::string& path : args.positional) {
        VerifyReport report = verifyOne(path);
        if (!report.outcome) {
            // An unreadable file is a finding of its own in the JSON array.
            reportError(report.outcome.reason);
            report.findings.push_back({path, {}, {}, Severity::Error, "unreadable", report.outcome.reason});
        }
        anyError = anyError || report.count(Severity::Error) != 0;
        for (const Finding& f : report.findings) {
            if (json) print(stdout, "%s\n  %s", firstJson ? "" : ",", jsonFinding(f).c_str()), firstJson = false;
            else if (report.outcome) printFinding(f);
        }
        if (!json && report.outcome) printSummary(path, report);
    }
    if (json) print(stdout, "%s]\n", firstJson ? "" : "\n");
    return anyError ? kExitFailed : kExitOk;
}

const char* const kVerifyDetails =
    "Reads each archive (.tpa) or sound (.cau) the way the game loads and plays it and\n"
    "prints one line per problem, then a summary line per file. Errors are what makes\n"
    "the game refuse the file or play a sound wrong: a layout tag other than 0x150,\n"
    "a table, image, sound data, caption or collision table outside the file, a header\n"
    "copy that is not \"WBOR\" or differs from its image, a format the game cannot play,\n"
    "a decodedSize that cuts the sound short, an attenuation below 0 or a master volume\n"
    "above 0, a caption block that does not hold its sections. Warnings: identifiers\n"
    "used twice, images that overlap or leave gaps, counts that disagree, soundDataEnd\n"
    "not at the end of the file without a collision table, a PCM decodedSize above the\n"
    "data's length (the game plays past the sound and schedules it too long).\n"
    "With --json: an array of objects with file, index, soundId, severity, code and\n"
    "message (index and soundId null for the file as a whole).\n"
    "FILE - reads one file from standard input.\n"
    "Exit code 0 when no file has an error, 1 when one has (or cannot be read).";

}  // namespace sonkrate::cli
