// Runs DOS commands in DOSBox through scripts/dos-run and reads back what they left: the exit
// code, the text screen and the files of the mounted folder.
#pragma once

#include <stdint.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vq::test {

using Bytes = std::vector<uint8_t>;

// The 80x25 text screen: character and attribute pairs.
class Screen {
public:
    static constexpr int kCols = 80;
    static constexpr int kRows = 25;

    bool Load(const std::filesystem::path& bin);
    char Char(int col, int row) const { return char(cells_.at(size_t(row * kCols + col) * 2)); }
    uint8_t Attr(int col, int row) const { return cells_.at(size_t(row * kCols + col) * 2 + 1); }
    std::string Row(int row) const;  // trailing blanks dropped
    // True when text stands at (col, row) in attr and the rest of the row is blank in blankAttr.
    bool Line(int row, const std::string& text, uint8_t attr, uint8_t blankAttr = 7) const;
    std::string Dump() const;  // for failure messages

private:
    Bytes cells_;
};

struct DosRunResult {
    bool ran = false;  // DOSBox finished and the program was captured
    int exitCode = -1;
    Screen screen;
    std::string log;   // what dos-run printed
};

// Runs the commands with `drive` mounted as C: (and `driveD`, a folder or a FAT hard-disk image,
// if given, as D:); the last command is the program under test. The runner's own captures are read and removed.
DosRunResult RunInDosbox(const std::filesystem::path& drive, const std::vector<std::string>& commands,
                         const std::filesystem::path& driveD = {});

Bytes ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const Bytes& data);
// A name in dir, whatever the letter case DOS gave it; empty when absent.
std::filesystem::path FindNoCase(const std::filesystem::path& dir, const std::string& name);

}  // namespace vq::test
