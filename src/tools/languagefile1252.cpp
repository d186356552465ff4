// Writes the Windows copy of the language file: the UTF-8 source in
// Windows-1252, byte for byte otherwise. Fails the build on a caption the
// code page cannot hold, rather than ship it mangled.
#include "settings/windows1252.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <source in UTF-8> <Windows copy>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "%s: cannot read\n", argv[1]);
        return 1;
    }
    const auto converted = Windows1252::fromUtf8(source);
    if (!converted) {
        std::fprintf(stderr, "%s: a character Windows-1252 does not hold\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << *converted;
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
