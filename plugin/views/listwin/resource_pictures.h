#pragma once
// The bitmaps of the plug-in's own resources, drawn here as pictures of characters.

#include "sdk/ide/if_resources.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <vector>

namespace views {

// A bitmap drawn as rows of characters, one per pixel, each character a colour of the palette. Rows of
// unequal length, or a character the palette lacks, give an empty bitmap.
IfBitmap Picture(std::initializer_list<const char*> rows, const std::map<char, uint32_t>& palette);
// Images side by side, of one height, in one bitmap; empty when their heights differ.
IfBitmap Strip(const std::vector<IfBitmap>& images);
// The button images of the counter commands' toolbar, 16 x 15 each: a counter set to zero, a function
// crossed out, and all counters set to zero; the toolbar's grey around them.
IfBitmap CountersToolbarImages();

} // namespace views
