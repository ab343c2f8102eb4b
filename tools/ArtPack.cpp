// Turns the pictures' PNGs into a C++ source that holds their pixels, ready to draw, so the
// program decodes no image at start-up. Run at build time by resources/CMakeLists.txt:
//
//   lanvex_artpack OUTPUT.cpp RESOURCE=FILE.png [RESOURCE=FILE.png ...]
//
// Each picture becomes premultiplied 0xAARRGGBB words (QImage::Format_ARGB32_Premultiplied),
// found by its resource path (":/banner.png").

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <png.h>
#include <string>
#include <vector>

namespace {

struct Picture
{
    std::string resource;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

std::uint32_t Premultiplied(const unsigned char* rgba)
{
    const std::uint32_t alpha = rgba[3];
    const auto scale = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
    return alpha << 24 | scale(rgba[0]) << 16 | scale(rgba[1]) << 8 | scale(rgba[2]);
}

bool ReadPicture(const std::string& file, Picture& picture)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, file.c_str()) == 0) {
        std::cerr << "lanvex_artpack: " << file << ": " << image.message << '\n';
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> rgba(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) == 0) {
        std::cerr << "lanvex_artpack: " << file << ": " << image.message << '\n';
        png_image_free(&image);
        return false;
    }
    picture.width = image.width;
    picture.height = image.height;
    picture.pixels.reserve(std::size_t { image.width } * image.height);
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        picture.pixels.push_back(Premultiplied(&rgba[i]));
    return true;
}

bool IsDoubleSize(const Picture& picture)
{
    return picture.resource.find("@2x.") != std::string::npos;
}

// One array for the pictures at their own size and one for those at twice it, each with its
// pictures back to back: a window that draws only one size touches only that array's pages.
void WriteArray(std::ostream& out, const char* name, const std::vector<Picture>& pictures, bool doubleSize)
{
    out << "const std::uint32_t " << name << "[] = {";
    char word[16];
    std::size_t written = 0;
    for (const Picture& picture : pictures) {
        if (IsDoubleSize(picture) != doubleSize)
            continue;
        for (const std::uint32_t pixel : picture.pixels) {
            std::snprintf(word, sizeof word, "0x%08xu,", static_cast<unsigned>(pixel));
            out << (written++ % 8 == 0 ? "\n    " : " ") << word;
        }
    }
    if (written == 0)
        out << " 0u";
    out << "\n};\n";
}

void WriteSource(std::ostream& out, const std::vector<Picture>& pictures)
{
    out << "// Made at build time by lanvex_artpack from the pictures' PNGs.\n"
           "#include \"ArtPixels.h\"\n\n"
           "namespace lanvex::resources {\n\nnamespace {\n\n";
    WriteArray(out, "kPixels1x", pictures, false);
    WriteArray(out, "kPixels2x", pictures, true);
    out << "\n} // namespace\n\nconst ArtPixels kArtPixels[] = {\n";
    std::size_t offsets[2] = { 0, 0 };
    for (const Picture& picture : pictures) {
        const bool doubleSize = IsDoubleSize(picture);
        out << "    { \"" << picture.resource << "\", " << picture.width << ", " << picture.height << ", "
            << (doubleSize ? "kPixels2x" : "kPixels1x") << " + " << offsets[doubleSize] << " },\n";
        offsets[doubleSize] += picture.pixels.size();
    }
    out << "};\n\nconst std::size_t kArtPixelsCount = " << pictures.size() << ";\n\n} // namespace lanvex::resources\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: lanvex_artpack OUTPUT.cpp RESOURCE=FILE.png [RESOURCE=FILE.png ...]\n";
        return 2;
    }
    std::vector<Picture> pictures;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos) {
            std::cerr << "lanvex_artpack: expected RESOURCE=FILE.png, got " << argument << '\n';
            return 2;
        }
        Picture& picture = pictures.emplace_back();
        picture.resource = argument.substr(0, equals);
        if (!ReadPicture(argument.substr(equals + 1), picture))
            return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    WriteSource(out, pictures);
    out.close();
    if (!out) {
        std::cerr << "lanvex_artpack: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
