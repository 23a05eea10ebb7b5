#pragma once

#include <QImage>
#include <QString>

// The photo files of the record folder's "写真": a photo brought in as a new, shrunk file, and
// its thumbnail, made once and kept in the hidden folder ".thumbs" there.
namespace photos {

// The long side of an imported photo at the most; a larger one is shrunk to it.
inline constexpr int LongestSide = 1600;
// The long side of a thumbnail.
inline constexpr int ThumbnailSide = 160;

// Reads the image at `source` (turned as its EXIF orientation says), shrinks it to LongestSide
// and writes it under a new name into the photo folder of `appDir`: PNG for a PNG, JPEG for
// anything else. Its thumbnail is made with it. `source` is only read. Returns the new file's
// name. Throws FileError naming the file when it cannot be read as an image, and
// naming the folder when the photo cannot be written; nothing is then left in the folder.
QString importPhoto(const QString& appDir, const QString& source);

// The path of the photo `name` in the photo folder of `appDir`.
QString photoPath(const QString& appDir, const QString& name);

// The thumbnail of the photo `name`: the kept one, else made from the photo and kept when the
// folder can be written. A null image when the photo cannot be read.
QImage thumbnail(const QString& appDir, const QString& name);

// Deletes the photo `name` and its thumbnail; what is not there is not missed.
void removePhoto(const QString& appDir, const QString& name);

}  // namespace photos
