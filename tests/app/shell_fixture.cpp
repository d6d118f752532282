#include "app/shell_fixture.h"

#include <filesystem>

namespace shelltest {

ShellTest::ShellTest() {
    std::filesystem::create_directories(binDir());
    std::filesystem::create_directories(docsDir());
    platform.setExecutablePath(inBin("sonkrate"));
    platform.setDocumentsFolder(docsDir());
    platform.setUserDataFolder(scratch.file("data"));
}

void ShellTest::start() {
    shell = std::make_unique<sonkrate::app::Shell>(platform);
    ASSERT_TRUE(shell->startUp());
}

std::vector<std::string> ShellTest::statusTexts() const {
    std::vector<std::string> out;
    for (const auto& r : platform.journal())
        if (r.kind == RecordKind::Text && r.id == sonkrate::app::kStatusLine && !r.text.empty()) out.push_back(r.text);
    return out;
}

std::vector<Beep> ShellTest::beeps() const {
    std::vector<Beep> out;
    for (const auto& r : platform.journal())
        if (r.kind == RecordKind::Beep) out.push_back(r.beep);
    return out;
}

std::vector<Record> ShellTest::records(RecordKind kind) const {
    std::vector<Record> out;
    for (const auto& r : platform.journal())
        if (r.kind == kind) out.push_back(r);
    return out;
}

std::vector<std::string> ShellTest::played() const {
    std::vector<std::string> out;
    for (const auto& r : records(RecordKind::Play)) out.push_back(r.text);
    return out;
}

}  // namespace shelltest
