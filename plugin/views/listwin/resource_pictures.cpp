#include "plugin/views/listwin/resource_pictures.h"

#include <string>

namespace views {

IfBitmap Picture(std::initializer_list<const char*> rows, const std::map<char, uint32_t>& palette)
{
    IfBitmap bitmap;
    for (const char* row : rows) {
        const std::string line(row);
        if (bitmap.width == 0)
            bitmap.width = static_cast<int>(line.size());
        if (static_cast<int>(line.size()) != bitmap.width)
            return {};
        for (char c : line) {
            auto colour = palette.find(c);
            if (colour == palette.end())
                return {};
            bitmap.pixels.push_back(colour->second);
        }
        ++bitmap.height;
    }
    return bitmap;
}

IfBitmap Strip(const std::vector<IfBitmap>& images)
{
    IfBitmap out;
    for (const IfBitmap& image : images) {
        if (out.height != 0 && image.height != out.height)
            return {};
        out.height = image.height;
        out.width += image.width;
    }
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    int left = 0;
    for (const IfBitmap& image : images) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                out.pixels[static_cast<std::size_t>(y * out.width + left + x)] =
                    image.pixels[static_cast<std::size_t>(y * image.width + x)];
        left += image.width;
    }
    return out;
}

IfBitmap CountersToolbarImages()
{
    const std::map<char, uint32_t> palette{
        {'.', kIfToolbarBackground}, {'#', 0x000000}, {'r', 0xC00000}, {'g', 0x008000}};
    const IfBitmap resetOne = Picture({"................",
                                       "......####......",
                                       ".....##..##.....",
                                       "....##....##....",
                                       "....##....##....",
                                       "....##....##....",
                                       "....##....##....",
                                       "....##....##....",
                                       "....##....##....",
                                       "....##....##....",
                                       ".....##..##.....",
                                       "......####......",
                                       "................",
                                       "..gggggggggggg..",
                                       "................"},
                                      palette);
    const IfBitmap remove = Picture({"................",
                                     "..rr........rr..",
                                     "...rr......rr...",
                                     "....rr....rr....",
                                     ".....rr..rr.....",
                                     "......rrrr......",
                                     ".......rr.......",
                                     "......rrrr......",
                                     ".....rr..rr.....",
                                     "....rr....rr....",
                                     "...rr......rr...",
                                     "..rr........rr..",
                                     "................",
                                     "................",
                                     "................"},
                                    palette);
    const IfBitmap resetAll = Picture({"................",
                                       "..###.....###...",
                                       ".##.##...##.##..",
                                       ".#...#...#...#..",
                                       ".#...#...#...#..",
                                       ".#...#...#...#..",
                                       ".#...#...#...#..",
                                       ".#...#...#...#..",
                                       ".##.##...##.##..",
                                       "..###.....###...",
                                       "................",
                                       "................",
                                       "..gggggggggggg..",
                                       "................",
                                       "................"},
                                      palette);
    return Strip({resetOne, remove, resetAll});
}

} // namespace views
