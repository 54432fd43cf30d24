#pragma once
// A fresh folder under the system's temporary folder, removed with the object.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace mirelda::testing {

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("mirelda-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::size_t CountFiles(const std::filesystem::path& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

}  // namespace mirelda::testing
