// Running DOS commands in DOSBox through scripts/dos-run.
#include "tests/dos/DosboxRun.h"

#include <stdio.h>
#include <stdlib.h>
#include <strings.h>

#include <fstream>
#include <iterator>

namespace vq::test {

namespace fs = std::filesystem;

bool Screen::Load(const fs::path& bin) {
    cells_ = ReadBytes(bin);
    return cells_.size() == size_t(kCols * kRows * 2);
}

std::string Screen::Row(int row) const {
    std::string s;
    for (int col = 0; col < kCols; ++col) s += Char(col, row) == '\0' ? ' ' : Char(col, row);
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

bool Screen::Line(int row, const std::string& text, uint8_t attr, uint8_t blankAttr) const {
    for (int col = 0; col < kCols; ++col) {
        const bool inText = size_t(col) < text.size();
        const char want = inText ? text[size_t(col)] : ' ';
        if (Char(col, row) != want || Attr(col, row) != (inText ? attr : blankAttr)) return false;
    }
    return true;
}

std::string Screen::Dump() const {
    std::string s;
    for (int row = 0; row < kRows; ++row) {
        char attrs[8];
        snprintf(attrs, sizeof attrs, "%02x %02d|", Attr(0, row), row);
        s += attrs + Row(row) + "\n";
    }
    return s;
}

DosRunResult RunInDosbox(const fs::path& drive, const std::vector<std::string>& commands, const fs::path& driveD) {
    std::string cmd = "VQ_SCRDUMP='" VQ_DOS_DOUBLES "/SCRDUMP.EXE' VQ_DOS_D='" + driveD.string() + "' '" VQ_DOS_RUN
                      "' '" + drive.string() + "'";
    for (const std::string& c : commands) {
        if (c.find('\'') != std::string::npos) return {};
        cmd += " '" + c + "'";
    }
    cmd += " 2>&1";
    DosRunResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) return r;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.log.append(buf, n);
    const int status = pclose(p);
    if (status != 0) return r;
    const Bytes code = ReadBytes(drive / "_VQEXIT.TXT");
    r.exitCode = code.empty() ? -1 : atoi(std::string(code.begin(), code.end()).c_str());
    r.ran = r.screen.Load(drive / "_VQSCR.BIN");
    // The screen's text is in the log: the folder keeps only what the commands left.
    for (const char* capture : {"_VQEXIT.TXT", "_VQSCR.BIN", "_VQSCR.TXT"}) fs::remove(drive / capture);
    return r;
}

Bytes ReadBytes(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

void WriteBytes(const fs::path& path, const Bytes& data) {
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

fs::path FindNoCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (strcasecmp(e.path().filename().c_str(), name.c_str()) == 0) return e.path();
    return {};
}

}  // namespace vq::test
