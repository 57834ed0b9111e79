#pragma once
// The toolbar's button pictures, 16 x 15 pixels, drawn with QPainter so that no image files
// are needed; also the two 64-pixel pictures of the graph type dialog.

#include <QIcon>
#include <QPixmap>

namespace vg28::ui {

class ToolbarIcons {
public:
    static constexpr int kWidth = 16;
    static constexpr int kHeight = 15;

    // The picture of a toolbar command; a null icon for a command without one.
    static QIcon ForCommand(int id);
    // Picture 0 "Без сглаживания" (jagged line), picture 1 "Сглаживание" (smooth curve).
    static QPixmap GraphTypePicture(int type);
    // The program's icon (window and About box).
    static QIcon ProgramIcon();
};

}  // namespace vg28::ui
