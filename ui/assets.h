#pragma once

#include <QImageReader>
#include <QPixmap>
#include <QString>

namespace corvanta::ui {

// A PNG of the program's resources. Read by the built-in PNG reader alone:
// left to guess, Qt first asks every image format plugin whether it reads the
// file, and loads each of them (and the SVG library) to ask, which is a tenth
// of the window's start-up.
inline QPixmap PngAsset(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

}  // namespace corvanta::ui
