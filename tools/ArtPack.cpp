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

void WritePixels(std::ostream& out, const Picture& picture, std::size_t index)
{
    out << "const std::uint32_t kPixels" << index << "[] = {";
    char word[16];
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        std::snprintf(word, sizeof word, "0x%08xu,", static_cast<unsigned>(picture.pixels[i]));
        out << (i % 8 == 0 ? "\n    " : " ") << word;
    }
    out << "\n};\n";
}

void WriteSource(std::ostream& out, const std::vector<Picture>& pictures)
{
    out << "// Made at build time by lanvex_artpack from the pictures' PNGs.\n"
           "#include \"ArtPixels.h\"\n\n"
           "namespace lanvex::resources {\n\nnamespace {\n\n";
    for (std::size_t i = 0; i < pictures.size(); ++i)
        WritePixels(out, pictures[i], i);
    out << "\n} // namespace\n\nconst ArtPixels kArtPixels[] = {\n";
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        out << "    { \"" << pictures[i].resource << "\", " << pictures[i].width << ", " << pictures[i].height
            << ", kPixels" << i << " },\n";
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
