#pragma once

#include <QRect>
#include <QString>
#include <optional>

class QWidget;

namespace mainwindow {

// The window's top, left, width and height as kept in the placement file, section "fmMain".
struct Placement {
    int top;
    int left;
    int width;
    int height;

    QRect rect() const { return {left, top, width, height}; }
    bool operator==(const Placement&) const = default;
};

inline constexpr Placement DesignPlacement{177, 251, 694, 292};

// The executable's path with ".ini" appended when it has no extension, the extension replaced
// otherwise.
QString placementFilePath(const QString& executablePath);

// A whole decimal number in the range of int; nothing for any other text.
std::optional<int> iniInteger(const QString& text);

// Each key read from the file, or the value of `current` when it is missing or not a number.
Placement readPlacement(const QString& iniPath, const Placement& current);
// Throws std::runtime_error naming the file when it cannot be written.
void writePlacement(const QString& iniPath, const Placement& placement);

// `placement` moved, and first shrunk where it is larger, so that it lies wholly inside `area`.
Placement keptInside(const Placement& placement, const QRect& area);

// Mode 'R' restores the window's placement from the file, kept inside the available area of the
// screen that shows most of it (a placement that lies wholly off every screen gives the design
// placement, which is taken as designed), so that its edges and its close button can be reached;
// mode 'W' saves it as it is; other modes do nothing.
void FormPositionIni(QWidget& window, const QString& iniPath, char mode);

}  // namespace mainwindow
