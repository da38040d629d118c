#pragma once

#include <filesystem>
#include <string>

namespace orvel {

// A state file that exists but could not be read, or was damaged, is not
// simply replaced by the next save: it is kept beside as "NAME.damaged" (one
// generation, an older one is replaced), so whatever it held can still be
// looked at or restored by hand.
std::filesystem::path DamagedFileName(const std::filesystem::path& path);

// The message's part that tells the user so: "it is kept as NAME.damaged".
std::string KeptAsDamagedText(const std::filesystem::path& path);

// Moves the file at `path` aside to DamagedFileName(path). Empty when it was
// moved or is gone; otherwise what failed and why (the caller then leaves
// the file as it is rather than replace it).
std::string KeepDamagedFile(const std::filesystem::path& path);

}  // namespace orvel
