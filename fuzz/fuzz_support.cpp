#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace comtrax::fuzz {

namespace {

std::string makeScratchDir()
{
    namespace fs = std::filesystem;
    std::string base;
    if (const char* t = std::getenv("TMPDIR"); t && *t)
        base = t;
    else if (::access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    else
        base = fs::temp_directory_path().string();
    std::string tmpl = base + "/comtrax-fuzz-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        std::perror("comtrax fuzz: mkdtemp");
        std::abort();
    }
    return tmpl;
}

std::string& dirStorage()
{
    static std::string dir;
    return dir;
}

void removeScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(dirStorage(), ec);
}

}  // namespace

const std::string& scratchDir()
{
    std::string& dir = dirStorage();
    if (dir.empty()) {
        dir = makeScratchDir();
        std::atexit(removeScratchDir);
    }
    return dir;
}

std::string scratchFile(const std::string& name)
{
    return scratchDir() + "/" + name;
}

void checkFailed(const char* expr, const char* file, int line, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, expr, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string readFile(const std::string& path)
{
    std::string bytes;
    readFileTo(path, bytes);
    return bytes;
}

void readFileTo(const std::string& path, std::string& out)
{
    out.clear();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return;
    out.resize(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(out.data(), static_cast<std::streamsize>(out.size()));
    out.resize(static_cast<std::size_t>(in.gcount()));
}

void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "comtrax fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

void removeFile(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

std::string hexDump(std::string_view bytes, std::size_t limit)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        if (i)
            out += ' ';
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += Digits[b >> 4];
        out += Digits[b & 15];
    }
    if (bytes.size() > limit)
        out += " ... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

}  // namespace comtrax::fuzz
