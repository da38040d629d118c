#pragma once

#include <filesystem>

namespace orvel::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes. Each object gets its own folder, so tests that
// run in parallel processes never share files.
class TempDir {
 public:
  TempDir();
  // A fresh folder under `base` instead.
  explicit TempDir(const std::filesystem::path& base);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return Folder; }

 private:
  std::filesystem::path Folder;
};

// Whether the file system under `folder` makes unnamed temporary files
// (O_TMPFILE), with which a save killed half-way leaves nothing behind.
bool FolderMakesUnnamedFiles(const std::filesystem::path& folder);

}  // namespace orvel::test
