// A shell started on the headless backend in a scratch folder: the program
// in bin/, the documents folder in docs/, and helpers to read what the
// shell showed and played.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/shell.h"
#include "platform/headless/headless_platform.h"
#include "io/paths.h"
#include "testkit/testkit.h"

namespace shelltest {

using sonkrate::platform::Beep;
using sonkrate::platform::HeadlessPlatform;
using sonkrate::platform::Record;
using sonkrate::platform::RecordKind;

class ShellTest : public ::testing::Test {
protected:
    ShellTest();
    // Starts the shell (call once, after any extra set-up of the platform).
    void start();

    std::string binDir() const { return scratch.file("bin"); }
    std::string docsDir() const { return scratch.file("docs"); }
    std::string wavsDir() const { return sonkrate::io::joinPath(docsDir(), "Tpa_Wavs"); }
    std::string inBin(const std::string& name) const { return sonkrate::io::joinPath(binDir(), name); }

    // The text the status line shows now.
    std::string status() { return platform.text(sonkrate::app::kStatusLine); }
    // Every non-empty text shown on the status line, in order.
    std::vector<std::string> statusTexts() const;
    std::vector<Beep> beeps() const;
    std::vector<Record> records(RecordKind kind) const;
    std::vector<std::string> played() const;
    // Forgets what was recorded so far.
    void clear() { platform.clearJournal(); }

    testkit::ScratchDir scratch;
    HeadlessPlatform platform;
    std::unique_ptr<sonkrate::app::Shell> shell;
};

}  // namespace shelltest
