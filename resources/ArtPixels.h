#pragma once

#include <cstddef>
#include <cstdint>

namespace lanvex::resources {

// A picture's pixels, compiled into the program (made by tools/ArtPack.cpp): premultiplied
// 0xAARRGGBB words, row by row, found by the picture's resource path.
struct ArtPixels
{
    const char* resourcePath;
    int width;
    int height;
    const std::uint32_t* pixels;
};

extern const ArtPixels kArtPixels[];
extern const std::size_t kArtPixelsCount;

} // namespace lanvex::resources
