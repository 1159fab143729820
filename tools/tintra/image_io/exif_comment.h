// The Exif UserComment, which OpenImageIO 2.4 neither reads nor writes (its
// Exif tables skip UNDEFINED fields of more than a few bytes), put into the
// Exif directory the library wrote in a JPEG or TIFF.
#pragma once

#include <string>

// Adds comment (its character code and text, as the input stored them) to
// the Exif directory of the JPEG or TIFF written on fd; put_in is false when
// the file has no Exif directory to hold it or the block would outgrow its
// JPEG segment.
bool PutUserComment(const std::string& format, int fd, const std::string& comment, bool& put_in, std::string& error);
