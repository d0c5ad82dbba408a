#pragma once
// The sixteen 16 x 16 images of the project tree, in image index order (see TreeImage); index 9 and 15
// are unused.

#include <QIcon>

#include <vector>

namespace shell {
std::vector<QIcon> TreeImages();
}
