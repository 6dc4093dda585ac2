#pragma once

#include <filesystem>
#include <string>

namespace vontal::testing {

// A fresh directory under the system's temporary directory, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Small file helpers for building desktop entries and scripts in a scratch directory.
void writeFile(const std::filesystem::path& file, const std::string& text);
void writeExecutable(const std::filesystem::path& file, const std::string& text);
std::string readFile(const std::filesystem::path& file);

} // namespace vontal::testing
