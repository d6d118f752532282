// sonkrate-cli names: names for the identifiers of archives, found in any
// files, varied from the names found, or guessed from patterns.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "archive/format/archive_reader.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "ids/search/name_choice.h"
#include "ids/search/name_harvest.h"
#include "ids/search/name_search.h"
#include "ids/search/name_variations.h"
#include "ids/sound_id_database.h"
#include "ids/sound_name_index.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "io/tree_walk.h"

namespace sonkrate::cli {
namespace {

struct ArchiveIds {
    std::string path;
    std::vector<ids::SoundId> records;  // by index
};

// What became of one identifier.
struct Naming {
    std::string name;           // empty: unknown
    const char* how = nullptr;  // "database", "found", "varied", "guessed"
    ids::ChosenName chosen;     // the matches, when it was sought
};

struct Run {
    std::vector<ArchiveIds> archives;
    std::vector<ids::NamePattern> patterns;
    std::vector<std::string> from;
    ids::SoundNameIndex database;
    std::map<ids::SoundId, std::string> known;  // named by the database
    ids::NameMatches matches;
    std::map<ids::SoundId, Naming> naming;
    bool failedSome = false;
};

const char* howText(ids::NameHow how) {
    switch (how) {
    case ids::NameHow::Found: return "found";
    case ids::NameHow::Varied: return "varied";
    case ids::NameHow::Guessed: break;
    }
    return "guessed";
}

std::string patternRefusal(const std::string& text, const ids::PatternParse& p) {
    const std::string quoted = "The pattern \"" + text + "\"";
    switch (p.problem) {
    case ids::PatternProblem::Empty: return "The pattern is empty: give the characters of a name, with # @ ? for the unknown ones";
    case ids::PatternProblem::TooLong: return quoted + " is longer than a name can be (128 characters)";
    case ids::PatternProblem::NotPrintable:
        return quoted + " holds a control character at character " + std::to_string(p.at + 1);
    case ids::PatternProblem::LoneEscape: return quoted + " ends in a lone \\; write \\\\ for a backslash";
    case ids::PatternProblem::TooManyNames:
        return quoted + " stands for more than 10^12 names; write fewer unknown characters";
    case ids::PatternProblem::None: break;
    }
    if (!ids::patternSolvable(p.pattern) && p.pattern.names > ids::kMaxEnumeratedNames)
        return quoted + " stands for " + std::to_string(p.pattern.names) +
               " names and its last four unknown characters cannot be solved together; "
               "write fewer unknown characters";
    return {};
}

// The patterns, each refused with a sentence before any work.
int readPatterns(const Arguments& args, Run& run) {
    for (const auto& [key, value] : args.options) {
        if (key == "from") run.from.push_back(value);
        if (key != "guess") continue;
        const std::string bytes = io::gameText(value);
        ids::PatternParse p = ids::parseNamePattern(bytes);
        if (std::string refusal = patternRefusal(value, p); !refusal.empty()) return usageError("names", refusal);
        run.patterns.push_back(std::move(p.pattern));
    }
    for (const std::string& path : run.from) {
        if (!io::pathExists(path)) return failedOn(path, "Cannot read " + path + ": there is no such file or folder");
        // A FIFO or a device would keep the harvest waiting or reading forever.
        const io::PathKind kind = io::targetKind(path);
        if (kind == io::PathKind::Missing)
            return failedOn(path, "Cannot read " + path + ": it is a symbolic link to nothing that exists");
        if (kind != io::PathKind::Regular && kind != io::PathKind::Folder)
            return failedOn(path, "Cannot read " + path + ": it is " + io::pathKindText(kind) +
                                      ", not a regular file or a folder");
    }
    return kExitOk;
}

bool isArchiveName(const std::string& path) { return io::endsWith(io::toLower(io::fileNameOf(path)), ".tpa"); }

// The archives named: files as given, folders searched for every .tpa in them.
std::vector<std::string> archivePaths(const Arguments& args, Run& run) {
    std::vector<std::string> paths;
    for (const std::string& given : args.positional) {
        if (!io::isFolder(given)) {
            paths.push_back(given);
            continue;
        }
        std::vector<std::string> inFolder;
        io::walkFiles({given}, [&](const io::WalkedFile& f) {
            if (isArchiveName(f.path)) inFolder.push_back(f.path);
            return true;
        }, [&](const std::string& problem) { reportError(problem); run.failedSome = true; });
        if (inFolder.empty()) warning("there is no .tpa archive in " + given);
        std::sort(inFolder.begin(), inFolder.end());
        paths.insert(paths.end(), inFolder.begin(), inFolder.end());
    }
    return paths;
}

void readArchives(const Arguments& args, Run& run) {
    for (const std::string& path : archivePaths(args, run)) {
        io::File file;
        archive::ArchiveHeader header;
        std::vector<archive::TpaEntry> entries;
        io::Outcome read = file.open(path, io::FileMode::Read);
        if (read) read = archive::readArchiveHeader(file, header);
        if (read) read = archive::readArchiveRecords(file, header, 0, header.header.entryCount, false, entries);
        if (!read) {
            reportError(read.reason);
            run.failedSome = true;
            continue;
        }
        ArchiveIds a{path, {}};
        for (const archive::TpaEntry& e : entries) a.records.push_back(e.soundId);
        run.archives.push_back(std::move(a));
    }
}

ids::SoughtIds soughtIds(Run& run) {
    std::vector<ids::SoundId> sought;
    for (const ArchiveIds& a : run.archives)
        for (ids::SoundId id : a.records) {
            if (run.known.count(id)) continue;
            std::string name = run.database.lookup(id);
            if (name != "unknown") run.known[id] = name;
            else sought.push_back(id);
        }
    return ids::SoughtIds(std::move(sought));
}

void harvest(Run& run, const ids::SoughtIds& sought) {
    if (run.from.empty() || sought.size() == 0) return;
    Progress progress("harvesting", ProgressUnit::Bytes);
    auto shown = [&](const ids::HarvestProgress& p) {
        progress.setLabel("harvesting " + std::to_string(p.filesDone) + " files, " + std::to_string(p.namesFound) +
                          " names");
        progress.update(p.bytesDone, p.bytesTotal);
    };
    auto problem = [&](const std::string& sentence) {
        progress.finish();
        reportError(sentence + " (skipped)");
    };
    ids::HarvestResult r = ids::harvestNames(run.from, sought, run.matches, {shown, problem});
    progress.finish();
    say(stderr, "%llu files read (%s, %llu candidates), %llu names found\n",
        static_cast<unsigned long long>(r.filesRead), formatByteSize(r.bytesRead).c_str(),
        static_cast<unsigned long long>(r.candidates), static_cast<unsigned long long>(r.namesFound));
}

void guess(Run& run, const ids::SoughtIds& sought, bool json) {
    for (const ids::NamePattern& pattern : run.patterns) {
        ids::GuessResult g = ids::guessNames(pattern, sought);
        for (ids::GuessMatch& m : g.matches) {
            if (!json) print(stdout, "guessed: %s %s\n", ids::formatSoundId(m.id).c_str(), io::shownText(m.name).c_str());
            run.matches.add({m.id, std::move(m.name), ids::NameHow::Guessed, {}, 0});
        }
        if (g.matchesCut) warning("a pattern matched more than " + std::to_string(ids::kMaxGuessMatches) +
                                  " times; the matches after those were not kept");
    }
}

// The names the database holds, seeds for the variations as names found are.
std::vector<std::string> knownNames(const Run& run) {
    std::vector<std::string> names = run.database.names();
    for (const auto& [id, name] : run.known) names.push_back(name);
    return names;
}

void choose(Run& run) {
    for (const auto& [id, name] : run.known) run.naming[id] = {name, "database", {}};
    for (const auto& [id, list] : run.matches.byId()) {
        Naming n;
        n.chosen = ids::chooseName(list);
        if (n.chosen.best && !n.chosen.uncertain) {
            n.name = n.chosen.best->name;
            n.how = howText(n.chosen.best->how);
        }
        run.naming[id] = std::move(n);
    }
}

// Appends the new names, in the order of the archives and their records.
// A name holding a quotation mark could not be read back from the database
// as it is: it is left out, and said so.
int writeDatabase(Run& run, const std::string& db) {
    std::set<ids::SoundId> written;
    for (const ArchiveIds& a : run.archives)
        for (ids::SoundId id : a.records) {
            auto it = run.naming.find(id);
            if (it == run.naming.end() || !it->second.chosen.best || it->second.name.empty()) continue;
            if (!written.insert(id).second) continue;
            if (it->second.name.find('"') != std::string::npos) {
                warning("the name of " + ids::formatSoundId(id) + ", " + io::shownText(it->second.name) +
                        ", holds a quotation mark, which " + db + " cannot hold; it was not written there");
                continue;
            }
            if (io::Outcome appended = ids::appendSoundIdRecord(db, it->second.name); !appended)
                return failedOn(db, appended.reason);
        }
    return kExitOk;
}

void printSummary(const Run& run) {
    for (const ArchiveIds& a : run.archives) {
        std::set<ids::SoundId> distinct(a.records.begin(), a.records.end());
        std::size_t named = 0, found = 0, varied = 0, guessed = 0;
        std::vector<ids::SoundId> unknown;
        for (ids::SoundId id : distinct) {
            auto it = run.naming.find(id);
            if (it == run.naming.end() || it->second.name.empty()) {
                unknown.push_back(id);
                continue;
            }
            ++named;
            const std::string how = it->second.how;
            found += how == "found", varied += how == "varied", guessed += how == "guessed";
        }
        std::string news = std::to_string(found + varied + guessed) + " new: " + std::to_string(found) + " found, " +
                           std::to_string(varied) + " varied";
        if (!run.patterns.empty()) news += ", " + std::to_string(guessed) + " guessed";
        say(stdout, "%s: %zu of %zu identifiers named (%s); %zu unknown\n", io::fileNameOf(a.path).c_str(), named,
            distinct.size(), news.c_str(), unknown.size());
        for (std::size_t i = 0; i < unknown.size(); i += 8) {
            std::string line = " ";
            for (std::size_t k = i; k < unknown.size() && k < i + 8; ++k) {
                line += ' ';
                line += ids::formatSoundId(unknown[k]);
            }
            say(stdout, "%s\n", line.c_str());
        }
    }
}

std::string jsonSource(const ids::NameMatch& m) {
    if (m.how != ids::NameHow::Found) return "null";
    return "{\"path\": " + jsonString(m.path) + ", \"offset\": " + std::to_string(m.offset) + "}";
}

std::string jsonMatch(const ids::NameMatch& m) {
    return "{\"name\": " + jsonString(m.name) + ", \"how\": \"" + howText(m.how) + "\", \"source\": " +
           jsonSource(m) + "}";
}

std::string jsonRecord(const Run& run, const std::string& archive, std::size_t index, ids::SoundId id) {
    std::string out = "  {\"archive\": " + jsonString(archive) + ", \"index\": " + std::to_string(index) +
                      ", \"soundId\": \"" + ids::formatSoundId(id) + "\", ";
    auto it = run.naming.find(id);
    if (it == run.naming.end() || it->second.name.empty()) {
        out += "\"name\": null, \"how\": null, \"source\": null";
    } else {
        const Naming& n = it->second;
        out += "\"name\": " + jsonString(n.name) + ", \"how\": \"" + n.how + "\", \"source\": " +
               (n.chosen.best ? jsonSource(*n.chosen.best) : std::string("null"));
    }
    if (it != run.naming.end()) {
        const ids::ChosenName& c = it->second.chosen;
        std::vector<const ids::NameMatch*> alternatives = c.others;
        if (c.best && it->second.name.empty()) alternatives.insert(alternatives.begin(), c.best);
        if (!alternatives.empty()) {
            out += ", \"alternatives\": [";
            for (std::size_t k = 0; k < alternatives.size(); ++k) out += (k ? ", " : "") + jsonMatch(*alternatives[k]);
            out += "]";
        }
    }
    return out + "}";
}

void printJson(const Run& run) {
    std::string out = "[";
    bool first = true;
    for (const ArchiveIds& a : run.archives)
        for (std::size_t i = 0; i < a.records.size(); ++i) {
            out += (first ? "\n" : ",\n") + jsonRecord(run, a.path, i, a.records[i]);
            first = false;
        }
    print(stdout, "%s%s]\n", out.c_str(), first ? "" : "\n");
}

}  // namespace

int runNamesCommand(const Arguments& args) {
    Run run;
    if (int refused = readPatterns(args, run); refused != kExitOk) return refused;
    readArchives(args, run);
    const std::string db = args.option("db").value_or("");
    run.database.load(db);
    const ids::SoughtIds sought = soughtIds(run);
    harvest(run, sought);
    guess(run, sought, args.has("json"));
    if (!args.has("no-vary") && sought.size() > 0) {
        ids::VariationResult v = ids::varyNames(run.matches, sought, knownNames(run));
        if (v.budgetReached)
            warning("variations stopped after " + std::to_string(ids::kMaxVariations) + " candidates");
    }
    choose(run);
    if (!db.empty())
        if (int written = writeDatabase(run, db); written != kExitOk) return written;
    if (args.has("json")) printJson(run);
    else printSummary(run);
    return run.failedSome ? kExitFailed : kExitOk;
}

const char* const kNamesDetails =
    "Names the identifiers of the archives' records that the name database SNDIDS\n"
    "does not name yet. ARCHIVE may be a folder: every .tpa below it.\n"
    "\n"
    "--from PATH (repeatable): every file below PATH, of any kind, is read once.\n"
    "Every run of printable bytes (and of UTF-16LE text) of 2 to 128 bytes is a\n"
    "candidate, and so are its pieces: trimmed of blanks, between quotation marks,\n"
    "between = , ; : tabs brackets and braces, and the file name of a path with and\n"
    "without its extension. A candidate whose identifier (CRC-32 of the lower-cased\n"
    "text) is sought names it (\"found\"). Files that cannot be read are reported\n"
    "and skipped.\n"
    "\n"
    "Unless --no-vary: every number of up to 3 digits in a name found, or held by\n"
    "SNDIDS already, is replaced by every number of its width, and its last letter\n"
    "or digit by every letter and digit (\"varied\"; at most 10 million candidates).\n"
    "\n"
    "--guess PATTERN (repeatable): # is a digit, @ a letter, ? a letter, digit,\n"
    "blank, - or _; \\ makes the next character stand for itself; the rest stands\n"
    "for itself, in any case (\"amb-pv-b##\", \"ceo-??????\"). Every match is printed\n"
    "(\"guessed\"); one is written only when it is the one match of its identifier.\n"
    "A pattern may stand for at most 10^12 names; the last four unknown characters\n"
    "are solved for, not tried one by one.\n"
    "\n"
    "Among several matches: found before varied before guessed, then a name of\n"
    "letters, digits, blanks and -_. only, then the shorter. With --db the new\n"
    "names are appended to SNDIDS (created when missing) as \"<id>\" \"<name>\" lines;\n"
    "nothing else in it changes, and a second run appends nothing; a name holding a\n"
    "quotation mark cannot be stored there, and a warning names it. Prints per\n"
    "archive how many identifiers are named and the unknown ones; --json prints one\n"
    "object per record: archive, index, soundId, name (or null), how (database,\n"
    "found, varied, guessed), source (path and offset of a name found) and the\n"
    "alternatives where several names matched.";

}  // namespace sonkrate::cli
