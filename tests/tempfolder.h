// A fresh temporary folder for one test, removed with all it holds when the
// test ends; files in it are read and written by name.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace ny {

class TempFolder {
public:
    TempFolder() {
        char tmpl[] = "/tmp/nytestXXXXXX";
        dir_ = ::mkdtemp(tmpl);
    }
    ~TempFolder() { std::filesystem::remove_all(dir_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void writeFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string readFile(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string dir_;
};

}  // namespace ny
