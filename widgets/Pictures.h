#pragma once

#include <QIcon>

namespace widgets {

// The pictures of the two image lists, by their index; one icon serves the 16 px list
// (menus, toolbar, detail view) and the 32 px list (icon view).
enum class Picture {
    Yoyaku,
    UserTouroku,
    Version,
    Dog,
    Cat,
    OtherPet,
    Homepage,
};
inline constexpr int PictureCount = 7;

QIcon picture(Picture which);
// An index outside the lists gives an empty icon.
QIcon picture(int index);

QIcon applicationIcon();

}  // namespace widgets
