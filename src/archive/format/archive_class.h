// An archive's name as derived from its file name, and the class of archive
// that the name makes it (effects and ambient archives are added to
// differently from all others).
#pragma once

#include <string>
#include <string_view>

namespace sonkrate::archive {

enum class ArchiveClass { EffectsClass, Ambient, General };

// The file name without folder and without the four characters from its
// first "." on, lower-cased: "Effects.tpa" -> "effects", "a.b.tpa" -> "apa".
// Kept on purpose: see COMPATIBILITY.md.
std::string archiveNameOf(std::string_view archivePath);
// The same name with its case kept, from which the backup name is made.
std::string archiveBaseNameOf(std::string_view archivePath);

// "effects" and "alteffects" -> EffectsClass, "ambient" -> Ambient.
ArchiveClass archiveClassOf(std::string_view archiveName);
// "effects", "ambient" or "general".
const char* archiveClassText(ArchiveClass archiveClass);

}  // namespace sonkrate::archive
