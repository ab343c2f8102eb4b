#pragma once

#include <string>
#include <vector>

namespace lanvex::test {

// A new, empty folder under the system's temporary folder whose name holds Chinese characters;
// removed with everything in it when the object goes.
class ChineseFolder
{
public:
    ChineseFolder();
    ~ChineseFolder();
    ChineseFolder(const ChineseFolder&) = delete;
    ChineseFolder& operator=(const ChineseFolder&) = delete;
    // UTF-8, with a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// The bytes of a file; empty when it cannot be read.
std::string FileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Names of the files in a folder.
int CountFiles(const std::string& folder);

// Runs copies of this test program, one per entry of `arguments`, all at once; their exit codes.
std::vector<int> RunSelfTogether(const std::vector<std::wstring>& arguments);

// Entry of a child process started by RunSelf: it writes `count` keys into `section` of `iniPath`.
int RunWriterChild(int argc, wchar_t** argv);

} // namespace lanvex::test
