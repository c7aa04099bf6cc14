// Build tool: packs PNG renderings of one icon into a Windows icon file (.ico), each image kept
// as PNG, which Windows reads since Vista. Qt-free, so that it builds for every target.
//   icon_file OUT.ico IN.png...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

bool ReadFile(const char *path, Bytes &out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The big-endian 32-bit number at the offset.
std::uint32_t BigEndian32(const Bytes &b, std::size_t at)
{
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
           std::uint32_t{b[at + 2]} << 8 | std::uint32_t{b[at + 3]};
}

void PutLittle(Bytes &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A PNG's signature and its first chunk, IHDR, which holds the width and height.
bool IsPng(const Bytes &b)
{
    static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return b.size() >= 24 && std::equal(std::begin(kSignature), std::end(kSignature), b.begin()) &&
           b[12] == 'I' && b[13] == 'H' && b[14] == 'D' && b[15] == 'R';
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("Usage: icon_file OUT.ico IN.png...\n", stderr);
        return 2;
    }
    const int count = argc - 2;
    Bytes header;
    Bytes images;
    PutLittle(header, 0, 2);     // reserved
    PutLittle(header, 1, 2);     // type: icon
    PutLittle(header, count, 2); // images
    const std::uint32_t firstImage = 6 + 16 * static_cast<std::uint32_t>(count);
    for (int i = 2; i < argc; ++i) {
        Bytes png;
        if (!ReadFile(argv[i], png) || !IsPng(png)) {
            std::fprintf(stderr, "icon_file: %s is no readable PNG\n", argv[i]);
            return 1;
        }
        const std::uint32_t width = BigEndian32(png, 16);
        const std::uint32_t height = BigEndian32(png, 20);
        if (width == 0 || width > 256 || height == 0 || height > 256) {
            std::fprintf(stderr, "icon_file: %s is not 1 to 256 pixels a side\n", argv[i]);
            return 1;
        }
        // 256 is written as 0 in the one-byte fields.
        PutLittle(header, width & 0xFFu, 1);
        PutLittle(header, height & 0xFFu, 1);
        PutLittle(header, 0, 1);  // palette size
        PutLittle(header, 0, 1);  // reserved
        PutLittle(header, 1, 2);  // colour planes
        PutLittle(header, 32, 2); // bits per pixel
        PutLittle(header, static_cast<std::uint32_t>(png.size()), 4);
        PutLittle(header, firstImage + static_cast<std::uint32_t>(images.size()), 4);
        images.insert(images.end(), png.begin(), png.end());
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char *>(header.data()),
              static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char *>(images.data()),
              static_cast<std::streamsize>(images.size()));
    if (!out) {
        std::fprintf(stderr, "icon_file: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
